// Rectangles, gathered into the quad batch. Each sets the texturing it needs
// and leaves it so: consecutive plain quads then share one batch.
#include "gfx/quads.h"

#include <GL/gl.h>

#include "gfx/batch.h"
#include "gfx/font.h"
#include "gfx/texture.h"

namespace {

// Maps the whole image upright for y-down drawing: rows are stored bottom-up,
// so the picture's top is at t = 1.
constexpr float FULL_IMAGE_UV[8] = {0, 1, 1, 1, 1, 0, 0, 0};

bool valid_slot(int slot) { return slot >= 0 && slot < TEXTURE_SLOT_COUNT; }

// The pointer image of this frame; -1 when the chosen image lies past the table.
int pointer_slot() {
  const int image = gfx_current_font()->pointer_image;
  if (image < 0 || image >= TEXTURE_SLOT_COUNT - POINTER_TEXTURE_SLOT) {
    return NO_TEXTURE;
  }
  return POINTER_TEXTURE_SLOT + image;
}

// Binds the slot's texture, or switches texturing off for a plain quad; a slot
// outside the table draws plain. True when the quad is plain.
bool use_slot(int slot) {
  if (!valid_slot(slot)) {
    gfx_set_texturing(false);
    return true;
  }
  gfx_set_texturing(true);
  gfx_bind_texture(textures[slot].gl_name);
  return false;
}

// The rectangle from (x0, y0) to (x1, y1), corners in drawing order, each
// with its texture coordinates (s, t pairs in uv; zero for a plain quad).
void draw_slot_quad(int slot, float x0, float y0, float x1, float y1, float r, float g,
                    float b, float a, const float *uv) {
  const bool plain = use_slot(slot);
  static constexpr float NO_UV[8] = {};
  const float *st = plain ? NO_UV : uv;
  gfx_quad_color(r, g, b, a);
  BatchVertex *corner = gfx_reserve_quads(1);
  gfx_put_corner(&corner[0], x0, y0, st[0], st[1]);
  gfx_put_corner(&corner[1], x1, y0, st[2], st[3]);
  gfx_put_corner(&corner[2], x1, y1, st[4], st[5]);
  gfx_put_corner(&corner[3], x0, y1, st[6], st[7]);
  gfx_commit_quads();
}

}  // namespace
void gfx_align(float *x, float *y, float w, float h, int flags) {
  if (flags & ALIGN_CENTER_X) {
    *x -= w * 0.5f;
  } else if (flags & ALIGN_RIGHT) {
    *x -= w;
  }
  if (flags & ALIGN_CENTER_Y) {
    *y -= h * 0.5f;
  } else if (flags & ALIGN_BOTTOM) {
    *y -= h;
  }
}

void gfx_draw_quad(int slot, float x, float y, float w, float h, int flags, float r, float g,
                   float b, float a) {
  gfx_align(&x, &y, w, h, flags);
  draw_slot_quad(slot, x, y, x + w, y + h, r, g, b, a, FULL_IMAGE_UV);
}

// Without coordinates the whole image is mapped, as gfx_draw_quad does.
void gfx_draw_quad_uv(int slot, float x, float y, float w, float h, int flags, float r, float g,
                      float b, float a, const float *uv) {
  gfx_align(&x, &y, w, h, flags);
  draw_slot_quad(slot, x, y, x + w, y + h, r, g, b, a, uv ? uv : FULL_IMAGE_UV);
}

void gfx_draw_rect_outline(float x, float y, float w, float h, int flags, float r, float g,
                           float b, float a) {
  gfx_align(&x, &y, w, h, flags);
  const float corners[5][2] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}, {x, y}};
  gfx_set_texturing(false);
  gfx_flush_quads();  // the quads before lie under the lines
  glBegin(GL_LINES);
  glColor4f(r, g, b, a);
  for (int edge = 0; edge < 4; ++edge) {
    glVertex2f(corners[edge][0], corners[edge][1]);
    glVertex2f(corners[edge + 1][0], corners[edge + 1][1]);
  }
  glEnd();
}

void gfx_draw_pointer(float x, float y, float half_size, float r, float g, float b, float a) {
  draw_slot_quad(pointer_slot(), x - half_size, y - half_size, x + half_size, y + half_size, r,
                 g, b, a, FULL_IMAGE_UV);
}
