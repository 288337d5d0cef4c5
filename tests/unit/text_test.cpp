// Formatted text: every escape, bad and missing values, the buffer cuts,
// measuring, and the quads emitted down to vertices and texture coordinates.
// The font is made by hand, so no image is needed.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
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

// Advances are multiples of 1/16, so sums are exact: 'a' 7/16, 'b' 1/16, '\n'
// 4/16, byte 200 5/16. Each corner of each character has a texture coordinate
// of its own, so a swapped corner, a wrong character or a signed index shows.
float test_advance(int ch) { return float(ch % 7 + 1) / 16; }
float test_uv(int ch, int corner, int axis) {
  return axis == 0 ? float(ch) + corner * 0.25f : 512.0f - float(ch) - corner * 0.125f;
}

std::string pair_text(double x, double y) {
  char text[64];
  std::snprintf(text, sizeof text, " %g,%g", x, y);
  return text;
}

// The first two arguments of every call of that name: " x,y x,y ...".
std::string points(const char *name) {
  std::string out;
  for (const RecordedCall *call : calls_named(name)) {
    out += pair_text(call->args[0], call->args[1]);
  }
  return out;
}

std::string glyph_uvs(std::initializer_list<int> chars) {
  std::string out;
  for (int ch : chars) {
    for (int corner = 0; corner < 4; ++corner) {
      out += pair_text(test_uv(ch, corner, 0), test_uv(ch, corner, 1));
    }
  }
  return out;
}

std::string call_names() {
  std::string names;
  for (int i = 0; i < recorded_count; ++i) {
    names += std::string(" ") + recorded_calls[i].name;
  }
  return names;
}

std::string expand(const char *format, std::vector<TextArg> values = {}) {
  const int length = gfx_expand_text(format, values.data(), static_cast<int>(values.size()));
  EXPECT_EQ(length, static_cast<int>(std::strlen(text_buffer)));
  return text_buffer;
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
        fonts[0].texcoord[ch][corner][0] = test_uv(ch, corner, 0);
        fonts[0].texcoord[ch][corner][1] = test_uv(ch, corner, 1);
      }
    }
    fonts[0].texture_slot = FONT_SLOT;
    textures[FONT_SLOT].gl_name = 77;
  }
  void TearDown() override { current_font = 0; }
};

// ---- expansion ----

TEST_F(TextTest, EscapesInsertTheirValuesConvertedAsCWould) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const auto s = [](const char *string) { return text_arg(string); };
  const struct {
    const char *format;
    std::vector<TextArg> values;
    const char *expected;
  } cases[] = {
      {"Score: /i", {text_arg(42)}, "Score: 42"}, {"/i//", {text_arg(7)}, "7/"},
      {"a//b////", {}, "a/b//"}, {"/i", {text_arg(INT_MIN)}, "-2147483648"},
      {"/u", {text_arg(4294967295u)}, "4294967295"}, {"/x", {text_arg(0xABCDEFu)}, "ABCDEF"},
      {"/s!", {s("hello")}, "hello!"}, {"/f", {text_arg(1.5)}, "1.500000"},
      {"/f", {text_arg(-2.25f)}, "-2.250000"}, {"/c", {text_arg(65)}, "A"},
      {"[/c]", {text_arg(200)}, "[\xC8]"}, {"/c", {text_arg(321)}, "A"},  // the low 8 bits
      {"/c/i", {text_arg(0), text_arg(5)}, "5"},  // 0 shows nothing but is taken
      {"a/cb", {text_arg(256)}, "ab"},            // low byte 0: no NUL inside the text
      {"/s=/i (/x) /c/f", {s("n"), text_arg(10), text_arg(255u), text_arg(66), text_arg(0.5)},
       "n=10 (FF) B0.500000"},
      // Any other letter: the slash vanishes and takes no value.
      {"a/qb", {}, "aqb"}, {"abc/", {}, "abc"}, {"///", {}, "/"}, {"/S/F/X/d", {}, "SFXd"},
      {"/q/i", {text_arg(3)}, "q3"},
      // No value left to take: shown as written.
      {"/i /u /x /s /f /c /I /U", {}, "/i /u /x /s /f /c /I /U"},
      {"/i and /i", {text_arg(1)}, "1 and /i"},
      // Between kinds of number as C converts; reals truncate and saturate.
      {"/i", {text_arg(-2.7)}, "-2"}, {"/i", {text_arg(4294967295u)}, "-1"},
      {"/i", {text_arg((int64_t{1} << 32) + 5)}, "5"}, {"/u", {text_arg(-1)}, "4294967295"},
      {"/x", {text_arg(255.9)}, "FF"}, {"/c", {text_arg(65.9)}, "A"},
      {"/f", {text_arg(std::numeric_limits<uint64_t>::max())}, "18446744073709551616.000000"},
      {"/I", {text_arg(inf)}, "2147,483,647"}, {"/i", {text_arg(-1e300)}, "-2147483648"},
      {"/i", {text_arg(nan)}, "0"}, {"/u", {text_arg(-3.5)}, "0"},
      {"/u", {text_arg(1e20)}, "4294967295"},
      // Strings and numbers do not mix, but each escape takes its value.
      {"/i|/i", {s("x"), text_arg(4)}, "|4"},
      {"/f|/x|/c|/I|/U|/u", {s("a"), s("b"), s("c"), s("d"), s("e"), s("f")}, "|||||"},
      {"/s|/s|/s", {text_arg(5), text_arg(2.5), s("y")}, "||y"},
      {"/s|/i", {s(nullptr), text_arg(3)}, "|3"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(c.expected, expand(c.format, c.values)) << "format '" << c.format << "'";
  }
  // Values are read only as far as a real array and its count go.
  const TextArg one = text_arg(1);
  EXPECT_EQ(2, gfx_expand_text("/i", nullptr, 3));
  EXPECT_STREQ("/i", text_buffer);
  EXPECT_EQ(2, gfx_expand_text("/i", &one, -1));
  EXPECT_STREQ("/i", text_buffer);
  EXPECT_EQ(0, gfx_expand_text(nullptr, &one, 1));
}

TEST_F(TextTest, ThousandsGroupingIsSignedThroughout) {
  const std::pair<int32_t, const char *> table[] = {
      {0, "0"},           {999, "999"},          {1000, "1,000"},         {1050, "1,050"},
      {12345, "12,345"},  {999999, "999,999"},   {1000000, "1,000,000"},  {1001000, "1,001,000"},
      {1234567, "1,234,567"}, {INT_MAX, "2147,483,647"}, {-1, "-1"},      {-5000, "-5000"},
      {INT_MIN, "-2147483648"}};
  for (const auto &[value, expected] : table) {
    EXPECT_EQ(expected, expand("/I", {text_arg(value)})) << value;
    EXPECT_EQ(expected, expand("/U", {text_arg(value)})) << value;
  }
  EXPECT_EQ("-1294967296", expand("/U", {text_arg(3000000000u)}));  // as the int it arrives as
}

TEST_F(TextTest, ExpansionStopsAtTheCharacterLimit) {
  const std::string limit(TEXT_MAX_CHARS, 'a'), near(TEXT_MAX_CHARS - 2, 'a');
  EXPECT_EQ(limit, expand((limit + "bcd").c_str()));
  EXPECT_EQ(near + "12", expand((near + "/i").c_str(), {text_arg(12345)}));  // cut inside
  EXPECT_EQ(near + "a/", expand((near + "a/s").c_str()));
  std::string slashes;  // two format characters per output character
  for (int i = 0; i < TEXT_MAX_CHARS + 10; ++i) {
    slashes += "//";
  }
  EXPECT_EQ(std::string(TEXT_MAX_CHARS, '/'), expand(slashes.c_str()));
  EXPECT_EQ("hi", expand("hi"));  // a shorter text after is ended at its own end

  const std::string huge(5000, 'x'), fits(TEXT_BUFFER_SIZE - 1, 'y');
  EXPECT_EQ("ab" + std::string(TEXT_MAX_CHARS - 2, 'x'), expand("ab/s", {text_arg(huge.c_str())}));
  EXPECT_EQ(std::string(TEXT_BUFFER_SIZE - 1, 'x'), number_buffer);  // cut at its end
  expand("/s", {text_arg(fits.c_str())});
  EXPECT_EQ(fits, number_buffer);
}

// ---- measuring ----

TEST_F(TextTest, WidthSumsTheAdvancesInSinglePrecision) {
  EXPECT_EQ(8.0f, gfx_text_width("ab", 16));
  EXPECT_EQ(0.0f, gfx_text_width("", 16));
  EXPECT_EQ(0.0f, gfx_text_width(nullptr, 16));
  EXPECT_EQ(5.0f, gfx_text_width("\xC8", 16));  // byte 200 indexes as unsigned
  const std::string long_text(TEXT_MAX_CHARS + 1, 'a');
  EXPECT_EQ(7.0f * TEXT_MAX_CHARS, gfx_text_width(long_text.c_str(), 16));
  fonts[0].advance[static_cast<unsigned char>('z')] = 0.1f;
  float single = 0.0f;
  for (int i = 0; i < TEXT_MAX_CHARS; ++i) {
    single += 3.0f * 0.1f;
  }
  ASSERT_NE(double(single), TEXT_MAX_CHARS * 3.0 * double(0.1f));  // the precisions part here
  EXPECT_EQ(single, gfx_text_width(std::string(TEXT_MAX_CHARS, 'z').c_str(), 3.0f));
}

// ---- drawing ----

TEST_F(TextTest, DrawsOneBatchOfQuadsInCornerOrder) {
  gfx_draw_text("ab", 10, 20, 16, 0, 0.25f, 0.5f, 0.75f, 1.0f);
  std::string names = " glBindTexture glBegin glColor4f";
  for (int i = 0; i < 8; ++i) {
    names += " glTexCoord2f glVertex2f";
  }
  EXPECT_EQ(names + " glEnd", call_names());
  EXPECT_EQ((std::vector<std::string>{"glBindTexture(3553, 77)", "glBegin(7)",
                                      "glColor4f(0.25, 0.5, 0.75, 1)"}),
            call_texts(0, 3));
  // 'a' is 7 wide at size 16, 'b' 1 wide.
  EXPECT_EQ(" 10,20 17,20 17,36 10,36 17,20 18,20 18,36 17,36", points("glVertex2f"));
  EXPECT_EQ(glyph_uvs({'a', 'b'}), points("glTexCoord2f"));

  recorder_clear();
  gfx_draw_text("ab", 10, 20, 16, TEXT_SOLID, 1, 0, 0, 1);  // blocks of their own widths
  EXPECT_EQ(" 10,20 17,20 17,36 10,36 17,20 18,20 18,36 17,36", points("glVertex2f"));
  EXPECT_EQ(glyph_uvs({0, 0}), points("glTexCoord2f"));

  recorder_clear();
  gfx_draw_text("a\n\xC8", 0, 0, 16, 0, 1, 1, 1, 1);  // every byte a glyph on one line
  EXPECT_EQ(" 0,0 7,0 7,16 0,16 7,0 11,0 11,16 7,16 11,0 16,0 16,16 11,16", points("glVertex2f"));
  EXPECT_EQ(glyph_uvs({'a', '\n', 200}), points("glTexCoord2f"));

  recorder_clear();
  gfx_draw_text("", 10, 20, 16, 5, 1, 1, 1, 1);
  EXPECT_EQ(" glBindTexture glBegin glColor4f glEnd", call_names());
}

TEST_F(TextTest, AlignmentMovesTheAnchorByWidthAndSize) {
  const struct {
    int flags;
    double left, top;
  } table[] = {{0, 100, 50},  {1, 96, 50},   {2, 92, 50},  {3, 96, 50},
               {4, 100, 42},  {8, 100, 34},  {12, 100, 42}, {5, 96, 42},
               {10, 92, 34},  {1 | TEXT_SOLID, 96, 50},    {8 | TEXT_SOLID, 100, 34}};
  for (const auto &row : table) {  // "ab" at size 16 is 8 wide
    recorder_clear();
    gfx_draw_text("ab", 100, 50, 16, row.flags, 1, 1, 1, 1);
    const double l = row.left, t = row.top;
    EXPECT_EQ(pair_text(l, t) + pair_text(l + 7, t) + pair_text(l + 7, t + 16) +
                  pair_text(l, t + 16) + pair_text(l + 7, t) + pair_text(l + 8, t) +
                  pair_text(l + 8, t + 16) + pair_text(l + 7, t + 16),
              points("glVertex2f"))
        << row.flags;
  }
}

TEST_F(TextTest, DrawingStopsAtTheCharacterLimit) {
  gfx_draw_text(std::string(TEXT_MAX_CHARS + 200, 'b').c_str(), 0, 0, 16, ALIGN_RIGHT, 1, 1, 1, 1);
  EXPECT_EQ(TEXT_MAX_CHARS * 4, call_count("glVertex2f"));
  // Right aligned on the width of what is drawn: 1000 glyphs 1 wide.
  EXPECT_EQ(-TEXT_MAX_CHARS, find_call("glVertex2f")->args[0]);
}

TEST_F(TextTest, ValuesArePassedByTheirType) {
  gfx_draw_text("/s /i /u /f /x", 0, 0, 16, 0, 1, 1, 1, 1, "x", -3, 7u, 0.5f, 255L);
  EXPECT_STREQ("x -3 7 0.500000 FF", text_buffer);
  EXPECT_EQ(18 * 4, call_count("glVertex2f"));
  gfx_draw_text("/i", 0, 0, 16, 0, 1, 1, 1, 1);  // a caption: no values after the colour
  EXPECT_STREQ("/i", text_buffer);
}

TEST_F(TextTest, TheCurrentFontIsUsedAndOneWithoutASlotDrawsNothing) {
  for (int slot : {-1, TEXTURE_SLOT_COUNT, INT_MIN}) {
    fonts[0].texture_slot = slot;
    gfx_draw_text("t/i", 0, 0, 16, 0, 1, 1, 1, 1, 5);
    EXPECT_EQ(0, recorded_count) << slot;
    EXPECT_STREQ("t5", text_buffer);
  }
  fonts[0].texture_slot = FONT_SLOT;
  fonts[1] = fonts[0];
  fonts[1].advance[static_cast<unsigned char>('a')] = 0.5f;
  fonts[1].texture_slot = TEXTURE_SLOT_COUNT - 1;
  textures[TEXTURE_SLOT_COUNT - 1].gl_name = 91;
  const struct {
    int font;
    const char *bind, *vertices;  // right aligned, so measured with the same font
  } cases[] = {{1, "glBindTexture(3553, 91)", " -8,0 0,0 0,16 -8,16"},
               {-1, "glBindTexture(3553, 77)", " -7,0 0,0 0,16 -7,16"},  // font 0 stands in
               {FONT_COUNT, "glBindTexture(3553, 77)", " -7,0 0,0 0,16 -7,16"}};
  for (const auto &c : cases) {
    recorder_clear();
    current_font = c.font;
    gfx_draw_text("a", 0, 0, 16, ALIGN_RIGHT, 1, 1, 1, 1);
    EXPECT_EQ(c.bind, call_texts().front()) << c.font;
    EXPECT_EQ(c.vertices, points("glVertex2f")) << c.font;
  }
}

}  // namespace
