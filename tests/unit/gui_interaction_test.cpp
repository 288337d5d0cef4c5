// The interaction and action passes, driven frame by frame through the input
// snapshots, and the built-in toggle, radio and slider actions.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <vector>

#include "gfx/font.h"
#include "gui/gui.h"
#include "input/keyboard_mouse.h"

namespace {

std::vector<int> action_log;     // current_widget at every scripted action
std::function<void()> scripted;  // what the scripted action does besides logging

void run_script() {
  action_log.push_back(current_widget);
  if (scripted) scripted();
}

void box(float x, float y, float width = 10, float height = 10) {
  gui_add_box("", x, y, width, height, 8, 0, 1, 1, 1, 1);
}

// One field of every declared widget, to check a whole frame at once.
using Ints = std::vector<int>;
Ints all(int32_t Widget::*field) {
  Ints values;
  for (int i = 0; i < widget_count; ++i) values.push_back(widgets[i].*field);
  return values;
}

// One frame: a new snapshot (the last one becomes the previous, as the
// readers do) with the pointer, the left button and the keys given, then the pass.
void frame(int x, int y, bool left, std::initializer_list<int> keys = {}) {
  mouse_prev = mouse;
  std::memcpy(key_state_prev, key_state, sizeof key_state);
  std::memset(key_state, 0, sizeof key_state);
  for (int key : keys) key_state[key] = 1;
  mouse = MouseState{x, y, 0, 0, left, 0, 0, 0, 0, 0};
  gui_update();
}

class GuiInteraction : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(widgets, 0, sizeof widgets);
    widget_count = current_widget = keyboard_captured = declaration_dropped = 0;
    current_font = 0;
    fonts[0].pointer_image = 0;
    std::memset(key_state, 0, sizeof key_state);
    std::memset(key_state_prev, 0, sizeof key_state_prev);
    mouse = mouse_prev = {};
    action_log.clear();
    scripted = nullptr;
  }
  void TearDown() override { SetUp(); }
};

// The integer pointer is compared with the widget's floats as they are.
TEST_F(GuiInteraction, PointerHitsLeftAndTopEdgesButNotRightAndBottom) {
  const struct {
    float x, y, width, height;
    int px, py;
    bool inside;
  } cases[] = {
      {100, 50, 40, 20, 100, 50, true}, {100, 50, 40, 20, 139, 69, true},
      {100, 50, 40, 20, 140, 50, false}, {100, 50, 40, 20, 100, 70, false},
      {100, 50, 40, 20, 99, 50, false}, {100, 50, 40, 20, 100, 49, false},
      {100.5f, 10.25f, 9.5f, 10, 100, 15, false}, {100.5f, 10.25f, 9.5f, 10, 101, 20, true},
      {100.5f, 10.25f, 9.5f, 10, 110, 15, false}, {100.5f, 10.25f, 9.5f, 10, 105, 10, false},
  };
  for (const auto &c : cases) {
    SetUp();
    box(c.x, c.y, c.width, c.height);
    frame(c.px, c.py, true);
    const Ints hover_pressed_active = {widgets[0].hover, widgets[0].pressed, widgets[0].active};
    EXPECT_EQ(hover_pressed_active, Ints(3, c.inside)) << c.px << "," << c.py;
  }
}

// A click presses every widget under the pointer, and the highest hovered one
// chooses the pointer image. The press latches until the next press of the
// left button, wherever it lands; a repeating widget starts every pass released.
TEST_F(GuiInteraction, ClickLatchesUntilTheNextPressAnywhere) {
  box(0, 0, 50, 50); gui_set(PROP_POINTER_IMAGE, 2);
  box(100, 0, 50, 50); gui_set(PROP_POINTER_IMAGE, 5);
  box(0, 0, 50, 50); gui_set(PROP_POINTER_IMAGE, 3); gui_set(PROP_REPEAT);
  frame(10, 10, true);
  EXPECT_EQ(all(&Widget::pressed), (Ints{1, 0, 1}));
  EXPECT_EQ(fonts[0].pointer_image, 3);
  frame(120, 10, true);  // held while moving onto the second
  EXPECT_EQ(all(&Widget::pressed), (Ints{1, 0, 0}));
  EXPECT_EQ(all(&Widget::hover), (Ints{0, 1, 0}));
  frame(120, 10, false);
  EXPECT_EQ(all(&Widget::pressed), (Ints{1, 0, 0}));
  frame(300, 10, true);
  EXPECT_EQ(all(&Widget::pressed), (Ints{0, 0, 0}));
  EXPECT_EQ(fonts[0].pointer_image, 0);
  frame(120, 10, false);
  frame(120, 10, true);
  EXPECT_EQ(all(&Widget::pressed), (Ints{0, 1, 0}));
}

// Without repeat the shortcut fires on the frame its key goes down and the
// press stays latched; with repeat it fires on every held frame.
TEST_F(GuiInteraction, ShortcutFiresOnceOrWithRepeatEveryHeldFrame) {
  scripted = [] { widgets[1].pressed = 0; };  // widget 1 runs once per press
  box(-100, 0); gui_set(PROP_KEY, 'a');
  box(-100, 0); gui_set(PROP_KEY, 'a'); gui_set(PROP_ACTION, run_script);
  box(-100, 0); gui_set(PROP_KEY, 'a'); gui_set(PROP_REPEAT); gui_set(PROP_ACTION, run_script);
  for (int i = 0; i < 10; ++i) {
    frame(0, 0, false, {'a'});
    EXPECT_EQ(all(&Widget::pressed), (Ints{1, 0, 1})) << i;
  }
  frame(0, 0, false);
  EXPECT_EQ(all(&Widget::pressed), (Ints{1, 0, 0}));
  EXPECT_EQ(action_log, (Ints{1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}));
}

// The modifier must be down when the key goes down, unless the shortcut repeats.
TEST_F(GuiInteraction, ModifierMustBeDownWithTheKey) {
  for (bool repeat : {false, true}) {
    SetUp();
    box(-100, 0); gui_set(PROP_KEY, 's'); gui_set(PROP_MODIFIER_KEY, KEY_LEFT_CTRL);
    if (repeat) gui_set(PROP_REPEAT);
    frame(0, 0, false, {'s'});
    EXPECT_EQ(widgets[0].pressed, 0) << repeat;
    frame(0, 0, false, {'s', KEY_LEFT_CTRL});
    EXPECT_EQ(widgets[0].pressed, repeat) << repeat;
    frame(0, 0, false);
    frame(0, 0, false, {KEY_LEFT_CTRL});
    EXPECT_EQ(widgets[0].pressed, 0) << repeat;
    frame(0, 0, false, {KEY_LEFT_CTRL, 's'});
    EXPECT_EQ(widgets[0].pressed, 1) << repeat;
  }
}

// Key 0 means none, and codes outside the snapshot are never down, neither
// as key nor as modifier.
TEST_F(GuiInteraction, KeyZeroAndCodesOutsideTheSnapshotNeverFire) {
  box(-100, 0);
  for (int key : {-1, KEY_COUNT, 100000, INT32_MIN}) {
    box(-100, 0); gui_set(PROP_KEY, key);
    box(-100, 0); gui_set(PROP_KEY, 'a'); gui_set(PROP_MODIFIER_KEY, key);
  }
  std::memset(key_state, 1, sizeof key_state);
  gui_update();
  EXPECT_EQ(all(&Widget::pressed), Ints(9, 0));
}

// A field's action takes the keyboard in one frame's action pass: in the next
// frame Escape going down does not press the quit button, clicks still count.
TEST_F(GuiInteraction, CapturedKeyboardBlocksShortcutsInTheNextFrame) {
  box(-160, 0, 96, 24); gui_set(PROP_KEY, KEY_ESCAPE);
  box(0, 0); gui_set(PROP_ACTION, run_script);
  box(20, 0);
  scripted = [] {
    keyboard_captured = 1;
    widgets[1].pressed = 0;
  };
  widgets[1].pressed = 1;
  frame(300, 300, false);
  EXPECT_EQ(keyboard_captured, 1);
  frame(25, 5, true, {KEY_ESCAPE});
  EXPECT_EQ(all(&Widget::pressed), (Ints{0, 0, 1}));
  EXPECT_EQ(keyboard_captured, 0);
  frame(300, 300, false, {KEY_ESCAPE});  // held: no longer going down
  EXPECT_EQ(widgets[0].pressed, 0);
  frame(300, 300, false);
  frame(300, 300, false, {KEY_ESCAPE});
  EXPECT_EQ(widgets[0].pressed, 1);
}

// A disabled widget takes neither pointer nor shortcut, but a press latched
// before still runs its action, a toggle still shows its variable and the
// highlight still moves.
TEST_F(GuiInteraction, DisabledWidgetTakesNoInputButKeepsItsState) {
  int32_t flags = 3;
  box(0, 0); gui_set(PROP_KEY, 'x'); gui_set(PROP_POINTER_IMAGE, 4); gui_set(PROP_DISABLED);
  box(0, 0); gui_set(PROP_ACTION, run_script); gui_set(PROP_DISABLED);
  box(0, 0); gui_set(PROP_TOGGLE, &flags, 2); gui_set(PROP_DISABLED);
  widgets[1].pressed = 1;
  frame(5, 5, false, {'x'});
  EXPECT_EQ(all(&Widget::hover), (Ints{0, 0, 0}));
  EXPECT_EQ(all(&Widget::pressed), (Ints{0, 1, 0}));
  EXPECT_EQ(all(&Widget::active), (Ints{0, 0, 1}));
  EXPECT_EQ(fonts[0].pointer_image, 0);
  EXPECT_EQ(widgets[0].highlight, 0.125f);
  EXPECT_EQ(action_log, Ints{1});
  EXPECT_EQ(widgets[1].was_pressed, 1);
  frame(5, 5, true);
  EXPECT_EQ(all(&Widget::pressed), (Ints{0, 0, 0}));
  EXPECT_EQ(flags, 3);
}

// One click flips the bits once; a toggle of no bits is always active and
// leaves its variable alone. Active through the variable moves the highlight.
TEST_F(GuiInteraction, ToggleFlipsItsBitsOncePerClick) {
  int32_t flags = 7, other = 0x55;
  box(0, 0); gui_set(PROP_TOGGLE, &flags, 6);
  box(0, 0); gui_set(PROP_TOGGLE, &other, 0);
  frame(5, 5, false);
  EXPECT_EQ(all(&Widget::active), (Ints{1, 1}));
  EXPECT_EQ(widgets[0].highlight, -0.125f);
  frame(5, 5, true);
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(other, 0x55);
  EXPECT_EQ(all(&Widget::pressed), (Ints{0, 0}));
  EXPECT_EQ(all(&Widget::active), (Ints{1, 1}));  // pressed during this pass
  frame(5, 5, true);                              // held: no second flip
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(all(&Widget::active), (Ints{0, 1}));
}

// Clicking the third of three choices stores its value; then only it is active.
TEST_F(GuiInteraction, RadioChoiceStoresItsValue) {
  int32_t choice = 1;
  for (int i = 0; i < 3; ++i) {
    box(20.0f * i, 0);
    gui_set(PROP_RADIO, &choice, i);
  }
  frame(45, 5, true);
  EXPECT_EQ(choice, 2);
  EXPECT_EQ(all(&Widget::pressed), (Ints{0, 0, 0}));
  frame(300, 5, false);
  EXPECT_EQ(all(&Widget::active), (Ints{0, 0, 1}));
}

// Choices without a variable are never read or written, a slider without one
// still ends its drag, and only choices read their variable as an int32.
TEST_F(GuiInteraction, NullAndShortVariablesAreNotRead) {
  int32_t *none = nullptr;
  std::vector<char> tiny(1);
  box(0, 0); gui_set(PROP_TOGGLE, none, 0);
  box(0, 0); gui_set(PROP_RADIO, none, 0);
  box(0, 0); gui_set(PROP_FIELD_TEXT, tiny.data(), 0);
  box(0, 0); gui_set(PROP_SLIDER, none, 0, 100, 0);
  frame(300, 300, false);
  EXPECT_EQ(all(&Widget::active), (Ints{0, 0, 0, 0}));
  frame(5, 5, true);
  EXPECT_EQ(all(&Widget::pressed), (Ints{0, 0, 1, 1}));
  frame(300, 300, false);
  EXPECT_EQ(widgets[3].pressed, 0);
  EXPECT_EQ(widgets[3].hover, 1);
}

// An eighth of the remaining distance per pass, worked in double and rounded
// once (single precision gives a neighbouring float in the last step).
TEST_F(GuiInteraction, HighlightEasesAnEighthOfTheWay) {
  box(0, 0); gui_set(PROP_KEY, 'h'); gui_set(PROP_REPEAT);
  frame(300, 300, false, {'h'});
  EXPECT_EQ(widgets[0].highlight, -0.125f);
  frame(300, 300, false, {'h'});
  EXPECT_EQ(widgets[0].highlight, -0.234375f);
  frame(300, 300, false);
  EXPECT_EQ(widgets[0].highlight, -0.080078125f);
  widgets[0].highlight = std::bit_cast<float>(0x3E0026F5u);  // about 0.1251486
  frame(300, 300, false, {'h'});
  EXPECT_EQ(std::bit_cast<uint32_t>(widgets[0].highlight), 0xBC7DDE9Au);
}

// Actions run in index order with the press as the action left it copied to
// was_pressed. Pressing a later widget runs it in the same pass, an earlier
// one in the next frame; the count is read again before every widget.
TEST_F(GuiInteraction, ActionsRunInOrderAndMayPressOrDeclareWidgets) {
  scripted = [] {
    widgets[current_widget].pressed = 0;
    if (current_widget == 1) widgets[2].pressed = widgets[0].pressed = 1;
    if (current_widget == 2 && widget_count == 4) {
      box(-100, 0); gui_set(PROP_ACTION, run_script);
      widgets[4].pressed = 1;
    }
  };
  for (int i = 0; i < 3; ++i) {
    box(-100, 0);
    gui_set(PROP_ACTION, run_script);
  }
  box(-100, 0);  // no action
  widgets[1].pressed = widgets[3].pressed = 1;
  current_widget = 77;
  frame(300, 300, false);
  EXPECT_EQ(action_log, (Ints{1, 2, 4}));
  EXPECT_EQ(current_widget, 5);
  EXPECT_EQ(all(&Widget::pressed), (Ints{1, 0, 0, 1, 0}));
  EXPECT_EQ(all(&Widget::was_pressed), (Ints{0, 0, 0, 1, 0}));  // widget 0 copied before
  action_log.clear();
  frame(300, 300, false);
  EXPECT_EQ(action_log, Ints{0});
}

// With no widgets the pass only resets the pointer image and the capture; a
// count the caller left outside the table is held to it.
TEST_F(GuiInteraction, EmptyFrameAndCountsOutsideTheTable) {
  fonts[0].pointer_image = 6;
  keyboard_captured = 1;
  current_widget = 9;
  widgets[0].pressed = 1;
  widgets[0].action = run_script;
  gui_update();
  EXPECT_EQ(fonts[0].pointer_image, 0);
  EXPECT_EQ(keyboard_captured, 0);
  EXPECT_EQ(current_widget, 0);
  EXPECT_TRUE(action_log.empty());
  EXPECT_EQ(widgets[0].highlight, 0.0f);
  widget_count = MAX_WIDGETS + 50;
  gui_update();
  EXPECT_EQ(current_widget, MAX_WIDGETS);
  EXPECT_EQ(widgets[MAX_WIDGETS - 1].highlight, 0.125f);
  widget_count = -4;
  gui_update();
  EXPECT_EQ(current_widget, 0);
}

// t = (pointer - (x + 4)) / (width - 8) as a float, clamped to 0..1; the value
// is min + (max - min) * t truncated, then snapped with Shift, then held to max.
TEST_F(GuiInteraction, SliderValueFromThePointer) {
  const float inf = INFINITY;
  const struct {
    const char *name;
    int32_t min, max, step;
    float x, width;
    int pointer;
    bool shift;
    int32_t expected;
  } cases[] = {
      {"left of the track", 0, 100, 0, 100, 264, 50, false, 0},
      {"track start", 0, 100, 0, 100, 264, 104, false, 0},
      {"middle", 0, 100, 0, 100, 264, 232, false, 50},
      {"track end", 0, 100, 0, 100, 264, 360, false, 100},
      {"beyond the track", 0, 100, 0, 100, 264, 639, false, 100},
      {"raw 34", 0, 100, 10, 100, 264, 192, false, 34},
      {"raw 34 snaps down", 0, 100, 10, 100, 264, 192, true, 30},
      {"raw 35 snaps up", 0, 100, 10, 100, 264, 195, true, 40},
      {"max is not snapped", 0, 100, 10, 100, 264, 360, true, 100},
      {"max is not snapped down", 0, 94, 10, 100, 264, 360, true, 94},
      {"t a float below 0.35", 0, 100, 0, 0, 208, 74, false, 34},
      {"snap past max, clamped", 0, 97, 10, 100, 264, 358, true, 97},
      {"without shift", 0, 97, 10, 100, 264, 358, false, 96},
      {"offset range", 20, 40, 0, 0, 108, 54, false, 30},
      {"truncated toward zero", -100, 100, 0, 100, 264, 188, false, -34},
      {"negative snaps toward zero", -100, 100, 10, 100, 264, 188, true, -20},
      {"odd step, arithmetic half", 0, 100, 7, 100, 264, 192, true, 35},
      {"no step", 0, 100, 0, 100, 264, 192, true, 34},
      {"negative step", 0, 100, -10, 100, 264, 192, true, 34},
      {"max equals min", 5, 5, 0, 100, 264, 200, false, 5},
      {"reversed range, held to max", 100, 0, 0, 100, 264, 232, false, 0},
      {"full range low", INT32_MIN, INT32_MAX, 0, 100, 264, 0, false, INT32_MIN},
      {"full range middle", INT32_MIN, INT32_MAX, 0, 100, 264, 232, false, 0},
      {"full range high", INT32_MIN, INT32_MAX, 0, 100, 264, 639, false, INT32_MAX},
      {"snap beyond 32 bits", 0, INT32_MAX, INT32_MAX, 100, 264, 296, true, INT32_MAX},
      {"knob-wide, left", 0, 100, 0, 100, 8, 103, false, 0},
      {"knob-wide, right", 0, 100, 0, 100, 8, 104, false, 100},
      {"narrower than the knob", 0, 100, 0, 100, 2, 50, false, 0},
      {"negative width", 0, 100, 0, 100, -50, 300, false, 100},
      {"x not a number", 10, 20, 0, NAN, 264, 200, false, 10},
      {"infinite extent", 10, 20, 0, -inf, inf, 200, false, 10},
  };
  for (const auto &c : cases) {
    int32_t value = -999;
    widget_count = 0;
    box(c.x, 0, c.width, 10);
    gui_set(PROP_SLIDER, &value, c.min, c.max, c.step);
    widgets[0].pressed = 1;  // dragged from an earlier frame, the button still down
    mouse = mouse_prev = MouseState{c.pointer, 300, 0, 0, 1, 0, 0, 0, 0, 0};
    key_state[KEY_LEFT_SHIFT] = c.shift;
    gui_update();
    EXPECT_EQ(value, c.expected) << c.name;
  }
}

// The drag lasts from the click until the left button is found up, wherever
// the pointer is, with the hover look held; a shortcut with the button up
// sets the value once.
TEST_F(GuiInteraction, SliderDragsUntilTheButtonIsUp) {
  int32_t value = -1, keyed = -1;
  box(100, 100, 264, 10); gui_set(PROP_SLIDER, &value, 0, 100, 0);
  box(100, 200, 264, 10); gui_set(PROP_SLIDER, &keyed, 0, 100, 0); gui_set(PROP_KEY, 'k');
  frame(232, 105, true);
  EXPECT_EQ(value, 50);
  frame(600, 400, true);
  EXPECT_EQ(value, 100);
  EXPECT_EQ(all(&Widget::hover), (Ints{1, 0}));
  EXPECT_EQ(all(&Widget::pressed), (Ints{1, 0}));
  frame(168, 400, false, {'k'});  // released: this frame's value still counts
  EXPECT_EQ(value, 25);
  EXPECT_EQ(keyed, 25);
  EXPECT_EQ(all(&Widget::pressed), (Ints{0, 0}));
  EXPECT_EQ(all(&Widget::was_pressed), (Ints{0, 0}));
  EXPECT_EQ(all(&Widget::hover), (Ints{1, 1}));
  frame(104, 400, false);
  EXPECT_EQ(value, 25);
}

}  // namespace
