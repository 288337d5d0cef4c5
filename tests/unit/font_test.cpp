// Font building on small hand-made font images: advances measured from
// alpha, glyph windows, the white cell 0, the space, and images that cannot be
// a font.
#include "gfx/font.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "files/streams.h"
#include "gfx/texture.h"
// Not doubles.h: the SDL doubles bring in X11's own type named Font.
#include "tests/doubles/fake_gl.h"
#include "tests/doubles/recorder.h"
#include "tests/support/png_writer.h"

namespace {

constexpr int SLOT = FONT_TEXTURE_SLOT;
constexpr uint32_t OPAQUE = 0x000000FF;        // black, alpha 255 (0xRRGGBBAA)
constexpr uint32_t CLEAR_COLOURED = 0xFFFFFF00;  // white, alpha 0

// A font image in the making, 0xRRGGBBAA words, top row first, all clear.
struct FontImage {
  int side;
  std::vector<uint32_t> words;

  explicit FontImage(int side_, int height = 0)
      : side(side_), words(size_t(side_) * size_t(height ? height : side_), 0) {}
  int cell() const { return side / 16; }
  // Pixel (column, row) of a cell, rows counted from the cell's top.
  void set(int code, int column, int row, uint32_t word) {
    const int x = (code % 16) * cell() + column;
    const int y = (code / 16) * cell() + row;
    words[size_t(y) * size_t(side) + size_t(x)] = word;
  }
  void fill_columns(int code, int first, int last, uint32_t word) {
    for (int column = first; column <= last; ++column) {
      for (int row = 0; row < cell(); ++row) {
        set(code, column, row, word);
      }
    }
  }
  std::string write(const std::string &name) const {
    const std::string path = test_file_path(name);
    const int height = int(words.size() / size_t(side));
    EXPECT_TRUE(png_write_rgba(path, side, height, words));
    return path;
  }
};

void free_slot(TextureSlot &t) {
  for (uint32_t *&level : t.pixels) {
    std::free(level);
  }
  t = TextureSlot{};
}

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset_gl();
    recorder_clear();
    recorder_enabled = true;
    host_big_endian = 0;
    free_slot(textures[SLOT]);
    textures[SLOT].gl_name = 77;
    for (Font &font : fonts) {
      font = Font{};
    }
    current_font = 0;
  }
  void TearDown() override {
    host_big_endian = 0;
    current_font = 0;
    free_slot(textures[SLOT]);
  }
  void build(const FontImage &image, const std::string &name = "font.png") {
    gfx_load_font(SLOT, image.write(name).c_str());
  }
};

float cell_origin_s(int code, int c) { return float((code % 16) * c); }
float cell_origin_t(int code, int c) { return float((15 - code / 16) * c); }

// The four corners a glyph of width `a` pixels gets, in texels.
void expect_window(const Font &font, int code, int c, int side, float a) {
  const float s0 = cell_origin_s(code, c) + 1, t0 = cell_origin_t(code, c) + 1;
  const float left = (s0 + 0.03125f) / side, right = (s0 + a - 0.03125f) / side;
  const float top = (t0 + c - 0.03125f) / side, bottom = (t0 + c - 30 + 0.03125f) / side;
  const float expected[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  for (int corner = 0; corner < 4; ++corner) {
    SCOPED_TRACE(testing::Message() << "code " << code << " corner " << corner);
    EXPECT_FLOAT_EQ(expected[corner][0], font.texcoord[code][corner][0]);
    EXPECT_FLOAT_EQ(expected[corner][1], font.texcoord[code][corner][1]);
  }
}

// ---- the 512 by 512 image: cells of 32 ----

TEST_F(FontTest, GlyphRunStopsAtTheFirstClearColumn) {
  FontImage image(512);
  image.fill_columns('A', 2, 9, OPAQUE);
  image.fill_columns('A', 11, 20, OPAQUE);  // past the gap: never measured
  build(image);
  const Font &font = fonts[0];
  EXPECT_FLOAT_EQ(10.0f / 30, font.advance['A']);
  const float x0 = cell_origin_s('A', 32);
  EXPECT_FLOAT_EQ((x0 + 1.03125f) / 512, font.texcoord['A'][0][0]);
  EXPECT_FLOAT_EQ((x0 + 10.96875f) / 512, font.texcoord['A'][1][0]);
  expect_window(font, 'A', 32, 512, 10);
  EXPECT_EQ(SLOT, font.texture_slot);
}

TEST_F(FontTest, OnePixelAnywhereInAColumnCounts) {
  FontImage image(512);
  image.set('B', 2, 0, OPAQUE);   // the cell's top row
  image.set('B', 3, 31, OPAQUE);  // its bottom row
  image.set('B', 4, 17, 0x00000001);  // alpha 1 counts
  image.set('B', 5, 5, CLEAR_COLOURED);  // colour without alpha does not
  image.set('B', 6, 5, OPAQUE);
  build(image);
  EXPECT_FLOAT_EQ(5.0f / 30, fonts[0].advance['B']);
}

TEST_F(FontTest, EmptyFullAndSpaceCells) {
  FontImage image(512);
  image.fill_columns('e', 3, 20, OPAQUE);  // column 2 clear: an empty cell
  image.fill_columns('f', 0, 31, OPAQUE);  // every column, the last included
  image.fill_columns(' ', 0, 31, OPAQUE);  // the space is fixed whatever it holds
  image.fill_columns(255, 0, 31, OPAQUE);  // the last cell, bottom right
  build(image);
  const Font &font = fonts[0];
  EXPECT_FLOAT_EQ(2.0f / 30, font.advance['e']);
  EXPECT_FLOAT_EQ(31.0f / 30, font.advance['f']);
  EXPECT_FLOAT_EQ(31.0f / 30, font.advance[255]);
  EXPECT_FLOAT_EQ(0.4f, font.advance[' ']);  // 0.375 * 32 / 30
  expect_window(font, 'e', 32, 512, 2);
  expect_window(font, 'f', 32, 512, 31);
  expect_window(font, ' ', 32, 512, 12);
  expect_window(font, 255, 32, 512, 31);
  EXPECT_FLOAT_EQ(2.0f / 30, font.advance['x']);  // untouched cells are empty
}

TEST_F(FontTest, CellZeroIsWhiteAndSampledAtItsCentre) {
  FontImage image(512);
  image.fill_columns(1, 0, 31, OPAQUE);  // the neighbour stays as it is
  build(image);
  const Font &font = fonts[0];
  EXPECT_FLOAT_EQ(31.0f / 30, font.advance[0]);
  for (int corner = 0; corner < 4; ++corner) {
    EXPECT_FLOAT_EQ(16.0f / 512, font.texcoord[0][corner][0]);
    EXPECT_FLOAT_EQ((512 - 16.0f) / 512, font.texcoord[0][corner][1]);
  }
  const TextureSlot &t = textures[SLOT];
  for (int row = 512 - 32; row < 512; ++row) {
    for (int column = 0; column < 32; ++column) {
      ASSERT_EQ(0xFFFFFFFFu, t.pixels[0][row * 512 + column]) << row << ", " << column;
    }
  }
  EXPECT_EQ(0x000000FFu << 24, t.pixels[0][(512 - 1) * 512 + 32]) << "cell 1 untouched";
  EXPECT_EQ(0u, t.pixels[0][(512 - 33) * 512]) << "cell 16 untouched";
}

TEST_F(FontTest, WhiteCellIsUploadedAfterTheLoad) {
  FontImage image(64);
  for (uint32_t &word : image.words) {
    word = OPAQUE;
  }
  image.fill_columns(0, 0, 3, 0);  // only cell 0 is clear, until it turns white
  build(image);
  const auto uploads = calls_named("glTexImage2D");
  ASSERT_EQ(2u, uploads.size());
  EXPECT_EQ(textures[SLOT].pixels[0], uploads[1]->data);
  EXPECT_EQ(std::vector<std::string>({"glBindTexture(3553, 77)",
                                      "glTexParameteri(3553, 10242, 33071)",
                                      "glTexParameteri(3553, 10243, 33071)",
                                      "glTexParameteri(3553, 10240, 9729)",
                                      "glTexParameteri(3553, 10241, 9729)"}),
            call_texts(0, 5));
  EXPECT_EQ(0, textures[SLOT].translucent) << "scanned again after cell 0 turned white";
  EXPECT_EQ(1, textures[SLOT].ever_translucent);
}

// ---- small cells: the scan never reaches a cell's last column ----

TEST_F(FontTest, CellsOfFourAndEight) {
  FontImage small(64);  // c = 4: only column 2 can be looked at
  small.fill_columns('a', 2, 3, OPAQUE);
  small.fill_columns('b', 3, 3, OPAQUE);
  build(small, "font64.png");
  EXPECT_FLOAT_EQ(3.0f / 30, fonts[0].advance['a']);
  EXPECT_FLOAT_EQ(2.0f / 30, fonts[0].advance['b']);
  EXPECT_FLOAT_EQ(1.5f / 30, fonts[0].advance[' ']);
  expect_window(fonts[0], 'a', 4, 64, 3);
  // 'a' is cell (1, 6): s0 = 4 * 1 + 1, t0 = 4 * (15 - 6) + 1; the window
  // reaches 30 texels down from above the cell, well past its bottom.
  EXPECT_FLOAT_EQ(5.03125f / 64, fonts[0].texcoord['a'][0][0]);
  EXPECT_FLOAT_EQ(7.96875f / 64, fonts[0].texcoord['a'][1][0]);
  EXPECT_FLOAT_EQ(40.96875f / 64, fonts[0].texcoord['a'][0][1]);
  EXPECT_FLOAT_EQ(11.03125f / 64, fonts[0].texcoord['a'][3][1]);

  FontImage medium(128);  // c = 8
  medium.fill_columns('a', 2, 5, OPAQUE);
  medium.fill_columns('b', 2, 7, OPAQUE);
  build(medium, "font128.png");
  EXPECT_FLOAT_EQ(6.0f / 30, fonts[0].advance['a']);
  EXPECT_FLOAT_EQ(7.0f / 30, fonts[0].advance['b']);
  EXPECT_FLOAT_EQ(3.0f / 30, fonts[0].advance[' ']);
  expect_window(fonts[0], 'a', 8, 128, 6);
  expect_window(fonts[0], 'b', 8, 128, 7);
  for (int corner = 0; corner < 4; ++corner) {
    EXPECT_FLOAT_EQ(4.0f / 128, fonts[0].texcoord[0][corner][0]);
    EXPECT_FLOAT_EQ(124.0f / 128, fonts[0].texcoord[0][corner][1]);
  }
}

// ---- byte order ----

TEST_F(FontTest, BigEndianHostTestsTheLowByteForAlpha) {
  host_big_endian = 1;
  FontImage image(64);
  image.fill_columns('a', 2, 3, 0xFF000000);  // red, alpha 0: sits in the high byte here
  image.fill_columns('b', 2, 3, 0x00000001);
  build(image);
  EXPECT_FLOAT_EQ(2.0f / 30, fonts[0].advance['a']);
  EXPECT_FLOAT_EQ(3.0f / 30, fonts[0].advance['b']);
  EXPECT_FLOAT_EQ(3.0f / 30, fonts[0].advance[0]);
}

// ---- images that cannot be a font ----

class FontKeptTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    FontImage image(64);
    image.fill_columns('a', 2, 3, OPAQUE);
    build(image, "good.png");
    kept = fonts[0];
    ASSERT_FLOAT_EQ(3.0f / 30, kept.advance['a']);
  }
  void expect_glyphs_kept() {
    EXPECT_EQ(0, std::memcmp(kept.advance, fonts[0].advance, sizeof kept.advance));
    EXPECT_EQ(0, std::memcmp(kept.texcoord, fonts[0].texcoord, sizeof kept.texcoord));
  }
  Font kept{};
};

TEST_F(FontKeptTest, MissingImageKeepsTheGlyphsAndTakesTheSlot) {
  fonts[0].texture_slot = 3;
  textures[SLOT + 1].width = 0;
  const std::string missing = test_file_path("no_font.png");
  gfx_load_font(SLOT + 1, missing.c_str());
  expect_glyphs_kept();
  EXPECT_EQ(SLOT + 1, fonts[0].texture_slot);
}

TEST_F(FontKeptTest, ImagesThatAreNotSquareOrTooNarrowAreRefused) {
  const struct {
    int width, height;
  } shapes[] = {{128, 64}, {64, 128}, {32, 32}, {16, 16}, {1, 1}, {512, 16}};
  for (const auto &shape : shapes) {
    SCOPED_TRACE(testing::Message() << shape.width << " x " << shape.height);
    FontImage image(shape.width, shape.height);
    for (uint32_t &word : image.words) {
      word = OPAQUE;
    }
    build(image, "odd.png");
    ASSERT_EQ(shape.width, textures[SLOT].width) << "the image itself was loaded";
    expect_glyphs_kept();
    const TextureSlot &t = textures[SLOT];
    EXPECT_NE(0xFFFFFFFFu, t.pixels[0][(t.height - 1) * t.width]) << "no white cell";
  }
}

TEST_F(FontKeptTest, SlotsOutsideTheTableChangeNothing) {
  const std::string path = FontImage(64).write("outside.png");
  for (int slot : {-1, TEXTURE_SLOT_COUNT}) {
    gfx_load_font(slot, path.c_str());
    expect_glyphs_kept();
    EXPECT_EQ(SLOT, fonts[0].texture_slot);
  }
}

// ---- which font ----

TEST_F(FontTest, BuildsTheCurrentFontOnly) {
  current_font = 2;
  FontImage image(64);
  image.fill_columns('a', 2, 3, OPAQUE);
  build(image);
  EXPECT_FLOAT_EQ(3.0f / 30, fonts[2].advance['a']);
  EXPECT_EQ(0.0f, fonts[0].advance['a']);
  EXPECT_EQ(gfx_current_font(), &fonts[2]);

  current_font = FONT_COUNT;  // outside the table: font 0 stands in
  build(image);
  EXPECT_EQ(gfx_current_font(), &fonts[0]);
  EXPECT_FLOAT_EQ(3.0f / 30, fonts[0].advance['a']);
  current_font = -1;
  EXPECT_EQ(gfx_current_font(), &fonts[0]);
}

TEST_F(FontTest, RebuildingOverwritesEveryEntry) {
  FontImage wide(64);
  for (int code = 0; code < 256; ++code) {
    wide.fill_columns(code, 2, 3, OPAQUE);
  }
  build(wide, "wide.png");
  build(FontImage(128), "empty.png");
  for (int code = 1; code < 256; ++code) {
    if (code != ' ') {
      ASSERT_FLOAT_EQ(2.0f / 30, fonts[0].advance[code]) << code;
      expect_window(fonts[0], code, 8, 128, 2);
    }
  }
}

}  // namespace
