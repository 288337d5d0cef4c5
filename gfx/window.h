// What every program of the engine starts and ends with: SDL, the OpenGL
// window in the default video mode with its caption, the texture names, and
// font 0 with its pointer image, ready for the overlay.
#pragma once

// Returns 0 once the window is up, or 1 after saying on standard error why it
// could not be: without SDL or a window there is nothing to show. Missing
// images are no reason to stop; the picture just lacks them.
int gfx_open_window(const char *caption, const char *icon_caption);
// Minimises the window, then shuts SDL down.
void gfx_close_window();
