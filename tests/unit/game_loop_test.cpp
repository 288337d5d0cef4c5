// The main loop's frame order, its step pacing against a scripted clock, and
// the ways it ends.
#include "app/game_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "app/startup.h"
#include "app/world.h"
#include "gfx/font.h"
#include "gui/widgets.h"
#include "input/events.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/doubles.h"

namespace {

class MainLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    doubles_reset();
    char folder[] = "/tmp/quillary-loop-XXXXXX";  // no level file: the set-up map
    ASSERT_NE(mkdtemp(folder), nullptr);
    ASSERT_EQ(chdir(folder), 0);
    video = VIDEO_DEFAULTS;
    fonts[0].view_width = 640;
    fonts[0].view_height = 480;
    quit_requested = 0;
    goal_reached = 0;
    player = {};
    widgets[0].pressed = 0;
    std::memset(key_state, 0, sizeof key_state);
    std::memset(key_state_prev, 0, sizeof key_state_prev);
  }
};

// Positions, in the recording, of the calls that mark each step of a frame.
TEST_F(MainLoop, FrameRunsItsStepsInOrder) {
  fake::push_quit();
  fake::ticks_per_read = 0;
  game_run();
  ASSERT_EQ(call_count("SDL_GL_SwapBuffers"), 1);
  const char *order[] = {"glClearColor", "glClear",        "SDL_PollEvent", "SDL_GetKeyState",
                         "SDL_PumpEvents", "SDL_GetMouseState", "glFrustum",    "glOrtho",
                         "SDL_GL_SwapBuffers"};
  int previous = call_index("SDL_GetTicks");  // last_tick is read before the first frame
  ASSERT_GE(previous, 0);
  for (const char *name : order) {
    int index = call_index(name, 0, previous + 1);
    ASSERT_GT(index, previous) << name;
    previous = index;
  }
  EXPECT_EQ(call_text(*find_call("glClearColor")), "glClearColor(0, 0, 0, 0)");
  EXPECT_EQ(find_call("glClear")->args[0], 0x4100);
}

TEST_F(MainLoop, DeclaresTheHiddenQuitButtonEachFrame) {
  fake::push_quit();
  game_run();
  EXPECT_EQ(widget_count, 1);
  EXPECT_EQ(widgets[0].x, -160);
  EXPECT_EQ(widgets[0].y, 0);
  EXPECT_EQ(widgets[0].width, 96);
  EXPECT_EQ(widgets[0].height, 24);
  EXPECT_EQ(widgets[0].key, KEY_ESCAPE);
}

// game_run_steps on its own, for the pacing rule.
struct Pacing {
  uint32_t last_tick;
  std::initializer_list<uint32_t> clock;  // successive SDL_GetTicks readings
  int steps;
  uint32_t last_tick_after;
};

TEST(StepPacing, RunsWhatTheClockCallsFor) {
  const Pacing cases[] = {
      {1000, {1009}, 0, 1000},                     // under 10 ms: nothing
      {1000, {1010, 1010}, 1, 1010},               // exactly one step
      {1000, {1025, 1025, 1025}, 2, 1020},         // 5 ms carry over
      {1000, {1045, 1045, 1045, 1045, 1045}, 3, 1045},  // the third step drops 15 ms
      {1000, {1050, 1050, 1050, 1050, 1062, 1062, 1063}, 4, 1062},  // the third step took 12 ms
      {1000, {5000, 5000, 5000, 5000, 5020, 5020, 5040}, 4, 5020},  // never more than four
      {0xFFFFFFF8u, {0x10, 0x10, 0x10}, 2, 0x0C},  // the clock wrapped around
  };
  for (const Pacing &c : cases) {
    doubles_reset();
    player = {};
    player.position = {64.5f, 200};  // in the air: steps show as movement
    fake::script_ticks(c.clock);
    uint32_t last_tick = c.last_tick;
    EXPECT_EQ(game_run_steps(&last_tick), c.steps) << "from " << c.last_tick;
    EXPECT_EQ(last_tick, c.last_tick_after) << "from " << c.last_tick;
    EXPECT_EQ(call_count("SDL_GetTicks"), int(c.clock.size())) << "from " << c.last_tick;
  }
}

TEST_F(MainLoop, StepsSeeTheInputOfTheFrameBeforeThem) {
  fake::keys[SDLK_RIGHT] = 1;
  fake::script_ticks({1000, 1010, 1010});  // last_tick, then one step after the first frame
  fake::push_quit();
  game_run();
  EXPECT_FLOAT_EQ(player.velocity.x, 0.003f) << "one step with Right held, in the air";
}

// Escape goes down in frame 3: that frame runs to its end, steps included, and
// no fourth frame starts.
TEST_F(MainLoop, EscapeEndsTheLoopAfterTheFrameThatSawIt) {
  fake::ticks_per_read = 0;
  fake::on_swap = [](int swaps) {
    fake::ticks += 10;  // each frame is followed by exactly one step
    if (swaps == 2) fake::keys[SDLK_ESCAPE] = 1;
    if (swaps > 5) fake::push_quit();  // a guard, should the loop not end
  };
  game_run();
  EXPECT_EQ(fake::swaps, 3);
  EXPECT_EQ(widgets[0].pressed, 1);
  int last_swap = call_index("SDL_GL_SwapBuffers", 2);
  EXPECT_GE(call_index("SDL_GetTicks", 0, last_swap), 0) << "the last frame's steps ran";
  EXPECT_LT(player.position.y, 130) << "the player fell during the steps";
}

TEST_F(MainLoop, EscapeAlreadyDownAtStartEndsAfterTheFirstFrame) {
  fake::keys[SDLK_ESCAPE] = 1;
  fake::on_swap = [](int swaps) {
    if (swaps > 3) fake::push_quit();
  };
  game_run();
  EXPECT_EQ(fake::swaps, 1);
}

TEST_F(MainLoop, QuitRequestEndsTheLoopAfterTheCurrentFrame) {
  fake::on_swap = [](int swaps) {
    if (swaps == 4) fake::push_quit();
  };
  game_run();
  EXPECT_EQ(fake::swaps, 5) << "the quit event is seen by the fifth frame's pump";
  EXPECT_EQ(quit_requested, 1);
}

// A text field that ran in one frame's action pass captures the keyboard for
// the next frame: Escape going down then does not end the game.
TEST_F(MainLoop, FrameAfterAFieldRanIgnoresShortcuts) {
  fake::on_swap = [](int swaps) {
    if (swaps == 2) keyboard_captured = 1;  // as a field's action would leave it
    if (swaps == 2) fake::keys[SDLK_ESCAPE] = 1;
    if (swaps == 4) fake::keys[SDLK_ESCAPE] = 0;
    if (swaps == 5) fake::keys[SDLK_ESCAPE] = 1;
    if (swaps > 8) fake::push_quit();
  };
  game_run();
  EXPECT_EQ(fake::swaps, 6) << "only the second press, uncaptured, ends the game";
  EXPECT_EQ(quit_requested, 0);
}

TEST_F(MainLoop, GoalReachedShowsOnlyTheMessage) {
  fake::on_swap = [](int swaps) {
    if (swaps == 1) goal_reached = 1;
    if (swaps == 2) fake::push_quit();
  };
  game_run();
  int second_frame = call_index("SDL_GL_SwapBuffers", 0);
  EXPECT_GE(call_index("glFrustum"), 0);
  EXPECT_LT(call_index("glFrustum"), second_frame) << "the world is drawn before the goal";
  EXPECT_EQ(call_index("glFrustum", 1), -1) << "and not after it";
  // The message: nine characters in one batch after the overlay.
  int overlay = call_index("glOrtho", 1);
  ASSERT_GT(overlay, second_frame);
  int batch = call_index("glBegin", 0, overlay);
  ASSERT_GT(batch, 0);
  int end = call_index("glEnd", 0, batch);
  int vertices = 0;
  for (int i = batch; i < end; ++i) {
    vertices += std::string(recorded_calls[i].name) == "glVertex2f";
  }
  EXPECT_EQ(vertices, 9 * 4);
}

}  // namespace
