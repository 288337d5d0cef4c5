// Keyboard and mouse state, sampled once a frame. Nothing above this layer
// handles input events; "just pressed" and "just released" come from
// comparing the current sample with the one before it.
#pragma once

#include <cstdint>

constexpr int KEY_COUNT = 323;  // one per SDLKey value below SDLK_LAST

// Key codes the engine and the game look at.
constexpr int KEY_BACKSPACE = 8;
constexpr int KEY_TAB = 9;
constexpr int KEY_RETURN = 13;
constexpr int KEY_ESCAPE = 27;
constexpr int KEY_SPACE = 32;
constexpr int KEY_DELETE = 127;
constexpr int KEY_KEYPAD_0 = 256;  // to keypad 9, 265
constexpr int KEY_KEYPAD_MINUS = 269;
constexpr int KEY_KEYPAD_ENTER = 271;
constexpr int KEY_RIGHT = 275;
constexpr int KEY_LEFT = 276;
constexpr int KEY_INSERT = 277;
constexpr int KEY_HOME = 278;
constexpr int KEY_END = 279;
constexpr int KEY_F12 = 293;
constexpr int KEY_RIGHT_SHIFT = 303;
constexpr int KEY_LEFT_SHIFT = 304;
constexpr int KEY_RIGHT_CTRL = 305;
constexpr int KEY_LEFT_CTRL = 306;

struct MouseState {
  int32_t x, y;     // pointer in view units (VIEW_WIDTH by VIEW_HEIGHT), y down
  int32_t dx, dy;   // pixels moved since the last relative read
  int32_t left, right;
  int32_t left_released, right_released;  // up now, down in the previous snapshot
  int32_t wheel_up, wheel_down;           // clicks tallied by the event pump, capped at WHEEL_MAX
};
static_assert(sizeof(MouseState) == 10 * sizeof(int32_t), "MouseState is ten int32 fields");

extern uint8_t key_state[KEY_COUNT];       // 1 = held when this frame was sampled
extern uint8_t key_state_prev[KEY_COUNT];  // the previous snapshot, folding included
extern int32_t mod_state;                  // the platform's modifier mask for this frame
extern MouseState mouse;
extern MouseState mouse_prev;

// Copies the platform key state; keypad Enter, right Ctrl and right Shift also
// set Return, left Ctrl and left Shift.
void input_read_keyboard();
// Absolute pointer position scaled to view units, buttons and release edges.
void input_read_mouse();
// Relative motion into dx, dy; x, y become the middle of the window, in pixels.
void input_read_mouse_relative();
