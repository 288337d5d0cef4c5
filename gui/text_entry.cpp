// Editing a field: the first frame fills the shared edit buffer from the
// caller's variable, every frame applies the pointer and the keys to it and
// writes it back, and Return, Escape or Tab end the edit. Numbers are parsed
// so that a text that does not fit the variable's type saturates instead of
// leaving the result to chance.
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/field_text.h"
#include "gfx/font.h"
#include "gui/text_entry.h"
#include "gui/widgets.h"
#include "input/keyboard_mouse.h"

namespace {

constexpr int EMPTIED_BYTES = 256;  // what ending an edit clears of the buffer

// The text always ends inside the buffer: an insertion at the caret limit
// still fits, and a full buffer takes no character that would grow it.
static_assert(EDIT_CARET_LIMIT < EDIT_TEXT_SIZE - 1, "an insertion at the limit still fits");

int32_t edit_length() { return static_cast<int32_t>(std::strlen(edit_text)); }
bool left_went_down() { return mouse.left != 0 && mouse_prev.left == 0; }
bool went_down(int key) { return key_state[key] != 0 && key_state_prev[key] == 0; }

Widget *acting_field() {
  return current_widget >= 0 && current_widget < MAX_WIDGETS ? &widgets[current_widget] : nullptr;
}

void fill_from_variable(const Widget &w) {
  edit_text[0] = '\0';
  if (w.target == nullptr) return;
  const void *target = w.target;
  switch (w.value_kind) {
    case VALUE_INT:
      std::snprintf(edit_text, EDIT_TEXT_SIZE, "%d", *static_cast<const int32_t *>(target));
      break;
    case VALUE_UINT:
      std::snprintf(edit_text, EDIT_TEXT_SIZE, "%u", *static_cast<const uint32_t *>(target));
      break;
    case VALUE_FLOAT:
      std::snprintf(edit_text, EDIT_TEXT_SIZE, "%g", double(*static_cast<const float *>(target)));
      break;
    default:  // a variable longer than the buffer is cut to fit, and read no further
      std::snprintf(edit_text, EDIT_TEXT_SIZE, "%.*s", EDIT_TEXT_SIZE - 1,
                    static_cast<const char *>(target));
      break;
  }
}

// The number a text begins with, as a C conversion reads it, clamped to
// low..high; false when it begins with none.
bool parse_integer(long long low, long long high, long long *out) {
  char *end = nullptr;
  const long long value = std::strtoll(edit_text, &end, 10);
  if (end == edit_text) return false;
  *out = value < low ? low : value > high ? high : value;
  return true;
}

// An unsigned field given a minus sign holds 0, its lowest value, rather than
// a number wrapped round to the top of the range.
void write_number(const Widget &w) {
  long long value = 0;
  if (w.value_kind == VALUE_INT && parse_integer(INT32_MIN, INT32_MAX, &value)) {
    *static_cast<int32_t *>(w.target) = static_cast<int32_t>(value);
  } else if (w.value_kind == VALUE_UINT && parse_integer(0, UINT32_MAX, &value)) {
    *static_cast<uint32_t *>(w.target) = static_cast<uint32_t>(value);
  } else if (w.value_kind == VALUE_FLOAT) {
    char *end = nullptr;
    errno = 0;
    float real = std::strtof(edit_text, &end);
    if (end == edit_text) return;
    if (errno == ERANGE && std::isinf(real)) {
      real = std::copysign(FLT_MAX, real);  // too large saturates
    }
    *static_cast<float *>(w.target) = real;
  }
}

// A text variable gets at most max_length characters and its terminator.
void write_back(const Widget &w) {
  if (w.target == nullptr) return;
  if (w.value_kind != VALUE_TEXT) return write_number(w);
  if (w.max_length < 0) return;
  const size_t kept = std::min(std::strlen(edit_text), static_cast<size_t>(w.max_length));
  std::memcpy(w.target, edit_text, kept);
  static_cast<char *>(w.target)[kept] = '\0';
}

// Removes the character at `index` of the text, if there is one.
void remove_at(int32_t index) {
  const int32_t length = edit_length();
  if (index < 0 || index >= length) return;
  std::memmove(edit_text + index, edit_text + index + 1, static_cast<size_t>(length - index));
}

// Tab and Shift+Tab pass the edit to the next or previous one-line field,
// round the end of the table; text areas are passed over.
void pass_focus(Widget &w, int direction) {
  const int count = gui_declared_count();
  for (int step = 1; step < count; ++step) {
    Widget &next = widgets[((current_widget + direction * step) % count + count) % count];
    if (next.type == WIDGET_FIELD && &next != &w) {
      w.pressed = 0;
      next.pressed = 1;
      next.was_pressed = 0;  // it begins its edit, even when its turn this frame has passed
      return;
    }
  }
}

// There is one edit state, so one field edits at a time: a field that begins
// an edit ends any other's (a click on overlapping fields presses them all).
void end_other_edits(const Widget &w) {
  const int count = gui_declared_count();
  for (int i = 0; i < count; ++i) {
    Widget &other = widgets[i];
    if (&other != &w && (other.type == WIDGET_FIELD || other.type == WIDGET_TEXT_AREA)) other.pressed = 0;
  }
}

void apply_key(Widget &w, int32_t k) {
  if (k >= ' ') {
    gui_edit_delete_selection();
    if (static_cast<uint32_t>(edit_length()) < static_cast<uint32_t>(w.max_length)) {
      gui_edit_insert_char(k);
    }
  } else if (k == KEYCHAR_DELETE) {
    if (!gui_edit_delete_selection()) remove_at(edit_caret);
  } else if (k == KEYCHAR_BACKSPACE) {
    if (!gui_edit_delete_selection() && edit_caret > 0) {
      remove_at(--edit_caret);
      edit_anchor = edit_caret;
    }
  } else if (k == KEYCHAR_NEXT_FIELD || k == KEYCHAR_PREV_FIELD) {
    pass_focus(w, k == KEYCHAR_NEXT_FIELD ? 1 : -1);
  }
  if (went_down(KEY_RETURN) || went_down(KEY_ESCAPE)) w.pressed = 0;
}

}  // namespace

// A full buffer (a long variable filled it) takes no character that would grow it.
void gui_edit_insert_char(int32_t c) {
  const int32_t length = edit_length();
  if (edit_caret < 0 || edit_caret >= EDIT_CARET_LIMIT) return;
  if (edit_caret > length) edit_caret = length;
  if (length >= EDIT_TEXT_SIZE - 1 && (!edit_overwrite || edit_caret == length)) return;
  if (!edit_overwrite) {
    const size_t moved = static_cast<size_t>(length - edit_caret + 1);  // the terminator too
    std::memmove(edit_text + edit_caret + 1, edit_text + edit_caret, moved);
  } else if (edit_caret == length) {
    edit_text[length + 1] = '\0';
  }
  edit_text[edit_caret] = static_cast<char>(c);
  edit_anchor = ++edit_caret;
}

int32_t gui_edit_delete_selection() {
  const int32_t length = edit_length();
  const int32_t from = std::max(0, std::min(edit_anchor, edit_caret));
  const int32_t to = std::min(length, std::max(edit_anchor, edit_caret));
  const bool removed = from < to;
  if (removed) {
    std::memmove(edit_text + from, edit_text + to, static_cast<size_t>(length - to + 1));
    edit_caret = from;
  }
  edit_caret = std::min(edit_caret, edit_length());
  edit_anchor = edit_caret;
  return removed ? 1 : 0;
}

// The caret goes before the character the pointer is on, whichever half of it;
// right of a line's end it goes to that line's last character, below the last
// line (or the one line of a field) to the end of the text.
int32_t gui_edit_caret_from_pointer() {
  const Widget *w = acting_field();
  if (w == nullptr) return 0;
  const float px = static_cast<float>(mouse.x) - w->x;
  const float py = static_cast<float>(mouse.y) - w->y;
  const bool area = w->type == WIDGET_TEXT_AREA;
  if (area) gfx_wrap_lines(edit_text, w->width, w->height, w->text_size, w->align);
  const Font &font = *gfx_current_font();
  int32_t i = 0, line = 0;
  float line_x = 0, line_bottom = w->text_size;
  for (; edit_text[i] != '\0' && i < w->max_length; ++i) {
    line_x += font.advance[static_cast<unsigned char>(edit_text[i])] * w->text_size;
    if (py < line_bottom && px < line_x) return i;
    if (area && line < line_count && i == line_ends[line]) {
      if (py < line_bottom) return i;
      line_x = 0;
      line_bottom += w->text_size;
      ++line;
    }
  }
  return i;
}

// No key is taken in the frame the edit begins; Return or Escape going down
// end it (Escape keeps what was typed, as Return does).
void gui_action_text_field() {
  Widget *w = acting_field();
  // Only a field or text area edits: another kind's target is no text.
  if (w == nullptr || (w->type != WIDGET_FIELD && w->type != WIDGET_TEXT_AREA)) return;
  keyboard_captured = 1;
  int32_t k = KEYCHAR_NONE;
  if (!w->was_pressed) {
    end_other_edits(*w);
    fill_from_variable(*w);
    if (left_went_down()) {
      edit_caret = edit_anchor = gui_edit_caret_from_pointer();
    } else {  // by its shortcut or from another field: everything selected
      edit_anchor = 0;
      edit_caret = edit_length();
    }
  } else {
    if (mouse.left) {
      if (left_went_down()) edit_anchor = gui_edit_caret_from_pointer();
      edit_caret = gui_edit_caret_from_pointer();
    }
    k = gui_translate_key(0, KEYS_ALL);
  }
  gui_clamp_edit_state();
  if (k != KEYCHAR_NONE) {
    apply_key(*w, k);
    gui_clamp_edit_state();  // whatever the key did, caret and anchor stay in the text
  }
  write_back(*w);
  if (!w->pressed) std::memset(edit_text, 0, EMPTIED_BYTES);
}
