// Checks a captured picture that should hold one line of light text on black
// against where the text's measured advances and size say it must lie.
#pragma once

#include "tests/window/window_test.h"

namespace window_test {

// Where a line of text lies in a window, in pixels, as its advances and size
// predict: the box the glyph quads span, and the advance of its space.
struct TextLayout {
  double left = 0, top = 0, width = 0, height = 0;
  double space_left = 0, space_right = 0;
  int letters = 0;  // glyphs with ink
};

// Black everywhere but inside the layout's box, and inside it something that
// looks like the text: enough ink but not a block, reaching from near one end
// of the box to the other and at least half its height, one run of inked
// columns per letter, and the widest gap between them where the space is.
::testing::AssertionResult shows_only_text(const Capture &picture, const TextLayout &layout);

}  // namespace window_test
