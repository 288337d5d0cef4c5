// Screenshots: the picture on screen as an uncompressed 24-bit TGA file in the
// working folder, under the first free name of scsht000.tga to scsht999.tga.
#pragma once

#include <cstdint>

constexpr int SCREENSHOT_MAX_WIDTH = 1280;
constexpr int SCREENSHOT_MAX_HEIGHT = 960;
constexpr int SCREENSHOT_NAME_SIZE = 13;  // "scsht000.tga" and its terminator
constexpr int TGA_HEADER_SIZE = 18;

// The largest picture that can be saved, red, green, blue, alpha per pixel,
// bottom row first.
extern uint8_t screenshot_pixels[SCREENSHOT_MAX_WIDTH * SCREENSHOT_MAX_HEIGHT * 4];
// The name the last call wrote, or "" when it wrote nothing.
extern char screenshot_name[SCREENSHOT_NAME_SIZE];

// Saves the last frame presented, at the video mode's size. Writes nothing
// when the mode is larger than the buffer, when all thousand names are taken
// (no file is overwritten), or when the file cannot be created.
void file_screenshot();

// The platform's view of the window as it is shown: fills `rgba` with its
// width by height pixels, bottom row first, and returns true; false when the
// platform cannot tell (the picture is then read from GL's front buffer).
bool file_read_shown_window(uint8_t *rgba, int width, int height);
