// Building a font from its image: cell 0 becomes a solid white block for
// filled rectangles, every other character is measured from its alpha, and
// each gets the texture window of its glyph.
#include "gfx/font.h"

#include <GL/gl.h>

#include <iterator>

#include "gfx/texture.h"

Font fonts[FONT_COUNT];
int32_t current_font;

namespace {

constexpr int GRID_CELLS = 16;       // cells per row and per column of the font image
constexpr int CHARACTER_COUNT = GRID_CELLS * GRID_CELLS;
constexpr int MIN_FONT_WIDTH = 64;   // 16 cells of 4 pixels, the least a scan can measure
constexpr int SPACE_CODE = 32;
constexpr int SOLID_CODE = 0;        // the white cell
constexpr uint32_t OPAQUE_WHITE = 0xFFFFFFFFu;

static_assert(CHARACTER_COUNT == std::size(Font{}.advance), "one cell per character code");
static_assert(CHARACTER_COUNT == std::size(Font{}.texcoord), "one window per character code");

struct CellGeometry {
  int size;           // c, pixels per cell side
  int width, height;  // of the image
};

// A font image is a square grid of square cells at least four pixels wide;
// anything else would place cells outside the image or leave nothing to scan.
bool usable_font_image(const TextureSlot &t) {
  return t.pixels[0] && t.width == t.height && t.width >= MIN_FONT_WIDTH;
}

// Cell 0 is top left in the picture, so it lives in the buffer's last c rows.
void whiten_cell_zero(TextureSlot &t, int c) {
  for (int row = t.height - c; row < t.height; ++row) {
    for (int column = 0; column < c; ++column) {
      t.pixels[0][row * t.width + column] = OPAQUE_WHITE;
    }
  }
}

bool column_has_glyph(const TextureSlot &t, int x, int y0, int c, uint32_t mask) {
  for (int row = y0; row < y0 + c; ++row) {
    if (t.pixels[0][row * t.width + x] & mask) {
      return true;
    }
  }
  return false;
}

// Width in pixels: the lead-in plus the run of columns holding any alpha,
// never reaching the cell's last column. The space has a fixed width.
float measure_glyph(const TextureSlot &t, int code, int c) {
  if (code == SPACE_CODE) {
    return c * SPACE_WIDTH;
  }
  const int x0 = (code % GRID_CELLS) * c;
  const int y0 = (GRID_CELLS - 1 - code / GRID_CELLS) * c;
  const uint32_t mask = gfx_alpha_mask();
  int a = GLYPH_LEAD_IN;
  while (c - 1 > a && column_has_glyph(t, x0 + a, y0, c, mask)) {
    ++a;
  }
  return static_cast<float>(a);
}

void set_corner(float (&corner)[2], float s, float t, const CellGeometry &g) {
  corner[0] = s / g.width;
  corner[1] = t / g.height;
}

// The glyph window: one texel in from the cell's left edge, from one texel
// above its top edge down GLYPH_TEXELS texels, `r` cells wide.
void set_glyph_window(float (&corners)[4][2], int code, float r, const CellGeometry &g) {
  const float c = static_cast<float>(g.size);
  const float s0 = (code % GRID_CELLS) * c + 1;
  const float t0 = (GRID_CELLS - 1 - code / GRID_CELLS) * c + 1;
  const float left = s0 + GLYPH_INSET;
  const float right = s0 + c * r - GLYPH_INSET;
  const float top = t0 + c - GLYPH_INSET;
  const float bottom = t0 + (c - GLYPH_TEXELS) + GLYPH_INSET;
  set_corner(corners[0], left, top, g);
  set_corner(corners[1], right, top, g);
  set_corner(corners[2], right, bottom, g);
  set_corner(corners[3], left, bottom, g);
}

// Character 0 is for solid fills: its window shrinks to one point in the
// middle of the whitened cell, so every fragment samples pure white.
void set_solid_window(float (&corners)[4][2], const CellGeometry &g) {
  const float half = g.size * 0.5f;
  for (float(&corner)[2] : corners) {
    set_corner(corner, half, g.height - half, g);
  }
}

void measure_font(Font &font, const TextureSlot &t, int c) {
  const CellGeometry geometry = {c, t.width, t.height};
  for (int code = 0; code < CHARACTER_COUNT; ++code) {
    const float r = measure_glyph(t, code, c) / c;
    if (code == SOLID_CODE) {
      set_solid_window(font.texcoord[code], geometry);
    } else {
      set_glyph_window(font.texcoord[code], code, r, geometry);
    }
    font.advance[code] = static_cast<float>(c) / GLYPH_TEXELS * r;
  }
}

}  // namespace

Font *gfx_current_font() {
  return current_font >= 0 && current_font < FONT_COUNT ? &fonts[current_font] : &fonts[0];
}

// An image that cannot be loaded, or is not a square grid of cells at least
// four pixels wide, leaves the font's glyphs as they were.
void gfx_load_font(int slot, const char *path) {
  if (slot < 0 || slot >= TEXTURE_SLOT_COUNT) {
    return;
  }
  Font &font = *gfx_current_font();
  font.texture_slot = slot;
  gfx_load_texture(slot, path, 0, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE, GL_LINEAR, GL_LINEAR);
  TextureSlot &t = textures[slot];
  if (t.width == 0 || !usable_font_image(t)) {
    return;
  }
  const int c = t.width >> 4;
  whiten_cell_zero(t, c);
  gfx_upload_texture(slot);
  measure_font(font, t, c);
}
