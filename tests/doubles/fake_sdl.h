// Scripted state behind the SDL test doubles: a millisecond clock, key,
// modifier and mouse state, an event queue, and hooks that run at each buffer
// swap so a test can script frame by frame.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <initializer_list>

namespace fake {

extern uint32_t ticks;            // what SDL_GetTicks returns
extern uint32_t ticks_per_read;   // added to ticks after every SDL_GetTicks
// Values the next SDL_GetTicks calls return, in order, before `ticks` takes over
// again (it is set to each scripted value as it is read).
void script_ticks(std::initializer_list<uint32_t> values);
extern uint8_t keys[SDLK_LAST];   // what SDL_GetKeyState returns
extern int mod;                   // what SDL_GetModState returns
extern int mouse_x, mouse_y;      // window pixels
extern uint8_t mouse_buttons;     // SDL_BUTTON masks
extern int relative_x, relative_y;

// The queue SDL_PollEvent drains.
void push_event(const SDL_Event &event);
void push_quit();
void push_active(int gain, int state);
void push_button_down(int button);
void push_key_down(int key);
int pending_events();

// Called at the end of every SDL_GL_SwapBuffers with the number of swaps so far.
extern void (*on_swap)(int swaps);
extern int swaps;

// SDL_GetWMInfo fails unless a test sets this. (The native window record is
// left out: SDL_syswm.h brings in X11, whose Font type clashes with ours.)
extern int wm_info_result;

// SDL_ListModes returns this (null: no mode).
extern SDL_Rect **list_modes_result;

// SDL_Init's result, and whether SDL_SetVideoMode gives no surface.
extern int init_result;
extern bool video_mode_fails;

// Back to the state of program start.
void reset();

}  // namespace fake
