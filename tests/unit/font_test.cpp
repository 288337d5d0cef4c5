// Font building on small hand-made font images: advances measured from alpha,
// glyph windows, the white cell 0, the space, and images that cannot be a font.
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
constexpr uint32_t OPAQUE = 0x000000FF;  // black, alpha 255 (0xRRGGBBAA)

// A square font image, 0xRRGGBBAA words top row first, cells side / 16 wide.
struct FontImage {
  int side;
  std::vector<uint32_t> words;

  explicit FontImage(int side_, uint32_t fill = 0) : side(side_), words(size_t(side) * side, fill) {}
  // Pixel (column, row) of a cell, the row counted from the cell's top.
  void set(int code, int column, int row, uint32_t word = OPAQUE) {
    const int c = side / 16;
    words[size_t((code / 16) * c + row) * side + size_t((code % 16) * c + column)] = word;
  }
  void fill_columns(int code, int first, int last, uint32_t word = OPAQUE) {
    for (int column = first; column <= last; ++column) {
      for (int row = 0; row < side / 16; ++row) {
        set(code, column, row, word);
      }
    }
  }
};

void build(int side, int height, const std::vector<uint32_t> &words, int slot = SLOT) {
  const std::string path = test_file_path("font.png");
  ASSERT_TRUE(png_write_rgba(path, side, height, words));
  gfx_load_font(slot, path.c_str());
}

void build(const FontImage &image, int slot = SLOT) {
  build(image.side, image.side, image.words, slot);
}

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset_gl();
    recorder_clear();
    recorder_enabled = true;
    host_big_endian = 0;
    for (uint32_t *level : textures[SLOT].pixels) {
      std::free(level);
    }
    textures[SLOT] = TextureSlot{};
    textures[SLOT].gl_name = 77;
    for (Font &font : fonts) {
      font = Font{};
    }
    current_font = 0;
  }
  void TearDown() override { host_big_endian = current_font = 0; }
};

TEST_F(FontTest, GlyphsAreMeasuredFromAlphaUpToTheFirstClearColumn) {
  const struct {
    int side, code, first, last;  // columns first..last opaque
    float a;                      // the width in pixels
  } cells[] = {
      {512, 'A', 2, 9, 10},   // and columns 11 to 20, past the gap
      {512, 'B', 1, 0, 5},    // single pixels, set below
      {512, 'e', 3, 20, 2},   // column 2 clear: an empty cell
      {512, 'f', 0, 31, 31},  // full: the scan never looks at the last column
      {512, ' ', 0, 31, 12},  // the space is 0.375 of a cell whatever it holds
      {512, 255, 0, 31, 31},  // the last cell, bottom right
      {512, 'x', 1, 0, 2},    // untouched
      {128, 'a', 2, 5, 6},    {128, 'b', 2, 7, 7},  {128, ' ', 1, 0, 3},
      {64, 'a', 2, 3, 3},     {64, 'b', 3, 3, 2},   {64, ' ', 1, 0, 1.5f},
  };
  for (int side : {512, 128, 64}) {
    SCOPED_TRACE(side);
    FontImage image(side);
    for (const auto &cell : cells) {
      if (cell.side == side) {
        image.fill_columns(cell.code, cell.first, cell.last);
      }
    }
    if (side == 512) {
      image.fill_columns('A', 11, 20);
      image.set('B', 2, 0);              // the cell's top row counts,
      image.set('B', 3, 31);             // its bottom row too,
      image.set('B', 4, 1, 0x00000001);  // and alpha 1;
      image.set('B', 5, 1, 0xFFFFFF00);  // colour without alpha does not
      image.set('B', 6, 1);
    }
    build(image);
    for (const auto &cell : cells) {
      if (cell.side == side) {
        EXPECT_FLOAT_EQ(cell.a / 30, fonts[0].advance[cell.code]) << cell.code;
      }
    }
    // Cell 0 is white (c - 1 wide) and its four corners sample its centre.
    const float c = float(side / 16);
    EXPECT_FLOAT_EQ((c - 1) / 30, fonts[0].advance[0]);
    for (const auto &corner : fonts[0].texcoord[0]) {
      EXPECT_FLOAT_EQ(c / 2 / side, corner[0]);
      EXPECT_FLOAT_EQ((side - c / 2) / side, corner[1]);
    }
    if (side == 512) {  // 'A' 10 wide: s from one texel into its cell, less the insets
      EXPECT_FLOAT_EQ(33.03125f / 512, fonts[0].texcoord['A'][0][0]);
      EXPECT_FLOAT_EQ(42.96875f / 512, fonts[0].texcoord['A'][1][0]);
    }
  }
  // 'a', 3 wide in cells of 4 at column 1, row 6: s from 5 to 8, and t from one
  // texel above the cell's top (row 9 from the bottom) down 30 texels.
  const float a_window[4][2] = {{5.03125f, 40.96875f}, {7.96875f, 40.96875f},
                                {7.96875f, 11.03125f}, {5.03125f, 11.03125f}};
  for (int i = 0; i < 8; ++i) {
    EXPECT_FLOAT_EQ(a_window[i / 2][i % 2] / 64, fonts[0].texcoord['a'][i / 2][i % 2]) << i;
  }
  for (int code = 1; code < 256; ++code) {  // the last build overwrote every entry
    if (code != 'a' && code != ' ') {
      EXPECT_FLOAT_EQ(2.0f / 30, fonts[0].advance[code]) << code;
    }
  }
}

TEST_F(FontTest, CellZeroIsWhitenedAndUploadedAgain) {
  FontImage image(64, OPAQUE);
  image.fill_columns(0, 0, 3, 0);  // only cell 0 is clear, until it turns white
  build(image);
  const TextureSlot &t = textures[SLOT];
  const auto uploads = calls_named("glTexImage2D");
  ASSERT_EQ(2u, uploads.size());
  EXPECT_EQ(t.pixels[0], uploads[1]->data);
  EXPECT_EQ((std::vector<int>{GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE, GL_LINEAR, GL_LINEAR, 1}),
            (std::vector<int>{t.wrap_s, t.wrap_t, t.mag_filter, t.min_filter, t.level_count}));
  EXPECT_EQ(0, t.translucent) << "scanned again after cell 0 turned white";
  EXPECT_EQ(1, t.ever_translucent);
  for (int row = 59; row < 64; ++row) {  // the top rows, last in the buffer
    for (int column = 0; column < 5; ++column) {
      const bool white = row > 59 && column < 4;
      EXPECT_EQ(white ? 0xFFFFFFFFu : 0xFF000000u, t.pixels[0][row * 64 + column]);
    }
  }
}

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

TEST_F(FontTest, ImagesThatCannotBeAFontKeepTheGlyphs) {
  FontImage good(64);
  good.fill_columns('a', 2, 3);
  build(good);
  const Font kept = fonts[0];
  ASSERT_FLOAT_EQ(3.0f / 30, kept.advance['a']);
  auto expect_kept = [&] {
    EXPECT_EQ(0, std::memcmp(kept.advance, fonts[0].advance, sizeof kept.advance));
    EXPECT_EQ(0, std::memcmp(kept.texcoord, fonts[0].texcoord, sizeof kept.texcoord));
  };
  gfx_load_font(SLOT + 1, test_file_path("no_font.png").c_str());
  expect_kept();
  EXPECT_EQ(SLOT + 1, fonts[0].texture_slot) << "the slot is taken all the same";
  for (const auto &[width, height] : {std::pair{128, 64}, {64, 128}, {32, 32}, {1, 1}}) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    build(width, height, std::vector<uint32_t>(size_t(width) * height, OPAQUE));
    const TextureSlot &t = textures[SLOT];
    ASSERT_EQ(width, t.width) << "the image itself was loaded";
    expect_kept();
    EXPECT_NE(0xFFFFFFFFu, t.pixels[0][(t.height - 1) * t.width]) << "no white cell";
  }
  for (int slot : {-1, TEXTURE_SLOT_COUNT}) {
    build(good, slot);
    expect_kept();
    EXPECT_EQ(SLOT, fonts[0].texture_slot);
  }
}

TEST_F(FontTest, BuildsTheCurrentFontOnly) {
  FontImage image(64);
  image.fill_columns('a', 2, 3);
  current_font = 2;
  build(image);
  EXPECT_FLOAT_EQ(3.0f / 30, fonts[2].advance['a']);
  EXPECT_EQ(0.0f, fonts[0].advance['a']);
}

}  // namespace
