// The video mode: what start-up asks for, the mode in use, and setting it.
// Start-up sets the mode once; the event pump sets it again when the window
// comes back; the mouse snapshot and the viewport mapping scale by its size.
// A leaf: it includes nothing of the engine, so every folder may read it.
#pragma once

#include <cstdint>

struct VideoSettings {
  int32_t width, height;  // pixels
  int32_t bpp;            // colour depth requested for the mode
  int32_t depth_bits, stencil_bits;
  int32_t fullscreen;     // 0 = window
};
static_assert(sizeof(VideoSettings) == 6 * sizeof(int32_t), "VideoSettings is six int32 fields");

constexpr VideoSettings VIDEO_DEFAULTS = {800, 600, 32, 24, 8, 0};

// The virtual screen of the overlay, the widgets and the mouse: whatever the
// window's size, it is this many view units across and down.
constexpr int VIEW_WIDTH = 640;
constexpr int VIEW_HEIGHT = 480;

extern VideoSettings video_defaults;  // the request
extern VideoSettings video;           // the mode in use
extern int32_t joystick_enabled;      // joystick polling happens only while set

// Sets the video mode from `video`: OpenGL, plus full screen when asked.
// False when the platform gave no mode.
bool game_set_video_mode();
// The OpenGL attribute requests for `video`'s colour depth.
void game_request_gl_attributes();
