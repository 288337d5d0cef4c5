// The few properties of the window tests' own tools that the other tests take
// on trust, where a fault would make them pass without looking: how a
// program ended, which window the caption finds, the capture's channel order,
// and keys reaching SDL.
#include <X11/keysym.h>
#include <signal.h>

#include "tests/window/window_test.h"

namespace window_test {
namespace {

constexpr milliseconds EXIT_TIMEOUT = 10s;

Program shell(const std::string &script) {
  ProgramOptions options;
  options.arguments = {"-c", script};
  return Program("/bin/sh", options);
}

TEST(Program, ReportsHowItEnded) {
  EXPECT_EQ(shell("exit 3").wait_for_exit(EXIT_TIMEOUT), 3);
  EXPECT_EQ(shell("kill -9 $$").wait_for_exit(EXIT_TIMEOUT), 128 + SIGKILL);
  EXPECT_EQ(shell("sleep 30").wait_for_exit(100ms), std::nullopt);
  EXPECT_EQ(Program("/nonexistent/program", {}).wait_for_exit(EXIT_TIMEOUT), 127);
}

using ProbeWindow = WindowTest;

TEST_F(ProbeWindow, IsFoundByItsWholeCaptionCapturedInRgbOrderAndGetsTheKeys) {
  ProgramOptions options;
  options.arguments = {"--clear", "200,100,50"};
  Program &probe = start(WINDOW_PROBE, options);
  const std::optional<Window> window = wait_for_window(probe);
  ASSERT_TRUE(window);
  EXPECT_EQ(find_window("Quillar"), std::nullopt);
  EXPECT_EQ(find_window("Quillary!"), std::nullopt);

  // The window shows the colour from the first frame on that reached it.
  const Rgb colour{200, 100, 50};
  const Capture picture = wait_for_picture(
      *window, "clear", [&](const Capture &p) { return p.count_not(colour, p.bounds()) == 0; });
  EXPECT_EQ(picture.bounds(), (Rect{0, 0, 800, 600}));
  EXPECT_EQ(picture.count_not(colour, picture.bounds()), 0) << picture.pixel(400, 300);

  focus(*window);
  auto reported = [&](const std::string &line) {
    return wait_until([&] { return probe.output().find(line + "\n") != std::string::npos; },
                      EXIT_TIMEOUT);
  };
  press_key(XK_Right);
  EXPECT_TRUE(reported("key down 275"));  // SDLK_RIGHT
  release_key(XK_Right);
  EXPECT_TRUE(reported("key up 275"));
}

}  // namespace
}  // namespace window_test
