// Moving the window, on X11. SDL's window-manager information gives the
// display and the managed top-level window; moving it keeps its size.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "input/events.h"

void input_move_window(int32_t x, int32_t y) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11) {
    return;
  }
  Display *display = info.info.x11.display;
  if (display == nullptr) {
    return;
  }
  // SDL's event thread may use the display too: hold its lock around Xlib.
  if (info.info.x11.lock_func) info.info.x11.lock_func();
  XMoveWindow(display, info.info.x11.wmwindow, x, y);
  XSync(display, False);
  if (info.info.x11.unlock_func) info.info.x11.unlock_func();
}
