// The widget layer: declarations, the property setter, and the interaction and
// action passes driven frame by frame through the input snapshots.
#include <bit>
#include <cmath>

#include "tests/support/engine_test.h"

namespace {

Ints action_log;  // current_widget at every run of log_action

// An action that notes where the pass stands and releases its press, so that
// each press runs it once.
void log_action() {
  action_log.push_back(current_widget);
  widgets[current_widget].pressed = 0;
}

// A null pointer of the given kind, for calls where only the kind counts.
template <typename T> T *const none = nullptr;

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

// Where a widget lies and how its caption is set: rectangle, caption place,
// label size, alignment and opacity.
Floats layout(const Widget &w) {
  return {w.x, w.y, w.width, w.height, w.text_x, w.text_y, w.label_size, float(w.align), w.color[3]};
}

struct Gui : EngineTest {
  Gui() { action_log.clear(); }
};

// ---- declarations ----

// Each declaration sets every per-frame field afresh over last frame's
// leftovers and keeps the state that belongs to the index (presses, slider
// range, highlight). A box keeps its alignment and centres its caption; a
// label ("ww" measures 100 by 20) stores align 0 and puts its text at the
// aligned corner; the centring flags win over the right and bottom flags. A
// blank zeroes its rectangle, caption and colour, keeping the caption's place.
TEST_F(Gui, DeclarationsAlignAndResetThePerFrameFields) {
  std::memset(widgets, 0x5A, sizeof widgets);
  const int stale = 0x5A5A5A5A;
  fonts[0].advance['w'] = 2.5f;
  gui_add_box("ww", 320, 240, 100, 20, 20, 15, 0.1f, 0.2f, 0.3f, 0.4f);
  gui_add_label("ww", 320, 240, 20, 15, 0.1f, 0.2f, 0.3f, 0.4f);
  gui_add_blank();
  EXPECT_EQ(widget_count, 3);
  for (const Widget *w : {&widgets[0], &widgets[1], &widgets[2]}) {
    EXPECT_EQ(Ints({w->type, w->key, w->modifier_key, w->repeat, w->disabled, w->hover, w->active,
                    w->value, w->value_kind, w->masked, w->pointer_image, w->tag, w->target != nullptr,
                    w->action != nullptr, w->pressed, w->was_pressed, w->min, w->max, w->step,
                    std::bit_cast<int>(w->highlight)}) +
                  Ints(w->texture_slots, w->texture_slots + 4),
              Ints(14, 0) + Ints(6, stale) + Ints(4, -1)) << w - widgets;
  }
  const float kept = std::bit_cast<float>(stale);
  EXPECT_EQ(layout(widgets[0]), Floats({270, 230, 100, 20, 320, 240, 20, 15, 0.4f}));
  EXPECT_EQ(layout(widgets[1]), Floats({270, 230, 100, 20, 270, 230, 20, 0, 0.4f}));
  EXPECT_EQ(layout(widgets[2]), Floats({0, 0, 0, 0, kept, kept, kept, 0, 0}));
  EXPECT_EQ(std::string(widgets[0].text) + widgets[1].text + widgets[2].text, "wwww");
  EXPECT_EQ(Floats(widgets[1].texture_uv, widgets[1].texture_uv + 8), Floats({0, 1, 1, 1, 1, 0, 0, 0}));
}

// Measured with the current font (font 0 standing in outside the table), in
// single precision one character at a time, over at most 63 characters; the
// rest of the caption is zeroed.
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
    gui_add_label(c.text, 50, 60, c.size, 0, 1, 1, 1, 1);
    const std::string kept = c.text ? std::string(c.text).substr(0, 63) : "";
    EXPECT_EQ(Floats({widgets[0].width, float(widgets[0].max_length)}), Floats({c.width, float(kept.size())}))
        << &c - cases;
    EXPECT_EQ(std::string(widgets[0].text, WIDGET_TEXT_SIZE), kept + std::string(64 - kept.size(), '\0'));
  }
}

// Past the limit a declaration is dropped, the count stays, and gui_set after
// it does not reach the last record that fitted; the next frame starts afresh.
TEST_F(Gui, DeclarationsStopAtTheTableLimit) {
  while (widget_count < MAX_WIDGETS) box(1, 0);
  gui_add_box("dropped", 999, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_add_label("dropped", 999, 0, 1, 0, 1, 1, 1, 1);
  gui_add_blank();
  gui_set(PROP_KEY, 68);
  EXPECT_EQ(Ints({widget_count, int(widgets[MAX_WIDGETS - 1].x), widgets[MAX_WIDGETS - 1].key}),
            Ints({MAX_WIDGETS, 1, 0}));
  widget_count = 0;
  box(0, 0);
  gui_set(PROP_KEY, 69);
  EXPECT_EQ(widgets[0].key, 69);
  widgets[200].pressed = widgets[255].was_pressed = 1;
  gui_clear_presses();
  for (const Widget &w : widgets) ASSERT_EQ(w.pressed + w.was_pressed, 0);
}

// ---- properties ----

// Pointers to const are refused, except the texture coordinates.
template <typename T> concept SettableAsFloatField = requires(T p) { gui_set(PROP_FIELD_FLOAT, p, 5); };
template <typename T> concept SettableAsTextureUv = requires(T p) { gui_set(PROP_TEXTURE_UV, p); };
static_assert(SettableAsFloatField<float *> && !SettableAsFloatField<const float *>);
static_assert(!SettableAsFloatField<const char *> && !SettableAsFloatField<const int32_t *>);
static_assert(SettableAsTextureUv<const TextureUv *> && SettableAsTextureUv<TextureUv *>);

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
  box(0, 0); gui_set(PROP_TOGGLE, &n, 0x80000001u); gui_set(PROP_TEXT_POS, 10.0, 20, 12.5f);
  const Widget &w = widgets[0], &toggle = widgets[1];
  EXPECT_EQ(Ints({w.type, w.value_kind, w.max_length, toggle.type, toggle.value}) +
                Ints(w.texture_slots, w.texture_slots + 4),
            Ints({WIDGET_FIELD, VALUE_FLOAT, 5, WIDGET_TOGGLE, INT32_MIN + 1, 7, 7, 9, 7}));
  EXPECT_EQ(Floats({w.text_x, w.text_y, toggle.text_x, toggle.text_y, toggle.label_size}),
            Floats({100, 84, 10, 20, 12.5f}));
  EXPECT_EQ(Floats(w.texture_uv, w.texture_uv + 8), Floats(uv, uv + 8));
  EXPECT_TRUE(w.target == &f && toggle.target == &n && toggle.action == gui_action_toggle);
}

// Too few values, values of the wrong kind, an unknown code or no widget
// declared yet: nothing changes.
TEST_F(Gui, PropertyCallsThatCannotApplyChangeNothing) {
  void (*const ignored[])() = {
      [] { gui_set(PROP_KEY); }, [] { gui_set(PROP_KEY, 27.0); }, [] { gui_set(PROP_KEY, int64_t{1} << 40); },
      [] { gui_set(PROP_FIELD_TEXT, none<char>); }, [] { gui_set(PROP_FIELD_INT, none<uint32_t>, 4); },
      [] { gui_set(PROP_FIELD_UINT, none<int32_t>, 4); }, [] { gui_set(PROP_TOGGLE, none<float>, 1); },
      [] { gui_set(PROP_RADIO, none<int32_t>); }, [] { gui_set(PROP_ACTION, 5); },
      [] { gui_set(PROP_TEXTURE, 4, 5); }, [] { gui_set(PROP_TEXTURE, -1, 5); },
      [] { gui_set(PROP_TEXTURE_UV, none<float>); }, [] { gui_set(PROP_SLIDER, none<int32_t>, 0, 10, 1.0); },
      [] { gui_set(PROP_TEXT_POS, 1.0, 2.0); }, [] { gui_set(13, 1, 2); },
      [] { gui_set_args(PROP_KEY, nullptr, 3); }};
  for (const auto &call : ignored) {
    for (int declared : {0, 1}) {
      widget_count = 0;
      if (declared) gui_add_box("x", 1, 2, 3, 4, 5, 0, 1, 1, 1, 1);
      const Widget before = widgets[0];
      call();
      EXPECT_EQ(std::memcmp(&before, widgets, sizeof before), 0) << &call - ignored;
    }
  }
}

// ---- interaction ----

// The integer pointer against the widget's floats: left and top edges are
// inside, right and bottom edges are not.
TEST_F(Gui, PointerHitsLeftAndTopEdgesButNotRightAndBottom) {
  box(100, 50, 40, 20);
  box(100.5f, 10.25f, 9.5f, 10);
  const int cases[][4] = {{100, 50, 1, 0}, {139, 69, 1, 0}, {140, 50, 0, 0}, {100, 70, 0, 0}, {99, 50, 0, 0},
                          {100, 49, 0, 0}, {100, 15, 0, 0}, {101, 20, 0, 1}, {110, 15, 0, 0}};
  for (const auto &[x, y, first, second] : cases) {
    frame(x, y, false);
    EXPECT_EQ(all(&Widget::hover), Ints({first, second})) << x << "," << y;
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
  EXPECT_EQ(all(&Widget::pressed) + Ints({fonts[0].pointer_image}), Ints({1, 0, 1, 3}));
  frame(120, 10, true);  // held while moving onto the second
  EXPECT_EQ(all(&Widget::pressed) + all(&Widget::hover), Ints({1, 0, 0, 0, 1, 0}));
  frame(300, 10, false);
  frame(300, 10, true);
  EXPECT_EQ(all(&Widget::pressed) + Ints({fonts[0].pointer_image}), Ints({0, 0, 0, 0}));
}

// Without repeat a shortcut fires on the frame its key goes down, and only
// with its modifier down (which may have gone down first); with repeat, on
// every held frame. Key 0 and codes outside the snapshot never fire, as key
// or as modifier. A text field that ran last frame took the keyboard: no
// shortcut fires in this pass, which frees the keyboard for the next.
TEST_F(Gui, ShortcutsFireOnTheKeyGoingDownWithTheirModifier) {
  const int bindings[][2] = {
      {'a', 0}, {'a', 0}, {'s', KEY_LEFT_CTRL}, {0, 0}, {-1, 0}, {KEY_COUNT, 0}, {'x', -1}, {'x', INT32_MIN}};
  for (const auto &[key, mod] : bindings) {
    box(-100, 0); gui_set(PROP_KEY, key); gui_set(PROP_MODIFIER_KEY, mod); gui_set(PROP_ACTION, log_action);
  }
  widgets[1].repeat = 1;
  const struct { Ints down; int captured; Ints fired; } frames[] = {
      {{'a', 's', 'x', 0}, 0, {0, 1}}, {{'a', 's'}, 0, {1}}, {{}, 0, {}}, {{'s', KEY_LEFT_CTRL}, 0, {2}},
      {{KEY_LEFT_CTRL}, 0, {}}, {{KEY_LEFT_CTRL, 's'}, 0, {2}}, {{'a'}, 1, {}}, {{'a'}, 0, {1}}};
  for (const auto &f : frames) {
    if (f.captured) keyboard_captured = 1;  // as a text field does
    action_log.clear();
    frame(300, 300, false, f.down);
    EXPECT_EQ(action_log, f.fired) << &f - frames;
  }
}

// A disabled widget takes neither pointer nor shortcut, but a press latched
// before still runs its action, a toggle still shows its variable and the
// highlight still eases, an eighth of the way toward +1 when not active.
TEST_F(Gui, DisabledWidgetTakesNoInputButKeepsItsState) {
  int32_t flags = 3;
  box(0, 0); gui_set(PROP_KEY, 'x'); gui_set(PROP_POINTER_IMAGE, 4); gui_set(PROP_DISABLED);
  box(0, 0); gui_set(PROP_ACTION, log_action); gui_set(PROP_DISABLED);
  box(0, 0); gui_set(PROP_TOGGLE, &flags, 2); gui_set(PROP_DISABLED);
  widgets[1].pressed = 1;
  frame(5, 5, false, {'x'});
  EXPECT_EQ(all(&Widget::hover) + all(&Widget::pressed) + all(&Widget::active),
            Ints({0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(Ints({fonts[0].pointer_image, int(widgets[0].highlight * 8)}) + action_log, Ints({0, 1, 1}));
}

// A toggle flips its bits once per click and is active only while all of
// them are set (as the disabled one above), not some; a radio choice stores
// its value and only it is active after. While active the highlight eases an
// eighth of the way toward -1, worked in double and rounded once (single
// precision gives the neighbouring float).
TEST_F(Gui, TogglesAndRadioChoicesWriteTheirVariable) {
  int32_t flags = 3, choice = 1;
  box(0, 0); gui_set(PROP_TOGGLE, &flags, 6);
  box(20, 0); gui_set(PROP_RADIO, &choice, 0);
  box(40, 0); gui_set(PROP_RADIO, &choice, 1);
  box(60, 0); gui_set(PROP_RADIO, &choice, 2);
  widgets[0].highlight = std::bit_cast<float>(0x3E0026F5u);
  frame(5, 5, true);
  EXPECT_EQ(all(&Widget::active), Ints({1, 0, 1, 0}));
  EXPECT_EQ(std::bit_cast<uint32_t>(widgets[0].highlight), 0xBC7DDE9Au);
  frame(65, 5, false);
  frame(65, 5, true);
  EXPECT_EQ(all(&Widget::pressed) + Ints({flags, choice}), Ints({0, 0, 0, 0, 5, 2}));
  frame(300, 5, false);
  EXPECT_EQ(all(&Widget::active), Ints({0, 0, 0, 1}));
}

// In index order, with the press as the action left it copied to was_pressed;
// pressing a later widget runs it in the same pass, an earlier one in the
// next; the count is read again before every widget. Counts outside the table
// are held to it.
TEST_F(Gui, ActionsRunInOrderAndMayPressOrDeclareWidgets) {
  box(-100, 0); gui_set(PROP_ACTION, log_action);
  box(-100, 0); gui_set(PROP_ACTION, [] {
    log_action();
    widgets[0].pressed = widgets[2].pressed = 1;
  });
  box(-100, 0); gui_set(PROP_ACTION, [] {
    log_action();
    box(-100, 0); gui_set(PROP_ACTION, log_action);
    widgets[4].pressed = 1;
  });
  box(-100, 0);  // pressed, with no action
  widgets[1].pressed = widgets[3].pressed = 1;
  frame(300, 300, false);
  EXPECT_EQ(action_log + Ints({current_widget}), Ints({1, 2, 4, 5}));
  EXPECT_EQ(all(&Widget::pressed) + all(&Widget::was_pressed), Ints({1, 0, 0, 1, 0, 0, 0, 0, 1, 0}));
  for (int count : {MAX_WIDGETS + 50, -4}) {
    widget_count = count;
    gui_update();
    EXPECT_EQ(current_widget, count < 0 ? 0 : MAX_WIDGETS);
  }
}

// t = (pointer - (x + 4)) / (width - 8) in single precision, clamped to 0..1;
// the value is min + (max - min) * t truncated, snapped to the step with
// Shift (half up, in 64 bits), held within min and max.
TEST_F(Gui, SliderValueFromThePointer) {
  const struct { int32_t min, max, step; float x, width; int pointer, shift, expected; } cases[] = {
      {0, 100, 0, 100, 264, 50, 0, 0}, {0, 100, 10, 100, 264, 192, 0, 34},
      {0, 100, 10, 100, 264, 192, 1, 30}, {0, 100, 10, 100, 264, 195, 1, 40},
      {0, 94, 10, 100, 264, 360, 1, 94}, {0, 97, 10, 100, 264, 358, 1, 97},
      {0, 100, 0, 0, 208, 74, 0, 34}, {-100, 100, 10, 100, 264, 188, 1, -20},
      {0, 100, -10, 100, 264, 192, 1, 34}, {INT32_MIN, INT32_MAX, 0, 100, 264, 232, 0, 0},
      {0, INT32_MAX, INT32_MAX, 100, 264, 296, 1, INT32_MAX}, {0, 100, 0, 100, 8, 104, 0, 100},
      {0, 100, 0, 100, -50, 300, 0, 100}, {10, 20, 0, NAN, 264, 200, 0, 10}, {1, 100, 10, 100, 264, 104, 1, 1}};
  for (const auto &c : cases) {
    int32_t value = -999;
    widget_count = 0;
    box(c.x, 0, c.width, 10);
    gui_set(PROP_SLIDER, &value, c.min, c.max, c.step);
    widgets[0].pressed = mouse.left = 1;  // dragged from an earlier frame, the button still down
    frame(c.pointer, 300, true, {c.shift ? KEY_LEFT_SHIFT : 0});
    EXPECT_EQ(value, c.expected) << &c - cases;
  }
}

// A stock action given to a widget of another kind writes nothing through
// its target: no int XORed into a 3-byte text, no float taken as an int.
TEST_F(Gui, StockActionsActOnlyOnTheirOwnKind) {
  char tiny[3] = "ab";
  float f = 1.5f;
  int32_t bits = 7;
  box(0, 0), gui_set(PROP_FIELD_TEXT, tiny, 2), gui_set(PROP_ACTION, gui_action_toggle);
  box(0, 0), gui_set(PROP_FIELD_FLOAT, &f, 8), gui_set(PROP_ACTION, gui_action_slider);
  box(0, 0), gui_set(PROP_TOGGLE, &bits, 1), gui_set(PROP_ACTION, gui_action_text_field);
  frame(5, 5, true);
  EXPECT_EQ(std::string(tiny) + " " + std::to_string(f) + " " + std::to_string(bits), "ab 1.500000 7");
}

// The drag lasts from the click until the left button is found up, wherever
// the pointer is, with the hover look held; a shortcut sets the value once.
// A slider without a variable is dragged all the same.
TEST_F(Gui, SliderDragsUntilTheButtonIsUp) {
  int32_t value = -1, keyed = -1;
  box(100, 100, 264, 10); gui_set(PROP_SLIDER, &value, 0, 100, 0);
  box(100, 200, 264, 10); gui_set(PROP_SLIDER, &keyed, 0, 100, 0); gui_set(PROP_KEY, 'k');
  box(100, 100, 264, 10); gui_set(PROP_SLIDER, none<int32_t>, 0, 100, 0);
  frame(232, 105, true);
  frame(600, 400, true);
  EXPECT_EQ(all(&Widget::hover) + Ints({value}), Ints({1, 0, 1, 100}));
  frame(168, 400, false, {'k'});  // released: this frame's value still counts
  EXPECT_EQ(all(&Widget::pressed) + all(&Widget::hover) + Ints({value, keyed}),
            Ints({0, 0, 0, 1, 1, 1, 25, 25}));
}

}  // namespace
