// Formatted text: expansion of every escape, bad values and missing ones, the
// buffer cuts, measuring, and the quads emitted down to vertices and texture
// coordinates. The font is built by hand, so no image is needed.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "gfx/font.h"
#include "gfx/quads.h"
#include "gfx/text.h"
#include "gfx/texture.h"
// Not doubles.h: its SDL half pulls in X11, whose own Font type collides with
// ours. Text reaches only OpenGL.
#include "tests/doubles/fake_gl.h"
#include "tests/doubles/recorder.h"

namespace {

constexpr int FONT_SLOT = 1000;
constexpr GLuint FONT_GL_NAME = 77;

struct Point {
  double x, y;
  bool operator==(const Point &other) const { return x == other.x && y == other.y; }
};

std::ostream &operator<<(std::ostream &out, const Point &p) {
  return out << '(' << p.x << ", " << p.y << ')';
}

std::vector<Point> points(const char *call_name) {
  std::vector<Point> found;
  for (const RecordedCall *call : calls_named(call_name)) {
    found.push_back({call->args[0], call->args[1]});
  }
  return found;
}

std::vector<std::string> call_names() {
  std::vector<std::string> names;
  for (int i = 0; i < recorded_count; ++i) {
    names.push_back(recorded_calls[i].name);
  }
  return names;
}

// Every advance a multiple of 1/16 so that sums are exact; every corner of
// every character has its own texture coordinate, so a swapped corner, a
// wrong character or a signed index shows.
float test_advance(int ch) { return static_cast<float>(ch % 7 + 1) / 16.0f; }
Point test_uv(int ch, int corner) { return {ch + corner * 0.25, 512.0 - ch - corner * 0.125}; }

std::vector<Point> glyph_uvs(int ch) {
  return {test_uv(ch, 0), test_uv(ch, 1), test_uv(ch, 2), test_uv(ch, 3)};
}

std::string expand(const char *format, std::vector<TextArg> values = {}) {
  const int length =
      gfx_expand_text(format, values.data(), static_cast<int>(values.size()));
  EXPECT_EQ(length, static_cast<int>(std::strlen(text_buffer)));
  return std::string(text_buffer);
}

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset_gl();
    recorder_clear();
    recorder_enabled = true;
    current_font = 0;
    fonts[0] = Font{};
    for (int ch = 0; ch < 256; ++ch) {
      fonts[0].advance[ch] = test_advance(ch);
      for (int corner = 0; corner < 4; ++corner) {
        const Point uv = test_uv(ch, corner);
        fonts[0].texcoord[ch][corner][0] = static_cast<float>(uv.x);
        fonts[0].texcoord[ch][corner][1] = static_cast<float>(uv.y);
      }
    }
    fonts[0].texture_slot = FONT_SLOT;
    textures[FONT_SLOT].gl_name = FONT_GL_NAME;
  }
  void TearDown() override { current_font = 0; }
};

// ---------------------------------------------------------------------------
// Expansion

struct ExpandCase {
  const char *format;
  std::vector<TextArg> values;
  std::string expected;
};

void check_expansions(const std::vector<ExpandCase> &cases) {
  for (const ExpandCase &c : cases) {
    SCOPED_TRACE(std::string("format '") + c.format + "'");
    EXPECT_EQ(expand(c.format, c.values), c.expected);
  }
}

TEST_F(TextTest, EveryEscapeInsertsItsConversion) {
  check_expansions({
      {"Score: /i", {text_arg(42)}, "Score: 42"},
      {"/i//", {text_arg(7)}, "7/"},
      {"/i", {text_arg(-2147483647 - 1)}, "-2147483648"},
      {"/u", {text_arg(4294967295u)}, "4294967295"},
      {"/x", {text_arg(255)}, "FF"},
      {"/x", {text_arg(0xABCDEFu)}, "ABCDEF"},
      {"/s!", {text_arg("hello")}, "hello!"},
      {"/s", {text_arg("")}, ""},
      {"/f", {text_arg(1.5)}, "1.500000"},
      {"/f", {text_arg(-2.25f)}, "-2.250000"},
      {"/f", {text_arg(1.0 / 3.0)}, "0.333333"},
      {"/c", {text_arg(65)}, "A"},
      {"/c", {text_arg('z')}, "z"},
      {"[/c]", {text_arg(200)}, "[\xC8]"},
      {"/c", {text_arg(321)}, "A"},  // low 8 bits only
      {"/c/i", {text_arg(0), text_arg(5)}, "5"},  // 0 shows nothing but is taken
      {"a/cb", {text_arg(256)}, "ab"},  // low byte 0: a NUL would end the text early
      {"//", {}, "/"},
      {"a//b", {}, "a/b"},
      {"////", {}, "//"},
      {"/s=/i (/x) /c/f",
       {text_arg("n"), text_arg(10), text_arg(255u), text_arg(66), text_arg(0.5)},
       "n=10 (FF) B0.500000"},
  });
}

TEST_F(TextTest, UnknownEscapeDropsOnlyTheSlash) {
  check_expansions({
      {"a/qb", {}, "aqb"},
      {"abc/", {}, "abc"},
      {"/", {}, ""},
      {"///", {}, "/"},
      {"/ x", {}, " x"},
      {"/S/F/X/d", {}, "SFXd"},
      {"/\n", {}, "\n"},
      {"/q/i", {text_arg(3)}, "q3"},  // the dropped slash takes no value
  });
}

TEST_F(TextTest, ThousandsGroupingIsSignedThroughout) {
  struct Grouping {
    int64_t value;
    const char *expected;
  };
  const Grouping table[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {1050, "1,050"},
      {12345, "12,345"},
      {100000, "100,000"},
      {999999, "999,999"},
      {1000000, "1,000,000"},
      {1000001, "1,000,001"},
      {1001000, "1,001,000"},
      {1234567, "1,234,567"},
      {2147483647, "2147,483,647"},
      {-1, "-1"},
      {-5000, "-5000"},
      {-2147483647 - 1, "-2147483648"},
  };
  for (const Grouping &row : table) {
    SCOPED_TRACE(row.value);
    const int32_t v = static_cast<int32_t>(row.value);
    EXPECT_EQ(expand("/I", {text_arg(v)}), row.expected);
    EXPECT_EQ(expand("/U", {text_arg(v)}), row.expected);
  }
  // An unsigned value is read as the int it would arrive as.
  EXPECT_EQ(expand("/U", {text_arg(4294967295u)}), "-1");
  EXPECT_EQ(expand("/U", {text_arg(3000000000u)}), "-1294967296");
}

TEST_F(TextTest, NumbersConvertBetweenKindsAsCWould) {
  check_expansions({
      {"/i", {text_arg(2.7)}, "2"},
      {"/i", {text_arg(-2.7)}, "-2"},
      {"/i", {text_arg(4294967295u)}, "-1"},
      {"/i", {text_arg((int64_t{1} << 32) + 5)}, "5"},
      {"/i", {text_arg(true)}, "1"},
      {"/u", {text_arg(-1)}, "4294967295"},
      {"/u", {text_arg(7.9)}, "7"},
      {"/x", {text_arg(-1)}, "FFFFFFFF"},
      {"/x", {text_arg(255.9)}, "FF"},
      {"/f", {text_arg(3)}, "3.000000"},
      {"/f", {text_arg(3u)}, "3.000000"},
      {"/f", {text_arg(std::numeric_limits<uint64_t>::max())}, "18446744073709551616.000000"},
      {"/c", {text_arg(65.9)}, "A"},
      {"/I", {text_arg(1234567.9)}, "1,234,567"},
  });
}

TEST_F(TextTest, RealsOutsideTheIntegerRangeSaturate) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  check_expansions({
      {"/i", {text_arg(1e300)}, "2147483647"},
      {"/i", {text_arg(-1e300)}, "-2147483648"},
      {"/i", {text_arg(nan)}, "0"},
      {"/i", {text_arg(-inf)}, "-2147483648"},
      {"/u", {text_arg(-3.5)}, "0"},
      {"/u", {text_arg(1e20)}, "4294967295"},
      {"/x", {text_arg(nan)}, "0"},
      {"/I", {text_arg(inf)}, "2147,483,647"},
  });
}

TEST_F(TextTest, StringsAndNumbersDoNotMixButTakeTheirValue) {
  check_expansions({
      {"/i|/i", {text_arg("x"), text_arg(4)}, "|4"},
      {"/f|/x|/c|/I|/U|/u", {text_arg("a"), text_arg("b"), text_arg("c"), text_arg("d"),
                             text_arg("e"), text_arg("f")}, "|||||"},
      {"/s|/s", {text_arg(5), text_arg("y")}, "|y"},
      {"/s|/s", {text_arg(2.5), text_arg("y")}, "|y"},
      {"/s|/i", {text_arg(static_cast<const char *>(nullptr)), text_arg(3)}, "|3"},
  });
}

TEST_F(TextTest, EscapeWithNoValueLeftIsShownAsWritten) {
  check_expansions({
      {"a/sb", {}, "a/sb"},
      {"/i /u /x /s /f /c /I /U", {}, "/i /u /x /s /f /c /I /U"},
      {"/i and /i", {text_arg(1)}, "1 and /i"},
      {"//s", {}, "/s"},
      {"/q", {}, "q"},
  });
  // No value array at all, whatever the count says.
  EXPECT_EQ(gfx_expand_text("/i", nullptr, 3), 2);
  EXPECT_STREQ(text_buffer, "/i");
  const TextArg one = text_arg(1);
  EXPECT_EQ(gfx_expand_text("/i", &one, -1), 2);
  EXPECT_STREQ(text_buffer, "/i");
  EXPECT_EQ(gfx_expand_text(nullptr, &one, 1), 0);
  EXPECT_STREQ(text_buffer, "");
}

// ---------------------------------------------------------------------------
// Buffer cuts

TEST_F(TextTest, ExpansionStopsAtTheCharacterLimit) {
  const std::string plain(TEXT_MAX_CHARS, 'a');
  EXPECT_EQ(expand((plain + "bcd").c_str()), plain);
  EXPECT_EQ(text_buffer[TEXT_MAX_CHARS], '\0');

  // A conversion that straddles the limit is cut inside it.
  const std::string near(TEXT_MAX_CHARS - 2, 'a');
  EXPECT_EQ(expand((near + "/i").c_str(), {text_arg(12345)}), near + "12");
  EXPECT_EQ(expand((near + "a/s").c_str()), near + "a/");

  // Two format characters per output character: the input beyond is ignored.
  std::string slashes;
  for (int i = 0; i < TEXT_MAX_CHARS + 10; ++i) {
    slashes += "//";
  }
  EXPECT_EQ(expand(slashes.c_str()), std::string(TEXT_MAX_CHARS, '/'));

  // A shorter text afterwards is terminated at its own end.
  EXPECT_EQ(expand("hi"), "hi");
}

TEST_F(TextTest, LongStringIsCutAtBothBuffers) {
  const std::string huge(5000, 'x');
  const std::string expanded = expand("ab/s", {text_arg(huge.c_str())});
  EXPECT_EQ(expanded, "ab" + std::string(TEXT_MAX_CHARS - 2, 'x'));
  EXPECT_EQ(std::string(number_buffer), std::string(TEXT_BUFFER_SIZE - 1, 'x'));
  // A string that just fits number_buffer is kept whole.
  const std::string fits(TEXT_BUFFER_SIZE - 1, 'y');
  expand("/s", {text_arg(fits.c_str())});
  EXPECT_EQ(std::string(number_buffer), fits);
}

// ---------------------------------------------------------------------------
// Measuring

TEST_F(TextTest, WidthSumsTheAdvancesAtTheSize) {
  // 'a' advances 7/16 and 'b' 1/16.
  EXPECT_EQ(gfx_text_width("ab", 16), 8.0f);
  EXPECT_EQ(gfx_text_width("ba", 32), 16.0f);
  EXPECT_EQ(gfx_text_width("", 16), 0.0f);
  EXPECT_EQ(gfx_text_width(nullptr, 16), 0.0f);
  EXPECT_EQ(gfx_text_width("\xC8", 16), 5.0f);  // byte 200 indexes as unsigned
  const std::string long_text(TEXT_MAX_CHARS + 1, 'a');
  EXPECT_EQ(gfx_text_width(long_text.c_str(), 16), 7.0f * TEXT_MAX_CHARS);
}

TEST_F(TextTest, WidthIsAddedInSinglePrecision) {
  fonts[0].advance[static_cast<unsigned char>('z')] = 0.1f;
  const std::string text(TEXT_MAX_CHARS, 'z');
  float single = 0.0f;
  double twice = 0.0;
  for (int i = 0; i < TEXT_MAX_CHARS; ++i) {
    single += 3.0f * 0.1f;
    twice += 3.0 * static_cast<double>(0.1f);
  }
  ASSERT_NE(static_cast<double>(single), twice);  // the two precisions do part here
  EXPECT_EQ(gfx_text_width(text.c_str(), 3.0f), single);
}

// ---------------------------------------------------------------------------
// Drawing

std::vector<std::string> expected_call_names(int glyphs) {
  std::vector<std::string> names = {"glBindTexture", "glBegin", "glColor4f"};
  for (int i = 0; i < glyphs * 4; ++i) {
    names.push_back("glTexCoord2f");
    names.push_back("glVertex2f");
  }
  names.push_back("glEnd");
  return names;
}

TEST_F(TextTest, DrawsOneBatchOfQuadsInCornerOrder) {
  gfx_draw_text("ab", 10, 20, 16, 0, 0.25f, 0.5f, 0.75f, 1.0f);

  EXPECT_EQ(call_names(), expected_call_names(2));
  EXPECT_EQ(call_text(*find_call("glBindTexture")), "glBindTexture(3553, 77)");
  EXPECT_EQ(call_text(*find_call("glBegin")), "glBegin(7)");
  EXPECT_EQ(call_text(*find_call("glColor4f")), "glColor4f(0.25, 0.5, 0.75, 1)");
  // 'a' is 7 wide at size 16, 'b' 1 wide.
  const std::vector<Point> expected_vertices = {
      {10, 20}, {17, 20}, {17, 36}, {10, 36},
      {17, 20}, {18, 20}, {18, 36}, {17, 36},
  };
  EXPECT_EQ(points("glVertex2f"), expected_vertices);
  std::vector<Point> expected_uvs = glyph_uvs('a');
  for (const Point &uv : glyph_uvs('b')) {
    expected_uvs.push_back(uv);
  }
  EXPECT_EQ(points("glTexCoord2f"), expected_uvs);
}

TEST_F(TextTest, AlignmentMovesTheAnchorByWidthAndSize) {
  struct Row {
    int flags;
    double left, top;
  };
  // "ab" at size 16 is 8 wide; anchor (100, 50).
  const Row table[] = {
      {0, 100, 50},  {1, 96, 50},  {2, 92, 50},  {3, 96, 50},
      {4, 100, 42},  {8, 100, 34}, {12, 100, 42}, {5, 96, 42},
      {10, 92, 34},  {1 | TEXT_SOLID, 96, 50},   {8 | TEXT_SOLID, 100, 34},
  };
  for (const Row &row : table) {
    SCOPED_TRACE(row.flags);
    recorder_clear();
    gfx_draw_text("ab", 100, 50, 16, row.flags, 1, 1, 1, 1);
    const std::vector<Point> v = points("glVertex2f");
    ASSERT_EQ(v.size(), 8u);
    EXPECT_EQ(v[0], (Point{row.left, row.top}));
    EXPECT_EQ(v[5], (Point{row.left + 8, row.top}));
    EXPECT_EQ(v[6], (Point{row.left + 8, row.top + 16}));
  }
}

TEST_F(TextTest, GoalMessageIsCentredOnTheScreenMiddle) {
  gfx_draw_text("Fuck off!", 320, 240, 24, ALIGN_CENTER_X, 1, 1, 1, 1);
  const std::vector<Point> v = points("glVertex2f");
  ASSERT_EQ(v.size(), 9u * 4);
  // The message is 40/16 of the size wide: 60 view units.
  EXPECT_EQ(v.front(), (Point{290, 240}));
  EXPECT_EQ(v[v.size() - 2], (Point{350, 264}));
  EXPECT_EQ(call_text(*find_call("glColor4f")), "glColor4f(1, 1, 1, 1)");
  EXPECT_STREQ(text_buffer, "Fuck off!");
}

TEST_F(TextTest, SolidTextUsesCharacterZeroAtEachOwnWidth) {
  gfx_draw_text("ab", 10, 20, 16, TEXT_SOLID, 1, 0, 0, 1);
  std::vector<Point> expected_uvs = glyph_uvs(0);
  for (const Point &uv : glyph_uvs(0)) {
    expected_uvs.push_back(uv);
  }
  EXPECT_EQ(points("glTexCoord2f"), expected_uvs);
  const std::vector<Point> v = points("glVertex2f");
  ASSERT_EQ(v.size(), 8u);
  EXPECT_EQ(v[1], (Point{17, 20}));
  EXPECT_EQ(v[5], (Point{18, 20}));
}

TEST_F(TextTest, EmptyFormatStillOpensAndClosesOneBatch) {
  gfx_draw_text("", 10, 20, 16, 5, 1, 1, 1, 1);
  EXPECT_EQ(call_names(), expected_call_names(0));
  EXPECT_EQ(call_text(*find_call("glBindTexture")), "glBindTexture(3553, 77)");
}

TEST_F(TextTest, EveryByteIsAGlyphOnTheSameLine) {
  gfx_draw_text("a\n\xC8", 0, 0, 16, 0, 1, 1, 1, 1);
  const std::vector<Point> v = points("glVertex2f");
  ASSERT_EQ(v.size(), 12u);
  // Newline (advance 4/16) and byte 200 (5/16) follow 'a' on the top line.
  EXPECT_EQ(v[4], (Point{7, 0}));
  EXPECT_EQ(v[8], (Point{11, 0}));
  EXPECT_EQ(v[9], (Point{16, 0}));
  const std::vector<Point> uv = points("glTexCoord2f");
  EXPECT_EQ(std::vector<Point>(uv.begin() + 4, uv.begin() + 8), glyph_uvs('\n'));
  EXPECT_EQ(std::vector<Point>(uv.begin() + 8, uv.end()), glyph_uvs(200));
}

TEST_F(TextTest, DrawingStopsAtTheCharacterLimit) {
  const std::string text(TEXT_MAX_CHARS + 200, 'b');
  gfx_draw_text(text.c_str(), 0, 0, 16, ALIGN_RIGHT, 1, 1, 1, 1);
  EXPECT_EQ(call_count("glVertex2f"), TEXT_MAX_CHARS * 4);
  EXPECT_EQ(call_count("glEnd"), 1);
  // Right aligned on the width of what is drawn: 1000 glyphs 1 wide.
  EXPECT_EQ(points("glVertex2f").front(), (Point{-TEXT_MAX_CHARS, 0}));
}

TEST_F(TextTest, ValuesArePassedByTheirType) {
  gfx_draw_text("/s /i /u /f /x", 0, 0, 16, 0, 1, 1, 1, 1, "x", -3, 7u, 0.5f, 255L);
  EXPECT_STREQ(text_buffer, "x -3 7 0.500000 FF");
  EXPECT_EQ(call_count("glVertex2f"), 18 * 4);

  gfx_draw_text("/i", 0, 0, 16, 0, 1, 1, 1, 1);  // a caption: no values after the colour
  EXPECT_STREQ(text_buffer, "/i");
}

TEST_F(TextTest, FontWithoutUsableSlotDrawsNothing) {
  for (int slot : {-1, TEXTURE_SLOT_COUNT, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(slot);
    recorder_clear();
    fonts[0].texture_slot = slot;
    gfx_draw_text("t/i", 0, 0, 16, 0, 1, 1, 1, 1, 5);
    EXPECT_EQ(recorded_count, 0);
    EXPECT_STREQ(text_buffer, "t5");
  }
  recorder_clear();
  fonts[0].texture_slot = TEXTURE_SLOT_COUNT - 1;
  textures[TEXTURE_SLOT_COUNT - 1].gl_name = 91;
  gfx_draw_text("t", 0, 0, 16, 0, 1, 1, 1, 1);
  EXPECT_EQ(call_text(*find_call("glBindTexture")), "glBindTexture(3553, 91)");
}

TEST_F(TextTest, FontIndexOutsideTheTableFallsBackToFontZero) {
  for (int font : {-1, FONT_COUNT, INT_MAX}) {
    SCOPED_TRACE(font);
    recorder_clear();
    current_font = font;
    EXPECT_EQ(gfx_text_width("ab", 16), 8.0f);
    gfx_draw_text("ab", 0, 0, 16, 0, 1, 1, 1, 1);
    EXPECT_EQ(call_text(*find_call("glBindTexture")), "glBindTexture(3553, 77)");
    EXPECT_EQ(call_count("glVertex2f"), 8);
  }
}

TEST_F(TextTest, OtherFontIsUsedWhenCurrent) {
  fonts[1] = fonts[0];
  fonts[1].advance[static_cast<unsigned char>('a')] = 0.5f;
  fonts[1].texture_slot = 3;
  textures[3].gl_name = 12;
  current_font = 1;
  EXPECT_EQ(gfx_text_width("a", 16), 8.0f);
  gfx_draw_text("a", 0, 0, 16, 0, 1, 1, 1, 1);
  EXPECT_EQ(call_text(*find_call("glBindTexture")), "glBindTexture(3553, 12)");
  EXPECT_EQ(points("glVertex2f")[1], (Point{8, 0}));
}

}  // namespace
