// Immediate-mode rectangles. Texturing is expected on; a primitive drawn
// without a texture switches it off for itself and on again afterwards.
#include "gfx/quads.h"

#include <GL/gl.h>

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
// outside the table draws plain. True when texturing was switched off.
bool bind_or_disable(int slot) {
  if (!valid_slot(slot)) {
    glDisable(GL_TEXTURE_2D);
    return true;
  }
  glBindTexture(GL_TEXTURE_2D, textures[slot].gl_name);
  return false;
}

// The rectangle from (x0, y0) to (x1, y1), corners in drawing order, each
// texture coordinate (s, t pairs in uv) before its vertex. A plain quad has no
// texture to map, so its vertices carry none: the world's thousands of tiles
// draw faster without them.
void emit_quad(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
               const float *uv) {
  const float xs[4] = {x0, x1, x1, x0};
  const float ys[4] = {y0, y0, y1, y1};
  glBegin(GL_QUADS);
  glColor4f(r, g, b, a);
  for (int corner = 0; corner < 4; ++corner) {
    if (uv) {
      glTexCoord2f(uv[2 * corner], uv[2 * corner + 1]);
    }
    glVertex2f(xs[corner], ys[corner]);
  }
  glEnd();
}

void draw_slot_quad(int slot, float x0, float y0, float x1, float y1, float r, float g,
                    float b, float a, const float *uv) {
  const bool plain = bind_or_disable(slot);
  emit_quad(x0, y0, x1, y1, r, g, b, a, plain ? nullptr : uv);
  if (plain) {
    glEnable(GL_TEXTURE_2D);
  }
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
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_LINES);
  glColor4f(r, g, b, a);
  for (int edge = 0; edge < 4; ++edge) {
    glVertex2f(corners[edge][0], corners[edge][1]);
    glVertex2f(corners[edge + 1][0], corners[edge + 1][1]);
  }
  glEnd();
  glEnable(GL_TEXTURE_2D);
}

void gfx_draw_pointer(float x, float y, float half_size, float r, float g, float b, float a) {
  draw_slot_quad(pointer_slot(), x - half_size, y - half_size, x + half_size, y + half_size, r,
                 g, b, a, FULL_IMAGE_UV);
}
