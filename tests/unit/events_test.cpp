// The event pump, the list of full-screen modes and the window move, against
// a scripted event queue.
#include "input/events.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/startup.h"
#include "gfx/texture.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/doubles.h"

namespace {

class EventPump : public ::testing::Test {
 protected:
  void SetUp() override {
    doubles_reset();
    quit_requested = 0;
    app_inactive = 0;
    mouse = {};
    video_mode_count = 0;
    video = VIDEO_DEFAULTS;
  }
};

TEST_F(EventPump, WheelNotchesAreCountedUpToEight) {
  for (int i = 0; i < 10; ++i) fake::push_button_down(SDL_BUTTON_WHEELUP);
  for (int i = 0; i < 3; ++i) fake::push_button_down(SDL_BUTTON_WHEELDOWN);
  fake::push_button_down(SDL_BUTTON_LEFT);
  input_pump_events();
  EXPECT_EQ(mouse.wheel_up, WHEEL_MAX);
  EXPECT_EQ(mouse.wheel_down, 3);
  EXPECT_EQ(fake::pending_events(), 0) << "the queue is drained";
  EXPECT_EQ(mouse.left, 0) << "buttons are read from the snapshot, not from events";
}

TEST_F(EventPump, WheelButtonUpIsDropped) {
  SDL_Event event{};
  event.type = SDL_MOUSEBUTTONUP;
  event.button.button = SDL_BUTTON_WHEELUP;
  fake::push_event(event);
  input_pump_events();
  EXPECT_EQ(mouse.wheel_up, 0);
}

TEST_F(EventPump, QuitInTheMiddleStillLetsTheRestBeHandled) {
  fake::push_button_down(SDL_BUTTON_WHEELUP);
  fake::push_quit();
  fake::push_key_down(SDLK_a);
  fake::push_button_down(SDL_BUTTON_WHEELUP);
  input_pump_events();
  EXPECT_EQ(quit_requested, 1);
  EXPECT_EQ(mouse.wheel_up, 2);
  EXPECT_EQ(fake::pending_events(), 0);
}

TEST_F(EventPump, FocusLossReleasesTheGrabAndSlowsEveryLaterPump) {
  fake::push_active(0, SDL_APPINPUTFOCUS);
  input_pump_events();
  EXPECT_EQ(app_inactive, 1);
  ASSERT_NE(find_call("SDL_WM_GrabInput"), nullptr);
  EXPECT_EQ(find_call("SDL_WM_GrabInput")->args[0], SDL_GRAB_OFF);
  EXPECT_EQ(call_count("SDL_Delay"), 0) << "the pump that sees the loss does not sleep";

  recorder_clear();
  input_pump_events();
  input_pump_events();
  auto delays = calls_named("SDL_Delay");
  ASSERT_EQ(delays.size(), 2u);
  EXPECT_EQ(delays[0]->args[0], 10);
  EXPECT_LT(call_index("SDL_Delay"), call_index("SDL_PollEvent")) << "it sleeps before it polls";
}

TEST_F(EventPump, FocusReturnWithoutActivationChangesNothing) {
  app_inactive = 1;
  fake::push_active(1, SDL_APPINPUTFOCUS);
  input_pump_events();
  EXPECT_EQ(app_inactive, 1);
  EXPECT_EQ(call_count("SDL_SetVideoMode"), 0);
  EXPECT_EQ(call_count("SDL_WM_GrabInput"), 0);
}

TEST_F(EventPump, ActivationSetsTheModeAgainAndUploadsEveryLoadedTexture) {
  static uint32_t pixels[4] = {1, 2, 3, 4};
  textures[3] = {};
  textures[3].width = 2;
  textures[3].height = 2;
  textures[3].level_count = 1;
  textures[3].format = GL_RGBA;
  textures[3].internal_format = GL_RGBA;
  textures[3].gl_name = 77;
  textures[3].pixels[0] = pixels;
  app_inactive = 1;
  fake::push_active(1, SDL_APPACTIVE | SDL_APPINPUTFOCUS);
  input_pump_events();

  EXPECT_EQ(app_inactive, 0);
  auto modes = calls_named("SDL_SetVideoMode");
  ASSERT_EQ(modes.size(), 1u);
  EXPECT_EQ(call_text(*modes[0]), "SDL_SetVideoMode(800, 600, 32, 2)");
  auto uploads = calls_named("glTexImage2D");
  ASSERT_EQ(uploads.size(), 1u) << "only the loaded slot is uploaded";
  EXPECT_EQ(uploads[0]->data, pixels);
  EXPECT_LT(call_index("SDL_SetVideoMode"), call_index("glBindTexture"));
  EXPECT_EQ(find_call("glBindTexture")->args[1], 77);
}

TEST_F(EventPump, ActivationKeepsTheFullScreenFlag) {
  video.fullscreen = 1;
  fake::push_active(1, SDL_APPACTIVE);
  input_pump_events();
  ASSERT_NE(find_call("SDL_SetVideoMode"), nullptr);
  EXPECT_EQ(find_call("SDL_SetVideoMode")->args[3], double(0x80000002u));
}

TEST_F(EventPump, FocusLossWithBothBitsOnlyDeactivates) {
  // Both tests run on the same event: gain 0 with both bits only deactivates.
  fake::push_active(0, SDL_APPACTIVE | SDL_APPINPUTFOCUS);
  input_pump_events();
  EXPECT_EQ(app_inactive, 1);
  EXPECT_EQ(call_count("SDL_SetVideoMode"), 0);
}

TEST_F(EventPump, ModeListHoldsEachModeAtBothDepths) {
  SDL_Rect big = {0, 0, 1024, 768};
  SDL_Rect small = {0, 0, 800, 600};
  SDL_Rect *list[] = {&big, &small, nullptr};
  fake::list_modes_result = list;
  input_list_video_modes();
  ASSERT_EQ(video_mode_count, 4);
  const VideoModeEntry expected[] = {{1024, 768, 32}, {1024, 768, 16}, {800, 600, 32}, {800, 600, 16}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(video_modes[i].width, expected[i].width);
    EXPECT_EQ(video_modes[i].height, expected[i].height);
    EXPECT_EQ(video_modes[i].bpp, expected[i].bpp);
  }
  EXPECT_EQ(find_call("SDL_ListModes")->args[0], double(0x80000002u));

  input_list_video_modes();
  EXPECT_EQ(video_mode_count, 8) << "a second call appends the list again";
  EXPECT_EQ(video_modes[4].width, 1024);
}

TEST_F(EventPump, NoModeOrAnyModeListsNothing) {
  fake::list_modes_result = nullptr;
  input_list_video_modes();
  EXPECT_EQ(video_mode_count, 0);
  fake::list_modes_result = reinterpret_cast<SDL_Rect **>(-1);
  input_list_video_modes();
  EXPECT_EQ(video_mode_count, 0);
}

TEST_F(EventPump, ModeListStopsAtItsCapacity) {
  SDL_Rect mode = {0, 0, 640, 480};
  static SDL_Rect *list[3000];
  for (int i = 0; i < 2999; ++i) list[i] = &mode;
  list[2999] = nullptr;
  fake::list_modes_result = list;
  input_list_video_modes();
  EXPECT_EQ(video_mode_count, MAX_VIDEO_MODES);
  input_list_video_modes();
  EXPECT_EQ(video_mode_count, MAX_VIDEO_MODES);
}

TEST_F(EventPump, MovingWithoutANativeWindowDoesNothing) {
  fake::wm_info_result = 0;
  input_move_window(10, 20);
  const RecordedCall *call = find_call("SDL_GetWMInfo");
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->args[0], 1);
  EXPECT_EQ(call->args[1], 2) << "the info record carries the SDL version built against";
}

TEST_F(EventPump, MovingWithAWindowRecordWithoutDisplayDoesNothing) {
  fake::wm_info_result = 1;
  input_move_window(10, 20);
  EXPECT_EQ(call_count("SDL_GetWMInfo"), 1);
}

}  // namespace
