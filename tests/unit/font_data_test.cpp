// The committed font image against the advances the font tool wrote for it:
// each printable cell is measured the way the font builder measures it, and
// its ink must lie where the builder's glyph window shows it whole.
#include <SDL.h>
#include <SDL_image.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gfx/font.h"
#include "gfx/texture.h"

namespace {

constexpr const char *FONT_IMAGE = SOURCE_DIR "/data/texture/font01.png";
constexpr const char *ADVANCES = SOURCE_DIR "/tools/font01_advances.txt";

constexpr int IMAGE_SIDE = 512;
constexpr int CELL = IMAGE_SIDE / 16;
constexpr int LEAD_IN = 2;
constexpr int SPACE = 32;
constexpr int FIRST_PRINTABLE = 32;
constexpr int LAST_PRINTABLE = 126;

// The glyph window shows columns 1 to a of a cell and rows 0 to 28 with the
// row above the cell, which it blends with row 0 at its top edge; column a
// must stay clear to end the measured run.
constexpr int FIRST_INK_ROW = 1;
constexpr int LAST_INK_ROW = 28;
constexpr int FIRST_INK_COLUMN = 1;

// Faint enough not to show: the marks that carry a run across gaps in the ink.
constexpr int MARK_ALPHA = 1;

struct Advance {
  int code;
  int pixels;
};

std::vector<Advance> read_advances() {
  std::vector<Advance> advances;
  std::ifstream in(ADVANCES);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Advance advance{};
    if (fields >> advance.code >> advance.pixels) advances.push_back(advance);
  }
  return advances;
}

class FontImage : public ::testing::Test {
 protected:
  void SetUp() override {
    image = IMG_Load(FONT_IMAGE);
    ASSERT_NE(image, nullptr) << IMG_GetError();
    ASSERT_EQ(image->format->BytesPerPixel, 4);
    SDL_LockSurface(image);
  }

  void TearDown() override {
    if (image == nullptr) return;
    SDL_UnlockSurface(image);
    SDL_FreeSurface(image);
  }

  // Bytes 0 to 3 of a pixel are red, green, blue and alpha, as the loader
  // reads them. x and y count from the cell's left and top edges.
  const Uint8 *pixel(int code, int x, int y) const {
    const int image_x = (code % 16) * CELL + x;
    const int image_y = (code / 16) * CELL + y;
    return static_cast<const Uint8 *>(image->pixels) + image_y * image->pitch + image_x * 4;
  }

  int alpha(int code, int x, int y) const { return pixel(code, x, y)[3]; }

  bool column_has_ink(int code, int x) const {
    for (int y = 0; y < CELL; ++y)
      if (alpha(code, x, y) > 0) return true;
    return false;
  }

  // The font builder's rule: the lead-in plus the run of columns from column
  // 2 on that hold any pixel with alpha above 0, at most CELL - 1; the space
  // gets 0.375 of a cell.
  int measured_advance(int code) const {
    if (code == SPACE) return CELL * 3 / 8;
    int advance = LEAD_IN;
    while (CELL - 1 > advance && column_has_ink(code, advance)) ++advance;
    return advance;
  }

  SDL_Surface *image = nullptr;
};

TEST(FontAdvances, ListEveryPrintableCodeOnceInOrder) {
  const std::vector<Advance> advances = read_advances();
  ASSERT_EQ(advances.size(), static_cast<size_t>(LAST_PRINTABLE - FIRST_PRINTABLE + 1));
  for (size_t i = 0; i < advances.size(); ++i)
    EXPECT_EQ(advances[i].code, FIRST_PRINTABLE + static_cast<int>(i));
}

TEST_F(FontImage, Is512PixelsSquare) {
  EXPECT_EQ(image->w, IMAGE_SIDE);
  EXPECT_EQ(image->h, IMAGE_SIDE);
}

TEST_F(FontImage, MeasuresTheListedAdvanceForEveryPrintableCharacter) {
  for (const Advance &advance : read_advances())
    EXPECT_EQ(measured_advance(advance.code), advance.pixels)
        << "character " << advance.code << " '" << static_cast<char>(advance.code) << "'";
}

TEST_F(FontImage, KeepsEveryGlyphInsideTheWindowItsAdvanceShows) {
  for (const Advance &advance : read_advances()) {
    for (int y = 0; y < CELL; ++y) {
      for (int x = 0; x < CELL; ++x) {
        if (alpha(advance.code, x, y) <= MARK_ALPHA) continue;
        EXPECT_TRUE(y >= FIRST_INK_ROW && y <= LAST_INK_ROW && x >= FIRST_INK_COLUMN &&
                    x < advance.pixels)
            << "character " << advance.code << " has ink at column " << x << ", row " << y;
      }
    }
  }
}

TEST_F(FontImage, LeavesTheCellEdgesClear) {
  for (int code = FIRST_PRINTABLE; code <= LAST_PRINTABLE; ++code) {
    for (int i = 0; i < CELL; ++i) {
      EXPECT_EQ(alpha(code, 0, i), 0) << "character " << code << ", row " << i;
      EXPECT_EQ(alpha(code, CELL - 1, i), 0) << "character " << code << ", row " << i;
      EXPECT_EQ(alpha(code, i, 0), 0) << "character " << code << ", column " << i;
    }
  }
}

TEST_F(FontImage, DrawsEveryPrintableCharacterButTheSpace) {
  for (int code = FIRST_PRINTABLE + 1; code <= LAST_PRINTABLE; ++code) {
    bool inked = false;
    for (int y = 0; y < CELL && !inked; ++y)
      for (int x = 0; x < CELL && !inked; ++x) inked = alpha(code, x, y) > MARK_ALPHA;
    EXPECT_TRUE(inked) << "character " << code << " '" << static_cast<char>(code) << "'";
  }
}

TEST_F(FontImage, LeavesTheSpaceEmpty) {
  for (int y = 0; y < CELL; ++y)
    for (int x = 0; x < CELL; ++x) ASSERT_EQ(alpha(SPACE, x, y), 0) << x << ", " << y;
}

// Text takes its colour from the drawing call, which multiplies the texels.
TEST_F(FontImage, GlyphsAreWhite) {
  for (int code = FIRST_PRINTABLE; code <= LAST_PRINTABLE; ++code) {
    for (int y = 0; y < CELL; ++y) {
      for (int x = 0; x < CELL; ++x) {
        const Uint8 *rgba = pixel(code, x, y);
        if (rgba[3] == 0) continue;
        ASSERT_EQ(rgba[0] & rgba[1] & rgba[2], 255) << "character " << code << " at " << x
                                                    << ", " << y;
      }
    }
  }
}

}  // namespace

namespace {

// The engine's own font builder, on the committed image, gives every
// printable character the advance the tool meant.
TEST(ShippedFont, BuilderMeasuresTheAdvancesTheToolMeant) {
  current_font = 0;
  gfx_load_font(FONT_TEXTURE_SLOT, FONT_IMAGE);
  ASSERT_EQ(textures[FONT_TEXTURE_SLOT].width, IMAGE_SIDE);
  const std::vector<Advance> advances = read_advances();
  ASSERT_EQ(advances.size(), size_t(LAST_PRINTABLE - FIRST_PRINTABLE + 1));
  for (const Advance &advance : advances) {
    const float meant = advance.code == SPACE ? CELL * 0.375f / 30 : advance.pixels / 30.0f;
    EXPECT_FLOAT_EQ(fonts[0].advance[advance.code], meant) << "character " << advance.code;
  }
}

}  // namespace
