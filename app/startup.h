// Start-up and shut-down, and the video mode in use.
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
constexpr const char *WINDOW_CAPTION = "Quillary";
constexpr const char *ICON_CAPTION = "SDL";

extern VideoSettings video_defaults;  // the request
extern VideoSettings video;           // the mode in use; the event pump sets it again from here
extern int32_t joystick_enabled;      // joystick polling happens only while set

// Brings the program up, runs the game until the player ends it and shuts SDL
// down. The program's main calls it; returns the exit status: 0, or 1 when
// SDL cannot start or the window cannot be opened.
int game_main();
// Sets the video mode from `video`: OpenGL, plus full screen when asked.
// False when the platform gave no mode.
bool game_set_video_mode();
// The OpenGL attribute requests for `video`'s colour depth.
void game_request_gl_attributes();
