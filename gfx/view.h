// Setting up the viewport, the 3D projection and camera, and the 2D overlay.
// Screen rectangles use view units (the font's view size, origin top left,
// y down), scaled to whatever pixel size the window has.
#pragma once

#include "math/vecmath.h"

// The frustum is near_plane wide on each side at the near plane, so the view
// spans 90 degrees across; its height comes from the rectangle's aspect.
void gfx_set_perspective(int x, int y, int w, int h, float near_plane, float far_plane);
void gfx_set_ortho(int x, int y, int w, int h, float half_w, float half_h, float half_depth);
// World-to-eye: post-multiplies the modelview by
// orientation * translation(-position). A null pointer drops that factor.
void gfx_apply_camera(const Vec3 *position, const Mat3 *orientation);
// Places an object: translation(position) * transpose(orientation), which
// undoes gfx_apply_camera as long as the orientation is orthonormal.
void gfx_apply_object(const Vec3 *position, const Mat3 *orientation);
// Switches to 2D for the rest of the frame: full-window viewport, y-down view
// units, alpha blending, no depth test or depth writes.
void gfx_begin_overlay();
void gfx_set_view_size(int w, int h);
