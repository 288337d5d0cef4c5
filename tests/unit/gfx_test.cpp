// Rendering against the GL double: the overlay and projections by where
// things land in the 800 by 600 window, quads, formatted text, and fonts
// built from small hand-made images.

#include <climits>
#include <limits>
#include <span>

#include "tests/support/engine_test.h"

namespace {

using fake::quads;

Floats corner_uv(const fake::GlQuad &q) {
  Floats uv;
  for (const fake::GlCorner &c : q.corner) uv.insert(uv.end(), {c.s, c.t});
  return uv;
}

// A character's texture window, corners clockwise from the top left, scaled by
// the image's side to give texels.
Floats window(const Font &font, int ch, float side = 1) {
  Floats uv;
  for (const auto &corner : font.texcoord[ch]) uv.insert(uv.end(), {corner[0] * side, corner[1] * side});
  return uv;
}

// ---- overlay, projections, camera ----

using Gfx = EngineTest;

// The overlay leaves texturing and alpha blending on, depth testing and
// writing off, and maps the current font's view units (window pixels when it
// has none) onto the whole window from the top left.
TEST_F(Gfx, OverlayMapsTheViewOntoTheWindow) {
  glEnable(GL_DEPTH_TEST);
  gfx_begin_overlay();
  EXPECT_EQ(Ints({fake::enabled(GL_TEXTURE_2D), fake::enabled(GL_BLEND), fake::enabled(GL_DEPTH_TEST),
                  fake::gl.depth_mask, int(fake::gl.blend_src), int(fake::gl.blend_dst)}),
            Ints({true, true, false, GL_FALSE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}));
  // font, its view, and where the quad from (0, 0) to (64, 48) lands
  const int cases[][5] = {{0, 640, 480, 80, 60}, {2, 100, 50, 512, 576}, {1, 0, 0, 64, 48}};
  for (const auto &[font, view_w, view_h, right, bottom] : cases) {
    current_font = font;
    gfx_set_view_size(view_w, view_h);
    gfx_begin_overlay();
    gfx_draw_quad(NO_TEXTURE, 0, 0, 64, 48, 0, 1, 1, 1, 1);
    gfx_flush_quads();
    EXPECT_EQ(span(quads[fake::quad_count - 1]), span(0, 0, right, bottom)) << font;
  }
  EXPECT_EQ(fonts[0].view_width, 640);
}

// View rectangles map onto window pixels, multiplying first and truncating;
// a view side of 0 is taken in pixels. (Perspective views share the mapping:
// the next test sees them fill their viewports.)
TEST_F(Gfx, RectanglesMapOntoWindowPixels) {
  const int cases[][10] = {  // view w, h, rectangle x, y, w, h, viewport in the 800 by 600 window
      {640, 480, 1, 1, 1, 1, 1, 597, 1, 1},
      {640, 480, 3000000, -3000000, 640, 480, 3750000, 3750000, 800, 600},
      {0, 0, 10, 20, 30, 40, 10, 540, 30, 40},
      {640, 0, 64, 20, 64, 40, 80, 540, 80, 40}};
  for (const auto &c : cases) {
    gfx_set_view_size(c[0], c[1]);
    gfx_set_ortho(c[2], c[3], c[4], c[5], 1, 1, 1);
    EXPECT_EQ(Ints(fake::gl.viewport, fake::gl.viewport + 4), Ints(c + 6, c + 10)) << c[2];
  }
}

// A camera at distance d sees, through a 90 degree frustum over the view's
// shape, exactly 2d across; a rectangle of no width gets a square frustum.
// The orthographic view shows its half extents. Texture and modelview
// matrices start as identities.
TEST_F(Gfx, ProjectionsAndTheCameraPlaceTheWorld) {
  glMatrixMode(GL_TEXTURE);
  glTranslatef(5, 5, 5);
  const Vec3 eye = {3, -1, 8}, behind = {2, 1, -8}, ahead = {2, 1, 0};
  gfx_set_perspective(0, 0, 640, 480, 0.25f, 1024);
  gfx_apply_camera(&eye, nullptr);
  gfx_draw_quad(NO_TEXTURE, 3, -1, 16, 12, ALIGN_CENTER_X | ALIGN_CENTER_Y, 1, 1, 1, 1);
  EXPECT_EQ(fake::gl.matrix[2][12], 0) << "the texture matrix";
  gfx_set_perspective(0, 0, 0, 480, 2, 100);  // viewport 0 wide, square frustum
  gfx_apply_camera(&eye, nullptr);
  gfx_draw_quad(NO_TEXTURE, 3, -1, 16, 16, ALIGN_CENTER_X | ALIGN_CENTER_Y, 1, 1, 1, 1);
  gfx_set_ortho(0, 0, 320, 240, 12, 9, 50);  // the top left quarter of the window
  gfx_draw_quad(NO_TEXTURE, -12, -9, 24, 18, 0, 1, 1, 1, 1);
  // The orientation's rows are the camera's axes: with x and y swapped, the
  // world's +x points up the screen, 8 units ahead. An object placed 8 units
  // along the camera's view, with the camera's orientation, has the camera's
  // own axes: its x runs right, its y up. Absent positions and orientations
  // change nothing.
  const Mat3 swap = {{{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}};
  gfx_set_perspective(0, 0, 640, 480, 1, 100);
  gfx_apply_camera(&behind, &swap);
  gfx_draw_quad(NO_TEXTURE, 2, 1, 3, 1, 0, 1, 1, 1, 1);
  gfx_apply_object(&ahead, &swap);
  gfx_draw_quad(NO_TEXTURE, 0, 0, 4, 3, 0, 1, 1, 1, 1);
  gfx_apply_camera(nullptr, nullptr);
  gfx_apply_object(nullptr, nullptr);
  gfx_draw_quad(NO_TEXTURE, 0, 0, 4, 3, 0, 1, 1, 1, 1);
  gfx_apply_camera(&eye, nullptr);
  gfx_flush_quads();  // each view and camera change drew the quads before it
  EXPECT_EQ(span(quads[0]), span(0, 0, 800, 600));
  EXPECT_EQ(span(quads[1]), span(0, 0, 0, 600));
  EXPECT_EQ(span(quads[2]), span(0, 0, 400, 300));
  EXPECT_EQ(span(quads[3]), span(400, 150, 450, 300));
  EXPECT_EQ(span(quads[4]), span(400, 150, 600, 300));
  EXPECT_EQ(span(quads[5]), span(quads[4]));
}

// ---- quads ----

// In view units equal to pixels. A plain quad draws untextured, as do slots
// outside the table and pointer images past it; a textured quad shows the whole image upright (t = 1, the image's top row,
// along its top edge) unless given coordinates. An outline is four
// untextured lines around the rectangle.
TEST_F(Gfx, QuadsLandWhereTheirAlignmentPutsThem) {
  gfx_set_view_size(800, 600);
  gfx_begin_overlay();
  const float uv[8] = {0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f, 1};
  gfx_draw_quad(NO_TEXTURE, 10, 20, 30, 40, 0, 0.25f, 0.5f, 0.75f, 1);
  gfx_draw_quad(12, 100, 200, 30, 40, ALIGN_CENTER_X | ALIGN_BOTTOM, 1, 1, 1, 0.5f);
  gfx_draw_quad_uv(3, 10, 10, 4, 2, ALIGN_CENTER_Y, 1, 0, 0, 1, uv);
  gfx_draw_quad_uv(3, 10, 10, 4, 2, ALIGN_RIGHT | ALIGN_CENTER_X, 1, 0, 0, 1, nullptr);
  gfx_draw_quad_uv(TEXTURE_SLOT_COUNT, 0, 0, 1, 1, 0, 1, 1, 1, 1, uv);
  gfx_flush_quads();
  fonts[0].pointer_image = 3;
  gfx_draw_pointer(320, 240, 8, 1, 1, 1, 1);
  gfx_flush_quads();
  fonts[0].pointer_image = TEXTURE_SLOT_COUNT - POINTER_TEXTURE_SLOT;
  gfx_draw_pointer(0, 0, 1, 1, 1, 1, 1);
  gfx_flush_quads();
  const Floats upright = {0, 1, 1, 1, 1, 0, 0, 0};
  const struct { Floats span; GLuint texture; Floats uv; } expected[] = {
      {span(10, 20, 40, 60), 0, {}}, {span(85, 160, 115, 200), 13, upright},
      {span(10, 9, 14, 11), 4, Floats(uv, uv + 8)}, {span(8, 10, 12, 12), 4, upright},
      {span(0, 0, 1, 1), 0, {}}, {span(312, 232, 328, 248), POINTER_TEXTURE_SLOT + 3 + 1, upright},
      {span(-1, -1, 1, 1), 0, {}}};
  ASSERT_EQ(fake::quad_count, 7);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(span(quads[i]), expected[i].span) << i;
    EXPECT_EQ(quads[i].texture, expected[i].texture) << i;
    EXPECT_EQ(quads[i].texture ? corner_uv(quads[i]) : Floats(), expected[i].uv) << i;
  }
  EXPECT_EQ(Floats(quads[0].color, quads[0].color + 4), Floats({0.25f, 0.5f, 0.75f, 1}));
  gfx_draw_rect_outline(100, 200, 30, 40, ALIGN_RIGHT, 0, 1, 0, 0.5f);
  gfx_flush_quads();
  ASSERT_EQ(fake::line_count, 4);
  Floats ends;
  for (const fake::GlLine &l : std::span(fake::lines, 4))
    ends.insert(ends.end(), {l.end[0].x, l.end[0].y, l.end[1].x, l.end[1].y, float(l.textured), l.color[3]});
  EXPECT_EQ(ends, Floats({70, 200, 100, 200, 0, 0.5f, 100, 200, 100, 240, 0, 0.5f,
                          100, 240, 70, 240, 0, 0.5f, 70, 240, 70, 200, 0, 0.5f}));
}

// A batch that fills up is drawn and starts again: every quad once, in order.
TEST_F(Gfx, FullBatchesDrawEveryQuadOnce) {
  gfx_begin_overlay();
  for (int i = 0; i < BATCH_QUADS + 10; ++i) gfx_draw_quad(NO_TEXTURE, float(i % 512), 0, 1, 1, 0, 1, 1, 1, 1);
  gfx_flush_quads();
  ASSERT_EQ(Ints({fake::quad_count, int(fake::gl.draw_calls)}), Ints({BATCH_QUADS + 10, 2}));
  EXPECT_EQ(quads[BATCH_QUADS + 9].left(), float((BATCH_QUADS + 9) % 512) * 1.25f);
}

// ---- formatted text ----

// Font 0 made by hand: advances in sixteenths so that sums are exact ('a'
// 7/16, 'b' 1/16), and texture coordinates of their own for every corner of
// every character, so a swapped corner, a wrong character or a signed index
// shows.
struct Text : EngineTest {
  void SetUp() override {
    EngineTest::SetUp();
    for (int ch = 0; ch < 256; ++ch) fonts[0].advance[ch] = float(ch % 7 + 1) / 16;
    for (int i = 0; i < 256 * 8; ++i) fonts[0].texcoord[i / 8][i / 2 % 4][i % 2] = float(i);
    fonts[0].texture_slot = FONT_TEXTURE_SLOT;
    gfx_set_view_size(800, 600);
    gfx_begin_overlay();
  }
};

// The expansion of format with the values, its returned length checked.
template <typename... Values>
std::string expand(const char *format, Values... values) {
  const TextArg args[sizeof...(Values) + 1] = {text_arg(values)...};
  const int length = gfx_expand_text(format, args, int(sizeof...(Values)));
  EXPECT_EQ(length, int(std::strlen(text_buffer)));
  return text_buffer;
}

// Escapes insert their values as C would convert them, reals truncated and
// saturated; /I and /U group thousands of non-negative values; any other
// letter loses its slash; an escape with no value left shows as written;
// strings and numbers do not mix, but each escape takes its value.
TEST_F(Text, EscapesInsertTheirValues) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(expand("Score: /i// [/c/c/c]", 42, 200, 321, 256), "Score: 42/ [\xC8" "A]");
  EXPECT_EQ(expand("/i /i /i /i", INT_MIN, -2.7, 4294967295u, nan), "-2147483648 -2 -1 0");
  EXPECT_EQ(expand("/u /u /u /u /x", 4294967295u, -1, -3.5, 1e20, 0xABCDEFu),
            "4294967295 4294967295 0 4294967295 ABCDEF");
  EXPECT_EQ(expand("/f /f", -2.25f, std::numeric_limits<uint64_t>::max()),
            "-2.250000 18446744073709551616.000000");
  EXPECT_EQ(expand("/I /I /I /I /U /U", 1050, 1001000, -5000, 1e300, 999, 3000000000u),
            "1,050 1,001,000 -5000 2147,483,647 999 -1294967296");
  EXPECT_EQ(expand("/s! /i|/s|/s", "hello", "x", 5, static_cast<const char *>(nullptr)), "hello! ||");
  EXPECT_EQ(expand("a/qb// /i /i /u /x /s /f /c /I /U/", 1), "aqb/ 1 /i /u /x /s /f /c /I /U");
  const TextArg one = text_arg(1);  // values only as far as they go; no format is empty
  EXPECT_EQ(gfx_expand_text("/i", nullptr, 3), 2);
  EXPECT_EQ(gfx_expand_text("/i", &one, -1), 2);
  EXPECT_EQ(gfx_expand_text(nullptr, &one, 1), 0);
}

// Expansion stops at 1000 characters, also inside an insertion; a /s string
// is cut at the end of the conversion buffer. Widths sum the advances, bytes
// taken as unsigned, in single precision and up to the character limit.
TEST_F(Text, ExpansionAndWidthsStopAtTheCharacterLimit) {
  const std::string limit(TEXT_MAX_CHARS, 'a'), near(TEXT_MAX_CHARS - 2, 'a');
  EXPECT_EQ(expand((limit + "bcd").c_str()), limit);
  EXPECT_EQ(expand((near + "/i").c_str(), 12345), near + "12");
  expand("ab/s", std::string(5000, 'x').c_str());
  EXPECT_EQ(std::string(number_buffer), std::string(TEXT_BUFFER_SIZE - 1, 'x'));
  EXPECT_EQ(gfx_text_width("ab\xC8", 16), 13.0f);
  EXPECT_EQ(gfx_text_width(nullptr, 16), 0.0f);
  fonts[0].advance['z'] = 0.1f;
  float single = 0.0f;
  for (int i = 0; i < TEXT_MAX_CHARS; ++i) single += 3.0f * 0.1f;
  EXPECT_EQ(gfx_text_width(std::string(TEXT_MAX_CHARS + 1, 'z').c_str(), 3.0f), single);
}

// One textured quad per byte, side by side by advance, in the font's
// texture; TEXT_SOLID draws blocks of the white cell at the same widths.
TEST_F(Text, DrawsOneQuadPerCharacterSideBySide) {
  gfx_draw_text("ab/i", 10, 20, 16, 0, 0.25f, 0.5f, 0.75f, 1, -3);
  gfx_draw_text("a\n\xC8", 0, 0, 16, TEXT_SOLID, 1, 0, 0, 1);
  gfx_flush_quads();
  ASSERT_EQ(fake::quad_count, 7);
  EXPECT_EQ(span(quads[0]), span(10, 20, 17, 36));
  EXPECT_EQ(span(quads[1]), span(17, 20, 18, 36));
  EXPECT_EQ(span(quads[3]), span(22, 20, 25, 36));  // after '-' 4/16, '3' 3/16
  EXPECT_EQ(corner_uv(quads[0]), window(fonts[0], 'a'));
  EXPECT_EQ(corner_uv(quads[1]), window(fonts[0], 'b'));
  EXPECT_EQ(quads[1].texture, FONT_TEXTURE_SLOT + 1u);
  EXPECT_EQ(Floats(quads[1].color, quads[1].color + 4), Floats({0.25f, 0.5f, 0.75f, 1}));
  EXPECT_EQ(span(quads[6]), span(11, 0, 16, 16));
  EXPECT_EQ(corner_uv(quads[6]), window(fonts[0], 0));
}

TEST_F(Text, AlignmentMovesTheAnchorByWidthAndSize) {
  const int cases[][3] = {{0, 100, 50}, {1, 96, 50}, {2, 92, 50}, {3, 96, 50}, {4, 100, 42},
                          {8, 100, 34}, {12, 100, 42}, {10, 92, 34}, {1 | TEXT_SOLID, 96, 50}};
  for (const auto &[flags, left, top] : cases) {  // "ab" at size 16 is 8 wide, 'a' 7 of it
    gfx_draw_text("ab", 100, 50, 16, flags, 1, 1, 1, 1);
    gfx_flush_quads();
    EXPECT_EQ(span(quads[fake::quad_count - 2]), span(left, top, left + 7, top + 16)) << flags;
  }
  gfx_draw_text(std::string(TEXT_MAX_CHARS + 200, 'b').c_str(), 1000, 0, 16, ALIGN_RIGHT, 1, 1, 1, 1);
  gfx_flush_quads();
  EXPECT_EQ(quads[fake::quad_count - TEXT_MAX_CHARS].left(), 0);
}

// The current font measures and draws, font 0 standing in outside the table;
// a font without a usable texture slot draws nothing but still expands.
TEST_F(Text, TheCurrentFontDrawsAndOneWithoutASlotDrawsNothing) {
  fonts[1] = fonts[0];
  fonts[1].advance['a'] = 0.5f;
  fonts[1].texture_slot = TEXTURE_SLOT_COUNT - 1;
  Ints drawn;  // texture and left edge of "a" right-aligned at 800
  for (int font : {1, -1, FONT_COUNT}) {
    current_font = font;
    gfx_draw_text("a", 800, 0, 16, ALIGN_RIGHT, 1, 1, 1, 1);
    gfx_flush_quads();
    const fake::GlQuad &last = quads[fake::quad_count - 1];
    drawn.insert(drawn.end(), {int(last.texture), int(last.left())});
  }
  EXPECT_EQ(drawn, Ints({TEXTURE_SLOT_COUNT, 792, FONT_TEXTURE_SLOT + 1, 793, FONT_TEXTURE_SLOT + 1, 793}));
  current_font = 3;
  for (int slot : {-1, TEXTURE_SLOT_COUNT, INT_MIN}) {
    fonts[3].texture_slot = slot;
    gfx_draw_text("t/i", 0, 0, 16, 0, 1, 1, 1, 1, 5);
    gfx_flush_quads();
    EXPECT_STREQ(text_buffer, "t5");
  }
  EXPECT_EQ(fake::quad_count, 3);
}

// ---- fonts ----

// Columns first..last of a character's cell, in one row (from the cell's top)
// or in all rows (-1), painted with a 0xRRGGBBAA word.
struct Stripe {
  int code, first, last, row;
  uint32_t word;
};

// Writes a square font image `side` pixels wide, cells side / 16, clear but for
// the stripes, and builds the current font from it.
void build_font(int side, const std::vector<Stripe> &stripes, int slot = FONT_TEXTURE_SLOT) {
  const int c = side / 16;
  std::vector<uint32_t> words(size_t(side * side));
  for (const Stripe &r : stripes)
    for (int row = 0; row < c; ++row)
      for (int column = r.first; column <= r.last; ++column)
        if (r.row < 0 || r.row == row)
          words[size_t((r.code / 16 * c + row) * side + r.code % 16 * c + column)] = r.word;
  ASSERT_TRUE(write_png("font.png", side, side, words));
  gfx_load_font(slot, "font.png");
}

// A glyph is as wide as the lead-in of 2 pixels plus the run of columns with
// any alpha, never reaching the cell's last column; the space is 3/8 of a
// cell; cell 0 turns white, c - 1 wide, all four corners on its centre.
TEST_F(Gfx, FontGlyphsAreMeasuredFromAlpha) {
  // 'A' counts to its gap; any row of a column counts for 'B', and the faintest
  // alpha, but not colour without alpha; 'e' has column 2 clear: an empty glyph.
  build_font(512, {{'A', 2, 9, -1, 0xFF}, {'A', 11, 20, -1, 0xFF}, {'B', 2, 2, 0, 0xFF},
                   {'B', 3, 3, 31, 0xFF}, {'B', 4, 4, 1, 0x01}, {'B', 5, 5, 1, 0xFFFFFF00},
                   {'e', 3, 20, -1, 0xFF}, {' ', 0, 31, -1, 0xFF}, {255, 0, 31, -1, 0xFF}});
  const std::pair<int, float> widths[] = {{'A', 10}, {'B', 5}, {'e', 2}, {' ', 12},
                                          {255, 31}, {'x', 2}, {0, 31}};
  for (const auto &[code, pixels] : widths) EXPECT_FLOAT_EQ(fonts[0].advance[code], pixels / 30) << code;
  EXPECT_EQ(window(fonts[0], 0, 512), Floats({16, 496, 16, 496, 16, 496, 16, 496}));
  // 'A', 10 wide in cell column 1, row 4: s from one texel into the cell,
  // t from one texel above its top down 30, each kept 1/32 texel inside.
  EXPECT_EQ(window(fonts[0], 'A', 512), Floats({33.03125f, 384.96875f, 42.96875f, 384.96875f,
                                                42.96875f, 355.03125f, 33.03125f, 355.03125f}));
  EXPECT_EQ(fake::gl_textures[FONT_TEXTURE_SLOT + 1].uploads, 2) << "uploaded again with cell 0 white";
}

// Cells of 4: the smallest image that is a font; alpha in the low byte on a
// big-endian host (red alone is no alpha there); only the current font is
// built. A missing file, or an image that is not a square grid of cells at
// least 4 pixels wide, keeps the glyphs; slots outside the table change
// nothing, not even the font's slot.
TEST_F(Gfx, SmallImagesBuildTheCurrentFontAndUnusableOnesKeepIt) {
  const std::vector<Stripe> stripes = {{'a', 2, 3, -1, 0xFF000000}, {'b', 2, 3, -1, 0x00000001}};
  host_big_endian = 1;
  current_font = 2;
  build_font(64, stripes);
  const std::pair<int, float> widths[] = {{'a', 2}, {'b', 3}, {' ', 1.5f}, {0, 3}};
  for (const auto &[code, pixels] : widths) EXPECT_FLOAT_EQ(fonts[2].advance[code], pixels / 30) << code;
  EXPECT_EQ(fonts[0].advance['b'], 0.0f);
  const Font kept = fonts[2];
  gfx_load_font(FONT_TEXTURE_SLOT + 1, "missing.png");
  EXPECT_EQ(fonts[2].texture_slot, FONT_TEXTURE_SLOT + 1) << "the slot is taken all the same";
  for (const auto &[width, height] : {std::pair{128, 64}, {64, 128}, {32, 32}}) {
    ASSERT_TRUE(write_png("odd.png", width, height, std::vector<uint32_t>(size_t(width * height), 0xFF)));
    gfx_load_font(FONT_TEXTURE_SLOT, "odd.png");
    ASSERT_EQ(textures[FONT_TEXTURE_SLOT].width, width);
    EXPECT_NE(textures[FONT_TEXTURE_SLOT].pixels[0][(height - 1) * width], 0xFFFFFFFFu) << "no white cell";
  }
  for (int slot : {-1, TEXTURE_SLOT_COUNT}) build_font(64, stripes, slot);
  EXPECT_EQ(std::memcmp(&kept, &fonts[2], sizeof kept), 0) << "glyphs and slot as built";
}

}  // namespace
