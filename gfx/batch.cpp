// The state cache starts unknown, so the first quads always set what they need.
// A new GL context (a new video mode) forgets it again.
#include "gfx/batch.h"

#include <GL/gl.h>

BatchVertex batch_vertices[BATCH_VERTICES];
int32_t batch_vertex_count;
float batch_color[4] = {1, 1, 1, 1};
int32_t quad_batching = 1;

namespace {

constexpr int UNKNOWN = -1;
int texturing = UNKNOWN;
int64_t bound_texture = UNKNOWN;

bool arrays_set = false;

// The arrays always point into batch_vertices, so they are set once per
// context; nothing else in the engine uses client arrays.
void draw_arrays() {
  constexpr GLsizei STRIDE = sizeof(BatchVertex);
  if (!arrays_set) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, STRIDE, &batch_vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, STRIDE, &batch_vertices[0].s);
    glColorPointer(4, GL_FLOAT, STRIDE, &batch_vertices[0].r);
    arrays_set = true;
  }
  glDrawArrays(GL_QUADS, 0, batch_vertex_count);
}

void draw_immediate() {
  glBegin(GL_QUADS);
  for (int i = 0; i < batch_vertex_count; ++i) {
    const BatchVertex &v = batch_vertices[i];
    glColor4f(v.r, v.g, v.b, v.a);
    glTexCoord2f(v.s, v.t);
    glVertex2f(v.x, v.y);
  }
  glEnd();
}

}  // namespace

void gfx_flush_quads() {
  if (batch_vertex_count == 0) return;
  if (quad_batching) {
    draw_arrays();
  } else {
    draw_immediate();
  }
  batch_vertex_count = 0;
}

void gfx_set_texturing(bool on) {
  if (texturing == static_cast<int>(on)) return;
  gfx_flush_quads();
  if (on) {
    glEnable(GL_TEXTURE_2D);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  texturing = on;
}

void gfx_bind_texture(uint32_t gl_name) {
  if (bound_texture == gl_name) return;
  gfx_flush_quads();
  glBindTexture(GL_TEXTURE_2D, gl_name);
  bound_texture = gl_name;
}

void gfx_forget_gl_state() {
  arrays_set = false;
  texturing = UNKNOWN;
  bound_texture = UNKNOWN;
}
