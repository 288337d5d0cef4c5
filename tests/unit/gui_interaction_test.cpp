// The interaction and action passes, driven frame by frame through the input
// snapshots: hit edges, the press latch, shortcuts, disabled widgets, active
// state, highlight easing, action order, and the built-in actions.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <vector>

#include "gfx/font.h"
#include "gui/gui.h"
#include "input/keyboard_mouse.h"

namespace {

// What the scripted actions saw, in call order.
std::vector<int> action_log;
std::function<void()> scripted;

void log_action() { action_log.push_back(current_widget); }
void log_and_release() {
  action_log.push_back(current_widget);
  widgets[current_widget].pressed = 0;
}
void run_script() {
  action_log.push_back(current_widget);
  if (scripted) scripted();
}

class GuiInteraction : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(widgets, 0, sizeof widgets);
    widget_count = 0;
    current_widget = 0;
    keyboard_captured = 0;
    declaration_dropped = 0;
    current_font = 0;
    fonts[0].pointer_image = 0;
    std::memset(key_state, 0, sizeof key_state);
    std::memset(key_state_prev, 0, sizeof key_state_prev);
    mouse = {};
    mouse_prev = {};
    action_log.clear();
    scripted = nullptr;
  }
  void TearDown() override {
    widget_count = 0;
    keyboard_captured = 0;
    scripted = nullptr;
  }

  // A new snapshot: this frame's becomes the previous one, as the readers do.
  static void next_input(int x, int y, bool left) {
    mouse_prev = mouse;
    std::memcpy(key_state_prev, key_state, sizeof key_state);
    mouse.x = x;
    mouse.y = y;
    mouse.left = left ? 1 : 0;
  }
  static void hold(int key, bool down) { key_state[key] = down ? 1 : 0; }
};

TEST_F(GuiInteraction, LeftAndTopEdgesHitRightAndBottomMiss) {
  struct Case {
    int x, y;
    bool inside;
  };
  const Case cases[] = {
      {100, 50, true},  {139, 69, true},  {120, 60, true},  {140, 50, false},
      {100, 70, false}, {99, 50, false},  {100, 49, false}, {140, 70, false},
  };
  for (const Case &c : cases) {
    SetUp();
    gui_add_box("", 100, 50, 40, 20, 8, 0, 1, 1, 1, 1);
    next_input(c.x, c.y, true);
    gui_update();
    EXPECT_EQ(widgets[0].hover, c.inside) << c.x << "," << c.y;
    EXPECT_EQ(widgets[0].pressed, c.inside) << c.x << "," << c.y;
    EXPECT_EQ(widgets[0].active, c.inside) << c.x << "," << c.y;
  }
}

// The integer pointer is compared with the widget's floats as they are.
TEST_F(GuiInteraction, FractionalEdgesCompareAsFloats) {
  gui_add_box("", 100.5f, 10.25f, 9.5f, 10, 8, 0, 1, 1, 1, 1);  // x 100.5 to 110
  next_input(100, 15, false);
  gui_update();
  EXPECT_EQ(widgets[0].hover, 0);
  next_input(101, 15, false);
  gui_update();
  EXPECT_EQ(widgets[0].hover, 1);
  next_input(110, 15, false);
  gui_update();
  EXPECT_EQ(widgets[0].hover, 0);
  next_input(105, 10, false);
  gui_update();
  EXPECT_EQ(widgets[0].hover, 0);
}

TEST_F(GuiInteraction, HoldingTheButtonPressesNothingNew) {
  for (int frame = 0; frame < 4; ++frame) {
    widget_count = 0;
    gui_add_box("A", 0, 0, 50, 50, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_ACTION, log_and_release);
    gui_add_box("B", 100, 0, 50, 50, 8, 0, 1, 1, 1, 1);
    // Down on A in frame 0, then held while the pointer moves onto B.
    next_input(frame == 0 ? 10 : 120, 10, true);
    gui_update();
    EXPECT_EQ(widgets[1].pressed, 0) << frame;
  }
  EXPECT_EQ(action_log, std::vector<int>{0});
  EXPECT_EQ(widgets[1].hover, 1);
}

// A plain button stays latched until the next press of the left button,
// wherever that press lands.
TEST_F(GuiInteraction, PressLatchesUntilTheNextClickAnywhere) {
  auto frame = [](int x, bool left) {
    widget_count = 0;
    gui_add_box("", 0, 0, 50, 50, 8, 0, 1, 1, 1, 1);
    next_input(x, 10, left);
    gui_update();
    return widgets[0].pressed;
  };
  EXPECT_EQ(frame(10, true), 1);
  EXPECT_EQ(frame(10, false), 1);
  EXPECT_EQ(frame(300, false), 1);
  EXPECT_EQ(frame(300, true), 0);
  EXPECT_EQ(frame(300, false), 0);
  EXPECT_EQ(frame(10, true), 1);
}

TEST_F(GuiInteraction, ClickPressesEveryWidgetUnderThePointer) {
  gui_add_box("", 0, 0, 100, 100, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_POINTER_IMAGE, 2);
  gui_add_box("", 50, 50, 100, 100, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_POINTER_IMAGE, 3);
  gui_add_box("", 60, 60, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_POINTER_IMAGE, 5);
  gui_set(PROP_DISABLED);
  next_input(65, 65, true);
  gui_update();
  EXPECT_EQ(widgets[0].pressed, 1);
  EXPECT_EQ(widgets[1].pressed, 1);
  EXPECT_EQ(widgets[2].pressed, 0);
  EXPECT_EQ(widgets[2].hover, 0);
  EXPECT_EQ(fonts[0].pointer_image, 3);

  next_input(300, 300, false);
  gui_update();
  EXPECT_EQ(fonts[0].pointer_image, 0);
}

TEST_F(GuiInteraction, ShortcutWithoutRepeatFiresOnceWhileHeld) {
  for (int frame = 0; frame < 10; ++frame) {
    widget_count = 0;
    gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_KEY, 'a');
    gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_KEY, 'a');
    gui_set(PROP_ACTION, log_and_release);
    next_input(0, 0, false);
    hold('a', true);
    gui_update();
    EXPECT_EQ(widgets[0].pressed, 1) << frame;  // latched
  }
  EXPECT_EQ(action_log, std::vector<int>{1});
}

TEST_F(GuiInteraction, ShortcutWithRepeatFiresEveryHeldFrame) {
  auto frame = [](bool key_down) {
    widget_count = 0;
    gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_KEY, 'a');
    gui_set(PROP_REPEAT);
    gui_set(PROP_ACTION, log_action);
    next_input(0, 0, false);
    hold('a', key_down);
    gui_update();
  };
  for (int i = 0; i < 10; ++i) {
    frame(true);
    EXPECT_EQ(widgets[0].pressed, 1) << i;
  }
  frame(false);
  EXPECT_EQ(widgets[0].pressed, 0);
  EXPECT_EQ(action_log.size(), 10u);
}

// A repeating widget starts every pass released, however it was pressed.
TEST_F(GuiInteraction, RepeatReleasesAClickNextFrame) {
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_REPEAT);
  next_input(5, 5, true);
  gui_update();
  EXPECT_EQ(widgets[0].pressed, 1);
  next_input(5, 5, true);
  gui_update();
  EXPECT_EQ(widgets[0].pressed, 0);
}

TEST_F(GuiInteraction, ModifierMustBeDownWhenTheKeyGoesDown) {
  auto frame = [](bool repeat) {
    widget_count = 0;
    gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_KEY, 's');
    gui_set(PROP_MODIFIER_KEY, KEY_LEFT_CTRL);
    if (repeat) gui_set(PROP_REPEAT);
    gui_update();
    return widgets[0].pressed;
  };
  // Ctrl first, then S: fires.
  next_input(0, 0, false);
  hold(KEY_LEFT_CTRL, true);
  EXPECT_EQ(frame(false), 0);
  next_input(0, 0, false);
  hold('s', true);
  EXPECT_EQ(frame(false), 1);

  // S first, then Ctrl: only a repeating shortcut fires.
  for (bool repeat : {false, true}) {
    SetUp();
    next_input(0, 0, false);
    hold('s', true);
    EXPECT_EQ(frame(repeat), 0);
    next_input(0, 0, false);
    hold(KEY_LEFT_CTRL, true);
    EXPECT_EQ(frame(repeat), repeat ? 1 : 0) << repeat;
  }
}

// Key 0 is no shortcut: a key the platform reports as code 0 presses nothing.
TEST_F(GuiInteraction, KeyZeroIsNoShortcut) {
  gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_REPEAT);
  hold(0, true);
  gui_update();
  EXPECT_EQ(widgets[0].pressed, 0);
  EXPECT_EQ(widgets[1].pressed, 0);
}

// Codes outside the snapshot are never down: no shortcut, and a modifier
// that can never be down keeps its shortcut from firing.
TEST_F(GuiInteraction, KeyCodesOutsideTheSnapshotNeverFire) {
  std::memset(key_state, 1, sizeof key_state);
  for (int key : {-1, KEY_COUNT, 100000, INT32_MIN}) {
    widget_count = 0;
    gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_KEY, key);
    gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_KEY, 'a');
    gui_set(PROP_MODIFIER_KEY, key);
    gui_update();
    EXPECT_EQ(widgets[0].pressed, 0) << key;
    EXPECT_EQ(widgets[1].pressed, 0) << key;
  }
}

TEST_F(GuiInteraction, CapturedKeyboardSuppressesShortcutsButNotClicks) {
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, KEY_ESCAPE);
  keyboard_captured = 1;
  hold(KEY_ESCAPE, true);
  next_input(5, 5, true);
  gui_update();
  EXPECT_EQ(keyboard_captured, 0);
  EXPECT_EQ(widgets[0].pressed, 1);  // the click still counts

  // Escape let go, then going down again while captured.
  widgets[0].pressed = 0;
  next_input(300, 300, false);
  hold(KEY_ESCAPE, false);
  gui_update();
  next_input(300, 300, false);
  hold(KEY_ESCAPE, true);
  keyboard_captured = 1;
  gui_update();
  EXPECT_EQ(widgets[0].pressed, 0);
}

// A field's action takes the keyboard in one frame; Escape going down in the
// next frame does not press the quit button, and held on it fires no more.
TEST_F(GuiInteraction, ActionThatCapturesTheKeyboardBlocksTheNextFrame) {
  scripted = [] { keyboard_captured = 1; };
  auto frame = [](bool escape, bool field_pressed) {
    widget_count = 0;
    gui_add_box("", -160, 0, 96, 24, 16, 0, 1, 1, 1, 1);
    gui_set(PROP_KEY, KEY_ESCAPE);
    gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_ACTION, run_script);
    widgets[1].pressed = field_pressed;
    next_input(300, 300, false);
    hold(KEY_ESCAPE, escape);
    gui_update();
  };
  frame(false, true);
  EXPECT_EQ(keyboard_captured, 1);  // set after the clearing step
  frame(true, false);
  EXPECT_EQ(widgets[0].pressed, 0);
  EXPECT_EQ(keyboard_captured, 0);
  frame(true, false);
  EXPECT_EQ(widgets[0].pressed, 0);
  frame(false, false);
  frame(true, false);
  EXPECT_EQ(widgets[0].pressed, 1);
}

TEST_F(GuiInteraction, DisabledWidgetIgnoresPointerAndShortcut) {
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, 'x');
  gui_set(PROP_POINTER_IMAGE, 4);
  gui_set(PROP_DISABLED);
  hold('x', true);
  next_input(5, 5, true);
  gui_update();
  EXPECT_EQ(widgets[0].hover, 0);
  EXPECT_EQ(widgets[0].pressed, 0);
  EXPECT_EQ(widgets[0].active, 0);
  EXPECT_EQ(fonts[0].pointer_image, 0);
}

// A press latched before the widget was disabled still runs its action, but
// does not make it active.
TEST_F(GuiInteraction, DisabledWidgetStillRunsItsLatchedAction) {
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_ACTION, log_action);
  gui_set(PROP_DISABLED);
  widgets[0].pressed = 1;
  next_input(5, 5, false);
  gui_update();
  EXPECT_EQ(action_log, std::vector<int>{0});
  EXPECT_EQ(widgets[0].active, 0);
  EXPECT_EQ(widgets[0].was_pressed, 1);
}

TEST_F(GuiInteraction, ToggleFlipsItsBitsOnce) {
  int32_t flags = 7;
  auto frame = [&](bool click) {
    widget_count = 0;
    gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_TOGGLE, &flags, 6);
    next_input(5, 5, click);
    gui_update();
  };
  frame(false);
  EXPECT_EQ(widgets[0].active, 1);
  frame(true);
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(widgets[0].pressed, 0);
  EXPECT_EQ(widgets[0].was_pressed, 0);
  EXPECT_EQ(widgets[0].active, 1);  // pressed during this pass
  frame(true);                      // still held: no second flip
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(widgets[0].active, 0);
}

TEST_F(GuiInteraction, ToggleOfNoBitsIsAlwaysActive) {
  int32_t flags = 0x55;
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_TOGGLE, &flags, 0);
  next_input(5, 5, true);
  gui_update();
  EXPECT_EQ(flags, 0x55);
  EXPECT_EQ(widgets[0].pressed, 0);
  next_input(5, 5, false);
  gui_update();
  EXPECT_EQ(widgets[0].active, 1);
}

TEST_F(GuiInteraction, RadioChoiceSelectsItsValue) {
  int32_t choice = 0;
  auto frame = [&](int x, bool click) {
    widget_count = 0;
    for (int i = 0; i < 3; ++i) {
      gui_add_box("", 20.0f * i, 0, 10, 10, 8, 0, 1, 1, 1, 1);
      gui_set(PROP_RADIO, &choice, i);
    }
    next_input(x, 5, click);
    gui_update();
  };
  frame(45, true);
  EXPECT_EQ(choice, 2);
  frame(300, false);
  EXPECT_EQ(widgets[0].active, 0);
  EXPECT_EQ(widgets[1].active, 0);
  EXPECT_EQ(widgets[2].active, 1);
}

// A disabled choice still shows its variable; a null variable is never read.
TEST_F(GuiInteraction, ChoicesShowTheirVariableEvenWhenDisabled) {
  int32_t flags = 3;
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_TOGGLE, &flags, 2);
  gui_set(PROP_DISABLED);
  int32_t *none = nullptr;
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_TOGGLE, none, 0);
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_RADIO, none, 0);
  next_input(100, 100, false);
  gui_update();
  EXPECT_EQ(widgets[0].active, 1);
  EXPECT_EQ(widgets[1].active, 0);
  EXPECT_EQ(widgets[2].active, 0);

  next_input(5, 5, true);
  gui_update();
  EXPECT_EQ(widgets[1].pressed, 0);
  EXPECT_EQ(widgets[2].pressed, 0);
}

// Only toggles and radio choices read their variable as an int32: a one-byte
// text buffer behind a field is never read past its end.
TEST_F(GuiInteraction, OtherTypesNeverReadTheirVariable) {
  char *tiny = new char[1]{};
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_FIELD_TEXT, tiny, 0);
  widgets[0].value = 0;
  next_input(100, 100, false);
  gui_update();
  EXPECT_EQ(widgets[0].active, 0);
  delete[] tiny;
}

TEST_F(GuiInteraction, HighlightEasesAnEighthPerFrame) {
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_REPEAT);
  gui_set(PROP_KEY, 'h');
  hold('h', true);
  gui_update();
  EXPECT_EQ(widgets[0].highlight, -0.125f);
  gui_update();
  EXPECT_EQ(widgets[0].highlight, -0.234375f);
  for (int i = 2; i < 8; ++i) gui_update();
  EXPECT_NEAR(widgets[0].highlight, -(1 - std::pow(0.875, 8)), 1e-6);

  hold('h', false);
  const float before = widgets[0].highlight;
  gui_update();
  EXPECT_FLOAT_EQ(widgets[0].highlight, before + (1 - before) * 0.125f);
  EXPECT_GT(widgets[0].highlight, before);
}

// Worked in double and rounded once: single-precision arithmetic would give
// a neighbouring float.
TEST_F(GuiInteraction, HighlightIsComputedInDouble) {
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  widgets[0].pressed = 1;
  widgets[0].highlight = std::bit_cast<float>(0x3E0026F5u);  // about 0.1251486
  next_input(100, 100, false);
  gui_update();
  EXPECT_EQ(std::bit_cast<uint32_t>(widgets[0].highlight), 0xBC7DDE9Au);
}

TEST_F(GuiInteraction, DisabledHighlightStillMoves) {
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_DISABLED);
  gui_update();
  EXPECT_EQ(widgets[0].highlight, 0.125f);
}

// An action pressing a later widget makes it run in the same pass; pressing
// an earlier one, in the next frame.
TEST_F(GuiInteraction, ActionsPressingOtherWidgets) {
  scripted = [] {
    if (current_widget == 1) {
      widgets[1].pressed = 0;
      widgets[2].pressed = 1;
      widgets[0].pressed = 1;
    } else {
      widgets[current_widget].pressed = 0;
    }
  };
  auto frame = [] {
    widget_count = 0;
    for (int i = 0; i < 3; ++i) {
      gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
      gui_set(PROP_ACTION, run_script);
    }
    gui_update();
  };
  widgets[1].pressed = 1;
  frame();
  EXPECT_EQ(action_log, (std::vector<int>{1, 2}));
  EXPECT_EQ(widgets[0].pressed, 1);
  EXPECT_EQ(widgets[0].was_pressed, 0);  // copied before widget 1 pressed it
  EXPECT_EQ(widgets[1].was_pressed, 0);
  EXPECT_EQ(widgets[2].was_pressed, 0);
  action_log.clear();
  frame();
  EXPECT_EQ(action_log, std::vector<int>{0});
}

TEST_F(GuiInteraction, PassEndsWithCurrentWidgetAtTheCount) {
  for (int i = 0; i < 5; ++i) gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  current_widget = 77;
  gui_update();
  EXPECT_EQ(current_widget, 5);
  widgets[3].pressed = 1;
  gui_update();
  EXPECT_EQ(widgets[3].was_pressed, 1);  // no action: the latch is copied
  EXPECT_EQ(widgets[2].was_pressed, 0);
}

// The count is read again before every widget: one an action declares takes
// its turn in the same pass.
TEST_F(GuiInteraction, ActionsMayDeclareWidgets) {
  scripted = [] {
    widgets[current_widget].pressed = 0;
    if (widget_count == 1) {
      gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
      gui_set(PROP_ACTION, run_script);
      widgets[1].pressed = 1;
    }
  };
  gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_ACTION, run_script);
  widgets[0].pressed = 1;
  gui_update();
  EXPECT_EQ(action_log, (std::vector<int>{0, 1}));
  EXPECT_EQ(current_widget, 2);
}

TEST_F(GuiInteraction, ActionSeesItsOwnIndexEvenIfAnEarlierOneMovedIt) {
  scripted = [] {
    current_widget = 200;  // a careless action
  };
  gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_ACTION, run_script);
  gui_add_box("", -100, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_ACTION, log_action);
  widgets[0].pressed = 1;
  widgets[1].pressed = 1;
  gui_update();
  EXPECT_EQ(action_log, (std::vector<int>{0, 1}));
  EXPECT_EQ(current_widget, 2);
}

TEST_F(GuiInteraction, EmptyFrameOnlyResetsPointerAndCapture) {
  fonts[0].pointer_image = 6;
  keyboard_captured = 1;
  current_widget = 9;
  widgets[0].pressed = 1;
  widgets[0].action = log_action;
  gui_update();
  EXPECT_EQ(fonts[0].pointer_image, 0);
  EXPECT_EQ(keyboard_captured, 0);
  EXPECT_EQ(current_widget, 0);
  EXPECT_TRUE(action_log.empty());
  EXPECT_EQ(widgets[0].highlight, 0.0f);
}

// A count the caller left outside the table is held to it.
TEST_F(GuiInteraction, CountOutsideTheTableStaysInside) {
  widget_count = MAX_WIDGETS + 50;
  gui_update();
  EXPECT_EQ(current_widget, MAX_WIDGETS);
  EXPECT_EQ(widgets[MAX_WIDGETS - 1].highlight, 0.125f);
  widget_count = -4;
  gui_update();
  EXPECT_EQ(current_widget, 0);
}

TEST_F(GuiInteraction, PointerImageSkipsAFontOutOfRange) {
  gui_add_box("", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_POINTER_IMAGE, 3);
  next_input(5, 5, false);
  current_font = FONT_COUNT;
  gui_update();
  EXPECT_EQ(widgets[0].hover, 1);
  current_font = 0;
  gui_update();
  EXPECT_EQ(fonts[0].pointer_image, 3);
}

// Called outside the pass with the cursor off the table, the actions touch
// nothing (an access outside the table would also stop the sanitizer build).
TEST_F(GuiInteraction, BuiltInActionsIgnoreACursorOffTheTable) {
  int32_t variable = 5;
  for (Widget &w : widgets) {
    w.pressed = 1;
    w.value = 3;
    w.target = &variable;
  }
  mouse.x = 300;
  hold(KEY_LEFT_SHIFT, true);
  const std::vector<Widget> before(std::begin(widgets), std::end(widgets));
  for (int index : {-1, MAX_WIDGETS, INT32_MIN}) {
    current_widget = index;
    gui_action_toggle();
    gui_action_radio();
    gui_action_slider();
  }
  EXPECT_EQ(variable, 5);
  EXPECT_EQ(std::memcmp(before.data(), widgets, sizeof widgets), 0);
  current_widget = 0;
}

// One slider setting: the range, the rectangle, the pointer and Shift.
struct SliderCase {
  const char *name;
  int32_t min, max, step;
  float x, width;
  int pointer_x;
  bool shift;
  int32_t expected;
};

class GuiSlider : public GuiInteraction {
 protected:
  int32_t run(const SliderCase &c) {
    int32_t value = -999;
    widget_count = 0;
    gui_add_box("", c.x, 0, c.width, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_SLIDER, &value, c.min, c.max, c.step);
    widgets[0].pressed = 1;
    next_input(c.pointer_x, 300, true);
    next_input(c.pointer_x, 300, true);  // held: no new press
    hold(KEY_LEFT_SHIFT, c.shift);
    gui_update();
    return value;
  }
};

TEST_F(GuiSlider, ValueFromThePointer) {
  const SliderCase cases[] = {
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
      {"float t below 0.35", 0, 100, 0, 0, 208, 74, false, 34},
      {"snap past max clamps", 0, 97, 10, 100, 264, 358, true, 97},
      {"without shift", 0, 97, 10, 100, 264, 358, false, 96},
      {"offset range", 20, 40, 0, 0, 108, 54, false, 30},
      {"truncates toward zero", -100, 100, 0, 100, 264, 188, false, -34},
      {"negative snaps toward zero", -100, 100, 10, 100, 264, 188, true, -20},
      {"odd step, arithmetic half", 0, 100, 7, 100, 264, 192, true, 35},
      {"no step", 0, 100, 0, 100, 264, 192, true, 34},
      {"negative step", 0, 100, -10, 100, 264, 192, true, 34},
      {"empty range", 5, 5, 0, 100, 264, 200, false, 5},
      {"reversed range clamps to max", 100, 0, 0, 100, 264, 232, false, 0},
      {"full range low", INT32_MIN, INT32_MAX, 0, 100, 264, 0, false, INT32_MIN},
      {"full range middle", INT32_MIN, INT32_MAX, 0, 100, 264, 232, false, 0},
      {"full range high", INT32_MIN, INT32_MAX, 0, 100, 264, 639, false, INT32_MAX},
      {"snap beyond 32 bits", 0, INT32_MAX, INT32_MAX, 100, 264, 296, true, INT32_MAX},
      {"knob-wide, left", 0, 100, 0, 100, 8, 103, false, 0},
      {"knob-wide, right", 0, 100, 0, 100, 8, 104, false, 100},
      {"narrower than the knob", 0, 100, 0, 100, 2, 50, false, 0},
      {"negative width", 0, 100, 0, 100, -50, 300, false, 100},
  };
  for (const SliderCase &c : cases) {
    EXPECT_EQ(run(c), c.expected) << c.name;
  }
}

TEST_F(GuiSlider, NonFiniteGeometryGivesTheMinimum) {
  const float inf = INFINITY;
  const SliderCase cases[] = {
      {"x not a number", 10, 20, 0, NAN, 264, 200, false, 10},
      {"both infinite", 10, 20, 0, -inf, inf, 200, false, 10},
  };
  for (const SliderCase &c : cases) {
    EXPECT_EQ(run(c), c.expected) << c.name;
  }
}

// The drag lasts from the click until the left button is found up, wherever
// the pointer is; the slider keeps its hover look off its rectangle.
TEST_F(GuiSlider, DragFollowsThePointerUntilRelease) {
  int32_t value = -1;
  auto frame = [&](int x, bool left) {
    widget_count = 0;
    gui_add_box("", 100, 100, 264, 10, 8, 0, 1, 1, 1, 1);
    gui_set(PROP_SLIDER, &value, 0, 100, 0);
    next_input(x, 105, left);
    gui_update();
  };
  frame(232, true);
  EXPECT_EQ(value, 50);
  EXPECT_EQ(widgets[0].pressed, 1);
  frame(600, true);  // dragged far right and below nothing
  EXPECT_EQ(value, 100);
  EXPECT_EQ(widgets[0].hover, 1);
  EXPECT_EQ(widgets[0].pressed, 1);
  frame(168, false);  // released: this frame's value still counts
  EXPECT_EQ(value, 25);
  EXPECT_EQ(widgets[0].pressed, 0);
  EXPECT_EQ(widgets[0].was_pressed, 0);
  frame(104, false);
  EXPECT_EQ(value, 25);
}

TEST_F(GuiSlider, ShortcutWithTheButtonUpSetsOnce) {
  int32_t value = -1;
  gui_add_box("", 100, 100, 264, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_SLIDER, &value, 0, 100, 0);
  gui_set(PROP_KEY, 'k');
  next_input(360, 400, false);
  hold('k', true);
  gui_update();
  EXPECT_EQ(value, 100);
  EXPECT_EQ(widgets[0].pressed, 0);
  EXPECT_EQ(widgets[0].hover, 1);
}

TEST_F(GuiSlider, NullVariableStillEndsTheDrag) {
  int32_t *none = nullptr;
  gui_add_box("", 100, 100, 264, 10, 8, 0, 1, 1, 1, 1);
  gui_set(PROP_SLIDER, none, 0, 100, 0);
  widgets[0].pressed = 1;
  next_input(200, 400, false);
  gui_update();
  EXPECT_EQ(widgets[0].pressed, 0);
  EXPECT_EQ(widgets[0].hover, 1);
}

}  // namespace
