// Joysticks, polled rather than evented: one fixed record per device, read
// whole every poll, with the previous poll kept beside it so that "just
// pressed" comes from comparing the two, as with the keyboard and mouse.
#pragma once

#include <cstddef>
#include <cstdint>

// The platform's device handle, declared as SDL declares it, so that this
// header does not pull in the platform.
typedef struct _SDL_Joystick SDL_Joystick;

constexpr int MAX_JOYSTICKS = 16;
constexpr int MAX_AXES = 8;
constexpr int MAX_BUTTONS = 32;
constexpr int MAX_HATS = 8;
constexpr int JOYSTICK_NAME_LEN = 64;  // bytes, the terminator included

// Indices of a hat's four flags.
constexpr int HAT_UP = 0, HAT_DOWN = 1, HAT_LEFT = 2, HAT_RIGHT = 3;

// Counts and name are taken when the device is opened and cut to the room
// here, so every loop over a count stays inside its array.
struct JoystickState {
  int32_t axis_count;
  float axes[MAX_AXES];  // -1 at one end, just under 1 at the other
  int32_t button_count;
  int32_t buttons[MAX_BUTTONS];  // nonzero = down
  int32_t hat_count;
  int32_t hats[MAX_HATS][4];  // flags: up, down, left, right
  char name[JOYSTICK_NAME_LEN];
};
static_assert(offsetof(JoystickState, button_count) == 9 * 4 && offsetof(JoystickState, hat_count) == 42 * 4 &&
                  offsetof(JoystickState, name) == 75 * 4 && sizeof(JoystickState) == 91 * 4,
              "JoystickState is packed int32 and float fields followed by the name");

extern int32_t joystick_count;  // devices found, those that failed to open included; at most MAX_JOYSTICKS
extern SDL_Joystick *joystick_handles[MAX_JOYSTICKS];  // null where opening failed
extern JoystickState joysticks[MAX_JOYSTICKS];
extern JoystickState joysticks_prev[MAX_JOYSTICKS];  // the poll before

// Opens the first MAX_JOYSTICKS devices and takes their names and counts (none
// for a device that fails to open); the platform's joystick events are
// switched off, as nothing drains them.
void input_open_joysticks();
// Copies every record to the previous table, then reads every opened device.
// Does nothing while joystick_enabled is 0.
void input_read_joysticks();
