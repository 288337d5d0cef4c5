// The SDL test double: a scripted clock, keys, mouse, joysticks and event
// queue in, and what the engine asked of the platform out, kept as state.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <initializer_list>

namespace fake {

// What the engine asked of SDL, as it stands now.
struct SdlRecord {
  uint32_t init_flags;
  int quits;
  int cursor = -1;  // the last SDL_ShowCursor argument
  char caption[64], icon_caption[64];
  int gl_attributes[SDL_GL_SWAP_CONTROL + 1];  // -1 where never requested
  int mode_width, mode_height, mode_bpp;       // the last video mode set
  uint32_t mode_flags;
  int mode_sets;
  bool iconified;             // the window was minimised
  bool quit_while_iconified;  // SDL_Quit came after the window was minimised
  int grab = -1;              // the last input grab requested
  int delays;                 // SDL_Delay calls, and their sum
  uint32_t delayed_ms;
  int swaps;
  uint32_t listed_mode_flags;
  int joystick_events = SDL_ENABLE;  // the joystick event state, SDL's default until set
};
extern SdlRecord sdl;

// A scripted joystick, with more of everything than the engine's record holds:
// whether opening it fails, its name and counts, and what it reads.
struct FakeJoystick {
  bool open_fails; const char *name; int axes, buttons, hats; Sint16 axis[12]; Uint8 button[40], hat[12];
};

// The platform's side, as the tests script it.
struct Platform {
  uint32_t ticks;  // what SDL_GetTicks returns
  uint8_t keys[SDLK_LAST];
  int mod;
  // The mouse as the device has it; SDL_GetMouseState reports it as of the
  // last SDL_PumpEvents or SDL_PollEvent, as SDL does.
  int mouse_x, mouse_y, relative_x, relative_y;
  uint8_t mouse_buttons;
  int init_result;              // SDL_Init's answer
  bool video_mode_fails;        // SDL_SetVideoMode gives no surface
  SDL_Rect **listed_modes;      // what SDL_ListModes returns
  void (*on_swap)(int swaps);   // runs at the end of every buffer swap
  int joystick_devices;         // SDL_NumJoysticks' answer; the devices are below
  FakeJoystick joysticks[20];
};
extern Platform platform;
// Readings the next SDL_GetTicks calls give, in order; `ticks` takes over after.
void script_ticks(std::initializer_list<uint32_t> values);
// A game loop that does not end fails its test here instead of hanging it.
constexpr int SWAP_LIMIT = 10000;

// A new event at the end of the queue, of the type given, for the caller to fill.
SDL_Event &push(Uint8 type);
int pending_events();

void reset_sdl();  // program start

}  // namespace fake
