// The real game on a real window, started in an empty folder: no level file,
// so it plays the set-up map, the border and the floor at row 128.
#include <fstream>

#include "tests/window/window_test.h"

namespace window_test {
namespace {

constexpr milliseconds EXIT_TIMEOUT = 5s;
constexpr milliseconds FRAME_TIMEOUT = 20s;
constexpr long FRAMES_TO_SEE = 20;

// The camera starts one tile above the floor's top and the player stands on
// the floor, so the upper part of the window (down to y 283 of 600) shows
// empty rows only; the floor row crosses the whole width lower down.
constexpr Rect EMPTY_TOP_ROWS{0, 0, 800, 200};
constexpr Rect LOWER_HALF{0, 300, 800, 300};

class GameWindow : public WindowTest {
 protected:
  Program &start_game(ProgramOptions options = {}) { return start(QUILLARY, std::move(options)); }
};

// The running swap count that the preloaded counter keeps, or -1 before the
// first swap.
long swap_count(const std::filesystem::path &count_file) {
  std::ifstream file(count_file);
  long count = -1;
  file >> count;
  return file ? count : -1;
}

TEST_F(GameWindow, OpensAn800By600WindowCaptionedQuillary) {
  Program &game = start_game();
  const std::optional<Window> window = wait_for_window(game, "Quillary");
  ASSERT_TRUE(window);
  const Rect place = session().geometry(*window);
  EXPECT_EQ(place.width, 800);
  EXPECT_EQ(place.height, 600);
}

TEST_F(GameWindow, ClosingTheWindowEndsTheGameWithStatusZero) {
  Program &game = start_game();
  const std::optional<Window> window = wait_for_window(game, "Quillary");
  ASSERT_TRUE(window);
  session().close_window(*window);
  EXPECT_EQ(game.wait_for_exit(EXIT_TIMEOUT), 0);
}

TEST_F(GameWindow, KeepsPresentingFramesOnABlackBackground) {
  const std::filesystem::path count_file = work_dir() / "swaps";
  ProgramOptions options;
  options.environment = {{"LD_PRELOAD", SWAP_COUNTER}, {"SWAP_COUNT_FILE", count_file.string()}};
  Program &game = start_game(options);
  const std::optional<Window> window = wait_for_window(game, "Quillary");
  ASSERT_TRUE(window);

  ASSERT_TRUE(wait_until([&] { return swap_count(count_file) > 0; }, FRAME_TIMEOUT))
      << "no buffer swap was counted";
  const long first = swap_count(count_file);
  EXPECT_TRUE(
      wait_until([&] { return swap_count(count_file) >= first + FRAMES_TO_SEE; }, FRAME_TIMEOUT))
      << "the swap count went from " << first << " only to " << swap_count(count_file);

  const Capture picture = capture(*window, "frame");
  EXPECT_EQ(picture.count_not(BLACK, EMPTY_TOP_ROWS), 0) << "the empty rows are not black";
  EXPECT_GT(picture.count_of(WHITE, LOWER_HALF), 0) << "the floor is not drawn";
}

}  // namespace
}  // namespace window_test
