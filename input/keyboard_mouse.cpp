// Sampling the keyboard and mouse into the per-frame globals. Runs after the
// event pump, whose queue drain is what brings SDL's key state up to date.
#include "input/keyboard_mouse.h"

#include <SDL.h>

#include <cstring>

#include "video/video_mode.h"

uint8_t key_state[KEY_COUNT];
uint8_t key_state_prev[KEY_COUNT];
int32_t mod_state;
MouseState mouse;
MouseState mouse_prev;

static_assert(KEY_COUNT <= SDLK_LAST, "the platform's key array covers every key code");

namespace {

// The right-hand duplicates also set their main keys, so every comparison of
// this snapshot with the previous one treats them alike.
void fold_duplicate_keys() {
  if (key_state[KEY_KEYPAD_ENTER]) key_state[KEY_RETURN] = 1;
  if (key_state[KEY_RIGHT_CTRL]) key_state[KEY_LEFT_CTRL] = 1;
  if (key_state[KEY_RIGHT_SHIFT]) key_state[KEY_LEFT_SHIFT] = 1;
}

// Pixels to view units, truncated toward zero. A zero-sized mode (never set)
// would divide by zero: the position then stays in pixels.
int32_t pixels_to_view(int32_t pixels, int32_t view_units, int32_t window_pixels) {
  if (window_pixels == 0) {
    return pixels;
  }
  return static_cast<int32_t>(static_cast<double>(pixels) * view_units / window_pixels);
}

void read_buttons(Uint8 buttons) {
  mouse.left = (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) ? 1 : 0;
  mouse.right = (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) ? 1 : 0;
  mouse.left_released = !mouse.left && mouse_prev.left;
  mouse.right_released = !mouse.right && mouse_prev.right;
}

}  // namespace

void input_read_keyboard() {
  std::memcpy(key_state_prev, key_state, sizeof key_state);
  mod_state = SDL_GetModState();
  int platform_count = 0;
  const Uint8 *platform_keys = SDL_GetKeyState(&platform_count);
  // The platform's array is SDLK_LAST long; copy no more than it holds.
  int count = platform_keys ? platform_count : 0;
  count = count < 0 ? 0 : (count > KEY_COUNT ? KEY_COUNT : count);
  std::memset(key_state, 0, sizeof key_state);
  if (count > 0) {
    std::memcpy(key_state, platform_keys, static_cast<size_t>(count));
  }
  fold_duplicate_keys();
}

void input_read_mouse() {
  SDL_PumpEvents();
  mouse_prev = mouse;
  int x = 0;
  int y = 0;
  Uint8 buttons = SDL_GetMouseState(&x, &y);
  mouse.x = pixels_to_view(x, VIEW_WIDTH, video.width);
  mouse.y = pixels_to_view(y, VIEW_HEIGHT, video.height);
  read_buttons(buttons);
}

void input_read_mouse_relative() {
  SDL_PumpEvents();
  mouse_prev = mouse;
  int dx = 0;
  int dy = 0;
  Uint8 buttons = SDL_GetRelativeMouseState(&dx, &dy);
  mouse.dx = dx;
  mouse.dy = dy;
  mouse.x = video.width / 2;
  mouse.y = video.height / 2;
  read_buttons(buttons);
}
