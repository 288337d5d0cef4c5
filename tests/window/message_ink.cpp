#include "tests/window/message_ink.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
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
constexpr double MIN_INK_SHARE = 0.10;
constexpr double MAX_INK_SHARE = 0.60;
// The first and last glyphs start and end their ink within a few pixels of the
// ends of the box: one texel of pen position and some side bearing.
constexpr double END_REACH = 6;
// Letters reach at least half the text size from their tops to the baseline.
constexpr double MIN_INK_HEIGHT_SHARE = 0.5;
// A gap between letters is a few pixels; the space's is its whole advance.
constexpr int SPACE_EDGE_BLUR = 2;

int brightness(Rgb colour) { return std::max({colour.red, colour.green, colour.blue}); }

Rect tolerant_box(const TextLayout &layout) {
  const int left = int(std::floor(layout.left - EDGE_TOLERANCE));
  const int top = int(std::floor(layout.top - EDGE_TOLERANCE));
  const int right = int(std::ceil(layout.left + layout.width + EDGE_TOLERANCE));
  const int bottom = int(std::ceil(layout.top + layout.height + EDGE_TOLERANCE));
  return {left, top, right - left, bottom - top};
}

struct InkExtent {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
  int count = 0;
};

InkExtent ink_extent(const Capture &picture, Rect region) {
  InkExtent ink;
  const int x_end = std::min(region.x + region.width, picture.width());
  const int y_end = std::min(region.y + region.height, picture.height());
  for (int y = std::max(region.y, 0); y < y_end; ++y) {
    for (int x = std::max(region.x, 0); x < x_end; ++x) {
      if (brightness(picture.pixel(x, y)) < INK_LEVEL) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      ++ink.count;
    }
  }
  return ink;
}

bool column_has_ink(const Capture &picture, int x, Rect region) {
  const int y_end = std::min(region.y + region.height, picture.height());
  for (int y = std::max(region.y, 0); y < y_end; ++y) {
    if (brightness(picture.pixel(x, y)) >= INK_LEVEL) return true;
  }
  return false;
}

std::vector<ColumnRun> ink_columns_of(const Capture &picture, Rect region) {
  std::vector<ColumnRun> runs;
  const int x_end = std::min(region.x + region.width, picture.width());
  for (int x = std::max(region.x, 0); x < x_end; ++x) {
    if (!column_has_ink(picture, x, region)) continue;
    if (!runs.empty() && runs.back().last == x - 1) {
      runs.back().last = x;
    } else {
      runs.push_back({x, x});
    }
  }
  return runs;
}

// Checks gathered into one report, so that a failure shows all that is wrong
// with the picture at once.
class Findings {
 public:
  void check(bool holds, const std::string &what) {
    if (!holds) faults_ << "\n  " << what;
    ok_ = ok_ && holds;
  }
  ::testing::AssertionResult result(const TextLayout &layout) const {
    if (ok_) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the picture does not show just the text " << layout
                                         << ":" << faults_.str();
  }

 private:
  bool ok_ = true;
  std::ostringstream faults_;
};

void check_extent(Findings *findings, const InkExtent &ink, const TextLayout &layout) {
  const double right = layout.left + layout.width - 1;  // last pixel column of the box
  const double area = layout.width * layout.height;
  std::ostringstream seen;
  seen << " (ink from x " << ink.left << " to " << ink.right << ", y " << ink.top << " to "
       << ink.bottom << ", " << ink.count << " pixels)";
  findings->check(ink.count >= MIN_INK_SHARE * area, "too little ink for text" + seen.str());
  findings->check(ink.count <= MAX_INK_SHARE * area, "too much ink for text" + seen.str());
  findings->check(ink.left <= layout.left + END_REACH, "the ink starts late" + seen.str());
  findings->check(ink.right >= right - END_REACH, "the ink ends early" + seen.str());
  findings->check(ink.bottom - ink.top + 1 >= MIN_INK_HEIGHT_SHARE * layout.height,
                  "the ink is too low for letters" + seen.str());
}

std::string runs_text(const std::vector<ColumnRun> &runs) {
  std::ostringstream text;
  for (const ColumnRun &run : runs) text << " " << run;
  return text.str();
}

// The gaps between letters are the spaces between successive runs; the widest
// must be the space's, and the space's advance, less its blurred edges, must
// hold no ink at all.
void check_space(Findings *findings, const std::vector<ColumnRun> &runs,
                 const TextLayout &layout) {
  const int clear_from = int(std::ceil(layout.space_left)) + SPACE_EDGE_BLUR;
  const int clear_to = int(std::floor(layout.space_right)) - 1 - SPACE_EDGE_BLUR;
  size_t widest = 0;
  int widest_gap = -1;
  for (size_t i = 1; i < runs.size(); ++i) {
    const int gap = runs[i].first - runs[i - 1].last - 1;
    if (gap > widest_gap) widest_gap = gap, widest = i;
  }
  const bool found = widest_gap > 0 && runs[widest - 1].last < clear_from &&
                     runs[widest].first > clear_to;
  findings->check(found, "no gap clear of ink over columns " + std::to_string(clear_from) + ".." +
                             std::to_string(clear_to) + " is the widest; ink columns:" +
                             runs_text(runs));
}

}  // namespace

std::ostream &operator<<(std::ostream &out, const TextLayout &layout) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(1) << "box " << layout.width << "x" << layout.height
       << " at (" << layout.left << ", " << layout.top << "), space from x " << layout.space_left
       << " to " << layout.space_right;
  return out << text.str();
}

std::ostream &operator<<(std::ostream &out, const ColumnRun &run) {
  return out << run.first << ".." << run.last;
}

std::vector<ColumnRun> ink_columns(const Capture &picture, const TextLayout &layout) {
  return ink_columns_of(picture, tolerant_box(layout));
}

::testing::AssertionResult shows_only_text(const Capture &picture, const TextLayout &layout) {
  Findings findings;
  const Rect box = tolerant_box(layout);
  const int outside = picture.count_not(BLACK, picture.bounds()) - picture.count_not(BLACK, box);
  findings.check(outside == 0, std::to_string(outside) + " pixels are lit outside " +
                                   (std::ostringstream() << box).str());
  const InkExtent ink = ink_extent(picture, box);
  findings.check(ink.count > 0, "there is no ink at all in the box");
  if (ink.count > 0) {
    check_extent(&findings, ink, layout);
    check_space(&findings, ink_columns_of(picture, box), layout);
  }
  return findings.result(layout);
}

}  // namespace window_test
