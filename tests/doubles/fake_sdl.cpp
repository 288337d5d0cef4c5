// Test doubles of the SDL 1.2 functions the engine calls. Each records itself
// and answers from the scripted state in fake_sdl.h.
#include "tests/doubles/fake_sdl.h"

#include <SDL_syswm.h>

#include <cstring>

#include "tests/doubles/recorder.h"

namespace fake {

uint32_t ticks = 0;
uint32_t ticks_per_read = 0;
uint8_t keys[SDLK_LAST];
int mod = 0;
int mouse_x = 0, mouse_y = 0;
uint8_t mouse_buttons = 0;
int relative_x = 0, relative_y = 0;
void (*on_swap)(int swaps) = nullptr;
int swaps = 0;
int wm_info_result = 0;
SDL_Rect **list_modes_result = nullptr;
int init_result = 0;
bool video_mode_fails = false;

namespace {
constexpr int QUEUE_SIZE = 1024;
SDL_Event queue[QUEUE_SIZE];
int queue_head = 0;
int queue_tail = 0;
SDL_Surface screen_surface;  // what SDL_SetVideoMode hands back
constexpr int TICK_SCRIPT_SIZE = 64;
uint32_t tick_script[TICK_SCRIPT_SIZE];
int tick_script_next = 0;
int tick_script_count = 0;
}  // namespace

void script_ticks(std::initializer_list<uint32_t> values) {
  tick_script_next = 0;
  tick_script_count = 0;
  for (uint32_t value : values) {
    if (tick_script_count < TICK_SCRIPT_SIZE) tick_script[tick_script_count++] = value;
  }
}

void push_event(const SDL_Event &event) {
  queue[queue_tail % QUEUE_SIZE] = event;
  ++queue_tail;
}

void push_quit() {
  SDL_Event event{};
  event.type = SDL_QUIT;
  push_event(event);
}

void push_active(int gain, int state) {
  SDL_Event event{};
  event.type = SDL_ACTIVEEVENT;
  event.active.gain = static_cast<Uint8>(gain);
  event.active.state = static_cast<Uint8>(state);
  push_event(event);
}

void push_button_down(int button) {
  SDL_Event event{};
  event.type = SDL_MOUSEBUTTONDOWN;
  event.button.button = static_cast<Uint8>(button);
  push_event(event);
}

void push_key_down(int key) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.keysym.sym = static_cast<SDLKey>(key);
  push_event(event);
}

int pending_events() { return queue_tail - queue_head; }

void reset() {
  ticks = 0;
  ticks_per_read = 0;
  std::memset(keys, 0, sizeof keys);
  mod = 0;
  mouse_x = mouse_y = 0;
  mouse_buttons = 0;
  relative_x = relative_y = 0;
  on_swap = nullptr;
  swaps = 0;
  wm_info_result = 0;
  list_modes_result = nullptr;
  init_result = 0;
  video_mode_fails = false;
  queue_head = queue_tail = 0;
  tick_script_next = tick_script_count = 0;
}

}  // namespace fake

using namespace fake;

int SDL_Init(Uint32 flags) {
  record_call("SDL_Init", {double(flags)});
  return init_result;
}

void SDL_Quit(void) { record_call("SDL_Quit", {}); }

int SDL_ShowCursor(int toggle) {
  record_call("SDL_ShowCursor", {double(toggle)});
  return 0;
}

void SDL_WM_SetCaption(const char *title, const char *icon) {
  static char last_title[256];
  static char last_icon[256];
  std::strncpy(last_title, title ? title : "", sizeof last_title - 1);
  std::strncpy(last_icon, icon ? icon : "", sizeof last_icon - 1);
  record_call("SDL_WM_SetCaption", {}, last_title);
  record_call("SDL_WM_SetCaption.icon", {}, last_icon);
}

int SDL_GL_SetAttribute(SDL_GLattr attr, int value) {
  record_call("SDL_GL_SetAttribute", {double(attr), double(value)});
  return 0;
}

SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  record_call("SDL_SetVideoMode", {double(width), double(height), double(bpp), double(flags)});
  screen_surface.w = width;
  screen_surface.h = height;
  return video_mode_fails ? nullptr : &screen_surface;
}

void SDL_GL_SwapBuffers(void) {
  record_call("SDL_GL_SwapBuffers", {});
  ++swaps;
  if (on_swap) {
    on_swap(swaps);
  }
}

int SDL_WM_IconifyWindow(void) {
  record_call("SDL_WM_IconifyWindow", {});
  return 1;
}

SDL_GrabMode SDL_WM_GrabInput(SDL_GrabMode mode) {
  record_call("SDL_WM_GrabInput", {double(mode)});
  return mode;
}

Uint32 SDL_GetTicks(void) {
  if (tick_script_next < tick_script_count) {
    ticks = tick_script[tick_script_next++];
  }
  record_call("SDL_GetTicks", {double(ticks)});
  Uint32 now = ticks;
  ticks += ticks_per_read;
  return now;
}

void SDL_Delay(Uint32 ms) {
  record_call("SDL_Delay", {double(ms)});
  ticks += ms;
}

int SDL_PollEvent(SDL_Event *event) {
  if (queue_head == queue_tail) {
    record_call("SDL_PollEvent", {0});
    return 0;
  }
  const SDL_Event &next = queue[queue_head % QUEUE_SIZE];
  ++queue_head;
  record_call("SDL_PollEvent", {1, double(next.type)});
  if (event) {
    *event = next;
  }
  return 1;
}

void SDL_PumpEvents(void) { record_call("SDL_PumpEvents", {}); }

Uint8 *SDL_GetKeyState(int *numkeys) {
  record_call("SDL_GetKeyState", {});
  if (numkeys) {
    *numkeys = SDLK_LAST;
  }
  return keys;
}

SDLMod SDL_GetModState(void) {
  record_call("SDL_GetModState", {double(mod)});
  return static_cast<SDLMod>(mod);
}

Uint8 SDL_GetMouseState(int *x, int *y) {
  record_call("SDL_GetMouseState", {double(mouse_x), double(mouse_y)});
  if (x) *x = mouse_x;
  if (y) *y = mouse_y;
  return mouse_buttons;
}

Uint8 SDL_GetRelativeMouseState(int *x, int *y) {
  record_call("SDL_GetRelativeMouseState", {double(relative_x), double(relative_y)});
  if (x) *x = relative_x;
  if (y) *y = relative_y;
  return mouse_buttons;
}

SDL_Rect **SDL_ListModes(SDL_PixelFormat *format, Uint32 flags) {
  record_call("SDL_ListModes", {double(flags)}, format);
  return list_modes_result;
}

int SDL_GetWMInfo(SDL_SysWMinfo *info) {
  record_call("SDL_GetWMInfo", {double(info->version.major), double(info->version.minor),
                                double(info->version.patch)});
  if (wm_info_result > 0) {
    // A window record with no display: enough to take the success path.
    SDL_version asked = info->version;
    std::memset(info, 0, sizeof *info);
    info->version = asked;
    info->subsystem = SDL_SYSWM_X11;
  }
  return wm_info_result;
}
