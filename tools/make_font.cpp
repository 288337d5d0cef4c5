// Makes the game's font image from a TrueType font: 16 x 16 cells of 32
// pixels, character code n in column n mod 16 and row n div 16 from the top,
// white glyphs with their coverage in alpha. Also writes the advance of every
// printable character, so that a test can hold the image to it.
//
// The engine takes no metrics from the font file: it measures a character's
// advance a as 2 plus the run of columns, from column 2 of the cell on, that
// hold any pixel with alpha above 0, and draws columns 1 to a of the cell, from
// just above the cell down to row 28. Column 1 is thus the pen position: glyphs
// keep the font's own spacing when drawn there with their bearing, their ink
// within columns 1 to a - 1 and rows 1 to 28. Every column from 2 to a - 1 gets
// an alpha-1 mark in row 30, which no glyph window samples, so that gaps in the
// ink (", %, i, =) do not cut the measured run short.
//
// Usage: make_font [font.ttf [font01.png [advances.txt]]]

#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int CELL = 32;
constexpr int GRID = 16;
constexpr int SIDE = CELL * GRID;
constexpr int CHANNELS = 4;

// The engine counts this many columns before a glyph's run into its advance,
// and measures no advance beyond CELL - 1.
constexpr int LEAD_IN = 2;
constexpr int MAX_ADVANCE = CELL - 1;
constexpr int PEN_COLUMN = 1;

// Rows the glyph window shows in full. Its top texel row lies just above the
// cell and its next one, row 0, blends with it at the window's edge, so row 0
// stays empty too.
constexpr int TOP_INK_ROW = 1;
constexpr int BOTTOM_INK_ROW = 28;
constexpr int INK_ROWS = BOTTOM_INK_ROW - TOP_INK_ROW + 1;

// Row 29 bleeds into the bottom edge of the window through linear filtering
// and row 31 into the top edge of the window of the cell below; row 30 is
// never sampled.
constexpr int MARK_ROW = 30;
constexpr uint8_t MARK_ALPHA = 1;

constexpr int FIRST_PRINTABLE = 32;
constexpr int LAST_PRINTABLE = 126;
constexpr int SPACE = 32;

// The engine gives the space 0.375 of a cell whatever its cell holds.
constexpr int SPACE_ADVANCE = CELL * 3 / 8;

constexpr int LARGEST_PIXEL_SIZE = 40;
constexpr int SMALLEST_PIXEL_SIZE = 8;

constexpr const char *DEFAULT_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr const char *DEFAULT_IMAGE = "data/texture/font01.png";
constexpr const char *DEFAULT_ADVANCES = "tools/font01_advances.txt";

struct Glyph {
  int ink_column = 0;  // cell column of the bitmap's left edge
  int top = 0;         // rows of the bitmap above the baseline
  int width = 0;
  int rows = 0;
  int advance = 0;     // in pixels, lead-in included, as the engine measures it
  std::vector<uint8_t> coverage;  // width x rows, top row first
};

using GlyphSet = std::vector<Glyph>;  // indexed by code - FIRST_PRINTABLE

struct Image {
  std::vector<uint8_t> rgba = std::vector<uint8_t>(SIDE * SIDE * CHANNELS, 0);
};

bool render_glyph(FT_Face face, int code, Glyph &glyph) {
  if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) return false;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap &bitmap = slot->bitmap;
  if (bitmap.width > 0 && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return false;

  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.top = slot->bitmap_top;
  // Ink left of the pen is moved right to it. The advance is widened to keep
  // column a clear of ink, which ends the engine's run, and to hold at least
  // one column of run.
  glyph.ink_column = PEN_COLUMN + std::max(0, slot->bitmap_left);
  const int font_advance = static_cast<int>((slot->advance.x + 32) >> 6);
  glyph.advance = std::max({font_advance, glyph.ink_column + glyph.width, LEAD_IN + 1});

  glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.rows);
  for (int row = 0; row < glyph.rows; ++row)
    std::copy_n(bitmap.buffer + row * bitmap.pitch, glyph.width,
                glyph.coverage.begin() + static_cast<size_t>(row) * glyph.width);
  return true;
}

bool render_printable(FT_Face face, int pixel_size, GlyphSet &glyphs) {
  if (FT_Set_Pixel_Sizes(face, 0, pixel_size) != 0) return false;
  glyphs.assign(LAST_PRINTABLE - FIRST_PRINTABLE + 1, Glyph{});
  for (int code = FIRST_PRINTABLE; code <= LAST_PRINTABLE; ++code)
    if (!render_glyph(face, code, glyphs[code - FIRST_PRINTABLE])) return false;
  return true;
}

int highest_top(const GlyphSet &glyphs) {
  int top = 0;
  for (const Glyph &glyph : glyphs)
    if (glyph.rows > 0) top = std::max(top, glyph.top);
  return top;
}

int lowest_bottom(const GlyphSet &glyphs) {
  int bottom = 0;
  for (const Glyph &glyph : glyphs)
    if (glyph.rows > 0) bottom = std::min(bottom, glyph.top - glyph.rows);
  return bottom;
}

bool fits_cells(const GlyphSet &glyphs) {
  if (highest_top(glyphs) - lowest_bottom(glyphs) > INK_ROWS) return false;
  return std::all_of(glyphs.begin(), glyphs.end(),
                     [](const Glyph &glyph) { return glyph.advance <= MAX_ADVANCE; });
}

// The largest pixel size at which every printable glyph fits its cell.
int render_largest_fitting(FT_Face face, GlyphSet &glyphs) {
  for (int size = LARGEST_PIXEL_SIZE; size >= SMALLEST_PIXEL_SIZE; --size)
    if (render_printable(face, size, glyphs) && fits_cells(glyphs)) return size;
  return 0;
}

void set_alpha(Image &image, int x, int y, uint8_t alpha) {
  image.rgba[(static_cast<size_t>(y) * SIDE + x) * CHANNELS + 3] = alpha;
}

// White everywhere, so that linear filtering blends glyph edges with white
// rather than with black.
void fill_white_transparent(Image &image) {
  for (size_t i = 0; i < image.rgba.size(); i += CHANNELS)
    std::fill_n(image.rgba.begin() + i, 3, 255);
}

void draw_glyph(Image &image, int code, const Glyph &glyph, int baseline_row) {
  const int cell_x = (code % GRID) * CELL;
  const int cell_y = (code / GRID) * CELL;
  const int ink_x = cell_x + glyph.ink_column;
  const int ink_y = cell_y + baseline_row - glyph.top;
  for (int row = 0; row < glyph.rows; ++row)
    for (int column = 0; column < glyph.width; ++column)
      set_alpha(image, ink_x + column, ink_y + row,
                glyph.coverage[static_cast<size_t>(row) * glyph.width + column]);
}

void mark_run(Image &image, int code, int advance) {
  const int cell_x = (code % GRID) * CELL;
  const int mark_y = (code / GRID) * CELL + MARK_ROW;
  for (int column = LEAD_IN; column < advance; ++column)
    set_alpha(image, cell_x + column, mark_y, MARK_ALPHA);
}

// The space's cell stays empty: the engine gives it a fixed width.
Image draw_font(const GlyphSet &glyphs) {
  Image image;
  fill_white_transparent(image);
  const int baseline_row = TOP_INK_ROW + highest_top(glyphs);
  for (int code = FIRST_PRINTABLE; code <= LAST_PRINTABLE; ++code) {
    if (code == SPACE) continue;
    const Glyph &glyph = glyphs[code - FIRST_PRINTABLE];
    draw_glyph(image, code, glyph, baseline_row);
    mark_run(image, code, glyph.advance);
  }
  return image;
}

int advance_of(int code, const GlyphSet &glyphs) {
  if (code == SPACE) return SPACE_ADVANCE;
  return glyphs[code - FIRST_PRINTABLE].advance;
}

// Written as grey and alpha, every row unfiltered: every pixel is white, so
// nothing is lost, and at start-up the game's decoder inflates half the bytes
// of a colour image and has no filter to undo. It expands the pixels to the
// same red, green, blue and alpha bytes.
bool write_rows(png_structp png, png_infop info, FILE *file, const std::vector<uint8_t> &grey_alpha) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;  // libpng's way of reporting a failure
  png_init_io(png, file);
  png_set_IHDR(png, info, SIDE, SIDE, 8, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < SIDE; ++y) png_write_row(png, &grey_alpha[size_t(y) * SIDE * 2]);
  png_write_end(png, nullptr);
  return true;
}

bool write_png(const Image &image, const char *path) {
  std::vector<uint8_t> grey_alpha;
  grey_alpha.reserve(image.rgba.size() / 2);
  for (size_t i = 0; i < image.rgba.size(); i += CHANNELS) {
    grey_alpha.push_back(image.rgba[i]);
    grey_alpha.push_back(image.rgba[i + 3]);
  }
  FILE *file = std::fopen(path, "wb");
  png_structp png = file ? png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr) : nullptr;
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool written = info && write_rows(png, info, file, grey_alpha);
  png_destroy_write_struct(&png, &info);
  if (file && std::fclose(file) == 0 && written) return true;
  std::fprintf(stderr, "make_font: cannot write %s\n", path);
  return false;
}

bool write_advances(const GlyphSet &glyphs, int pixel_size, const char *path) {
  std::ofstream out(path, std::ios::binary);
  out << "# Advance of each printable character of font01.png in pixels of its\n"
         "# 32-pixel cell, lead-in included; text of size s draws it s * a / 30 wide.\n"
         "# Made by make_font at a pixel size of " << pixel_size << ".\n"
         "# code a character\n";
  for (int code = FIRST_PRINTABLE; code <= LAST_PRINTABLE; ++code) {
    out << code << ' ' << advance_of(code, glyphs);
    if (code != SPACE) out << ' ' << static_cast<char>(code);
    out << '\n';
  }
  out.close();
  if (out) return true;
  std::fprintf(stderr, "make_font: cannot write %s\n", path);
  return false;
}

bool load_font(const char *path, FT_Library &library, FT_Face &face) {
  if (FT_Init_FreeType(&library) != 0) {
    std::fprintf(stderr, "make_font: cannot start FreeType\n");
    return false;
  }
  if (FT_New_Face(library, path, 0, &face) != 0) {
    std::fprintf(stderr, "make_font: cannot read font %s\n", path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc > 4) {
    std::fprintf(stderr, "usage: make_font [font.ttf [font01.png [advances.txt]]]\n");
    return 2;
  }
  const char *font_path = argc > 1 ? argv[1] : DEFAULT_FONT;
  const char *image_path = argc > 2 ? argv[2] : DEFAULT_IMAGE;
  const char *advances_path = argc > 3 ? argv[3] : DEFAULT_ADVANCES;

  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (!load_font(font_path, library, face)) return 1;

  GlyphSet glyphs;
  const int pixel_size = render_largest_fitting(face, glyphs);
  if (pixel_size == 0) {
    std::fprintf(stderr, "make_font: %s does not fit 32-pixel cells at any size\n", font_path);
    return 1;
  }
  const bool written = write_png(draw_font(glyphs), image_path) &&
                       write_advances(glyphs, pixel_size, advances_path);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return written ? 0 : 1;
}
