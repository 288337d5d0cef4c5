#include "tests/doubles/fake_sdl.h"

#include "tests/doubles/fake_gl.h"

#include <SDL_syswm.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace fake {

SdlRecord sdl;
Platform platform;

namespace {
constexpr int QUEUE_SIZE = 1024;
SDL_Event queue[QUEUE_SIZE];
int queue_head, queue_tail;
uint32_t tick_script[64];
int script_next, script_count;
int pumped_x, pumped_y;  // the mouse position as of the last pump
uint8_t pumped_buttons;
// A device's handle is its address in the platform's table.
FakeJoystick &device(SDL_Joystick *j) { return *reinterpret_cast<FakeJoystick *>(j); }
SDL_Joystick *device(int i) { return reinterpret_cast<SDL_Joystick *>(&platform.joysticks[i]); }

void pump() {
  pumped_x = platform.mouse_x;
  pumped_y = platform.mouse_y;
  pumped_buttons = platform.mouse_buttons;
}
}  // namespace

void script_ticks(std::initializer_list<uint32_t> values) {
  script_next = script_count = 0;
  for (uint32_t value : values) tick_script[script_count++ % 64] = value;
}

SDL_Event &push(Uint8 type) {
  SDL_Event &event = queue[queue_tail++ % QUEUE_SIZE];
  event = SDL_Event{};
  event.type = type;
  return event;
}

int pending_events() { return queue_tail - queue_head; }

void reset_sdl() {
  sdl = SdlRecord{};
  std::memset(sdl.gl_attributes, -1, sizeof sdl.gl_attributes);
  platform = Platform{};
  queue_head = queue_tail = script_next = script_count = 0;
  pump();
}

}  // namespace fake

using namespace fake;

int SDL_Init(Uint32 flags) {
  sdl.init_flags = flags;
  return platform.init_result;
}
int SDL_InitSubSystem(Uint32 flags) { return sdl.init_flags |= flags, platform.init_result; }

void SDL_Quit(void) {
  ++sdl.quits;
  sdl.quit_while_iconified = sdl.iconified;
}

int SDL_ShowCursor(int toggle) { return sdl.cursor = toggle; }

void SDL_WM_SetCaption(const char *title, const char *icon) {
  std::snprintf(sdl.caption, sizeof sdl.caption, "%s", title ? title : "");
  std::snprintf(sdl.icon_caption, sizeof sdl.icon_caption, "%s", icon ? icon : "");
}

int SDL_GL_SetAttribute(SDL_GLattr attr, int value) {
  if (attr >= 0 && attr <= SDL_GL_SWAP_CONTROL) sdl.gl_attributes[attr] = value;
  return 0;
}

SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  static SDL_Surface screen;
  ++sdl.mode_sets;
  sdl.mode_width = screen.w = width;
  sdl.mode_height = screen.h = window_height = height;
  sdl.mode_bpp = bpp;
  sdl.mode_flags = flags;
  return platform.video_mode_fails ? nullptr : &screen;
}

void SDL_GL_SwapBuffers(void) {
  if (++sdl.swaps > SWAP_LIMIT) throw std::runtime_error("the game loop did not end");
  if (platform.on_swap) platform.on_swap(sdl.swaps);
}

int SDL_WM_IconifyWindow(void) { return sdl.iconified = true; }

SDL_GrabMode SDL_WM_GrabInput(SDL_GrabMode mode) { return SDL_GrabMode(sdl.grab = mode); }

Uint32 SDL_GetTicks(void) {
  if (script_next < script_count) platform.ticks = tick_script[script_next++];
  return platform.ticks;
}

void SDL_Delay(Uint32 ms) {
  ++sdl.delays;
  sdl.delayed_ms += ms;
  platform.ticks += ms;
}

int SDL_PollEvent(SDL_Event *event) {
  pump();
  if (queue_head == queue_tail) return 0;
  const SDL_Event &next = queue[queue_head++ % QUEUE_SIZE];
  if (event) *event = next;
  return 1;
}

void SDL_PumpEvents(void) { pump(); }

Uint8 *SDL_GetKeyState(int *numkeys) {
  if (numkeys) *numkeys = SDLK_LAST;
  return platform.keys;
}

SDLMod SDL_GetModState(void) { return SDLMod(platform.mod); }

Uint8 SDL_GetMouseState(int *x, int *y) {
  if (x) *x = pumped_x;
  if (y) *y = pumped_y;
  return pumped_buttons;
}

Uint8 SDL_GetRelativeMouseState(int *x, int *y) {
  if (x) *x = platform.relative_x;
  if (y) *y = platform.relative_y;
  return pumped_buttons;
}

SDL_Rect **SDL_ListModes(SDL_PixelFormat *, Uint32 flags) {
  sdl.listed_mode_flags = flags;
  return platform.listed_modes;
}

// No native window: moving it is for the window tests.
int SDL_GetWMInfo(SDL_SysWMinfo *) { return 0; }

int SDL_NumJoysticks(void) { return platform.joystick_devices; }
SDL_Joystick *SDL_JoystickOpen(int i) { return platform.joysticks[i].open_fails ? nullptr : device(i); }
const char *SDL_JoystickName(int i) { return platform.joysticks[i].name; }
int SDL_JoystickNumAxes(SDL_Joystick *j) { return device(j).axes; }
int SDL_JoystickNumButtons(SDL_Joystick *j) { return device(j).buttons; }
int SDL_JoystickNumHats(SDL_Joystick *j) { return device(j).hats; }
int SDL_JoystickEventState(int state) { return sdl.joystick_events = state; }
void SDL_JoystickUpdate(void) {}
Sint16 SDL_JoystickGetAxis(SDL_Joystick *j, int axis) { return device(j).axis[axis]; }
Uint8 SDL_JoystickGetButton(SDL_Joystick *j, int button) { return device(j).button[button]; }
Uint8 SDL_JoystickGetHat(SDL_Joystick *j, int hat) { return device(j).hat[hat]; }
