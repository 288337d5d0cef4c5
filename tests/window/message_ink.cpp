#include "tests/window/message_ink.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace window_test {

namespace {

// Pixels that a box's edges may miss by: rasterisation rounds each edge to
// pixel centres, and the blending of the glyphs' edges spreads by one more.
constexpr double EDGE_TOLERANCE = 2;
// A pixel counts as ink from half brightness up; the fainter edge pixels only
// have to stay inside the box.
constexpr int INK_LEVEL = 128;
// The glyphs of a line of text cover part of their box, never all of it: a
// solid block or an empty box is not text.
constexpr double MIN_INK_SHARE = 0.10, MAX_INK_SHARE = 0.60;
// The first and last glyphs start and end their ink within a few pixels of the
// ends of the box: one texel of pen position and some side bearing.
constexpr double END_REACH = 6;
// Letters reach at least half the text size from their tops to the baseline.
constexpr double MIN_INK_HEIGHT_SHARE = 0.5;
// A gap between letters is a few pixels; the space's is its whole advance.
constexpr int SPACE_EDGE_BLUR = 2;

struct ColumnRun {
  int first, last;  // inclusive
};

}  // namespace

::testing::AssertionResult shows_only_text(const Capture &picture, const TextLayout &layout) {
  const int left = int(std::floor(layout.left - EDGE_TOLERANCE));
  const int top = int(std::floor(layout.top - EDGE_TOLERANCE));
  const int right = int(std::ceil(layout.left + layout.width + EDGE_TOLERANCE));
  const int bottom = int(std::ceil(layout.top + layout.height + EDGE_TOLERANCE));
  const Rect box{left, top, right - left, bottom - top};
  std::ostringstream faults;
  auto check = [&](bool holds, const std::string &what) {
    if (!holds) faults << "\n  " << what;
  };
  const int outside = picture.count_not(BLACK, picture.bounds()) - picture.count_not(BLACK, box);
  check(outside == 0, std::to_string(outside) + " pixels are lit outside the box");

  // The inked columns of the box in runs, left to right, and the ink's extent.
  std::vector<ColumnRun> runs;
  int ink = 0, ink_top = bottom, ink_bottom = top - 1;
  for (int x = std::max(left, 0); x < std::min(right, picture.width()); ++x) {
    bool inked = false;
    for (int y = std::max(top, 0); y < std::min(bottom, picture.height()); ++y) {
      const Rgb colour = picture.pixel(x, y);
      if (std::max({colour.red, colour.green, colour.blue}) < INK_LEVEL) continue;
      ++ink, inked = true;
      ink_top = std::min(ink_top, y), ink_bottom = std::max(ink_bottom, y);
    }
    if (inked && !runs.empty() && runs.back().last == x - 1) {
      runs.back().last = x;
    } else if (inked) {
      runs.push_back({x, x});
    }
  }
  std::ostringstream seen;
  seen << " (" << ink << " ink pixels, rows " << ink_top << " to " << ink_bottom
       << ", inked columns";
  for (const ColumnRun &run : runs) seen << " " << run.first << ".." << run.last;
  seen << ")";
  const double area = layout.width * layout.height;
  check(ink >= MIN_INK_SHARE * area, "too little ink for text");
  check(ink <= MAX_INK_SHARE * area, "too much ink for text");
  if (!runs.empty()) {
    check(runs.front().first <= layout.left + END_REACH, "the ink starts late");
    check(runs.back().last >= layout.left + layout.width - 1 - END_REACH, "the ink ends early");
  }
  check(ink_bottom - ink_top + 1 >= MIN_INK_HEIGHT_SHARE * layout.height,
        "the ink is too low for letters");
  // Glyphs drawn side by side leave a pixel or more between their inks; the
  // two closest, blurred by the filtering, might touch.
  check(int(runs.size()) >= layout.letters - 1 && int(runs.size()) <= layout.letters,
        "not one run of inked columns per letter");

  // The widest gap between runs must be the space's, and the space's advance,
  // less its blurred edges, must hold no ink at all.
  const int clear_from = int(std::ceil(layout.space_left)) + SPACE_EDGE_BLUR;
  const int clear_to = int(std::floor(layout.space_right)) - 1 - SPACE_EDGE_BLUR;
  size_t widest = 0;
  for (size_t i = 1; i < runs.size(); ++i) {
    if (widest == 0 ||
        runs[i].first - runs[i - 1].last > runs[widest].first - runs[widest - 1].last) {
      widest = i;
    }
  }
  check(widest > 0 && runs[widest - 1].last < clear_from && runs[widest].first > clear_to,
        "the widest gap is not the space's, columns " + std::to_string(clear_from) + ".." +
            std::to_string(clear_to));

  if (faults.str().empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the picture does not show just the text in " << box << ", space from x "
         << layout.space_left << " to " << layout.space_right << ":" << faults.str() << "\n "
         << seen.str();
}

}  // namespace window_test
