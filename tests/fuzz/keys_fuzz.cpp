// Key translation on any pair of keyboard snapshots: a printable character,
// one of the editing codes, or nothing.
#include "gui/text_entry.h"
#include "gui/widgets.h"
#include "input/keyboard_mouse.h"
#include "tests/fuzz/fuzz_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in{data, size};
  const int32_t hold = take<uint8_t>(in) & 1, classes = take<uint8_t>(in);
  std::memset(key_state, 0, sizeof key_state), std::memset(key_state_prev, 0, sizeof key_state_prev);
  for (uint16_t key; in.size >= 2;) key = take<uint16_t>(in), (key & 0x8000 ? key_state_prev : key_state)[key % KEY_COUNT] = 1;
  std::strcpy(edit_text, "some text"), edit_caret = edit_anchor = 4;
  const int32_t c = gui_translate_key(hold, classes);
  promise(c == KEYCHAR_NONE || (c >= KEYCHAR_DELETE && c <= KEYCHAR_PREV_FIELD) || (c >= 32 && c <= 126),
          "a character or an editing code");
  promise(edit_caret >= 0 && edit_caret <= 9 && edit_anchor >= 0 && edit_anchor <= 9, "the caret stays in the text");
  return 0;
}
