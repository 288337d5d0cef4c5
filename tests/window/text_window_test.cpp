// The engine's text drawing on a real window: the probe draws the goal message
// with the shipped font, centred on (320, 240) in the 640 by 480 overlay at
// size 24, and says where the engine's own measure of the text puts it; the
// pixels must show the text there and nothing anywhere else.
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/window/message_ink.h"
#include "tests/window/window_test.h"

namespace window_test {
namespace {

constexpr milliseconds REPORT_TIMEOUT = 20s;
constexpr milliseconds PICTURE_TIMEOUT = 10s;
constexpr Rect WINDOW{0, 0, 800, 600};
// "Fuck off!": eight letters; the two f's come closest, and blurred by the
// filtering they might touch.
constexpr int MESSAGE_LETTERS = 8;

class TextWindow : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    std::filesystem::copy(std::string(DATA_DIR) + "/texture", work_dir() / "texture",
                          std::filesystem::copy_options::recursive);
  }

  Program &start_probe(ProgramOptions options = {}) {
    return start(TEXT_PROBE, std::move(options));
  }

  // The layout the probe reports once its first frame is on the screen.
  std::optional<TextLayout> wait_for_layout(Program &probe) {
    if (!wait_until([&] { return probe.output().find("drawn\n") != std::string::npos; },
                    REPORT_TIMEOUT)) {
      ADD_FAILURE() << "the probe did not report its first frame";
      return std::nullopt;
    }
    std::istringstream lines(probe.output());
    TextLayout layout;
    std::string word;
    bool box = false, space = false;
    while (lines >> word) {
      if (word == "box") {
        box = bool(lines >> layout.left >> layout.top >> layout.width >> layout.height);
      } else if (word == "space") {
        space = bool(lines >> layout.space_left >> layout.space_right);
      }
    }
    if (!box || !space) {
      ADD_FAILURE() << "the probe's report lacks the box or the space:\n" << probe.output();
      return std::nullopt;
    }
    return layout;
  }

  // The first picture with something lit: the frame has reached the window.
  Capture wait_for_text(Window window) {
    wait_until([&] { return session().capture(window).count_not(BLACK, WINDOW) > 0; },
               PICTURE_TIMEOUT);
    return capture(window, "message");
  }
};

// Glyphs drawn side by side leave a pixel or more between their inks: each
// cell's last drawn column is past its glyph's ink.
void expect_separate_letters(const Capture &picture, const TextLayout &layout) {
  const std::vector<ColumnRun> letters = ink_columns(picture, layout);
  std::ostringstream seen;
  for (const ColumnRun &run : letters) seen << " " << run;
  EXPECT_GE(letters.size(), size_t(MESSAGE_LETTERS - 1)) << "ink columns:" << seen.str();
  EXPECT_LE(letters.size(), size_t(MESSAGE_LETTERS)) << "ink columns:" << seen.str();
}

Capture read_ppm(const std::filesystem::path &path) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  file >> magic >> width >> height >> maximum;
  file.get();  // the single white space before the pixels
  if (!file || magic != "P6" || maximum != 255) {
    throw std::runtime_error("not a binary PPM of bytes: " + path.string());
  }
  std::vector<uint8_t> rgb(std::istreambuf_iterator<char>(file), {});
  return Capture(width, height, std::move(rgb));  // checks that the size matches
}

int pixels_differing(const Capture &one, const Capture &other) {
  int differing = 0;
  for (int y = 0; y < one.height(); ++y) {
    for (int x = 0; x < one.width(); ++x) differing += one.pixel(x, y) != other.pixel(x, y);
  }
  return differing;
}

TEST_F(TextWindow, MessageLiesInTheBoxItsMeasuredWidthPredictsAndNowhereElse) {
  Program &probe = start_probe();
  const std::optional<Window> window = wait_for_window(probe, "Quillary");
  ASSERT_TRUE(window);
  const std::optional<TextLayout> layout = wait_for_layout(probe);
  ASSERT_TRUE(layout);

  const Capture picture = wait_for_text(*window);
  EXPECT_TRUE(shows_only_text(picture, *layout));
  expect_separate_letters(picture, *layout);
}

// A second way to see the frame: the program's own read-back of the buffer it
// presented, under the driver whose front buffer holds it.
TEST_F(TextWindow, FrontBufferReadBackShowsTheSameText) {
  const std::filesystem::path read_back = work_dir() / "front.ppm";
  ProgramOptions options;
  options.arguments = {"--read-back", read_back.string()};
  options.environment = {{"GALLIUM_DRIVER", "softpipe"}};
  Program &probe = start_probe(options);
  const std::optional<Window> window = wait_for_window(probe, "Quillary");
  ASSERT_TRUE(window);
  const std::optional<TextLayout> layout = wait_for_layout(probe);
  ASSERT_TRUE(layout);
  ASSERT_TRUE(wait_until([&] { return probe.output().find("read back") != std::string::npos; },
                         REPORT_TIMEOUT));
  ASSERT_NE(probe.output().find("read back\n"), std::string::npos) << probe.output();

  const Capture front = read_ppm(read_back);
  ASSERT_EQ(front.bounds(), WINDOW);
  EXPECT_TRUE(shows_only_text(front, *layout));
  expect_separate_letters(front, *layout);
  const Capture on_screen = wait_for_text(*window);
  ASSERT_EQ(on_screen.bounds(), WINDOW);
  EXPECT_EQ(pixels_differing(front, on_screen), 0)
      << "the window shows another picture than was read back";
}

}  // namespace
}  // namespace window_test
