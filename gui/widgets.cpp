// Storage for the widget table, its counters and flags, and the edit state.
// There is only one edit state because only one text field can be edited at
// a time.
#include "gui/widgets.h"

#include <cstddef>
#include <type_traits>

Widget widgets[MAX_WIDGETS];
int32_t widget_count;
int32_t current_widget;
int32_t keyboard_captured;
int32_t declaration_dropped;

char edit_text[EDIT_TEXT_SIZE];
int32_t edit_caret;
int32_t edit_anchor;
int32_t edit_overwrite;
char shown_text[SHOWN_TEXT_SIZE];

// The record is filled field by field and zero-initialised as static storage;
// the two pointers close it, everything before them is 4-byte words.
static_assert(std::is_standard_layout_v<Widget> && std::is_trivially_copyable_v<Widget>,
              "widgets are plain records");
static_assert(offsetof(Widget, text) == 4 && offsetof(Widget, text_x) == 4 + WIDGET_TEXT_SIZE,
              "the caption follows the type");
static_assert(offsetof(Widget, target) == 240, "the fields before target pack into 240 bytes");
static_assert(sizeof(Widget) == 240 + sizeof(void *) + sizeof(WidgetAction),
              "target and action close the record");
static_assert(EDIT_CARET_LIMIT < EDIT_TEXT_SIZE, "the caret limit leaves room in the edit text");

int gui_declared_count() {
  if (widget_count < 0) return 0;
  return widget_count < MAX_WIDGETS ? widget_count : MAX_WIDGETS;
}

void gui_clear_presses() {
  for (Widget &widget : widgets) {
    widget.pressed = 0;
    widget.was_pressed = 0;
  }
}
