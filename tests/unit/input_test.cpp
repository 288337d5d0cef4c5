// The keyboard and mouse snapshots against scripted platform state.
#include "input/keyboard_mouse.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/startup.h"
#include "tests/doubles/doubles.h"

namespace {

class Snapshots : public ::testing::Test {
 protected:
  void SetUp() override {
    doubles_reset();
    std::memset(key_state, 0, sizeof key_state);
    std::memset(key_state_prev, 0, sizeof key_state_prev);
    mouse = {};
    mouse_prev = {};
    video = VIDEO_DEFAULTS;
  }
};

TEST_F(Snapshots, KeyStateIsCopiedAndThePreviousKept) {
  fake::keys[SDLK_a] = 1;
  fake::mod = KMOD_LSHIFT | KMOD_NUM;
  input_read_keyboard();
  EXPECT_EQ(key_state[SDLK_a], 1);
  EXPECT_EQ(key_state_prev[SDLK_a], 0);
  EXPECT_EQ(mod_state, KMOD_LSHIFT | KMOD_NUM);

  fake::keys[SDLK_a] = 0;
  fake::keys[SDLK_LAST - 1] = 1;  // the highest key code, 322
  input_read_keyboard();
  EXPECT_EQ(key_state[SDLK_a], 0);
  EXPECT_EQ(key_state_prev[SDLK_a], 1);
  EXPECT_EQ(key_state[KEY_COUNT - 1], 1);

  input_read_keyboard();
  EXPECT_EQ(0, std::memcmp(key_state, key_state_prev, KEY_COUNT))
      << "two snapshots with nothing in between are equal";
}

TEST_F(Snapshots, RightHandKeysFoldOntoTheMainKeys) {
  fake::keys[KEY_KEYPAD_ENTER] = 1;
  fake::keys[KEY_RIGHT_CTRL] = 1;
  fake::keys[KEY_RIGHT_SHIFT] = 1;
  fake::keys[SDLK_RALT] = 1;
  input_read_keyboard();
  EXPECT_EQ(key_state[KEY_RETURN], 1) << "keypad Enter reads as Return in the same snapshot";
  EXPECT_EQ(key_state[KEY_LEFT_CTRL], 1);
  EXPECT_EQ(key_state[KEY_LEFT_SHIFT], 1);
  EXPECT_EQ(key_state[KEY_KEYPAD_ENTER], 1) << "the right-hand entries stay set";
  EXPECT_EQ(key_state[SDLK_LALT], 0) << "Alt is not folded";

  fake::keys[KEY_RIGHT_SHIFT] = 0;
  input_read_keyboard();
  EXPECT_EQ(key_state[KEY_LEFT_SHIFT], 0) << "released in the first snapshot after the release";
  EXPECT_EQ(key_state_prev[KEY_LEFT_SHIFT], 1) << "the previous snapshot keeps the folding";
  EXPECT_EQ(key_state_prev[KEY_RETURN], 1);
}

TEST_F(Snapshots, LeftShiftStaysDownWhenOnlyTheRightOneIsReleased) {
  fake::keys[KEY_RIGHT_SHIFT] = 1;
  fake::keys[KEY_LEFT_SHIFT] = 1;
  input_read_keyboard();
  fake::keys[KEY_RIGHT_SHIFT] = 0;
  input_read_keyboard();
  EXPECT_EQ(key_state[KEY_LEFT_SHIFT], 1);
}

// Scaled by the window's size, not the font's view; a zero-sized mode (never
// set) leaves pixels as they are rather than divide by zero.
struct PixelToView {
  int window_width, window_height, px, py, vx, vy;
};

TEST_F(Snapshots, MousePositionIsScaledToViewUnitsByTruncation) {
  const PixelToView cases[] = {
      {800, 600, 799, 599, 639, 479}, {800, 600, 400, 300, 320, 240}, {800, 600, 1, 1, 0, 0},
      {800, 600, 5, 4, 4, 3},         {1280, 960, 1279, 480, 639, 240}, {0, 0, 10, 20, 10, 20},
  };
  for (const PixelToView &c : cases) {
    video.width = c.window_width;
    video.height = c.window_height;
    fake::mouse_x = c.px;
    fake::mouse_y = c.py;
    input_read_mouse();
    EXPECT_EQ(mouse.x, c.vx) << c.window_width << " wide, pixel " << c.px;
    EXPECT_EQ(mouse.y, c.vy) << c.window_height << " high, pixel " << c.py;
  }
}

TEST_F(Snapshots, MouseReaderPumpsFirstThenReads) {
  input_read_mouse();
  int pump = call_index("SDL_PumpEvents");
  int read = call_index("SDL_GetMouseState");
  ASSERT_GE(pump, 0);
  EXPECT_LT(pump, read);
}

TEST_F(Snapshots, ButtonsAndTheirReleaseEdges) {
  fake::mouse_buttons = SDL_BUTTON(SDL_BUTTON_LEFT) | SDL_BUTTON(SDL_BUTTON_MIDDLE);
  input_read_mouse();
  EXPECT_EQ(mouse.left, 1);
  EXPECT_EQ(mouse.right, 0) << "the middle button is not recorded";
  EXPECT_EQ(mouse.left_released, 0);

  fake::mouse_buttons = SDL_BUTTON(SDL_BUTTON_RIGHT);
  input_read_mouse();
  EXPECT_EQ(mouse.left, 0);
  EXPECT_EQ(mouse.right, 1);
  EXPECT_EQ(mouse.left_released, 1);
  EXPECT_EQ(mouse.right_released, 0);

  fake::mouse_buttons = 0;
  input_read_mouse();
  EXPECT_EQ(mouse.left_released, 0) << "a release shows in exactly one snapshot";
  EXPECT_EQ(mouse.right_released, 1);
  input_read_mouse();
  EXPECT_EQ(mouse.right_released, 0);
}

TEST_F(Snapshots, WheelCountersAndMotionSurviveTheAbsoluteReader) {
  mouse.wheel_up = 3;
  mouse.wheel_down = 8;
  mouse.dx = 5;
  mouse.dy = -6;
  mouse.x = 11;
  input_read_mouse();
  EXPECT_EQ(mouse.wheel_up, 3);
  EXPECT_EQ(mouse.wheel_down, 8);
  EXPECT_EQ(mouse.dx, 5);
  EXPECT_EQ(mouse.dy, -6);
  EXPECT_EQ(mouse_prev.x, 11) << "all ten fields go into the previous snapshot";
  EXPECT_EQ(mouse_prev.wheel_up, 3);
  EXPECT_EQ(mouse_prev.wheel_down, 8);
  EXPECT_EQ(mouse_prev.dx, 5);
}

TEST_F(Snapshots, RelativeReaderTakesMotionAndFixesThePosition) {
  mouse.wheel_up = 2;
  fake::relative_x = -7;
  fake::relative_y = 12;
  fake::mouse_x = 700;  // the absolute position is not consulted
  fake::mouse_buttons = SDL_BUTTON(SDL_BUTTON_LEFT);
  input_read_mouse_relative();
  EXPECT_EQ(mouse.dx, -7);
  EXPECT_EQ(mouse.dy, 12);
  EXPECT_EQ(mouse.x, 400);
  EXPECT_EQ(mouse.y, 300);
  EXPECT_EQ(mouse.left, 1);
  EXPECT_EQ(mouse.wheel_up, 2);
  EXPECT_EQ(call_count("SDL_GetMouseState"), 0);
  EXPECT_LT(call_index("SDL_PumpEvents"), call_index("SDL_GetRelativeMouseState"));

  fake::mouse_buttons = 0;
  input_read_mouse_relative();
  EXPECT_EQ(mouse.left_released, 1);
}

}  // namespace
