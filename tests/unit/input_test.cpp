// Input against the SDL double: the keyboard and mouse snapshots, joysticks,
// the event pump, the mode list and the key names.

#include "tests/support/engine_test.h"

namespace {

using fake::sdl;
using Input = EngineTest;

// The right-hand duplicates set their main keys too, in the same snapshot,
// and the previous snapshot keeps that folding; Alt is not folded.
TEST_F(Input, KeyboardCopiesThePlatformAndFoldsTheRightHandKeys) {
  platform.keys[SDLK_a] = platform.keys[KEY_COUNT - 1] = platform.keys[SDLK_RALT] = 1;
  platform.keys[KEY_KEYPAD_ENTER] = platform.keys[KEY_RIGHT_CTRL] = platform.keys[KEY_RIGHT_SHIFT] = 1;
  platform.mod = KMOD_LSHIFT | KMOD_NUM;
  input_read_keyboard();
  auto down = [](const uint8_t *keys) {
    return Ints({keys[SDLK_a], keys[KEY_COUNT - 1], keys[KEY_RETURN], keys[KEY_LEFT_CTRL],
                 keys[KEY_LEFT_SHIFT], keys[KEY_KEYPAD_ENTER], keys[SDLK_LALT]});
  };
  EXPECT_EQ(down(key_state), Ints({1, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(mod_state, KMOD_LSHIFT | KMOD_NUM);
  platform.keys[SDLK_a] = platform.keys[KEY_RIGHT_SHIFT] = 0;
  input_read_keyboard();  // left Shift is up in the first snapshot after the release
  EXPECT_EQ(down(key_state), Ints({0, 1, 1, 1, 0, 1, 0}));
  EXPECT_EQ(down(key_state_prev), Ints({1, 1, 1, 1, 1, 1, 0}));
}

// The position is scaled by the window's size to 640 by 480 units, truncating;
// a zero-sized mode leaves pixels as they are rather than divide by zero. The
// relative reader takes the motion instead and puts the pointer mid-window.
// A button release shows in exactly one snapshot, whichever reader took it;
// the middle button is not kept; the wheel counts survive the readers, and
// every field goes into the previous snapshot.
TEST_F(Input, MousePositionMotionAndButtons) {
  const int cases[][6] = {  // window w, h, pixel x, y, view x, y
      {0, 0, 10, 20, 10, 20}, {1280, 960, 1279, 480, 639, 240}, {800, 600, 799, 599, 639, 479}};
  for (const auto &c : cases) {
    video.width = c[0], video.height = c[1];
    platform.mouse_x = c[2], platform.mouse_y = c[3];
    input_read_mouse();  // pumps before it reads
    EXPECT_EQ(Ints({mouse.x, mouse.y}), Ints({c[4], c[5]})) << c[2];
  }
  platform.relative_x = -7, platform.relative_y = 12;
  input_read_mouse_relative();
  EXPECT_EQ(Ints({mouse.dx, mouse.dy, mouse.x, mouse.y}), Ints({-7, 12, 400, 300}));

  mouse.wheel_up = 3, mouse.wheel_down = 8;
  // The reader, the buttons down, then left, right and their releases as read.
  const struct { void (*read)(); int buttons; Ints want; } rows[] = {
      {input_read_mouse, SDL_BUTTON_LMASK | SDL_BUTTON_MMASK, {1, 0, 0, 0}},
      {input_read_mouse_relative, SDL_BUTTON_RMASK, {0, 1, 1, 0}}, {input_read_mouse, 0, {0, 0, 0, 1}},
      {input_read_mouse, SDL_BUTTON_MMASK, {0, 0, 0, 0}}, {input_read_mouse, SDL_BUTTON_MMASK, {0, 0, 0, 0}}};
  for (const auto &c : rows) {
    platform.mouse_buttons = uint8_t(c.buttons);
    c.read();
    EXPECT_EQ(Ints({mouse.left, mouse.right, mouse.left_released, mouse.right_released}), c.want) << &c - rows;
  }
  EXPECT_EQ(Ints({mouse.wheel_up, mouse.wheel_down}), Ints({3, 8}));
  EXPECT_EQ(0, std::memcmp(&mouse_prev, &mouse, sizeof mouse));
}

// Twenty devices. Device 0 will not open: it keeps its name and is never
// polled. Devices 1 and 2 are polled three times, the last while joysticks are
// off, which changes neither table. Axes scale by 32768, a press shows against
// the poll before, and each hat value from 0 to 15 (after up and left) is
// matched whole against the positions. Device 2 has more of everything than a
// record holds and a 100-character name: it is cut to fit, as is the number of
// devices.
TEST_F(Input, JoysticksArePolledIntoRecordsCutToFit) {
  const std::string long_name(100, 'n');
  platform.joystick_devices = 20, joystick_enabled = 1;
  platform.joysticks[0] = {true, "Broken", 3, 1, 8, {}, {}, {}};
  platform.joysticks[1] = {false, nullptr, 3, 1, 8, {-32768, 0, 32767}, {}, {9, 9, 9, 9, 9, 9, 9, 9}};
  platform.joysticks[2] = {false, long_name.c_str(), 12, 40, 12, {}, {}, {9, 9, 9, 9, 9, 9, 9, 9}};
  input_open_joysticks(), input_read_joysticks();
  platform.joysticks[1].button[0] = 1;
  for (int v = 0; v < 16; ++v) platform.joysticks[1 + v / 8].hat[v % 8] = Uint8(v);
  input_read_joysticks();
  joystick_enabled = platform.joysticks[1].axis[0] = 0;
  input_read_joysticks();
  const JoystickState &now = joysticks[1], &before = joysticks_prev[1], &big = joysticks[2];
  EXPECT_EQ(Floats(now.axes, now.axes + 4), Floats({-1, 0, 0.999969482421875f, 0}));
  EXPECT_EQ(Ints({before.buttons[0], now.buttons[0], before.hats[0][HAT_LEFT], now.name[0], joysticks[0].hat_count,
                  sdl.joystick_events, joystick_count}), Ints({0, 1, 1, 0, 0, SDL_IGNORE, MAX_JOYSTICKS}));
  EXPECT_EQ(Ints({big.axis_count, big.button_count, big.hat_count, int(std::strlen(big.name))}), Ints({8, 32, 8, 63}));
  EXPECT_STREQ(joysticks[0].name, "Broken");
  // Up, down, left, right for each hat: values 0 to 7, then 8 to 15.
  EXPECT_EQ(Ints(now.hats[0], now.hats[0] + 32), Ints({0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1,
                                                      0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Ints(big.hats[0], big.hats[0] + 32), Ints({0, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                      0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// Wheel notches count up to 8 each way; the rest of the queue is drained and
// handled after a quit; buttons are read from the snapshot, not from events.
TEST_F(Input, PumpCountsWheelNotchesAndQuitRequests) {
  for (int i = 0; i < 10; ++i) fake::push(SDL_MOUSEBUTTONDOWN).button.button = SDL_BUTTON_WHEELUP;
  fake::push(SDL_QUIT);
  for (int i = 0; i < 9; ++i) fake::push(SDL_MOUSEBUTTONDOWN).button.button = SDL_BUTTON_WHEELDOWN;
  fake::push(SDL_MOUSEBUTTONDOWN).button.button = SDL_BUTTON_LEFT;
  input_pump_events();
  EXPECT_EQ(Ints({mouse.wheel_up, mouse.wheel_down, mouse.left, quit_requested, fake::pending_events()}),
            Ints({WHEEL_MAX, WHEEL_MAX, 0, 1, 0}));
}

// Losing focus releases the grab; every later pump sleeps 10 ms until the
// window is activated again, which sets the mode again (full screen kept)
// and uploads every loaded texture under its own name once more (slot 3 is
// loaded and named 4; slot 0, named 1, is empty).
TEST_F(Input, FocusLossSlowsThePumpAndActivationRestoresTheWindow) {
  ASSERT_TRUE(write_png("t.png", 2, 2, {0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF}));
  gfx_load_texture(3, "t.png", 0, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR);
  fake::push(SDL_ACTIVEEVENT).active = {SDL_ACTIVEEVENT, 0, SDL_APPINPUTFOCUS | SDL_APPACTIVE};
  input_pump_events();  // the pump that sees the loss does not sleep yet
  EXPECT_EQ(Ints({app_inactive, sdl.grab, sdl.mode_sets, sdl.delays}), Ints({1, SDL_GRAB_OFF, 0, 0}));
  fake::push(SDL_ACTIVEEVENT).active = {SDL_ACTIVEEVENT, 1, SDL_APPINPUTFOCUS};  // not an activation
  input_pump_events();
  EXPECT_EQ(Ints({app_inactive, int(sdl.delayed_ms)}), Ints({1, 10}));
  video.fullscreen = 1;
  fake::push(SDL_ACTIVEEVENT).active = {SDL_ACTIVEEVENT, 1, SDL_APPACTIVE};
  input_pump_events();
  EXPECT_EQ(Ints({app_inactive, int(sdl.delayed_ms), sdl.mode_sets, sdl.mode_width, int(sdl.mode_flags)}),
            Ints({0, 20, 1, 800, int(SDL_OPENGL | SDL_FULLSCREEN)}));
  EXPECT_EQ(Ints({fake::gl_textures[4].uploads, fake::gl_textures[1].uploads}), Ints({2, 0}));
}

TEST_F(Input, ModeListHoldsEachModeAtBothDepthsUpToItsCapacity) {
  SDL_Rect big = {0, 0, 1024, 768}, small = {0, 0, 800, 600};
  SDL_Rect *two[] = {&big, &small, nullptr};
  std::vector<SDL_Rect *> many(3000, &small);
  many.back() = nullptr;
  // Two modes; then no mode and any size, which add nothing; then more than fit.
  SDL_Rect **lists[] = {two, nullptr, reinterpret_cast<SDL_Rect **>(-1), many.data()};
  const int counts[] = {4, 4, 4, MAX_VIDEO_MODES};
  for (int i = 0; i < 4; ++i) {
    platform.listed_modes = lists[i];
    input_list_video_modes();
    EXPECT_EQ(video_mode_count, counts[i]) << i;
  }
  const VideoModeEntry listed[] = {{1024, 768, 32}, {1024, 768, 16}, {800, 600, 32}, {800, 600, 16}};
  EXPECT_EQ(sdl.listed_mode_flags, SDL_OPENGL | SDL_FULLSCREEN);
  EXPECT_EQ(0, std::memcmp(video_modes, listed, sizeof listed));
}

TEST_F(Input, KeyNamesNameTheLettersDigitsAndNavigationKeys) {
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
