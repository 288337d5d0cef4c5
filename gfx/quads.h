// Axis-aligned rectangles: filled quads, outlines and the pointer image, in
// whatever coordinates the current projection sets up.
#pragma once

// Alignment flags for quads, text and widgets: they say which point of the
// rectangle the anchor is. With both centring and right/bottom set on one
// axis, centring is used.
constexpr int ALIGN_CENTER_X = 1;
constexpr int ALIGN_RIGHT = 2;
constexpr int ALIGN_CENTER_Y = 4;
constexpr int ALIGN_BOTTOM = 8;

constexpr int NO_TEXTURE = -1;  // slot value for a plain, untextured quad

// Moves the anchor (x, y) to the rectangle's smallest corner by the flags.
void gfx_align(float *x, float *y, float w, float h, int flags);

void gfx_draw_quad(int slot, float x, float y, float w, float h, int flags, float r, float g,
                   float b, float a);
// Always textured; uv holds s, t of the four corners in drawing order.
void gfx_draw_quad_uv(int slot, float x, float y, float w, float h, int flags, float r, float g,
                      float b, float a, const float *uv);
void gfx_draw_rect_outline(float x, float y, float w, float h, int flags, float r, float g,
                           float b, float a);
// This frame's pointer image centred on (x, y), reaching half_size each way.
void gfx_draw_pointer(float x, float y, float half_size, float r, float g, float b, float a);
