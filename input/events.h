// The event pump: wheel notches, focus loss and return, quit requests. Keys and
// buttons are read as state snapshots, so every other event is dropped.
// Beside it, two window operations: the list of full-screen modes and moving
// the window.
#pragma once

#include <cstdint>

constexpr int WHEEL_MAX = 8;             // the wheel counters stop here
constexpr int MAX_VIDEO_MODES = 4096;
constexpr int INACTIVE_DELAY_MS = 10;    // each pump sleeps this long while the window has no focus

struct VideoModeEntry {
  int32_t width, height, bpp;
};

extern int32_t quit_requested;  // sticky: once set, the game loop ends
extern int32_t app_inactive;    // 1 after focus is lost, until the app is reactivated
extern VideoModeEntry video_modes[MAX_VIDEO_MODES];
extern int32_t video_mode_count;

// Drains the event queue. Called once per frame before the snapshots.
void input_pump_events();
// Appends every full-screen mode twice, at 32 and at 16 bits per pixel.
void input_list_video_modes();
// Moves the window's top-left outer corner to the screen position (x, y),
// keeping its outer size. The native-window part lives in a platform file.
void input_move_window(int32_t x, int32_t y);
