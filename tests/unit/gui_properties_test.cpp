// The property setter: what every code writes, what it leaves alone, and calls
// that must change nothing (no declaration yet, unknown codes, values too few
// or of the wrong kind).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gfx/quads.h"
#include "gui/gui.h"

namespace {

void caller_action() {}
void other_action() {}

class GuiProperties : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(widgets, 0, sizeof widgets);
    widget_count = 0;
    declaration_dropped = 0;
  }
  void TearDown() override { widget_count = 0; }

  // A box with distinct values in the fields no code may touch.
  Widget &declare() {
    gui_add_box("Caption", 100, 100, 80, 20, 16, 0, 0.1f, 0.2f, 0.3f, 0.4f);
    Widget &w = widgets[widget_count - 1];
    w.hover = 1;
    w.active = 1;
    w.highlight = 0.5f;
    w.pressed = 1;
    w.was_pressed = 1;
    w.min = 3;
    w.max = 4;
    w.step = 5;
    w.action = caller_action;
    return w;
  }
};

bool same_record(const Widget &a, const Widget &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(GuiProperties, NothingHappensBeforeTheFirstDeclaration) {
  widgets[0].key = 5;
  const Widget before = widgets[0];
  gui_set(PROP_KEY, 27);
  gui_set(PROP_DISABLED);
  gui_set(PROP_REPEAT);
  EXPECT_TRUE(same_record(widgets[0], before));
  EXPECT_EQ(widget_count, 0);
}

TEST_F(GuiProperties, KeyGoesToTheLastDeclaredWidget) {
  gui_add_box("", -160, 0, 96, 24, 16, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, 27);
  gui_add_box("", 0, 0, 96, 24, 16, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, 13);
  EXPECT_EQ(widgets[0].key, 27);
  EXPECT_EQ(widgets[1].key, 13);
}

TEST_F(GuiProperties, SingleIntegerCodes) {
  Widget &w = declare();
  gui_set(PROP_MODIFIER_KEY, 306);
  gui_set(PROP_POINTER_IMAGE, 2);
  gui_set(PROP_TAG, -9);
  EXPECT_EQ(w.modifier_key, 306);
  EXPECT_EQ(w.pointer_image, 2);
  EXPECT_EQ(w.tag, -9);
}

TEST_F(GuiProperties, FlagCodes) {
  Widget &w = declare();
  gui_set(PROP_REPEAT);
  gui_set(PROP_MASKED);
  gui_set(PROP_DISABLED);
  EXPECT_EQ(w.repeat, 1);
  EXPECT_EQ(w.masked, 1);
  EXPECT_EQ(w.disabled, 1);
}

TEST_F(GuiProperties, CodesWithoutMeaningChangeNothing) {
  Widget &w = declare();
  const Widget before = w;
  for (int code : {13, 19, 0, -1, 22, 1000}) {
    gui_set(code);
    gui_set(code, 1, 2, 3);
    EXPECT_TRUE(same_record(w, before)) << "code " << code;
  }
}

// The field codes set kind, variable and length and place the label one text
// size above the box; the action stays what it was until the field editor
// installs its own.
TEST_F(GuiProperties, FieldCodes) {
  char text[32] = "";
  int32_t number = 0;
  uint32_t count = 0;
  float real = 0;
  struct Case {
    int code;
    std::function<void()> call;
    void *target;
    int32_t type;
    int32_t kind;
  };
  const Case cases[] = {
      {PROP_FIELD_TEXT, [&] { gui_set(PROP_FIELD_TEXT, text, 31); }, text, WIDGET_FIELD, VALUE_TEXT},
      {PROP_AREA_TEXT, [&] { gui_set(PROP_AREA_TEXT, text, 31); }, text, WIDGET_TEXT_AREA, VALUE_TEXT},
      {PROP_FIELD_INT, [&] { gui_set(PROP_FIELD_INT, &number, 31); }, &number, WIDGET_FIELD, VALUE_INT},
      {PROP_FIELD_UINT, [&] { gui_set(PROP_FIELD_UINT, &count, 31); }, &count, WIDGET_FIELD, VALUE_UINT},
      {PROP_FIELD_FLOAT, [&] { gui_set(PROP_FIELD_FLOAT, &real, 31); }, &real, WIDGET_FIELD, VALUE_FLOAT},
  };
  for (const Case &c : cases) {
    widget_count = 0;
    Widget &w = declare();
    w.value = 12;
    w.masked = 1;
    w.key = 9;
    w.repeat = 1;
    c.call();
    EXPECT_EQ(w.type, c.type) << c.code;
    EXPECT_EQ(w.value_kind, c.kind) << c.code;
    EXPECT_EQ(w.target, c.target) << c.code;
    EXPECT_EQ(w.max_length, 31) << c.code;
    EXPECT_EQ(w.text_x, 100) << c.code;
    EXPECT_EQ(w.text_y, 84) << c.code;
    EXPECT_EQ(w.action, caller_action) << c.code;
    EXPECT_EQ(w.value, 12);
    EXPECT_EQ(w.masked, 1);
    EXPECT_EQ(w.key, 9);
    EXPECT_EQ(w.repeat, 1);
    EXPECT_EQ(w.min, 3);
    EXPECT_EQ(w.max, 4);
    EXPECT_EQ(w.step, 5);
  }
}

// The label is placed from the aligned box, in single precision.
TEST_F(GuiProperties, LabelPlacementUsesTheAlignedBox) {
  int32_t n = 0;
  gui_add_box("", 320, 240, 100, 20, 0.1f, ALIGN_CENTER_X | ALIGN_CENTER_Y, 1, 1, 1, 1);
  gui_set(PROP_FIELD_INT, &n, 5);
  EXPECT_EQ(widgets[0].text_x, 270.0f);
  EXPECT_EQ(widgets[0].text_y, 230.0f - 0.1f);
}

TEST_F(GuiProperties, TextPositionAndFieldCodeOrder) {
  int32_t n = 0;
  Widget &w = declare();
  gui_set(PROP_FIELD_INT, &n, 5);
  gui_set(PROP_TEXT_POS, 10.0, 20.0, 12.0);
  EXPECT_EQ(w.text_x, 10);
  EXPECT_EQ(w.text_y, 20);
  EXPECT_EQ(w.label_size, 12);

  widget_count = 0;
  Widget &v = declare();
  gui_set(PROP_TEXT_POS, 10.0, 20.0, 12.0);
  gui_set(PROP_FIELD_INT, &n, 5);
  EXPECT_EQ(v.text_x, 100);
  EXPECT_EQ(v.text_y, 84);
  EXPECT_EQ(v.label_size, 12);
}

TEST_F(GuiProperties, TextPositionTakesIntegersAndRoundsToFloat) {
  Widget &w = declare();
  gui_set(PROP_TEXT_POS, 7, -3, 9);
  EXPECT_EQ(w.text_x, 7);
  EXPECT_EQ(w.text_y, -3);
  EXPECT_EQ(w.label_size, 9);
  gui_set(PROP_TEXT_POS, 0.1, 1.0 / 3.0, 2.5f);
  EXPECT_EQ(w.text_x, 0.1f);
  EXPECT_EQ(w.text_y, static_cast<float>(1.0 / 3.0));
  EXPECT_EQ(w.label_size, 2.5f);
}

TEST_F(GuiProperties, ToggleAndRadio) {
  int32_t flags = 0;
  int32_t choice = 0;
  Widget &toggle = declare();
  gui_set(PROP_TOGGLE, &flags, 6);
  EXPECT_EQ(toggle.type, WIDGET_TOGGLE);
  EXPECT_EQ(toggle.target, &flags);
  EXPECT_EQ(toggle.value, 6);
  EXPECT_EQ(toggle.action, gui_action_toggle);

  Widget &radio = declare();
  gui_set(PROP_RADIO, &choice, -2);
  EXPECT_EQ(radio.type, WIDGET_RADIO);
  EXPECT_EQ(radio.target, &choice);
  EXPECT_EQ(radio.value, -2);
  EXPECT_EQ(radio.action, gui_action_radio);
  EXPECT_EQ(toggle.value, 6);
}

// Masks are naturally written as unsigned constants; they keep their bits.
TEST_F(GuiProperties, ToggleTakesUnsignedMasks) {
  int32_t flags = 0;
  Widget &w = declare();
  gui_set(PROP_TOGGLE, &flags, 0x80000001u);
  EXPECT_EQ(static_cast<uint32_t>(w.value), 0x80000001u);
  gui_set(PROP_TOGGLE, &flags, 0xFFFFFFFFu);
  EXPECT_EQ(w.value, -1);
}

TEST_F(GuiProperties, ActionAfterToggleReplacesOnlyTheAction) {
  int32_t flags = 0;
  Widget &w = declare();
  gui_set(PROP_TOGGLE, &flags, 4);
  gui_set(PROP_ACTION, other_action);
  EXPECT_EQ(w.type, WIDGET_TOGGLE);
  EXPECT_EQ(w.target, &flags);
  EXPECT_EQ(w.value, 4);
  EXPECT_EQ(w.action, other_action);
  gui_set(PROP_ACTION, nullptr);
  EXPECT_EQ(w.action, nullptr);
}

TEST_F(GuiProperties, Slider) {
  int32_t level = 0;
  Widget &w = declare();
  w.max_length = 44;
  w.value = 8;
  gui_set(PROP_SLIDER, &level, -10, 90, 5);
  EXPECT_EQ(w.type, WIDGET_SLIDER);
  EXPECT_EQ(w.value_kind, VALUE_INT);
  EXPECT_EQ(w.target, &level);
  EXPECT_EQ(w.min, -10);
  EXPECT_EQ(w.max, 90);
  EXPECT_EQ(w.step, 5);
  EXPECT_EQ(w.action, gui_action_slider);
  EXPECT_EQ(w.text_x, 100);
  EXPECT_EQ(w.text_y, 84);
  EXPECT_EQ(w.max_length, 44);
  EXPECT_EQ(w.value, 8);
}

TEST_F(GuiProperties, TextureSlots) {
  Widget &w = declare();
  gui_set(PROP_TEXTURE, 0, 7);
  for (int32_t slot : w.texture_slots) EXPECT_EQ(slot, 7);
  gui_set(PROP_TEXTURE, 2, 9);
  EXPECT_EQ(w.texture_slots[0], 7);
  EXPECT_EQ(w.texture_slots[1], 7);
  EXPECT_EQ(w.texture_slots[2], 9);
  EXPECT_EQ(w.texture_slots[3], 7);
  gui_set(PROP_TEXTURE, 3, 11);
  EXPECT_EQ(w.texture_slots[3], 11);
}

TEST_F(GuiProperties, TextureEntryOutsideTheFourIsIgnored) {
  Widget &w = declare();
  const Widget before = w;
  const Widget after_neighbour = widgets[1];
  gui_set(PROP_TEXTURE, -1, 5);
  gui_set(PROP_TEXTURE, 4, 5);
  gui_set(PROP_TEXTURE, 1000000, 5);
  EXPECT_TRUE(same_record(w, before));
  EXPECT_TRUE(same_record(widgets[1], after_neighbour));
}

TEST_F(GuiProperties, TextureCoordinates) {
  const float uv[8] = {0.5f, 0.25f, 1, 0.25f, 1, 0.75f, 0.5f, 0.75f};
  Widget &w = declare();
  gui_set(PROP_TEXTURE_UV, uv);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(w.texture_uv[i], uv[i]) << i;
  float mutable_uv[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  gui_set(PROP_TEXTURE_UV, mutable_uv);
  EXPECT_EQ(w.texture_uv[7], 2);
}

// No code touches the rectangle, caption, colour, alignment, text size or
// the interaction state.
TEST_F(GuiProperties, NoCodeTouchesGeometryOrState) {
  char text[8] = "";
  int32_t n = 0;
  const float uv[8] = {};
  Widget &w = declare();
  const Widget before = w;
  gui_set(PROP_KEY, 1);
  gui_set(PROP_MODIFIER_KEY, 2);
  gui_set(PROP_FIELD_TEXT, text, 7);
  gui_set(PROP_AREA_TEXT, text, 7);
  gui_set(PROP_ACTION, other_action);
  gui_set(PROP_TOGGLE, &n, 1);
  gui_set(PROP_RADIO, &n, 1);
  gui_set(PROP_REPEAT);
  gui_set(PROP_TEXTURE, 0, 1);
  gui_set(PROP_POINTER_IMAGE, 1);
  gui_set(PROP_TAG, 1);
  gui_set(PROP_MASKED);
  gui_set(PROP_TEXTURE_UV, uv);
  gui_set(PROP_SLIDER, &n, 0, 1, 1);
  gui_set(PROP_TEXT_POS, 1.0, 2.0, 3.0);
  gui_set(PROP_DISABLED);
  EXPECT_STREQ(w.text, before.text);
  EXPECT_EQ(w.x, before.x);
  EXPECT_EQ(w.y, before.y);
  EXPECT_EQ(w.width, before.width);
  EXPECT_EQ(w.height, before.height);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(w.color[i], before.color[i]);
  EXPECT_EQ(w.align, before.align);
  EXPECT_EQ(w.text_size, before.text_size);
  EXPECT_EQ(w.hover, 1);
  EXPECT_EQ(w.active, 1);
  EXPECT_EQ(w.highlight, 0.5f);
  EXPECT_EQ(w.pressed, 1);
  EXPECT_EQ(w.was_pressed, 1);
}

// A call whose values are too few or of the wrong kind for its code leaves the
// record exactly as it was.
TEST_F(GuiProperties, MismatchedValuesAreIgnored) {
  char text[8] = "";
  int32_t n = 0;
  uint32_t u = 0;
  float f = 0;
  const float *no_uv = nullptr;
  const std::vector<std::pair<std::string, std::function<void()>>> calls = {
      {"key without value", [] { gui_set(PROP_KEY); }},
      {"key as real", [] { gui_set(PROP_KEY, 27.0); }},
      {"key as pointer", [&] { gui_set(PROP_KEY, &n); }},
      {"key past 32 bits", [] { gui_set(PROP_KEY, int64_t{1} << 40); }},
      {"key below 32 bits", [] { gui_set(PROP_KEY, INT64_MIN); }},
      {"modifier without value", [] { gui_set(PROP_MODIFIER_KEY); }},
      {"text field without length", [&] { gui_set(PROP_FIELD_TEXT, text); }},
      {"text field over int", [&] { gui_set(PROP_FIELD_TEXT, &n, 4); }},
      {"int field over uint", [&] { gui_set(PROP_FIELD_INT, &u, 4); }},
      {"uint field over int", [&] { gui_set(PROP_FIELD_UINT, &n, 4); }},
      {"float field over text", [&] { gui_set(PROP_FIELD_FLOAT, text, 4); }},
      {"area with real length", [&] { gui_set(PROP_AREA_TEXT, text, 4.0); }},
      {"action as integer", [] { gui_set(PROP_ACTION, 5); }},
      {"action missing", [] { gui_set(PROP_ACTION); }},
      {"toggle over float", [&] { gui_set(PROP_TOGGLE, &f, 1); }},
      {"toggle without bits", [&] { gui_set(PROP_TOGGLE, &n); }},
      {"radio over uint", [&] { gui_set(PROP_RADIO, &u, 1); }},
      {"texture with one value", [] { gui_set(PROP_TEXTURE, 0); }},
      {"texture with real slot", [] { gui_set(PROP_TEXTURE, 0, 1.5); }},
      {"pointer image as real", [] { gui_set(PROP_POINTER_IMAGE, 1.0); }},
      {"tag missing", [] { gui_set(PROP_TAG); }},
      {"uv as int pointer", [&] { gui_set(PROP_TEXTURE_UV, &n); }},
      {"uv null", [&] { gui_set(PROP_TEXTURE_UV, no_uv); }},
      {"uv missing", [] { gui_set(PROP_TEXTURE_UV); }},
      {"slider with three values", [&] { gui_set(PROP_SLIDER, &n, 0, 10); }},
      {"slider over float", [&] { gui_set(PROP_SLIDER, &f, 0, 10, 1); }},
      {"slider with real step", [&] { gui_set(PROP_SLIDER, &n, 0, 10, 1.0); }},
      {"text position with two values", [] { gui_set(PROP_TEXT_POS, 1.0, 2.0); }},
      {"text position with pointer", [&] { gui_set(PROP_TEXT_POS, 1.0, 2.0, &f); }},
      {"no value array", [] { gui_set_args(PROP_KEY, nullptr, 3); }},
      {"negative count", [] {
         const PropArg arg = prop_arg(27);
         gui_set_args(PROP_KEY, &arg, -1);
       }},
  };
  Widget &w = declare();
  const Widget before = w;
  for (const auto &[name, call] : calls) {
    call();
    EXPECT_TRUE(same_record(w, before)) << name;
    w = before;
  }
}

}  // namespace
