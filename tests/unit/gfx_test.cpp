// Rendering against the GL double: the overlay and projections by where
// things land in the 800 by 600 window, quads, formatted text, and fonts
// built from small hand-made images.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "files/streams.h"
#include "gfx/gfx.h"
#include "tests/support/engine_test.h"
#include "video/video_mode.h"

namespace {

using fake::gl;
using fake::quads;

Floats corner_uv(const fake::GlQuad &q) {
  Floats uv;
  for (const fake::GlCorner &c : q.corner) uv.insert(uv.end(), {c.s, c.t});
  return uv;
}

// ---- overlay, projections, camera ----

using View = EngineTest;

// Blending on with alpha, depth off, the whole window, and the current font's
// view units (window pixels when it has none) from the top left.
TEST_F(View, OverlayMapsTheViewOntoTheWindow) {
  glEnable(GL_DEPTH_TEST);
  gfx_begin_overlay();
  EXPECT_TRUE(fake::enabled(GL_TEXTURE_2D) && fake::enabled(GL_BLEND));
  EXPECT_FALSE(fake::enabled(GL_DEPTH_TEST));
  EXPECT_EQ(gl.depth_mask, GL_FALSE);
  EXPECT_EQ(Ints({int(gl.blend_src), int(gl.blend_dst)}), Ints({GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}));
  const struct {
    int font, view_w, view_h;
    Floats lands;  // the quad from (0, 0) to (64, 48)
  } cases[] = {{0, 640, 480, {0, 0, 80, 60}}, {2, 100, 50, {0, 0, 512, 576}},
               {1, 0, 0, {0, 0, 64, 48}}};
  for (const auto &c : cases) {
    current_font = c.font;
    gfx_set_view_size(c.view_w, c.view_h);
    gfx_begin_overlay();
    gfx_draw_quad(NO_TEXTURE, 0, 0, 64, 48, 0, 1, 1, 1, 1);
    EXPECT_EQ(span(quads[fake::quad_count - 1]), c.lands) << c.font;
  }
  EXPECT_EQ(fonts[0].view_width, 640);
}

// View rectangles map onto window pixels, multiplying first and truncating;
// a view side of 0 is taken in pixels.
TEST_F(View, RectanglesMapOntoWindowPixels) {
  const int cases[][13] = {  // window w, h, view w, h, rectangle x, y, w, h, viewport
      {800, 600, 640, 480, 320, 0, 320, 240, 400, 300, 400, 300},
      {800, 600, 640, 480, 1, 1, 1, 1, 1, 597, 1, 1},
      {1024, 768, 640, 480, 100, 50, 200, 100, 160, 528, 320, 160},
      {800, 600, 640, 480, 3000000, -3000000, 640, 480, 3750000, 3750000, 800, 600},
      {800, 600, 0, 0, 10, 20, 30, 40, 10, 540, 30, 40},
      {800, 600, 640, 0, 64, 20, 64, 40, 80, 540, 80, 40},
  };
  for (const auto &c : cases) {
    video.width = c[0], video.height = c[1];
    gfx_set_view_size(c[2], c[3]);
    for (bool perspective : {true, false}) {
      if (perspective) gfx_set_perspective(c[4], c[5], c[6], c[7], 1, 2);
      else gfx_set_ortho(c[4], c[5], c[6], c[7], 1, 1, 1);
      EXPECT_EQ(Ints(gl.viewport, gl.viewport + 4), Ints(c + 8, c + 12)) << c[4];
    }
  }
}

// A camera at distance d sees, through a 90 degree frustum over the view's
// shape, exactly 2d across; a rectangle of no width gets a square frustum.
// The orthographic view shows its half extents. Texture and modelview
// matrices start as identities.
TEST_F(View, ProjectionsFillTheViewportWithWhatTheySee) {
  glMatrixMode(GL_TEXTURE);
  glTranslatef(5, 5, 5);
  const Vec3 eye = {3, -1, 8};
  gfx_set_perspective(0, 0, 640, 480, 0.25f, 1024);
  gfx_apply_camera(&eye, nullptr);
  gfx_draw_quad(NO_TEXTURE, 3, -1, 16, 12, ALIGN_CENTER_X | ALIGN_CENTER_Y, 1, 1, 1, 1);
  EXPECT_EQ(span(quads[0]), Floats({0, 0, 800, 600}));
  EXPECT_EQ(gl.matrix[2][12], 0) << "the texture matrix";
  gfx_set_perspective(0, 0, 0, 480, 2, 100);  // viewport 0 wide, square frustum
  gfx_apply_camera(&eye, nullptr);
  gfx_draw_quad(NO_TEXTURE, 3, -1, 16, 16, ALIGN_CENTER_X | ALIGN_CENTER_Y, 1, 1, 1, 1);
  EXPECT_EQ(span(quads[1]), Floats({0, 0, 0, 600}));
  gfx_set_ortho(0, 0, 320, 240, 12, 9, 50);  // the top left quarter of the window
  gfx_draw_quad(NO_TEXTURE, -12, -9, 24, 18, 0, 1, 1, 1, 1);
  EXPECT_EQ(span(quads[2]), Floats({0, 0, 400, 300}));
}

// The orientation's rows are the camera's axes: with x and y swapped, the
// world's +x points up the screen, 8 units ahead. An object placed 8 units
// along the camera's view, with the camera's orientation, has the camera's
// own axes: its x runs right, its y up.
TEST_F(View, CameraTurnsAndMovesTheWorldAndObjectsUndoIt) {
  const Mat3 swap = {{{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}};
  const Vec3 eye = {2, 1, -8}, ahead = {2, 1, 0};
  gfx_set_perspective(0, 0, 640, 480, 1, 100);
  gfx_apply_camera(&eye, &swap);
  gfx_draw_quad(NO_TEXTURE, 2, 1, 3, 1, 0, 1, 1, 1, 1);
  EXPECT_EQ(span(quads[0]), Floats({400, 150, 450, 300}));
  gfx_apply_object(&ahead, &swap);
  gfx_draw_quad(NO_TEXTURE, 0, 0, 4, 3, 0, 1, 1, 1, 1);
  gfx_apply_camera(nullptr, nullptr);
  gfx_apply_object(nullptr, nullptr);
  gfx_draw_quad(NO_TEXTURE, 0, 0, 4, 3, 0, 1, 1, 1, 1);
  EXPECT_EQ(span(quads[1]), Floats({400, 150, 600, 300}));
  EXPECT_EQ(span(quads[2]), span(quads[1]));
}

// ---- quads ----

using Quads = EngineTest;

// In view units equal to pixels. A plain quad draws untextured and leaves
// texturing on; a textured one shows the whole image upright (t = 1, the
// image's top row, along its top edge) unless given coordinates.
TEST_F(Quads, LandWhereTheirAlignmentPutsThem) {
  gfx_set_view_size(800, 600);
  gfx_begin_overlay();
  const float uv[8] = {0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f, 1};
  gfx_draw_quad(NO_TEXTURE, 10, 20, 30, 40, 0, 0.25f, 0.5f, 0.75f, 1);
  gfx_draw_quad(12, 100, 200, 30, 40, ALIGN_CENTER_X | ALIGN_BOTTOM, 1, 1, 1, 0.5f);
  gfx_draw_quad_uv(3, 10, 10, 4, 2, ALIGN_CENTER_Y, 1, 0, 0, 1, uv);
  gfx_draw_quad_uv(3, 10, 10, 4, 2, ALIGN_RIGHT | ALIGN_CENTER_X, 1, 0, 0, 1, nullptr);
  fonts[0].pointer_image = 3;
  gfx_draw_pointer(320, 240, 8, 1, 1, 1, 1);
  const struct {
    Floats span;
    GLuint texture;
    Floats uv;
  } expected[] = {
      {{10, 20, 40, 60}, 0, {}},
      {{85, 160, 115, 200}, 13, {0, 1, 1, 1, 1, 0, 0, 0}},
      {{10, 9, 14, 11}, 4, Floats(uv, uv + 8)},
      {{8, 10, 12, 12}, 4, {0, 1, 1, 1, 1, 0, 0, 0}},
      {{312, 232, 328, 248}, POINTER_TEXTURE_SLOT + 3 + 1, {0, 1, 1, 1, 1, 0, 0, 0}},
  };
  ASSERT_EQ(fake::quad_count, 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(span(quads[i]), expected[i].span) << i;
    EXPECT_EQ(quads[i].texture, expected[i].texture) << i;
    if (!expected[i].uv.empty()) {
      EXPECT_EQ(corner_uv(quads[i]), expected[i].uv) << i;
    }
  }
  EXPECT_EQ(Floats(quads[0].color, quads[0].color + 4), Floats({0.25f, 0.5f, 0.75f, 1}));
  EXPECT_TRUE(fake::enabled(GL_TEXTURE_2D));
}

// Slots outside the table, and pointer images past it, draw plain; an
// outline is four untextured lines around the rectangle.
TEST_F(Quads, OutOfRangeSlotsDrawPlainAndOutlinesAreFourLines) {
  gfx_set_view_size(800, 600);
  gfx_begin_overlay();
  fonts[0].pointer_image = TEXTURE_SLOT_COUNT - POINTER_TEXTURE_SLOT;
  const float uv[8] = {};
  gfx_draw_quad(-2, 0, 0, 1, 1, 0, 1, 1, 1, 1);
  gfx_draw_quad_uv(TEXTURE_SLOT_COUNT, 0, 0, 1, 1, 0, 1, 1, 1, 1, uv);
  gfx_draw_pointer(0, 0, 1, 1, 1, 1, 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(quads[i].texture, 0u) << i;
  gfx_draw_rect_outline(100, 200, 30, 40, ALIGN_RIGHT, 0, 1, 0, 0.5f);
  ASSERT_EQ(fake::line_count, 4);
  const float corners[5][2] = {{70, 200}, {100, 200}, {100, 240}, {70, 240}, {70, 200}};
  for (int i = 0; i < 4; ++i) {
    const fake::GlLine &line = fake::lines[i];
    EXPECT_EQ(Floats({line.end[0].x, line.end[0].y, line.end[1].x, line.end[1].y}),
              Floats({corners[i][0], corners[i][1], corners[i + 1][0], corners[i + 1][1]}));
    EXPECT_FALSE(line.textured);
    EXPECT_EQ(line.color[3], 0.5f);
  }
  EXPECT_TRUE(fake::enabled(GL_TEXTURE_2D));
}

// ---- formatted text ----

// A font made by hand: advances in sixteenths so that sums are exact ('a'
// 7/16, 'b' 1/16), and texture coordinates of their own for every corner of
// every character, so a swapped corner, a wrong character or a signed index
// shows.
float test_uv(int ch, int corner, int axis) {
  return axis == 0 ? float(ch) + corner * 0.25f : 512.0f - float(ch) - corner * 0.125f;
}

Floats glyph_uv(int ch) {
  Floats uv;
  for (int corner = 0; corner < 4; ++corner) uv.insert(uv.end(), {test_uv(ch, corner, 0), test_uv(ch, corner, 1)});
  return uv;
}

class Text : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    for (int ch = 0; ch < 256; ++ch) {
      fonts[0].advance[ch] = float(ch % 7 + 1) / 16;
      for (int corner = 0; corner < 4; ++corner)
        for (int axis = 0; axis < 2; ++axis) fonts[0].texcoord[ch][corner][axis] = test_uv(ch, corner, axis);
    }
    fonts[0].texture_slot = FONT_TEXTURE_SLOT;
    gfx_set_view_size(800, 600);
    gfx_begin_overlay();
  }
};

std::string expand(const char *format, std::vector<TextArg> values = {}) {
  const int length = gfx_expand_text(format, values.data(), int(values.size()));
  EXPECT_EQ(length, int(std::strlen(text_buffer)));
  return text_buffer;
}

// Escapes insert their values as C would convert them; any other letter
// loses its slash; an escape with no value left shows as written; strings
// and numbers do not mix, but each escape takes its value.
TEST_F(Text, EscapesInsertTheirValues) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto s = [](const char *string) { return text_arg(string); };
  const struct {
    const char *format;
    std::vector<TextArg> values;
    const char *expected;
  } cases[] = {
      {"Score: /i//", {text_arg(42)}, "Score: 42/"}, {"/i", {text_arg(INT_MIN)}, "-2147483648"},
      {"/u /x", {text_arg(4294967295u), text_arg(0xABCDEFu)}, "4294967295 ABCDEF"},
      {"/s!", {s("hello")}, "hello!"}, {"/f", {text_arg(-2.25f)}, "-2.250000"},
      {"[/c]", {text_arg(200)}, "[\xC8]"}, {"/c", {text_arg(321)}, "A"},
      {"a/cb", {text_arg(256)}, "ab"}, {"a/qb/", {}, "aqb"}, {"///", {}, "/"},
      {"/i /u /x /s /f /c /I /U", {}, "/i /u /x /s /f /c /I /U"},
      {"/i and /i", {text_arg(1)}, "1 and /i"}, {"/i", {text_arg(-2.7)}, "-2"},
      {"/i", {text_arg(4294967295u)}, "-1"}, {"/u", {text_arg(-1)}, "4294967295"},
      {"/I", {text_arg(1e300)}, "2147,483,647"}, {"/i", {text_arg(nan)}, "0"},
      {"/u", {text_arg(-3.5)}, "0"}, {"/u", {text_arg(1e20)}, "4294967295"},
      {"/f", {text_arg(std::numeric_limits<uint64_t>::max())}, "18446744073709551616.000000"},
      {"/i|/s|/s", {s("x"), text_arg(5), s(nullptr)}, "||"},
      {"/I /I /I /U", {text_arg(1050), text_arg(1001000), text_arg(-5000), text_arg(999)},
       "1,050 1,001,000 -5000 999"},
      {"/U", {text_arg(3000000000u)}, "-1294967296"},
  };
  for (const auto &c : cases) EXPECT_EQ(expand(c.format, c.values), c.expected) << c.format;
  const TextArg one = text_arg(1);
  EXPECT_EQ(gfx_expand_text("/i", nullptr, 3), 2);  // values only as far as they go
  EXPECT_EQ(gfx_expand_text("/i", &one, -1), 2);
  EXPECT_EQ(gfx_expand_text(nullptr, &one, 1), 0);
}

// Expansion stops at 1000 characters, also inside an insertion; a /s string
// is cut at the end of the conversion buffer.
TEST_F(Text, ExpansionStopsAtTheCharacterLimit) {
  const std::string limit(TEXT_MAX_CHARS, 'a'), near(TEXT_MAX_CHARS - 2, 'a');
  EXPECT_EQ(expand((limit + "bcd").c_str()), limit);
  EXPECT_EQ(expand((near + "/i").c_str(), {text_arg(12345)}), near + "12");
  std::string slashes;
  for (int i = 0; i < TEXT_MAX_CHARS + 10; ++i) slashes += "//";
  EXPECT_EQ(expand(slashes.c_str()), std::string(TEXT_MAX_CHARS, '/'));
  const std::string huge(5000, 'x');
  expand("ab/s", {text_arg(huge.c_str())});
  EXPECT_EQ(std::string(number_buffer), std::string(TEXT_BUFFER_SIZE - 1, 'x'));
}

// Widths sum the advances in single precision, bytes taken as unsigned.
TEST_F(Text, WidthSumsTheAdvances) {
  EXPECT_EQ(gfx_text_width("ab", 16), 8.0f);
  EXPECT_EQ(gfx_text_width(nullptr, 16), 0.0f);
  EXPECT_EQ(gfx_text_width("\xC8", 16), 5.0f);
  EXPECT_EQ(gfx_text_width(std::string(TEXT_MAX_CHARS + 1, 'a').c_str(), 16), 7.0f * TEXT_MAX_CHARS);
  fonts[0].advance['z'] = 0.1f;
  float single = 0.0f;
  for (int i = 0; i < TEXT_MAX_CHARS; ++i) single += 3.0f * 0.1f;
  EXPECT_EQ(gfx_text_width(std::string(TEXT_MAX_CHARS, 'z').c_str(), 3.0f), single);
}

// One textured quad per byte, side by side by advance, in the font's
// texture; TEXT_SOLID draws blocks of the white cell at the same widths.
TEST_F(Text, DrawsOneQuadPerCharacterSideBySide) {
  gfx_draw_text("ab/i", 10, 20, 16, 0, 0.25f, 0.5f, 0.75f, 1, -3);
  gfx_draw_text("a\n\xC8", 0, 0, 16, TEXT_SOLID, 1, 0, 0, 1);
  ASSERT_EQ(fake::quad_count, 7);
  EXPECT_EQ(span(quads[0]), Floats({10, 20, 17, 36}));
  EXPECT_EQ(span(quads[1]), Floats({17, 20, 18, 36}));
  EXPECT_EQ(span(quads[3]), Floats({22, 20, 25, 36}));  // after '-' 4/16, '3' 3/16
  EXPECT_EQ(corner_uv(quads[0]), glyph_uv('a'));
  EXPECT_EQ(corner_uv(quads[1]), glyph_uv('b'));
  EXPECT_EQ(quads[1].texture, FONT_TEXTURE_SLOT + 1u);
  EXPECT_EQ(Floats(quads[1].color, quads[1].color + 4), Floats({0.25f, 0.5f, 0.75f, 1}));
  EXPECT_EQ(span(quads[6]), Floats({11, 0, 16, 16}));
  EXPECT_EQ(corner_uv(quads[6]), glyph_uv(0));
}

TEST_F(Text, AlignmentMovesTheAnchorByWidthAndSize) {
  const int cases[][3] = {{0, 100, 50}, {1, 96, 50}, {2, 92, 50}, {3, 96, 50}, {4, 100, 42},
                          {8, 100, 34}, {12, 100, 42}, {10, 92, 34}, {1 | TEXT_SOLID, 96, 50}};
  for (const auto &[flags, left, top] : cases) {  // "ab" at size 16 is 8 wide
    gfx_draw_text("ab", 100, 50, 16, flags, 1, 1, 1, 1);
    EXPECT_EQ(span(quads[fake::quad_count - 2]), Floats({float(left), float(top), left + 7.0f, top + 16.0f})) << flags;
  }
  gfx_draw_text(std::string(TEXT_MAX_CHARS + 200, 'b').c_str(), 1000, 0, 16, ALIGN_RIGHT, 1, 1, 1, 1);
  EXPECT_EQ(quads[fake::quad_count - TEXT_MAX_CHARS].left(), 0);
}

// The current font measures and draws, font 0 standing in outside the table;
// a font without a usable texture slot draws nothing.
TEST_F(Text, TheCurrentFontDrawsAndOneWithoutASlotDrawsNothing) {
  fonts[1] = fonts[0];
  fonts[1].advance['a'] = 0.5f;
  fonts[1].texture_slot = TEXTURE_SLOT_COUNT - 1;
  const struct {
    int font;
    GLuint texture;
    float left;
  } cases[] = {{1, TEXTURE_SLOT_COUNT, 792}, {-1, FONT_TEXTURE_SLOT + 1, 793}, {FONT_COUNT, FONT_TEXTURE_SLOT + 1, 793}};
  for (const auto &c : cases) {
    current_font = c.font;
    gfx_draw_text("a", 800, 0, 16, ALIGN_RIGHT, 1, 1, 1, 1);
    EXPECT_EQ(quads[fake::quad_count - 1].texture, c.texture) << c.font;
    EXPECT_EQ(quads[fake::quad_count - 1].left(), c.left) << c.font;
  }
  current_font = 0;
  const int drawn = fake::quad_count;
  for (int slot : {-1, TEXTURE_SLOT_COUNT, INT_MIN}) {
    fonts[0].texture_slot = slot;
    gfx_draw_text("t/i", 0, 0, 16, 0, 1, 1, 1, 1, 5);
    EXPECT_STREQ(text_buffer, "t5");
  }
  EXPECT_EQ(fake::quad_count, drawn);
}

// ---- fonts ----

// A square font image of 0xRRGGBBAA words, top row first, cells side / 16 wide.
struct FontImage {
  int side;
  std::vector<uint32_t> words;
  explicit FontImage(int side_, uint32_t fill = 0) : side(side_), words(size_t(side * side), fill) {}
  void set(int code, int column, int row, uint32_t word = 0xFF) {  // row from the cell's top
    const int c = side / 16;
    words[size_t(((code / 16) * c + row) * side + (code % 16) * c + column)] = word;
  }
  void fill_columns(int code, int first, int last, uint32_t word = 0xFF) {
    for (int column = first; column <= last; ++column)
      for (int row = 0; row < side / 16; ++row) set(code, column, row, word);
  }
  void build(int slot = FONT_TEXTURE_SLOT) const {
    ASSERT_TRUE(write_png("font.png", side, side, words));
    gfx_load_font(slot, "font.png");
  }
};

using Fonts = EngineTest;

// A glyph is as wide as the lead-in of 2 pixels plus the run of columns with
// any alpha, never reaching the cell's last column; the space is 3/8 of a
// cell; cell 0 turns white, c - 1 wide, all four corners on its centre.
TEST_F(Fonts, GlyphsAreMeasuredFromAlpha) {
  FontImage image(512);
  image.fill_columns('A', 2, 9);
  image.fill_columns('A', 11, 20);  // past the gap: not counted
  image.set('B', 2, 0), image.set('B', 3, 31), image.set('B', 4, 1, 0x00000001);
  image.set('B', 5, 1, 0xFFFFFF00);  // colour without alpha ends the run
  image.fill_columns('e', 3, 20);    // column 2 clear: an empty glyph
  image.fill_columns('f', 0, 31);
  image.fill_columns(' ', 0, 31);
  image.fill_columns(255, 0, 31);
  image.build();
  const std::pair<int, float> widths[] = {{'A', 10}, {'B', 5}, {'e', 2}, {'f', 31}, {' ', 12}, {255, 31}, {'x', 2}, {0, 31}};
  for (const auto &[code, pixels] : widths) EXPECT_FLOAT_EQ(fonts[0].advance[code], pixels / 30) << code;
  for (const auto &corner : fonts[0].texcoord[0]) EXPECT_EQ(Floats(corner, corner + 2), Floats({16.0f / 512, 496.0f / 512}));
  // 'A', 10 wide in cell column 1, row 4: s from one texel into the cell,
  // t from one texel above its top down 30, each kept 1/32 texel inside.
  const float a_window[4][2] = {{33.03125f, 384.96875f}, {42.96875f, 384.96875f}, {42.96875f, 355.03125f}, {33.03125f, 355.03125f}};
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(fonts[0].texcoord['A'][i / 2][i % 2], a_window[i / 2][i % 2] / 512) << i;
  const TextureSlot &t = textures[FONT_TEXTURE_SLOT];
  EXPECT_EQ(t.pixels[0][(t.height - 1) * t.width], 0xFFFFFFFFu) << "cell 0 white in the buffer";
  EXPECT_EQ(fake::gl_textures[FONT_TEXTURE_SLOT + 1].uploads, 2) << "and uploaded again";
}

// Cells of 4: the smallest image that is a font; alpha in the low byte on a
// big-endian host; only the current font is built.
TEST_F(Fonts, SmallImagesBigEndianHostsAndTheCurrentFont) {
  FontImage image(64);
  image.fill_columns('a', 2, 3, 0xFF000000);  // red, alpha 0: alpha is the low byte there
  image.fill_columns('b', 2, 3, 0x00000001);
  host_big_endian = 1;
  current_font = 2;
  image.build();
  host_big_endian = 0;
  const std::pair<int, float> widths[] = {{'a', 2}, {'b', 3}, {' ', 1.5f}, {0, 3}};
  for (const auto &[code, pixels] : widths) EXPECT_FLOAT_EQ(fonts[2].advance[code], pixels / 30) << code;
  EXPECT_EQ(fonts[0].advance['b'], 0.0f);
}

// A missing file, or an image that is not a square grid of cells at least 4
// pixels wide, keeps the glyphs; slots outside the table change nothing.
TEST_F(Fonts, ImagesThatCannotBeAFontKeepTheGlyphs) {
  FontImage good(64);
  good.fill_columns('a', 2, 3);
  good.build();
  const Font kept = fonts[0];
  gfx_load_font(FONT_TEXTURE_SLOT + 1, "missing.png");
  EXPECT_EQ(fonts[0].texture_slot, FONT_TEXTURE_SLOT + 1) << "the slot is taken all the same";
  for (const auto &[width, height] : {std::pair{128, 64}, {64, 128}, {32, 32}}) {
    ASSERT_TRUE(write_png("odd.png", width, height, std::vector<uint32_t>(size_t(width * height), 0xFF)));
    gfx_load_font(FONT_TEXTURE_SLOT, "odd.png");
    ASSERT_EQ(textures[FONT_TEXTURE_SLOT].width, width);
    EXPECT_NE(textures[FONT_TEXTURE_SLOT].pixels[0][(height - 1) * width], 0xFFFFFFFFu) << "no white cell";
  }
  for (int slot : {-1, TEXTURE_SLOT_COUNT}) good.build(slot);
  EXPECT_EQ(fonts[0].texture_slot, FONT_TEXTURE_SLOT);
  EXPECT_EQ(std::memcmp(kept.advance, fonts[0].advance, sizeof kept.advance), 0);
  EXPECT_EQ(std::memcmp(kept.texcoord, fonts[0].texcoord, sizeof kept.texcoord), 0);
}

}  // namespace
