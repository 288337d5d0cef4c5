// The immediate-mode widget layer, declared anew each frame in a fixed order
// from widget_count 0. A widget is just its index, so what must persist
// (highlight, press latches, a slider's min, max, step) lives in that record.
#pragma once

#include <cstdint>
#include <type_traits>

constexpr int MAX_WIDGETS = 256;
constexpr int WIDGET_TEXT_SIZE = 64;  // caption bytes, terminator included
constexpr int EDIT_TEXT_SIZE = 16384;
constexpr int SHOWN_TEXT_SIZE = 16384;
constexpr int EDIT_CARET_LIMIT = 8192;  // no character is put in once the caret reaches this
constexpr float HIGHLIGHT_RATE = 0.125f;
constexpr float SLIDER_KNOB = 8.0f;     // knob width; the track is the width less this

enum WidgetType : int32_t {
  WIDGET_BUTTON = 0,
  WIDGET_FIELD = 1,
  WIDGET_TEXT_AREA = 2,
  WIDGET_TOGGLE = 3,
  WIDGET_RADIO = 4,
  WIDGET_SLIDER = 5,
};

enum ValueKind : int32_t {
  VALUE_TEXT = 0,
  VALUE_INT = 1,
  VALUE_UINT = 2,
  VALUE_FLOAT = 3,
};

using WidgetAction = void (*)();

// Coordinates and sizes in view units; flags are 0 or 1.
struct Widget {
  int32_t type;
  char text[WIDGET_TEXT_SIZE];  // caption or label
  float text_x, text_y;         // where the caption or label is drawn
  float label_size;
  float x, y;                   // rectangle's top left, after alignment
  float text_size;
  int32_t align;
  float color[4];
  float width, height;
  int32_t key;           // shortcut key code, 0 for none
  int32_t modifier_key;  // must be down too, 0 for none
  int32_t repeat;        // the shortcut fires every frame its key is down
  int32_t disabled;
  int32_t hover;
  int32_t active;
  float highlight;       // eases toward -1 while active, +1 otherwise
  int32_t pressed;       // latched from frame to frame
  int32_t was_pressed;   // pressed after this widget's last action-pass step
  int32_t value;         // toggle bits or radio value
  int32_t value_kind;
  int32_t max_length;
  int32_t masked;
  int32_t min, max, step;  // slider
  int32_t texture_slots[4];
  float texture_uv[8];
  int32_t pointer_image;
  int32_t tag;
  void *target;          // the caller's variable
  WidgetAction action;   // run by the action pass while pressed
};

extern Widget widgets[MAX_WIDGETS];
extern int32_t widget_count;       // records filled this frame; the next declaration's index
extern int32_t current_widget;     // the action pass's position; stock actions work on it
extern int32_t keyboard_captured;  // a text field took the keyboard: no shortcuts next frame
extern int32_t declaration_dropped;  // the last declaration found the table full; gui_set skips it

// The edit state shared by text entry, key translation and drawing.
extern char edit_text[EDIT_TEXT_SIZE];
extern int32_t edit_caret;
extern int32_t edit_anchor;
extern int32_t edit_overwrite;
extern char shown_text[SHOWN_TEXT_SIZE];  // the renderer's work buffer

// widget_count as a bound that stays inside the table; read it afresh after
// anything that may declare, since actions may change the count.
int gui_declared_count();
// pressed and was_pressed of all MAX_WIDGETS records become 0.
void gui_clear_presses();
