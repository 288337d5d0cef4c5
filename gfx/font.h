// Bitmap fonts: one image cut into 16 x 16 cells, a cell per character code.
// Advances are measured from the image's alpha, so the font file carries no
// metrics.
#pragma once

#include <cstdint>

constexpr int FONT_COUNT = 4;
constexpr int GLYPH_TEXELS = 30;        // font-image pixels spanned by one unit of text size
constexpr int GLYPH_LEAD_IN = 2;        // pixel columns counted into every advance
constexpr float GLYPH_INSET = 0.03125f; // texels kept clear of a glyph's window edges
constexpr float SPACE_WIDTH = 0.375f;   // of a cell

struct Font {
  int32_t view_width;     // the virtual screen in view units, 640 by 480
  int32_t view_height;
  int32_t texture_slot;   // texture slot of the font image
  int32_t pointer_image;  // this frame's pointer: slot POINTER_TEXTURE_SLOT + pointer_image
  float advance[256];     // per character, in units of the text size
  float texcoord[256][4][2];  // s, t per corner, clockwise from the top left
};

extern Font fonts[FONT_COUNT];
extern int32_t current_font;

// The font in use: fonts[current_font], or font 0 should the index ever leave
// the table.
Font *gfx_current_font();

// Loads the image into the slot and builds the current font from it.
void gfx_load_font(int slot, const char *path);
