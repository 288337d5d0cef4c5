// Polling the joysticks into their records.
#include "input/joystick.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "video/video_mode.h"

int32_t joystick_count;
SDL_Joystick *joystick_handles[MAX_JOYSTICKS];
JoystickState joysticks[MAX_JOYSTICKS];
JoystickState joysticks_prev[MAX_JOYSTICKS];

namespace {

constexpr float AXIS_SCALE = 32768.0f;  // so the full negative swing is exactly -1

// The positions a hat reports, matched against the whole value: anything else
// (up with down, say) is not a position and sets no flag.
struct HatPosition {
  int32_t value;
  int32_t flags[4];
};
static_assert(sizeof(HatPosition) == 5 * sizeof(int32_t), "HatPosition is five int32 fields");
constexpr HatPosition HAT_POSITIONS[] = {
    {SDL_HAT_CENTERED, {0, 0, 0, 0}}, {SDL_HAT_UP, {1, 0, 0, 0}},        {SDL_HAT_RIGHT, {0, 0, 0, 1}},
    {SDL_HAT_RIGHTUP, {1, 0, 0, 1}},  {SDL_HAT_DOWN, {0, 1, 0, 0}},      {SDL_HAT_RIGHTDOWN, {0, 1, 0, 1}},
    {SDL_HAT_LEFT, {0, 0, 1, 0}},     {SDL_HAT_LEFTUP, {1, 0, 1, 0}},    {SDL_HAT_LEFTDOWN, {0, 1, 1, 0}}};

// A count as the record can hold it; a negative answer (an error) is none.
int32_t fit_count(int count, int room) { return count < 0 ? 0 : (count > room ? room : count); }

void read_hat(int32_t (&flags)[4], Uint8 value) {
  std::memset(flags, 0, sizeof flags);
  for (const HatPosition &position : HAT_POSITIONS) {
    if (position.value == value) std::memcpy(flags, position.flags, sizeof flags);
  }
}

void read_device(JoystickState &state, SDL_Joystick *handle) {
  for (int i = 0; i < state.axis_count; ++i) state.axes[i] = SDL_JoystickGetAxis(handle, i) / AXIS_SCALE;
  for (int i = 0; i < state.button_count; ++i) state.buttons[i] = SDL_JoystickGetButton(handle, i);
  for (int i = 0; i < state.hat_count; ++i) read_hat(state.hats[i], SDL_JoystickGetHat(handle, i));
}

}  // namespace

void input_open_joysticks() {
  joystick_count = fit_count(SDL_NumJoysticks(), MAX_JOYSTICKS);
  for (int i = 0; i < joystick_count; ++i) {
    JoystickState &state = joysticks[i];
    state = JoystickState{};
    SDL_Joystick *handle = joystick_handles[i] = SDL_JoystickOpen(i);
    const char *name = SDL_JoystickName(i);
    std::snprintf(state.name, sizeof state.name, "%s", name ? name : "");
    // A device that would not open cannot be asked its counts: it keeps its
    // name, has no axes, buttons or hats, and is never polled.
    if (!handle) continue;
    state.axis_count = fit_count(SDL_JoystickNumAxes(handle), MAX_AXES);
    state.button_count = fit_count(SDL_JoystickNumButtons(handle), MAX_BUTTONS);
    state.hat_count = fit_count(SDL_JoystickNumHats(handle), MAX_HATS);
  }
  SDL_JoystickEventState(SDL_IGNORE);  // state is polled; queued events would pile up unread
}

void input_read_joysticks() {
  if (!joystick_enabled) return;
  for (int i = 0; i < joystick_count; ++i) joysticks_prev[i] = joysticks[i];
  SDL_JoystickUpdate();
  for (int i = 0; i < joystick_count; ++i) {
    if (joystick_handles[i]) read_device(joysticks[i], joystick_handles[i]);
  }
}
