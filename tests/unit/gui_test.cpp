// The widget layer: declarations, the property setter, and the interaction and
// action passes driven frame by frame through the input snapshots.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gfx/font.h"
#include "gfx/quads.h"
#include "gui/gui.h"
#include "input/keyboard_mouse.h"
#include "tests/support/engine_test.h"

namespace {


Ints action_log;              // current_widget at every scripted action
std::function<void()> scripted;  // what the scripted action does besides logging

void run_script() {
  action_log.push_back(current_widget);
  if (scripted) scripted();
}

void box(float x, float y, float width = 10, float height = 10) {
  gui_add_box("", x, y, width, height, 8, 0, 1, 1, 1, 1);
}

// One field of every declared widget, to check a whole frame at once.
Ints all(int32_t Widget::*field) {
  Ints values;
  for (int i = 0; i < widget_count; ++i) values.push_back(widgets[i].*field);
  return values;
}

Ints operator+(Ints a, const Ints &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// One frame: a new snapshot, the last becoming the previous as the readers
// do, with the pointer, the left button and the keys given; then the pass.
void frame(int x, int y, bool left, std::initializer_list<int> keys = {}) {
  mouse_prev = mouse;
  std::memcpy(key_state_prev, key_state, sizeof key_state);
  std::memset(key_state, 0, sizeof key_state);
  for (int key : keys) key_state[key] = 1;
  mouse = MouseState{x, y, 0, 0, left, 0, 0, 0, 0, 0};
  gui_update();
}

class Gui : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    action_log.clear();
    scripted = nullptr;
  }
};

// ---- declarations ----

// A box keeps its alignment and centres its caption; a label of the same
// extent ("ww" measures 100 by 20) stores align 0 and puts its text at the
// aligned corner. The centring flag wins over the right or bottom flag.
TEST_F(Gui, AlignmentMovesTheRectangleAndCentringWins) {
  fonts[0].advance['w'] = 2.5f;
  const int cases[][3] = {
      {0, 320, 240}, {ALIGN_CENTER_X, 270, 240}, {ALIGN_RIGHT, 220, 240},
      {ALIGN_CENTER_X | ALIGN_RIGHT, 270, 240}, {ALIGN_CENTER_Y, 320, 230},
      {ALIGN_BOTTOM, 320, 220}, {ALIGN_CENTER_Y | ALIGN_BOTTOM, 320, 230}, {15, 270, 230}};
  for (const auto &[align, x, y] : cases) {
    widget_count = 0;
    gui_add_box("ww", 320, 240, 100, 20, 20, align, 0.1f, 0.2f, 0.3f, 0.4f);
    gui_add_label("ww", 320, 240, 20, align, 0.1f, 0.2f, 0.3f, 0.4f);
    for (int i = 0; i < 2; ++i) {
      const Widget &w = widgets[i];
      const float text_x = x + (i ? 0 : 50.0f), text_y = y + (i ? 0 : 10.0f);
      EXPECT_EQ(Floats({w.x, w.y, w.width, w.height, w.text_x, w.text_y, w.label_size, w.color[3]}),
                Floats({float(x), float(y), 100, 20, text_x, text_y, 20, 0.4f})) << i << ", " << align;
      EXPECT_EQ(std::string(w.text) + char('0' + w.align), std::string("ww") + char('0' + (i ? 0 : align)));
    }
  }
}

// Every per-frame field is set afresh over last frame's leftovers; the state
// that belongs to the index stays.
TEST_F(Gui, DeclarationsResetThePerFrameFieldsAndKeepTheIndexState) {
  std::memset(widgets, 0x5A, sizeof widgets);
  const Widget stale = widgets[0];
  gui_add_box("a", 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_add_label("b", 0, 0, 8, 0, 1, 1, 1, 1);
  gui_add_blank();
  EXPECT_EQ(widget_count, 3);
  for (int i = 0; i < 3; ++i) {
    const Widget &w = widgets[i];
    EXPECT_EQ(Ints({w.type, w.key, w.modifier_key, w.repeat, w.disabled, w.hover, w.active, w.value,
                    w.value_kind, w.masked, w.pointer_image, w.tag}),
              Ints(12, 0)) << i;
    EXPECT_EQ(Ints(w.texture_slots, w.texture_slots + 4), Ints(4, -1)) << i;
    EXPECT_TRUE(w.target == nullptr && w.action == nullptr) << i;
    EXPECT_EQ(Ints({w.pressed, w.was_pressed, w.min, w.max, w.step, std::bit_cast<int>(w.highlight)}),
              Ints({stale.pressed, stale.was_pressed, stale.min, stale.max, stale.step,
                    std::bit_cast<int>(stale.highlight)})) << i;
  }
  EXPECT_EQ(Floats(widgets[0].texture_uv, widgets[0].texture_uv + 8), Floats({0, 1, 1, 1, 1, 0, 0, 0}));
  // A blank zeroes its rectangle, caption and colour, keeping the caption's place.
  const Widget &blank = widgets[2];
  EXPECT_EQ(Floats({blank.x, blank.y, blank.width, blank.height, blank.color[0], float(blank.text[0])}), Floats(6, 0));
  EXPECT_EQ(std::bit_cast<uint32_t>(blank.text_x), std::bit_cast<uint32_t>(stale.text_x));
}

// Measured with the current font (font 0 standing in outside the table), in
// single precision one character at a time, over at most 63 characters.
TEST_F(Gui, LabelsAreMeasuredAndCaptionsCutToSixtyThreeCharacters) {
  float *advance = fonts[0].advance;
  advance['A'] = 0.5f, advance[0xE9] = 0.75f, advance['i'] = 0.1f, advance['m'] = 1.0f;
  fonts[1].advance['A'] = 2.0f;
  const std::string long_text = std::string(63, 'm') + "overflowing tail";
  const struct { int font; const char *text; float size, width; } cases[] = {
      {1, "A", 10, 20}, {-1, "A", 10, 5}, {FONT_COUNT, "AA", 10, 10}, {0, "\xE9", 4, 3},
      {0, "iiiiiiiiii", 1, 1.00000012f}, {0, long_text.c_str(), 2, 126}, {0, nullptr, 14, 0}};
  for (const auto &c : cases) {
    widget_count = 0;
    current_font = c.font;
    gui_add_label(c.text, 50, 60, c.size, ALIGN_RIGHT, 1, 1, 1, 1);
    gui_add_box(c.text, 0, 0, 1, 1, c.size, 0, 1, 1, 1, 1);
    EXPECT_EQ(Floats({widgets[0].width, widgets[0].x}), Floats({c.width, 50 - c.width})) << c.text;
    const std::string kept = c.text ? std::string(c.text).substr(0, 63) : "";
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(std::string(widgets[i].text, sizeof widgets[i].text), kept + std::string(64 - kept.size(), '\0'));
      EXPECT_EQ(widgets[i].max_length, int(kept.size()));
    }
  }
}

// Past the limit a declaration is dropped, the count stays, and gui_set after
// it does not reach the last record that fitted.
TEST_F(Gui, DeclarationsStopAtTheTableLimit) {
  while (widget_count < MAX_WIDGETS) box(0, 0);
  gui_set(PROP_KEY, 67);
  const Widget last = widgets[MAX_WIDGETS - 1];
  gui_add_box("dropped", 999, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_add_label("dropped", 999, 0, 1, 0, 1, 1, 1, 1);
  gui_add_blank();
  gui_set(PROP_KEY, 68);
  gui_set(PROP_DISABLED);
  EXPECT_EQ(widget_count, MAX_WIDGETS);
  EXPECT_TRUE(std::memcmp(&widgets[MAX_WIDGETS - 1], &last, sizeof last) == 0 && last.key == 67);
  widget_count = 0;  // the next frame starts afresh
  box(0, 0);
  gui_set(PROP_KEY, 69);
  EXPECT_EQ(widgets[0].key, 69);
  widgets[200].pressed = widgets[255].was_pressed = 1;
  gui_clear_presses();
  for (const Widget &w : widgets) ASSERT_EQ(w.pressed + w.was_pressed, 0);
}

// ---- properties ----

template <typename T>
concept SettableAsFloatField = requires(T target) { gui_set(PROP_FIELD_FLOAT, target, 5); };
template <typename T>
concept SettableAsTextureUv = requires(T uv) { gui_set(PROP_TEXTURE_UV, uv); };
static_assert(SettableAsFloatField<float *> && !SettableAsFloatField<const float *>);
static_assert(!SettableAsFloatField<const char *> && !SettableAsFloatField<const int32_t *>);
static_assert(SettableAsTextureUv<const TextureUv *> && SettableAsTextureUv<float *>);

// Fields and sliders put their label one text size above the box; the
// texture entry 0 sets all four; an unsigned toggle mask keeps its bits.
TEST_F(Gui, PropertiesTurnTheLastDeclarationIntoTheirKind) {
  float f = 0;
  int32_t n = 0;
  static const TextureUv uv = {0.5f, 0.25f, 1, 0.25f, 1, 0.75f, 0.5f, 0.75f};
  gui_add_box("f", 140, 110, 80, 20, 16, ALIGN_CENTER_X | ALIGN_CENTER_Y, 1, 1, 1, 1);
  gui_set(PROP_FIELD_FLOAT, &f, 5);
  gui_set(PROP_TEXTURE, 0, 7);
  gui_set(PROP_TEXTURE, 2, 9);
  gui_set(PROP_TEXTURE_UV, &uv);
  const Widget &w = widgets[0];
  EXPECT_EQ(Ints({w.type, w.value_kind, w.max_length, int(w.text_x), int(w.text_y)}),
            Ints({WIDGET_FIELD, VALUE_FLOAT, 5, 100, 84}));
  EXPECT_EQ(w.target, &f);
  EXPECT_EQ(Ints(w.texture_slots, w.texture_slots + 4), Ints({7, 7, 9, 7}));
  EXPECT_EQ(0, std::memcmp(w.texture_uv, uv, sizeof uv));
  gui_set(PROP_TEXT_POS, 10.0, 20, 12.5f);
  EXPECT_EQ(Floats({w.text_x, w.text_y, w.label_size}), Floats({10, 20, 12.5f}));
  gui_set(PROP_TOGGLE, &n, 0x80000001u);
  EXPECT_EQ(Ints({w.type, w.value}), Ints({WIDGET_TOGGLE, INT32_MIN + 1}));
  EXPECT_EQ(w.action, gui_action_toggle);
}

// Too few values, values of the wrong kind, an unknown code or no widget
// declared yet: nothing changes.
TEST_F(Gui, PropertyCallsThatCannotApplyChangeNothing) {
  char buf[8] = "";
  int32_t n = 0;
  uint32_t u = 0;
  float f = 0;
  const std::function<void()> ignored[] = {
      [] { gui_set(PROP_KEY); }, [] { gui_set(PROP_KEY, 27.0); }, [] { gui_set(PROP_KEY, int64_t{1} << 40); },
      [&] { gui_set(PROP_FIELD_TEXT, buf); }, [&] { gui_set(PROP_FIELD_INT, &u, 4); },
      [&] { gui_set(PROP_FIELD_UINT, &n, 4); }, [&] { gui_set(PROP_TOGGLE, &f, 1); },
      [&] { gui_set(PROP_RADIO, &n); }, [] { gui_set(PROP_ACTION, 5); }, [] { gui_set(PROP_TEXTURE, 4, 5); },
      [] { gui_set(PROP_TEXTURE, -1, 5); }, [&] { gui_set(PROP_TEXTURE_UV, static_cast<float *>(nullptr)); },
      [&] { gui_set(PROP_SLIDER, &n, 0, 10, 1.0); }, [] { gui_set(PROP_TEXT_POS, 1.0, 2.0); },
      [] { gui_set(13, 1, 2); }, [] { gui_set_args(PROP_KEY, nullptr, 3); }};
  for (const auto &call : ignored) {
    for (int declared : {0, 1}) {
      widget_count = 0;
      if (declared) gui_add_box("x", 1, 2, 3, 4, 5, 0, 1, 1, 1, 1);
      std::vector<Widget> before(widgets, widgets + 2);
      call();
      EXPECT_EQ(std::memcmp(before.data(), widgets, 2 * sizeof(Widget)), 0) << &call - ignored;
    }
  }
}

// ---- interaction ----

// The integer pointer against the widget's floats: left and top edges are
// inside, right and bottom edges are not.
TEST_F(Gui, PointerHitsLeftAndTopEdgesButNotRightAndBottom) {
  const struct { float x, y, width, height; int px, py; bool inside; } cases[] = {
      {100, 50, 40, 20, 100, 50, true}, {100, 50, 40, 20, 139, 69, true}, {100, 50, 40, 20, 140, 50, false},
      {100, 50, 40, 20, 100, 70, false}, {100, 50, 40, 20, 99, 50, false}, {100, 50, 40, 20, 100, 49, false},
      {100.5f, 10.25f, 9.5f, 10, 100, 15, false}, {100.5f, 10.25f, 9.5f, 10, 101, 20, true}};
  for (const auto &c : cases) {
    widget_count = 0;
    box(c.x, c.y, c.width, c.height);
    frame(c.px, c.py, true);
    frame(c.px, c.py, false);
    EXPECT_EQ(Ints({widgets[0].hover, widgets[0].pressed}), Ints(2, c.inside)) << c.px << "," << c.py;
  }
}

// A click presses every widget under the pointer, and the highest hovered one
// chooses the pointer image. The press latches until the next press of the
// left button anywhere; a repeating widget starts every pass released.
TEST_F(Gui, ClickLatchesUntilTheNextPressAnywhere) {
  box(0, 0, 50, 50); gui_set(PROP_POINTER_IMAGE, 2);
  box(100, 0, 50, 50); gui_set(PROP_POINTER_IMAGE, 5);
  box(0, 0, 50, 50); gui_set(PROP_POINTER_IMAGE, 3); gui_set(PROP_REPEAT);
  frame(10, 10, true);
  EXPECT_EQ(all(&Widget::pressed), Ints({1, 0, 1}));
  EXPECT_EQ(fonts[0].pointer_image, 3);
  frame(120, 10, true);  // held while moving onto the second
  EXPECT_EQ(all(&Widget::pressed), Ints({1, 0, 0}));
  EXPECT_EQ(all(&Widget::hover), Ints({0, 1, 0}));
  frame(300, 10, false);
  frame(300, 10, true);
  EXPECT_EQ(all(&Widget::pressed), Ints({0, 0, 0}));
  EXPECT_EQ(fonts[0].pointer_image, 0);
}

// Without repeat a shortcut fires on the frame its key goes down, and only
// with its modifier down; with repeat, on every held frame. Key 0 and codes
// outside the snapshot never fire.
TEST_F(Gui, ShortcutsFireOnTheKeyGoingDownWithTheirModifier) {
  scripted = [] { widgets[current_widget].pressed = 0; };  // each press runs the action once
  box(-100, 0); gui_set(PROP_KEY, 'a'); gui_set(PROP_ACTION, run_script);
  box(-100, 0); gui_set(PROP_KEY, 'a'); gui_set(PROP_REPEAT); gui_set(PROP_ACTION, run_script);
  box(-100, 0); gui_set(PROP_KEY, 's'); gui_set(PROP_MODIFIER_KEY, KEY_LEFT_CTRL);
  for (int key : {-1, 0, KEY_COUNT, INT32_MIN}) {
    box(-100, 0); gui_set(PROP_KEY, key);
    box(-100, 0); gui_set(PROP_KEY, 'x'); gui_set(PROP_MODIFIER_KEY, key == 0 ? -5 : key);
  }
  for (int i = 0; i < 3; ++i) frame(300, 300, false, {'a', 's'});
  frame(300, 300, false);
  EXPECT_EQ(action_log, Ints({0, 1, 1, 1}));
  frame(300, 300, false, {'s', KEY_LEFT_CTRL});
  EXPECT_EQ(widgets[2].pressed, 1);
  widgets[2].pressed = 0;
  frame(300, 300, false, {KEY_LEFT_CTRL});
  frame(300, 300, false, {KEY_LEFT_CTRL, 's'});
  EXPECT_EQ(widgets[2].pressed, 1) << "the modifier may go down first";
  // A text field that ran last frame took the keyboard: no shortcut fires in
  // this pass, which frees the keyboard for the next.
  keyboard_captured = 1;
  frame(300, 300, false, {'a'});
  EXPECT_EQ(Ints({int(action_log.size()), keyboard_captured}), Ints({4, 0}));
  std::memset(key_state, 1, sizeof key_state);
  std::memset(key_state_prev, 0, sizeof key_state_prev);
  gui_update();
  const Ints pressed = all(&Widget::pressed);
  EXPECT_EQ(Ints(pressed.begin() + 3, pressed.end()), Ints(8, 0));
}

// A disabled widget takes neither pointer nor shortcut, but a press latched
// before still runs its action, a toggle still shows its variable and the
// highlight still moves.
TEST_F(Gui, DisabledWidgetTakesNoInputButKeepsItsState) {
  int32_t flags = 3;
  box(0, 0); gui_set(PROP_KEY, 'x'); gui_set(PROP_POINTER_IMAGE, 4); gui_set(PROP_DISABLED);
  box(0, 0); gui_set(PROP_ACTION, run_script); gui_set(PROP_DISABLED);
  box(0, 0); gui_set(PROP_TOGGLE, &flags, 2); gui_set(PROP_DISABLED);
  widgets[1].pressed = 1;
  frame(5, 5, false, {'x'});
  EXPECT_EQ(all(&Widget::hover) + all(&Widget::pressed) + all(&Widget::active), Ints({0, 0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_EQ(Ints({fonts[0].pointer_image, int(widgets[0].highlight * 8)}), Ints({0, 1}));
  EXPECT_EQ(action_log, Ints{1});
  frame(5, 5, true);
  EXPECT_EQ(all(&Widget::pressed) + Ints({flags}), Ints({0, 0, 0, 3}));
}

// A toggle flips its bits once per click and is active while they are all
// set; a radio choice stores its value and only it is active after.
TEST_F(Gui, TogglesAndRadioChoicesWriteTheirVariable) {
  int32_t flags = 7, choice = 1;
  box(0, 0); gui_set(PROP_TOGGLE, &flags, 6);
  for (int i = 0; i < 3; ++i) {
    box(20.0f * (i + 1), 0);
    gui_set(PROP_RADIO, &choice, i);
  }
  frame(300, 5, false);
  EXPECT_EQ(all(&Widget::active), Ints({1, 0, 1, 0}));
  frame(5, 5, true);
  frame(5, 5, true);  // held: no second flip
  frame(65, 5, false);
  frame(65, 5, true);
  EXPECT_EQ(all(&Widget::pressed) + Ints({flags, choice}), Ints({0, 0, 0, 0, 1, 2}));
  frame(300, 5, false);
  EXPECT_EQ(all(&Widget::active), Ints({0, 0, 0, 1}));
}

// An eighth of the remaining distance per pass, worked in double and rounded
// once (single precision gives a neighbouring float in the last step).
TEST_F(Gui, HighlightEasesAnEighthOfTheWay) {
  box(0, 0); gui_set(PROP_KEY, 'h'); gui_set(PROP_REPEAT);
  frame(300, 300, false, {'h'});
  frame(300, 300, false, {'h'});
  EXPECT_EQ(widgets[0].highlight, -0.234375f);
  frame(300, 300, false);
  EXPECT_EQ(widgets[0].highlight, -0.080078125f);
  widgets[0].highlight = std::bit_cast<float>(0x3E0026F5u);
  frame(300, 300, false, {'h'});
  EXPECT_EQ(std::bit_cast<uint32_t>(widgets[0].highlight), 0xBC7DDE9Au);
}

// In index order, with the press as the action left it copied to was_pressed;
// pressing a later widget runs it in the same pass, an earlier one in the
// next; the count is read again before every widget. Counts outside the table
// are held to it.
TEST_F(Gui, ActionsRunInOrderAndMayPressOrDeclareWidgets) {
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
  box(-100, 0);
  widgets[1].pressed = widgets[3].pressed = 1;
  frame(300, 300, false);
  EXPECT_EQ(action_log, Ints({1, 2, 4}));
  EXPECT_EQ(current_widget, 5);
  EXPECT_EQ(all(&Widget::pressed), Ints({1, 0, 0, 1, 0}));
  EXPECT_EQ(all(&Widget::was_pressed), Ints({0, 0, 0, 1, 0}));
  widget_count = MAX_WIDGETS + 50;
  gui_update();
  EXPECT_EQ(current_widget, MAX_WIDGETS);
  widget_count = -4;
  gui_update();
  EXPECT_EQ(current_widget, 0);
}

// t = (pointer - (x + 4)) / (width - 8), clamped to 0..1; the value is
// min + (max - min) * t truncated, snapped to the step with Shift, held to max.
TEST_F(Gui, SliderValueFromThePointer) {
  const struct { int32_t min, max, step; float x, width; int pointer; bool shift; int32_t expected; } cases[] = {
      {0, 100, 0, 100, 264, 50, false, 0}, {0, 100, 0, 100, 264, 232, false, 50},
      {0, 100, 0, 100, 264, 639, false, 100}, {0, 100, 10, 100, 264, 192, false, 34},
      {0, 100, 10, 100, 264, 192, true, 30}, {0, 100, 10, 100, 264, 195, true, 40},
      {0, 94, 10, 100, 264, 360, true, 94}, {0, 97, 10, 100, 264, 358, true, 97},
      {0, 100, 0, 0, 208, 74, false, 34}, {20, 40, 0, 0, 108, 54, false, 30},
      {-100, 100, 10, 100, 264, 188, true, -20}, {0, 100, 7, 100, 264, 192, true, 35},
      {0, 100, -10, 100, 264, 192, true, 34}, {5, 5, 0, 100, 264, 200, false, 5},
      {INT32_MIN, INT32_MAX, 0, 100, 264, 232, false, 0}, {INT32_MIN, INT32_MAX, 0, 100, 264, 639, false, INT32_MAX},
      {0, INT32_MAX, INT32_MAX, 100, 264, 296, true, INT32_MAX}, {0, 100, 0, 100, 8, 104, false, 100},
      {0, 100, 0, 100, -50, 300, false, 100}, {10, 20, 0, NAN, 264, 200, false, 10}};
  for (const auto &c : cases) {
    int32_t value = -999;
    widget_count = 0;
    box(c.x, 0, c.width, 10);
    gui_set(PROP_SLIDER, &value, c.min, c.max, c.step);
    widgets[0].pressed = 1;  // dragged from an earlier frame, the button still down
    mouse = mouse_prev = MouseState{c.pointer, 300, 0, 0, 1, 0, 0, 0, 0, 0};
    key_state[KEY_LEFT_SHIFT] = c.shift;
    gui_update();
    EXPECT_EQ(value, c.expected) << &c - cases;
  }
}

// The drag lasts from the click until the left button is found up, wherever
// the pointer is, with the hover look held; a shortcut sets the value once.
TEST_F(Gui, SliderDragsUntilTheButtonIsUp) {
  int32_t value = -1, keyed = -1, none_kept = 0;
  box(100, 100, 264, 10); gui_set(PROP_SLIDER, &value, 0, 100, 0);
  box(100, 200, 264, 10); gui_set(PROP_SLIDER, &keyed, 0, 100, 0); gui_set(PROP_KEY, 'k');
  box(100, 100, 264, 10); gui_set(PROP_SLIDER, static_cast<int32_t *>(nullptr), 0, 100, 0);
  frame(232, 105, true);
  EXPECT_EQ(value, 50);
  frame(600, 400, true);
  EXPECT_EQ(all(&Widget::hover) + Ints({value}), Ints({1, 0, 1, 100}));
  frame(168, 400, false, {'k'});  // released: this frame's value still counts
  EXPECT_EQ(all(&Widget::pressed) + all(&Widget::hover) + Ints({value, keyed}), Ints({0, 0, 0, 1, 1, 1, 25, 25}));
  frame(104, 400, false);
  EXPECT_EQ(Ints({value, none_kept}), Ints({25, 0}));
}

}  // namespace
