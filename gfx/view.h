// Viewport, projection, camera and overlay set-up. Screen rectangles are in
// view units (the current font's view size, origin top left, y down) and are
// mapped onto the window's pixels.
#pragma once

#include "math/vecmath.h"

// Perspective with a horizontal field of view of 90 degrees.
void gfx_set_perspective(int x, int y, int w, int h, float near_plane, float far_plane);
void gfx_set_ortho(int x, int y, int w, int h, float half_w, float half_h, float half_depth);
// Multiplies the modelview matrix by orientation * translation(-position).
// Either pointer may be null, which skips its part.
void gfx_apply_camera(const Vec3 *position, const Mat3 *orientation);
// An object's placement: the inverse of gfx_apply_camera for an orthonormal
// orientation.
void gfx_apply_object(const Vec3 *position, const Mat3 *orientation);
// 2D drawing in view units over the whole window, blending on, depth off.
void gfx_begin_overlay();
void gfx_set_view_size(int w, int h);
