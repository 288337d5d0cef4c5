// Reading the window's picture back from the X server. A software GL such as
// Mesa's llvmpipe presents a frame by copying it into the window and keeps
// no front buffer to read, so the window itself is the one place that holds
// what was shown.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "files/screenshot.h"

namespace {

// One channel of a pixel value, by its mask, scaled to 8 bits.
uint8_t channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const unsigned long top = mask >> shift;
  return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / top);
}

void copy_bottom_up(XImage *image, uint8_t *rgba, int width, int height) {
  for (int row = 0; row < height; ++row) {
    uint8_t *out = rgba + static_cast<size_t>(height - 1 - row) * width * 4;
    for (int x = 0; x < width; ++x, out += 4) {
      const unsigned long pixel = XGetPixel(image, x, row);
      out[0] = channel(pixel, image->red_mask);
      out[1] = channel(pixel, image->green_mask);
      out[2] = channel(pixel, image->blue_mask);
      out[3] = 255;
    }
  }
}

}  // namespace

bool file_read_shown_window(uint8_t *rgba, int width, int height) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11 ||
      info.info.x11.display == nullptr) {
    return false;
  }
  // SDL's event thread may use the display too: hold its lock around Xlib.
  if (info.info.x11.lock_func) info.info.x11.lock_func();
  Display *display = info.info.x11.display;
  XSync(display, False);  // the frame just presented has reached the window
  XImage *image = XGetImage(display, info.info.x11.window, 0, 0, width, height, AllPlanes,
                            ZPixmap);
  if (image != nullptr) {
    copy_bottom_up(image, rgba, width, height);
    XDestroyImage(image);
  }
  if (info.info.x11.unlock_func) info.info.x11.unlock_func();
  return image != nullptr;
}
