// Text entry: fields and text areas edit a caller's variable through the one
// shared edit state (widgets.h), reading characters from the keyboard
// snapshots through a fixed US layout of their own.
#pragma once

#include <cstdint>

// Key classes gui_translate_key reads.
constexpr int KEYS_LETTERS = 1;
constexpr int KEYS_DIGITS = 2;
constexpr int KEYS_PERIOD = 4;
constexpr int KEYS_SPACE = 8;
constexpr int KEYS_MINUS = 16;
constexpr int KEYS_SYMBOLS = 32;
constexpr int KEYS_ALL = 255;

// Results besides printable characters (32 to 126). These are our own codes,
// not ASCII controls: 9 is Delete, and Tab gives 12 or 13.
constexpr int KEYCHAR_NONE = -1;
constexpr int KEYCHAR_DELETE = 9;
constexpr int KEYCHAR_BACKSPACE = 10;
constexpr int KEYCHAR_DONE = 11;        // Return or Escape went down
constexpr int KEYCHAR_NEXT_FIELD = 12;  // Tab
constexpr int KEYCHAR_PREV_FIELD = 13;  // Shift+Tab

// The character of the key that fired this frame (when several fire, the one
// tested last wins), or a code above. A key fires when it goes down, or in
// every frame it is down when `hold` is set; Return, Escape and Tab only when
// they go down. Home, End, Left, Right and Insert move the caret or switch
// overwrite mode instead of giving a result.
int32_t gui_translate_key(int32_t hold, int32_t classes);

// Holds the caret and the anchor inside the edit text.
void gui_clamp_edit_state();

// The action of every field and text area, run by the action pass while the
// field is pressed (in edit mode).
void gui_action_text_field();
// Puts c into the edit text at the caret, inserting or overwriting.
void gui_edit_insert_char(int32_t c);
// Removes the selected characters; 1 if there were any. The selection is
// collapsed at its start either way.
int32_t gui_edit_delete_selection();
// The index in the edit text of the character under the pointer, for the
// field widgets[current_widget].
int32_t gui_edit_caret_from_pointer();
