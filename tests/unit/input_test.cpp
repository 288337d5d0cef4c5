// Input against the SDL double: the keyboard and mouse snapshots, the event
// pump, the mode list, the window move and the key names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gfx/texture.h"
#include "input/events.h"
#include "input/key_names.h"
#include "input/keyboard_mouse.h"
#include "tests/support/engine_test.h"
#include "video/video_mode.h"

namespace {

using fake::sdl;
using Snapshots = EngineTest;

// The right-hand duplicates set their main keys too, in the same snapshot,
// and the previous snapshot keeps that folding.
TEST_F(Snapshots, KeyboardCopiesThePlatformAndFoldsTheRightHandKeys) {
  fake::keys[SDLK_a] = fake::keys[SDLK_LAST - 1] = 1;
  fake::keys[KEY_KEYPAD_ENTER] = fake::keys[KEY_RIGHT_CTRL] = fake::keys[KEY_RIGHT_SHIFT] = 1;
  fake::keys[SDLK_RALT] = 1;
  fake::mod = KMOD_LSHIFT | KMOD_NUM;
  input_read_keyboard();
  auto down = [](const uint8_t *keys) {
    return Ints({keys[SDLK_a], keys[KEY_COUNT - 1], keys[KEY_RETURN], keys[KEY_LEFT_CTRL], keys[KEY_LEFT_SHIFT],
                 keys[KEY_KEYPAD_ENTER], keys[SDLK_LALT]});
  };
  EXPECT_EQ(down(key_state), Ints({1, 1, 1, 1, 1, 1, 0})) << "Alt is not folded";
  EXPECT_EQ(Ints({key_state_prev[SDLK_a], mod_state}), Ints({0, KMOD_LSHIFT | KMOD_NUM}));
  fake::keys[SDLK_a] = fake::keys[KEY_RIGHT_SHIFT] = 0;
  input_read_keyboard();  // left Shift is up in the first snapshot after the release
  EXPECT_EQ(down(key_state), Ints({0, 1, 1, 1, 0, 1, 0}));
  EXPECT_EQ(down(key_state_prev), Ints({1, 1, 1, 1, 1, 1, 0}));
  input_read_keyboard();
  EXPECT_EQ(0, std::memcmp(key_state, key_state_prev, KEY_COUNT));
}

// Scaled by the window's size to 640 by 480 units, truncating; a zero-sized
// mode leaves pixels as they are rather than divide by zero.
TEST_F(Snapshots, MousePositionIsScaledToViewUnits) {
  const int cases[][6] = {  // window w, h, pixel x, y, view x, y
      {800, 600, 799, 599, 639, 479}, {800, 600, 400, 300, 320, 240}, {800, 600, 1, 1, 0, 0},
      {800, 600, 5, 4, 4, 3},         {1280, 960, 1279, 480, 639, 240}, {0, 0, 10, 20, 10, 20},
  };
  for (const auto &c : cases) {
    video.width = c[0], video.height = c[1];
    fake::mouse_x = c[2], fake::mouse_y = c[3];
    input_read_mouse();  // pumps before it reads
    EXPECT_EQ(Ints({mouse.x, mouse.y}), Ints({c[4], c[5]})) << c[2];
  }
}

// A release shows in exactly one snapshot; the middle button is not kept;
// the wheel counts and the relative motion survive the absolute reader, and
// every field goes into the previous snapshot.
TEST_F(Snapshots, ButtonsAndTheirReleaseEdges) {
  mouse.wheel_up = 3, mouse.wheel_down = 8, mouse.dx = 5;
  const uint8_t L = SDL_BUTTON(SDL_BUTTON_LEFT), M = SDL_BUTTON(SDL_BUTTON_MIDDLE),
                R = SDL_BUTTON(SDL_BUTTON_RIGHT);
  const int cases[][5] = {  // buttons, left, right, left_released, right_released
      {L | M, 1, 0, 0, 0}, {R, 0, 1, 1, 0}, {0, 0, 0, 0, 1}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
  for (const auto &c : cases) {
    fake::mouse_buttons = uint8_t(c[0]);
    input_read_mouse();
    EXPECT_EQ(Ints({mouse.left, mouse.right, mouse.left_released, mouse.right_released}), Ints(c + 1, c + 5)) << c[0];
  }
  EXPECT_EQ(Ints({mouse.wheel_up, mouse.wheel_down, mouse.dx}), Ints({3, 8, 5}));
  EXPECT_EQ(0, std::memcmp(&mouse_prev, &mouse, sizeof mouse));
}

TEST_F(Snapshots, RelativeReaderTakesTheMotionAndPutsThePointerMidWindow) {
  video.width = 1024, video.height = 768;
  fake::relative_x = -7, fake::relative_y = 12;
  fake::mouse_x = 700;
  fake::mouse_buttons = SDL_BUTTON(SDL_BUTTON_LEFT);
  input_read_mouse_relative();
  EXPECT_EQ(Ints({mouse.dx, mouse.dy, mouse.x, mouse.y, mouse.left}), Ints({-7, 12, 512, 384, 1}));
  fake::mouse_buttons = 0;
  input_read_mouse_relative();
  EXPECT_EQ(mouse.left_released, 1);
}

using EventPump = EngineTest;

// Wheel notches count up to 8; the rest of the queue is drained and handled
// after a quit; buttons are read from the snapshot, not from events.
TEST_F(EventPump, CountsWheelNotchesAndQuitRequests) {
  for (int i = 0; i < 10; ++i) fake::push(SDL_MOUSEBUTTONDOWN).button.button = SDL_BUTTON_WHEELUP;
  fake::push(SDL_QUIT);
  for (int i = 0; i < 3; ++i) fake::push(SDL_MOUSEBUTTONDOWN).button.button = SDL_BUTTON_WHEELDOWN;
  fake::push(SDL_MOUSEBUTTONDOWN).button.button = SDL_BUTTON_LEFT;
  input_pump_events();
  EXPECT_EQ(Ints({mouse.wheel_up, mouse.wheel_down, mouse.left, quit_requested, fake::pending_events()}),
            Ints({WHEEL_MAX, 3, 0, 1, 0}));
}

// Losing focus releases the grab; every later pump sleeps 10 ms until the
// window is activated again, which sets the mode again (full screen kept)
// and uploads every loaded texture under its own name.
TEST_F(EventPump, FocusLossSlowsThePumpAndActivationRestoresTheWindow) {
  fake::push(SDL_ACTIVEEVENT).active = {SDL_ACTIVEEVENT, 0, SDL_APPINPUTFOCUS | SDL_APPACTIVE};
  input_pump_events();  // the pump that sees the loss does not sleep yet
  EXPECT_EQ(Ints({app_inactive, sdl.grab, sdl.mode_sets, sdl.delays}), Ints({1, SDL_GRAB_OFF, 0, 0}));
  fake::push(SDL_ACTIVEEVENT).active = {SDL_ACTIVEEVENT, 1, SDL_APPINPUTFOCUS};  // not an activation
  input_pump_events();
  EXPECT_EQ(Ints({app_inactive, int(sdl.delayed_ms)}), Ints({1, 10}));

  static uint32_t pixels[4];
  textures[3].width = textures[3].height = 2;
  textures[3].level_count = 1;
  textures[3].format = textures[3].internal_format = GL_RGBA;
  textures[3].pixels[0] = pixels;
  video.fullscreen = 1;
  fake::push(SDL_ACTIVEEVENT).active = {SDL_ACTIVEEVENT, 1, SDL_APPACTIVE};
  input_pump_events();
  textures[3].pixels[0] = nullptr;
  EXPECT_EQ(Ints({app_inactive, int(sdl.delayed_ms), sdl.mode_sets, sdl.mode_width, int(sdl.mode_flags)}),
            Ints({0, 20, 1, 800, int(SDL_OPENGL | SDL_FULLSCREEN)}));
  EXPECT_EQ(fake::gl_textures[4].level[0].pixels, pixels);
  int uploaded = 0;
  for (const fake::GlTextureObject &object : fake::gl_textures) uploaded += object.uploads;
  EXPECT_EQ(uploaded, 1) << "only the loaded slot";
}

TEST_F(EventPump, ModeListHoldsEachModeAtBothDepthsUpToItsCapacity) {
  SDL_Rect big = {0, 0, 1024, 768}, small = {0, 0, 800, 600};
  SDL_Rect *two[] = {&big, &small, nullptr};
  fake::listed_modes = two;
  input_list_video_modes();
  EXPECT_EQ(sdl.listed_mode_flags, SDL_OPENGL | SDL_FULLSCREEN);
  Ints listed;
  for (int i = 0; i < video_mode_count; ++i)
    listed.insert(listed.end(), {video_modes[i].width, video_modes[i].height, video_modes[i].bpp});
  EXPECT_EQ(listed, Ints({1024, 768, 32, 1024, 768, 16, 800, 600, 32, 800, 600, 16}));
  for (SDL_Rect **none : {static_cast<SDL_Rect **>(nullptr), reinterpret_cast<SDL_Rect **>(-1)}) {
    fake::listed_modes = none;  // no mode, or any size
    input_list_video_modes();
    EXPECT_EQ(video_mode_count, 4);
  }
  static SDL_Rect *many[3000];
  std::fill(many, many + 2999, &small);
  fake::listed_modes = many;
  input_list_video_modes();
  EXPECT_EQ(video_mode_count, MAX_VIDEO_MODES);
}

TEST_F(EngineTest, KeyNamesNameTheLettersDigitsAndNavigationKeys) {
  input_init_key_names();
  const std::pair<int, const char *> named[] = {
      {0, "None"}, {13, "Enter"}, {'0', "0"}, {'9', "9"}, {'a', "A"}, {'z', "Z"}, {261, "Center"},
      {275, "Right"}, {308, "Alt"}, {27, ""}, {278, ""}, {303, ""}};
  for (const auto &[code, name] : named) EXPECT_STREQ(key_names[code], name) << code;
  int count = 0;
  for (const auto &name : key_names) count += name[0] != '\0';
  EXPECT_EQ(count, 57);
}

}  // namespace
