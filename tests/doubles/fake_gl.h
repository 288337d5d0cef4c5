// The OpenGL test double keeps the state the engine sets (capabilities, the
// bound texture, colour, matrices, viewport, blending, texture objects) and
// the picture it draws: every quad and line since the last colour clear,
// each with its corners where they land in the window and the state it was
// drawn in. Tests assert what was drawn, not how.
#pragma once

#include <GL/gl.h>

namespace fake {

constexpr int GL_QUAD_CAPACITY = 70000;  // a whole level of tiles and more
constexpr int GL_LINE_CAPACITY = 4096;
constexpr int GL_NAME_CAPACITY = 4096;

// A corner in window pixels, counted from the top left as a capture shows it,
// with its texture coordinates and the colour it was given.
struct GlCorner {
  float x, y, s, t;
  float color[4];
};

// A corner order holds: 0 top left, 1 top right, 2 bottom right, 3 bottom
// left for an upright quad in the overlay.
struct GlQuad {
  GlCorner corner[4];
  float color[4];  // at the last corner
  GLuint texture;  // the bound texture when texturing was on, 0 when it was off
  bool blend;
  GLenum blend_src, blend_dst;
  float left() const, right() const, top() const, bottom() const;
};

struct GlLine {
  GlCorner end[2];
  float color[4];
  bool textured;
  int quads_before;  // quad_count when it was drawn: where it lies in the drawing order
};

struct GlTextureLevel {
  int width, height, internal_format, format;
  const void *pixels;
};

struct GlTextureObject {
  GLint wrap_s, wrap_t, mag_filter, min_filter;
  int uploads;
  GlTextureLevel level[16];
};

struct GlState {
  bool capability[0x10000];  // by enum: switched on
  GLboolean depth_mask = GL_TRUE;
  GLenum blend_src = GL_ONE, blend_dst = GL_ZERO;
  GLuint bound_texture;
  float color[4] = {1, 1, 1, 1};
  float texcoord[2];
  GLenum matrix_mode = GL_MODELVIEW;
  double matrix[3][16];  // modelview, projection, texture: column-major, as GL keeps them
  int viewport[4];
  int names_generated;
  long quads_total;  // quads drawn since the reset, pictures before this one included
  long draw_calls;   // glBegin and glDrawArrays calls since the reset
  GLenum read_buffer;  // read-back gives red x, green y, blue x ^ y, each mod 256
};

extern GlState gl;
extern GlQuad quads[GL_QUAD_CAPACITY];  // the picture, in drawing order
extern int quad_count;
extern GlLine lines[GL_LINE_CAPACITY];
extern int line_count;
extern GlTextureObject gl_textures[GL_NAME_CAPACITY];  // by name
extern bool gl_recording;  // off: state is kept but nothing is drawn (benchmarks)
extern int window_height;  // for counting rows from the top; the video mode sets it

inline bool enabled(GLenum capability) { return gl.capability[capability & 0xFFFF]; }
void reset_gl();

}  // namespace fake
