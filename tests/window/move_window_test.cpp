// input_move_window on a real SDL window: the probe opens the window with the
// engine's start-up pieces and moves it when told to.
#include "tests/window/window_test.h"

namespace window_test {
namespace {

constexpr milliseconds REPORT_TIMEOUT = 10s;

class MoveWindow : public WindowTest {
 protected:
  Program &start_probe() {
    ProgramOptions options;
    options.input_pipe = true;
    return start(WINDOW_PROBE, options);
  }

  // Tells the probe to move its window and waits until it has: the move is
  // synchronous on the probe's connection, so the server knows the new place
  // by the time the probe says so.
  bool move(Program &probe, int x, int y) {
    const std::string line = "move " + std::to_string(x) + " " + std::to_string(y) + "\n";
    const std::string report = "moved " + std::to_string(x) + " " + std::to_string(y) + "\n";
    return probe.write_input(line) &&
           wait_until([&] { return probe.output().find(report) != std::string::npos; },
                      REPORT_TIMEOUT);
  }
};

TEST_F(MoveWindow, PutsTheTopLeftCornerAtThePositionAndKeepsTheSize) {
  Program &probe = start_probe();
  const std::optional<Window> window = wait_for_window(probe, "Quillary");
  ASSERT_TRUE(window);
  const Rect before = session().geometry(*window);
  ASSERT_EQ(before.width, 800);
  ASSERT_EQ(before.height, 600);
  ASSERT_NE(before.x, 123);

  ASSERT_TRUE(move(probe, 123, 45));
  EXPECT_EQ(session().geometry(*window), (Rect{123, 45, 800, 600}));

  ASSERT_TRUE(move(probe, 0, 0));
  EXPECT_EQ(session().geometry(*window), (Rect{0, 0, 800, 600}));
}

TEST_F(MoveWindow, TakesTheWindowPartlyOffTheScreen) {
  Program &probe = start_probe();
  const std::optional<Window> window = wait_for_window(probe, "Quillary");
  ASSERT_TRUE(window);
  ASSERT_TRUE(move(probe, -40, 500));
  EXPECT_EQ(session().geometry(*window), (Rect{-40, 500, 800, 600}));
}

}  // namespace
}  // namespace window_test
