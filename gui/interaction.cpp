// Hit testing, shortcuts and the action pass, plus the stock toggle, radio
// and slider actions. There is no z-order: a click lands on every enabled
// widget it hits, and the last one declared picks the pointer image.
#include "gui/interaction.h"

#include <cstdint>

#include "gfx/font.h"
#include "gui/widgets.h"
#include "input/keyboard_mouse.h"

namespace {

constexpr double HIGHLIGHT_ACTIVE = -1.0;
constexpr double HIGHLIGHT_IDLE = 1.0;
constexpr double SLIDER_INSET = 0.5 * SLIDER_KNOB;  // the track starts half a knob in

bool left_button_went_down() { return mouse.left != 0 && mouse_prev.left == 0; }

// Key codes outside the snapshot are never down.
bool key_down(int32_t key) { return key >= 0 && key < KEY_COUNT && key_state[key] != 0; }

void show_pointer_image(int32_t image) {
  if (current_font >= 0 && current_font < FONT_COUNT) {
    fonts[current_font].pointer_image = image;
  }
}

// Any new left click clears every press latch before this frame's hits are
// taken. Repeating shortcuts are cleared every frame so they can fire again
// while held.
void release_presses(bool left_went_down) {
  for (int i = 0; i < gui_declared_count(); ++i) {
    if (left_went_down || widgets[i].repeat) {
      widgets[i].pressed = 0;
    }
  }
}

// Half-open on both axes, so widgets that share an edge never both claim it.
bool pointer_inside(const Widget &widget) {
  const float px = static_cast<float>(mouse.x);
  const float py = static_cast<float>(mouse.y);
  const float right = widget.x + widget.width;
  const float bottom = widget.y + widget.height;
  return widget.x <= px && px < right && widget.y <= py && py < bottom;
}

// Key 0 stands for "no shortcut", so a real key with code 0 can never be
// bound. Normally only the down edge counts (up in the previous snapshot); the
// modifier just has to be held, however long ago it went down.
bool shortcut_fired(const Widget &widget) {
  if (keyboard_captured || widget.key <= 0 || !key_down(widget.key)) {
    return false;
  }
  if (widget.modifier_key != 0 && !key_down(widget.modifier_key)) {
    return false;
  }
  return key_state_prev[widget.key] == 0 || widget.repeat;
}

// Toggles and radio choices show their variable's state, even while disabled.
bool target_selected(const Widget &widget) {
  if ((widget.type != WIDGET_TOGGLE && widget.type != WIDGET_RADIO) || widget.target == nullptr) {
    return false;
  }
  const int32_t held = *static_cast<const int32_t *>(widget.target);
  if (widget.type == WIDGET_TOGGLE) {
    return (held & widget.value) == widget.value;
  }
  return held == widget.value;
}

float eased_highlight(float highlight, bool active) {
  const double goal = active ? HIGHLIGHT_ACTIVE : HIGHLIGHT_IDLE;
  const double current = highlight;
  return static_cast<float>(current + (goal - current) * HIGHLIGHT_RATE);
}

void take_pointer_and_shortcut(Widget &widget, bool left_went_down) {
  if (pointer_inside(widget)) {
    widget.hover = 1;
    show_pointer_image(widget.pointer_image);
    if (left_went_down) {
      widget.pressed = 1;
    }
  }
  if (shortcut_fired(widget)) {
    widget.pressed = 1;
  }
}

void update_widget(Widget &widget, bool left_went_down) {
  widget.hover = 0;
  widget.active = 0;
  if (!widget.disabled) {
    take_pointer_and_shortcut(widget, left_went_down);
    if (widget.pressed) {
      widget.active = 1;
    }
  }
  if (target_selected(widget)) {
    widget.active = 1;
  }
  widget.highlight = eased_highlight(widget.highlight, widget.active != 0);
}

// In index order; an action may press, add or drop widgets, so the count and
// the press are read again after every one.
void run_actions() {
  int index = 0;
  for (; index < gui_declared_count(); ++index) {
    current_widget = index;
    Widget &widget = widgets[index];
    if (widget.pressed && widget.action != nullptr) {
      widget.action();
    }
    widget.was_pressed = widget.pressed;
  }
  current_widget = index;
}

// The widget whose action runs, or null when an action is called outside the
// pass with current_widget off the table, or on a widget of another kind: a
// stock action writes through its target only as the kind it was set for.
Widget *acting_widget(int32_t type) {
  if (current_widget < 0 || current_widget >= MAX_WIDGETS || widgets[current_widget].type != type) {
    return nullptr;
  }
  return &widgets[current_widget];
}

// The pointer's place along the track, 0 to 1. A slider no wider than its
// knob has a track of no length: the pointer's side of it decides.
float slider_position(const Widget &widget) {
  const double track_start = widget.x + SLIDER_INSET;
  const double track = widget.width - static_cast<double>(SLIDER_KNOB);
  if (!(track > 0.0)) {
    return mouse.x >= track_start ? 1.0f : 0.0f;
  }
  // Clamped before the rounding to float, which keeps the result in 0..1
  // and catches a position that is not a number.
  const double ratio = (mouse.x - track_start) / track;
  if (!(ratio > 0.0)) {
    return 0.0f;
  }
  if (ratio > 1.0) {
    return 1.0f;
  }
  return static_cast<float>(ratio);
}

// The range and the snapping are worked in 64 bits, so extreme ranges and
// steps cannot overflow. Snapping to a multiple of the step may pass either
// end of the range, so the result is kept within min and max afterwards.
int32_t slider_value(const Widget &widget, float position) {
  const int64_t span = static_cast<int64_t>(widget.max) - widget.min;
  int64_t value = static_cast<int64_t>(widget.min + static_cast<double>(span) * position);
  if (key_state[KEY_LEFT_SHIFT] && widget.step > 0 && value < widget.max) {
    value = (value + (widget.step >> 1)) / widget.step * widget.step;
  }
  if (value < widget.min) {
    value = widget.min;
  }
  if (value > widget.max) {
    value = widget.max;
  }
  return static_cast<int32_t>(value);
}

}  // namespace

void gui_update() {
  const bool left_went_down = left_button_went_down();
  release_presses(left_went_down);
  show_pointer_image(0);
  for (int i = 0; i < gui_declared_count(); ++i) {
    update_widget(widgets[i], left_went_down);
  }
  keyboard_captured = 0;
  run_actions();
}

void gui_action_toggle() {
  Widget *widget = acting_widget(WIDGET_TOGGLE);
  if (widget == nullptr) {
    return;
  }
  if (widget->target != nullptr) {
    *static_cast<int32_t *>(widget->target) ^= widget->value;
  }
  widget->pressed = 0;
}

void gui_action_radio() {
  Widget *widget = acting_widget(WIDGET_RADIO);
  if (widget == nullptr) {
    return;
  }
  if (widget->target != nullptr) {
    *static_cast<int32_t *>(widget->target) = widget->value;
  }
  widget->pressed = 0;
}

// Called each frame while the slider stays pressed. The value is written
// before the button is checked, so the release frame still stores where the
// pointer let go.
void gui_action_slider() {
  Widget *widget = acting_widget(WIDGET_SLIDER);
  if (widget == nullptr) {
    return;
  }
  if (widget->target != nullptr) {
    *static_cast<int32_t *>(widget->target) = slider_value(*widget, slider_position(*widget));
  }
  widget->hover = 1;
  if (!mouse.left) {
    widget->pressed = 0;
  }
}
