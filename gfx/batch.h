// Quads go to GL in batches: their corners are gathered in one vertex array
// while the state they are drawn in (texturing, the bound texture, blending,
// the matrices) stays the same, and drawn by one glDrawArrays. Whatever
// changes that state, draws anything else, reads pixels back or swaps the
// buffers calls gfx_flush_quads first.
#pragma once

#include <cstdint>
#include <cstring>

constexpr int BATCH_QUADS = 4096;
constexpr int BATCH_VERTICES = 4 * BATCH_QUADS;

// Position, texture coordinates and colour: laid out for the GL arrays.
struct BatchVertex {
  float x, y, s, t;
  float r, g, b, a;
};
static_assert(sizeof(BatchVertex) == 8 * sizeof(float), "vertices pack as the arrays read them");

extern BatchVertex batch_vertices[BATCH_VERTICES];
extern int32_t batch_vertex_count;
extern float batch_color[4];  // the colour of the corners added next
// 1 (the default): quads are batched. 0: each quad goes out alone in
// immediate mode as soon as its fourth corner is in, to compare against.
extern int32_t quad_batching;

void gfx_flush_quads();

// The state the next quads are drawn in; each draws the batch first if it
// changes anything.
void gfx_set_texturing(bool on);
void gfx_bind_texture(uint32_t gl_name);
// GL's own state is no longer what was last set (a new context): set it anew.
void gfx_forget_gl_state();

inline void gfx_quad_color(float r, float g, float b, float a) {
  batch_color[0] = r, batch_color[1] = g, batch_color[2] = b, batch_color[3] = a;
}

// Room for `count` quads (4 corners each, at most BATCH_QUADS) at the end of
// the batch, drawing the batch first when it lacks the room. The caller fills
// every corner, then commits.
inline BatchVertex *gfx_reserve_quads(int count) {
  if (batch_vertex_count + 4 * count > BATCH_VERTICES) gfx_flush_quads();
  BatchVertex *corners = batch_vertices + batch_vertex_count;
  batch_vertex_count += 4 * count;
  return corners;
}

// Without batching, the quads just reserved go out at once.
inline void gfx_commit_quads() {
  if (!quad_batching) gfx_flush_quads();
}

// One corner, in the current colour unless given another.
inline void gfx_put_corner(BatchVertex *corner, float x, float y, float s, float t,
                           const float *rgba = batch_color) {
  // Built whole and copied in two 16-byte halves: the stores are what text
  // and widgets spend most of their time on.
  const float place[4] = {x, y, s, t};
  std::memcpy(&corner->x, place, sizeof place);
  std::memcpy(&corner->r, rgba, 4 * sizeof(float));
}
