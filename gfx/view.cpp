// Viewport, 3D projection, camera and 2D overlay. Rectangles arrive in y-down
// view units and are scaled to window pixels in 64-bit integer maths,
// multiplying before dividing so no precision is lost to an early truncation.
#include "gfx/view.h"

#include <GL/gl.h>

#include <cstdint>

#include "gfx/batch.h"
#include "gfx/font.h"
#include "video/video_mode.h"

namespace {

constexpr float OVERLAY_HALF_DEPTH = 16;

// A view side of zero or less cannot be divided by: its units are then taken
// as the window's pixels.
int view_side(int view, int window) { return view > 0 ? view : window; }

// View units to pixels along one axis, multiplying first and truncating.
int to_pixels(int64_t value, int window_side, int view) {
  if (view <= 0) {
    return static_cast<int>(value);
  }
  return static_cast<int>(value * window_side / view);
}

// GL counts viewport rows from the bottom.
void set_viewport(int x, int y, int w, int h) {
  gfx_flush_quads();
  const Font &font = *gfx_current_font();
  const int64_t bottom = view_side(font.view_height, video.height) - (int64_t(y) + h);
  glViewport(to_pixels(x, video.width, font.view_width),
             to_pixels(bottom, video.height, font.view_height),
             to_pixels(w, video.width, font.view_width),
             to_pixels(h, video.height, font.view_height));
}

void reset_texture_and_modelview() {
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// The 3 by 3 orientation in the upper left of a column-major 4 by 4 matrix,
// at (r, c) or, transposed, at (c, r).
void expand_orientation(GLfloat (&out)[16], const Mat3 &m, bool transpose) {
  const Vec3 *rows = m.row;
  for (int i = 0; i < 16; ++i) {
    out[i] = i == 15 ? 1.0f : 0.0f;
  }
  for (int r = 0; r < 3; ++r) {
    const float values[3] = {rows[r].x, rows[r].y, rows[r].z};
    for (int c = 0; c < 3; ++c) {
      out[transpose ? r * 4 + c : c * 4 + r] = values[c];
    }
  }
}

void multiply_orientation(const Mat3 &m, bool transpose) {
  GLfloat matrix[16];
  expand_orientation(matrix, m, transpose);
  glMultMatrixf(matrix);
}

}  // namespace

// A rectangle of no width has no shape to follow: it gets a square frustum.
void gfx_set_perspective(int x, int y, int w, int h, float near_plane, float far_plane) {
  const float aspect = w != 0 ? static_cast<float>(h) / static_cast<float>(w) : 1.0f;
  set_viewport(x, y, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-near_plane, near_plane, -aspect * near_plane, aspect * near_plane, near_plane,
            far_plane);
  reset_texture_and_modelview();
}

void gfx_set_ortho(int x, int y, int w, int h, float half_w, float half_h, float half_depth) {
  set_viewport(x, y, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-half_w, half_w, -half_h, half_h, -half_depth, half_depth);
  reset_texture_and_modelview();
}

// The rows of the orientation are the camera's own axes in world coordinates.
void gfx_apply_camera(const Vec3 *position, const Mat3 *orientation) {
  gfx_flush_quads();
  glMatrixMode(GL_MODELVIEW);
  if (orientation) {
    multiply_orientation(*orientation, false);
  }
  if (position) {
    glTranslatef(-position->x, -position->y, -position->z);
  }
}

void gfx_apply_object(const Vec3 *position, const Mat3 *orientation) {
  gfx_flush_quads();
  glMatrixMode(GL_MODELVIEW);
  if (position) {
    glTranslatef(position->x, position->y, position->z);
  }
  if (orientation) {
    multiply_orientation(*orientation, true);
  }
}

// Leaves blending on and depth off for the rest of the frame, and the texture
// matrix current.
void gfx_begin_overlay() {
  const Font &font = *gfx_current_font();
  gfx_set_texturing(true);
  gfx_flush_quads();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glViewport(0, 0, video.width, video.height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, view_side(font.view_width, video.width), view_side(font.view_height, video.height), 0,
          -OVERLAY_HALF_DEPTH, OVERLAY_HALF_DEPTH);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
}

void gfx_set_view_size(int w, int h) {
  Font &font = *gfx_current_font();
  font.view_width = w;
  font.view_height = h;
}
