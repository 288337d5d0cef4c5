// input_move_window on a real SDL window: the probe opens the window with the
// engine's start-up pieces and moves it to its next place at each SIGUSR1.
#include <signal.h>

#include "tests/window/window_test.h"

namespace window_test {
namespace {

using MoveWindow = WindowTest;

TEST_F(MoveWindow, PutsTheTopLeftCornerAtThePositionAndKeepsTheSize) {
  const Rect places[] = {{123, 45, 800, 600}, {-40, 500, 800, 600}, {0, 0, 800, 600}};
  ProgramOptions options;
  for (const Rect &place : places) {
    options.arguments.insert(options.arguments.end(),
                             {"--move", std::to_string(place.x) + "," + std::to_string(place.y)});
  }
  Program &probe = start(WINDOW_PROBE, options);
  const std::optional<Window> window = wait_for_window(probe);
  ASSERT_TRUE(window);
  ASSERT_EQ(geometry(*window).width, 800);
  ASSERT_NE(geometry(*window).x, places[0].x);

  for (const Rect &place : places) {
    // The move is synchronous on the probe's connection: the server knows the
    // new place by the time the probe reports it.
    const std::string report =
        "moved " + std::to_string(place.x) + " " + std::to_string(place.y) + "\n";
    kill(probe.pid(), SIGUSR1);
    ASSERT_TRUE(wait_until([&] { return probe.output().find(report) != std::string::npos; }, 10s))
        << "the probe did not report: " << report;
    EXPECT_EQ(geometry(*window), place);
  }
}

}  // namespace
}  // namespace window_test
