// The engine's text drawing on a real window: the probe draws the goal message
// with the shipped font, centred on (320, 240) in the 640 by 480 overlay at
// size 24, and says where the engine's own measure of the text puts it; the
// pixels must show the text there and nothing anywhere else.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/window/message_ink.h"

namespace window_test {
namespace {

constexpr milliseconds REPORT_TIMEOUT = 20s;

using TextWindow = WindowTest;

// The probe also reads back the buffer it presented, under the driver whose
// front buffer holds it: a second way to see the frame, which the window's
// pixels must match.
TEST_F(TextWindow, MessageLiesInTheBoxItsMeasuredWidthPredictsAndNowhereElse) {
  std::filesystem::copy(std::string(DATA_DIR) + "/texture", work_dir() / "texture",
                        std::filesystem::copy_options::recursive);
  const std::filesystem::path read_back = work_dir() / "front.rgb";
  ProgramOptions options;
  options.arguments = {"--text", "--read-back", read_back.string()};
  options.environment = {{"GALLIUM_DRIVER", "softpipe"}};
  Program &probe = start(WINDOW_PROBE, options);
  const std::optional<Window> window = wait_for_window(probe);
  ASSERT_TRUE(window);
  ASSERT_TRUE(wait_until([&] { return probe.output().find("read back") != std::string::npos; },
                         REPORT_TIMEOUT));
  // Mesa may write warnings to the same output: the report starts at "box".
  const std::string output = probe.output();
  std::istringstream report(output.substr(std::min(output.find("box "), output.size())));
  std::string box, space;
  TextLayout layout;
  layout.letters = 8;  // "Fuck off!"
  report >> box >> layout.left >> layout.top >> layout.width >> layout.height >> space >>
      layout.space_left >> layout.space_right;
  ASSERT_TRUE(report && box == "box" && space == "space") << output;
  ASSERT_NE(output.find("read back\n"), std::string::npos) << output;

  const Capture on_screen = wait_for_picture(
      *window, "message", [](const Capture &p) { return p.count_not(BLACK, p.bounds()) > 0; });
  EXPECT_TRUE(shows_only_text(on_screen, layout));
  std::ifstream file(read_back, std::ios::binary);
  const Capture front(800, 600, {std::istreambuf_iterator<char>(file), {}});  // checks the size
  EXPECT_TRUE(shows_only_text(front, layout));
  EXPECT_TRUE(front == on_screen) << "the window shows another picture than was read back";
}

}  // namespace
}  // namespace window_test
