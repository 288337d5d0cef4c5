// Characters from the keyboard snapshots: no character events are read, so
// the layout is our own, a US one. Every key that fires overwrites the
// result, which makes the order of the tests the order of precedence.
#include <cctype>
#include <cstring>
#include <iterator>

#include "gui/text_entry.h"
#include "gui/widgets.h"
#include "input/keyboard_mouse.h"

namespace {

struct Symbol {
  int key, result;
};

constexpr Symbol UNSHIFTED[] = {{'/', '/'}, {';', ';'}, {'-', '-'}, {'=', '='},
                                {',', ','}, {'\\', '\\'}, {'\'', '\''}};
constexpr Symbol SHIFTED[] = {{'0', ')'}, {'1', '!'}, {'2', '@'}, {'3', '#'}, {'4', '$'},
                              {'5', '%'}, {'6', '^'}, {'7', '&'}, {'8', '*'}, {'9', '('},
                              {'/', '?'}, {';', ':'}, {'-', '_'}, {KEY_KEYPAD_MINUS, '-'},
                              {'=', '+'}, {'.', '>'}, {',', '<'}, {'\\', '|'}, {'\'', '"'}};

bool went_down(int key) { return key_state[key] && !key_state_prev[key]; }
bool fires(int key, int32_t hold) { return key_state[key] && (hold || !key_state_prev[key]); }
bool shift_down() { return key_state[KEY_LEFT_SHIFT] != 0; }

// Keys first..last give results from first_result on, in that order.
void scan_range(int *result, int first, int last, int first_result, int32_t hold) {
  for (int key = first; key <= last; ++key) {
    if (fires(key, hold)) *result = first_result + key - first;
  }
}

template <size_t N>
void scan_symbols(int *result, const Symbol (&table)[N], int32_t hold) {
  for (const Symbol &symbol : table) {
    if (fires(symbol.key, hold)) *result = symbol.result;
  }
}

int printable(int32_t hold, int32_t classes) {
  int result = KEYCHAR_NONE;
  if (classes & KEYS_LETTERS) {
    scan_range(&result, 'a', 'z', 'a', hold);
    if (result != KEYCHAR_NONE && shift_down()) result = std::toupper(result);
  }
  if ((classes & KEYS_SPACE) && fires(' ', hold)) result = ' ';
  if (shift_down()) {
    if (classes & KEYS_SYMBOLS) scan_symbols(&result, SHIFTED, hold);
    return result;
  }
  if (classes & KEYS_DIGITS) {
    scan_range(&result, '0', '9', '0', hold);
    scan_range(&result, KEY_KEYPAD_0, KEY_KEYPAD_0 + 9, '0', hold);
  }
  if ((classes & KEYS_PERIOD) && fires('.', hold)) result = '.';
  if ((classes & KEYS_MINUS) && fires('-', hold)) result = '-';
  if (classes & KEYS_SYMBOLS) scan_symbols(&result, UNSHIFTED, hold);
  return result;
}

int editing(int result, int32_t hold) {
  if (fires(KEY_DELETE, hold)) result = KEYCHAR_DELETE;
  if (fires(KEY_BACKSPACE, hold)) result = KEYCHAR_BACKSPACE;
  if (went_down(KEY_RETURN) || went_down(KEY_ESCAPE)) result = KEYCHAR_DONE;
  if (went_down(KEY_TAB)) result = shift_down() ? KEYCHAR_PREV_FIELD : KEYCHAR_NEXT_FIELD;
  return result;
}

// Without shift the selection collapses onto the caret; with it, it grows or
// shrinks from the anchor.
void collapse() {
  if (!shift_down()) edit_anchor = edit_caret;
}

void move_caret(int32_t hold) {
  const int32_t length = static_cast<int32_t>(std::strlen(edit_text));
  if (fires(KEY_INSERT, hold)) edit_overwrite ^= 1;
  if (fires(KEY_HOME, hold)) edit_caret = 0, collapse();
  if (fires(KEY_END, hold)) edit_caret = length, collapse();
  if (fires(KEY_LEFT, hold)) {
    if (edit_caret > 0) --edit_caret;
    collapse();
  }
  if (fires(KEY_RIGHT, hold)) {
    if (edit_caret < length) ++edit_caret;
    collapse();
  }
}

}  // namespace

void gui_clamp_edit_state() {
  const int32_t length = static_cast<int32_t>(std::strlen(edit_text));
  for (int32_t *index : {&edit_anchor, &edit_caret}) {
    if (*index < 0) *index = 0;
    if (*index > length) *index = length;
  }
}

int32_t gui_translate_key(int32_t hold, int32_t classes) {
  const int result = editing(printable(hold, classes), hold);
  move_caret(hold);
  gui_clamp_edit_state();
  return result;
}
