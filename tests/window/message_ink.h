// Checks a captured picture that should hold one line of light text on black,
// against where the text's measured advances and size say it must lie.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/window/capture.h"

namespace window_test {

// Where a line of text lies in a window, in pixels, as its advances and size
// predict: the box the glyph quads span, and the advance of its space.
struct TextLayout {
  double left = 0, top = 0, width = 0, height = 0;
  double space_left = 0, space_right = 0;
};
std::ostream &operator<<(std::ostream &out, const TextLayout &layout);

// A run of neighbouring pixel columns, from `first` to `last` inclusive.
struct ColumnRun {
  int first = 0, last = 0;
};
std::ostream &operator<<(std::ostream &out, const ColumnRun &run);

// The runs of neighbouring columns that hold ink within the layout's box,
// left to right: one per letter where the letters do not touch.
std::vector<ColumnRun> ink_columns(const Capture &picture, const TextLayout &layout);

// Black everywhere but inside the layout's box, and inside it something that
// looks like the text: enough ink but not a block, reaching from near one end
// of the box to the other and at least half its height, with the widest gap
// between inked columns where the space is.
::testing::AssertionResult shows_only_text(const Capture &picture, const TextLayout &layout);

}  // namespace window_test
