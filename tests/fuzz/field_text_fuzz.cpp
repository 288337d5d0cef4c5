// Line breaking and the editing view on any text, width, caret and anchor:
// the lines run in order to the end of the text, and never overflow.
#include "gfx/field_text.h"
#include "gfx/font.h"
#include "tests/fuzz/fuzz_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in{data, size};
  const float width = take<float>(in), size_at = take<float>(in);
  const int caret = take<int16_t>(in), anchor = take<int16_t>(in);
  for (int c = 0; c < 256; ++c) fonts[0].advance[c] = float((c * 7) % 5) / 8;
  const std::string text = take<std::string>(in, in.size);
  gfx_wrap_lines(text.c_str(), width, 100, size_at, 0);
  promise(line_count >= 1 && line_count <= MAX_LINES && line_ends[line_count - 1] == int(std::strlen(text.c_str())),
          "the last line ends at the terminator");
  for (int k = 1; k < line_count; ++k) promise(line_ends[k] > line_ends[k - 1], "lines run forward");
  gfx_draw_field_text(caret & 1, caret, anchor, text.c_str(), 0, 0, width, 200, size_at, 0, 1, 1, 1, 1);
  return 0;
}
