// Formatted text: a format and typed values of every kind an escape can take.
// The expansion stays within its limit, terminated, and measures as drawn.
#include "gfx/text.h"
#include "tests/fuzz/fuzz_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in{data, size};
  TextArg values[8];
  std::string strings[8];
  const int count = take<uint8_t>(in) % 9;
  for (int i = 0; i < count; ++i) {
    const auto kind = TextArg::Kind(take<uint8_t>(in) % 4);
    strings[i] = take<std::string>(in, take<uint8_t>(in) % 64);
    values[i] = {kind, take<int64_t>(in), take<double>(in), strings[i].c_str()};
  }
  const std::string format = take<std::string>(in, in.size);
  const int length = gfx_expand_text(format.c_str(), values, count);
  promise(length >= 0 && length <= TEXT_MAX_CHARS && text_buffer[length] == '\0' &&
              std::strlen(text_buffer) == size_t(length), "the expansion is cut and terminated");
  promise(gfx_text_width(text_buffer, 16) >= 0, "a width is never negative");
  gfx_draw_text_values(format.c_str(), 0, 0, 16, take<uint8_t>(in), 1, 1, 1, 1, values, count);
  return 0;
}
