// Declaring widgets: the fields each declaration fills and those it leaves to
// the index, alignment, label measuring, captions and the table's limit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gfx/font.h"
#include "gfx/quads.h"
#include "gui/gui.h"

namespace {

void stale_action() {}

// A record full of recognisable leftovers from an earlier frame.
Widget stale_widget() {
  Widget w;
  std::memset(&w, 0, sizeof w);
  w.type = WIDGET_SLIDER;
  std::memset(w.text, 'Z', sizeof w.text);
  w.text_x = 11;
  w.text_y = 12;
  w.label_size = 13;
  w.x = 14;
  w.y = 15;
  w.text_size = 16;
  w.align = 9;
  for (float &c : w.color) c = 0.5f;
  w.width = 17;
  w.height = 18;
  w.key = 97;
  w.modifier_key = 304;
  w.repeat = 1;
  w.disabled = 1;
  w.hover = 1;
  w.active = 1;
  w.highlight = -0.75f;
  w.pressed = 1;
  w.was_pressed = 1;
  w.value = 6;
  w.value_kind = VALUE_FLOAT;
  w.max_length = 99;
  w.masked = 1;
  w.min = -5;
  w.max = 55;
  w.step = 7;
  for (int32_t &s : w.texture_slots) s = 42;
  for (int i = 0; i < 8; ++i) w.texture_uv[i] = 0.25f * i;
  w.pointer_image = 3;
  w.tag = 77;
  static int32_t variable;
  w.target = &variable;
  w.action = stale_action;
  return w;
}

class GuiDeclare : public ::testing::Test {
 protected:
  void SetUp() override {
    for (Widget &w : widgets) w = stale_widget();
    widget_count = 0;
    declaration_dropped = 0;
    current_font = 0;
    std::memset(fonts, 0, sizeof fonts);
  }
  void TearDown() override {
    widget_count = 0;
    declaration_dropped = 0;
    current_font = 0;
  }
};

// What no declaration touches: the state that belongs to the index.
void expect_index_state_kept(const Widget &w) {
  EXPECT_EQ(w.min, -5);
  EXPECT_EQ(w.max, 55);
  EXPECT_EQ(w.step, 7);
  EXPECT_EQ(w.highlight, -0.75f);
  EXPECT_EQ(w.pressed, 1);
  EXPECT_EQ(w.was_pressed, 1);
}

// The per-frame defaults box and label share.
void expect_declared_defaults(const Widget &w) {
  EXPECT_EQ(w.type, WIDGET_BUTTON);
  EXPECT_EQ(w.key, 0);
  EXPECT_EQ(w.modifier_key, 0);
  EXPECT_EQ(w.repeat, 0);
  EXPECT_EQ(w.disabled, 0);
  EXPECT_EQ(w.hover, 0);
  EXPECT_EQ(w.active, 0);
  EXPECT_EQ(w.value, 0);
  EXPECT_EQ(w.value_kind, VALUE_TEXT);
  EXPECT_EQ(w.masked, 0);
  for (int32_t slot : w.texture_slots) EXPECT_EQ(slot, -1);
  const float uv[8] = {0, 1, 1, 1, 1, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(w.texture_uv[i], uv[i]) << i;
  EXPECT_EQ(w.pointer_image, 0);
  EXPECT_EQ(w.tag, 0);
  EXPECT_EQ(w.target, nullptr);
  EXPECT_EQ(w.action, nullptr);
}

TEST_F(GuiDeclare, QuitButtonLiesLeftOfTheScreen) {
  gui_add_box("", -160, 0, 96, 24, 16, 0, 1, 1, 1, 1);
  ASSERT_EQ(widget_count, 1);
  const Widget &w = widgets[0];
  EXPECT_EQ(w.x, -160);
  EXPECT_EQ(w.x + w.width, -64);
  EXPECT_EQ(w.y, 0);
  EXPECT_EQ(w.y + w.height, 24);
  EXPECT_EQ(w.text_x, -112);
  EXPECT_EQ(w.text_y, 12);
}

TEST_F(GuiDeclare, BoxFillsEveryPerFrameField) {
  gui_add_box("Start", 10, 20, 30, 40, 12, ALIGN_CENTER_Y, 0.1f, 0.2f, 0.3f, 0.4f);
  const Widget &w = widgets[0];
  EXPECT_STREQ(w.text, "Start");
  for (int i = 5; i < WIDGET_TEXT_SIZE; ++i) EXPECT_EQ(w.text[i], 0) << i;
  EXPECT_EQ(w.x, 10);
  EXPECT_EQ(w.y, 0);
  EXPECT_EQ(w.width, 30);
  EXPECT_EQ(w.height, 40);
  EXPECT_EQ(w.text_size, 12);
  EXPECT_EQ(w.label_size, 12);
  EXPECT_EQ(w.align, ALIGN_CENTER_Y);
  EXPECT_EQ(w.color[0], 0.1f);
  EXPECT_EQ(w.color[1], 0.2f);
  EXPECT_EQ(w.color[2], 0.3f);
  EXPECT_EQ(w.color[3], 0.4f);
  EXPECT_EQ(w.max_length, 5);
  expect_declared_defaults(w);
  expect_index_state_kept(w);
}

struct AlignCase {
  int align;
  float x, y;            // aligned rectangle
  float text_x, text_y;  // caption centre
};

TEST_F(GuiDeclare, BoxAlignmentCentringWins) {
  const AlignCase cases[] = {
      {0, 320, 240, 370, 250},
      {ALIGN_CENTER_X, 270, 240, 320, 250},
      {ALIGN_RIGHT, 220, 240, 270, 250},
      {ALIGN_CENTER_X | ALIGN_RIGHT, 270, 240, 320, 250},
      {ALIGN_CENTER_Y, 320, 230, 370, 240},
      {ALIGN_BOTTOM, 320, 220, 370, 230},
      {ALIGN_CENTER_Y | ALIGN_BOTTOM, 320, 230, 370, 240},
      {ALIGN_CENTER_X | ALIGN_CENTER_Y, 270, 230, 320, 240},
      {ALIGN_RIGHT | ALIGN_BOTTOM, 220, 220, 270, 230},
      {15, 270, 230, 320, 240},
  };
  for (const AlignCase &c : cases) {
    widget_count = 0;
    gui_add_box("x", 320, 240, 100, 20, 16, c.align, 1, 1, 1, 1);
    const Widget &w = widgets[0];
    EXPECT_EQ(w.x, c.x) << "align " << c.align;
    EXPECT_EQ(w.y, c.y) << "align " << c.align;
    EXPECT_EQ(w.text_x, c.text_x) << "align " << c.align;
    EXPECT_EQ(w.text_y, c.text_y) << "align " << c.align;
    EXPECT_EQ(w.align, c.align);
  }
}

TEST_F(GuiDeclare, CaptionsAreCutToSixtyThreeCharacters) {
  const std::string exact(63, 'a');
  const std::string longer = std::string(63, 'b') + "overflowing tail";
  gui_add_box(exact.c_str(), 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_add_box(longer.c_str(), 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_add_label(longer.c_str(), 0, 0, 8, 0, 1, 1, 1, 1);
  gui_add_box(nullptr, 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  EXPECT_EQ(std::string(widgets[0].text), exact);
  EXPECT_EQ(widgets[0].max_length, 63);
  for (int i = 1; i <= 2; ++i) {
    EXPECT_EQ(widgets[i].text[63], '\0');
    EXPECT_EQ(std::string(widgets[i].text), std::string(63, 'b'));
    EXPECT_EQ(widgets[i].max_length, 63);
  }
  EXPECT_STREQ(widgets[3].text, "");
  EXPECT_EQ(widgets[3].max_length, 0);
}

TEST_F(GuiDeclare, LabelIsMeasuredWithTheCurrentFont) {
  fonts[0].advance['A'] = 0.5f;
  fonts[0].advance['b'] = 0.25f;
  fonts[1].advance['A'] = 2.0f;
  gui_add_label("Abb", 100, 50, 20, 0, 1, 0, 0, 1);
  const Widget &w = widgets[0];
  EXPECT_EQ(w.width, 20.0f);
  EXPECT_EQ(w.height, 20.0f);
  EXPECT_EQ(w.text_size, 20.0f);
  EXPECT_EQ(w.label_size, 20.0f);
  EXPECT_EQ(w.text_x, 100);
  EXPECT_EQ(w.text_y, 50);
  EXPECT_EQ(w.max_length, 3);
  expect_declared_defaults(w);
  expect_index_state_kept(w);

  current_font = 1;
  gui_add_label("A", 0, 0, 10, 0, 1, 1, 1, 1);
  EXPECT_EQ(widgets[1].width, 20.0f);
}

TEST_F(GuiDeclare, LabelAdvanceIndexedByUnsignedByte) {
  fonts[0].advance[0xE9] = 0.75f;
  gui_add_label("\xE9", 0, 0, 4, 0, 1, 1, 1, 1);
  EXPECT_EQ(widgets[0].width, 3.0f);
}

// Ten additions of 0.1 in single precision reach 1.0000001; a double sum
// rounded once would give exactly 1.
TEST_F(GuiDeclare, LabelWidthRoundsEveryAddition) {
  fonts[0].advance['i'] = 0.1f;
  gui_add_label("iiiiiiiiii", 0, 0, 1, 0, 1, 1, 1, 1);
  EXPECT_EQ(widgets[0].width, 1.00000012f);
  EXPECT_NE(widgets[0].width, 1.0f);
}

TEST_F(GuiDeclare, LabelMeasuresAtMostSixtyThreeCharacters) {
  fonts[0].advance['m'] = 1.0f;
  const std::string text(80, 'm');
  gui_add_label(text.c_str(), 0, 0, 2, 0, 1, 1, 1, 1);
  EXPECT_EQ(widgets[0].width, 126.0f);
}

TEST_F(GuiDeclare, LabelAlignmentShowsOnlyInThePosition) {
  fonts[0].advance['w'] = 1.0f;
  struct Case {
    int align;
    float x, y;
  };
  const Case cases[] = {
      {0, 200, 100},
      {ALIGN_CENTER_X, 190, 100},
      {ALIGN_RIGHT, 180, 100},
      {ALIGN_CENTER_X | ALIGN_RIGHT, 190, 100},
      {ALIGN_CENTER_Y, 200, 95},
      {ALIGN_BOTTOM, 200, 90},
      {ALIGN_CENTER_Y | ALIGN_BOTTOM, 200, 95},
  };
  for (const Case &c : cases) {
    widget_count = 0;
    gui_add_label("ww", 200, 100, 10, c.align, 1, 1, 1, 1);
    const Widget &w = widgets[0];
    EXPECT_EQ(w.x, c.x) << "align " << c.align;
    EXPECT_EQ(w.y, c.y) << "align " << c.align;
    EXPECT_EQ(w.text_x, c.x);
    EXPECT_EQ(w.text_y, c.y);
    EXPECT_EQ(w.align, 0);
  }
}

TEST_F(GuiDeclare, EmptyLabelHasNoWidth) {
  gui_add_label("", 50, 60, 14, ALIGN_RIGHT, 1, 1, 1, 1);
  EXPECT_EQ(widgets[0].width, 0.0f);
  EXPECT_EQ(widgets[0].height, 14.0f);
  EXPECT_EQ(widgets[0].x, 50.0f);
}

TEST_F(GuiDeclare, FontOutOfRangeMeasuresWithFontZero) {
  fonts[0].advance['q'] = 0.5f;
  for (int font : {-1, FONT_COUNT, 1000}) {
    widget_count = 0;
    current_font = font;
    gui_add_label("q", 0, 0, 10, 0, 1, 1, 1, 1);
    EXPECT_EQ(widgets[0].width, 5.0f) << font;
  }
}

TEST_F(GuiDeclare, BlankClearsPerFrameFieldsAndKeepsTheRest) {
  gui_add_blank();
  ASSERT_EQ(widget_count, 1);
  const Widget &w = widgets[0];
  for (char c : w.text) EXPECT_EQ(c, 0);
  EXPECT_EQ(w.type, WIDGET_BUTTON);
  EXPECT_EQ(w.x, 0);
  EXPECT_EQ(w.y, 0);
  EXPECT_EQ(w.text_size, 0);
  EXPECT_EQ(w.align, 0);
  for (float c : w.color) EXPECT_EQ(c, 0);
  EXPECT_EQ(w.width, 0);
  EXPECT_EQ(w.height, 0);
  EXPECT_EQ(w.key, 0);
  EXPECT_EQ(w.modifier_key, 0);
  EXPECT_EQ(w.repeat, 0);
  EXPECT_EQ(w.disabled, 0);
  EXPECT_EQ(w.hover, 0);
  EXPECT_EQ(w.active, 0);
  EXPECT_EQ(w.value, 0);
  EXPECT_EQ(w.value_kind, 0);
  EXPECT_EQ(w.max_length, 0);
  EXPECT_EQ(w.masked, 0);
  for (int32_t slot : w.texture_slots) EXPECT_EQ(slot, -1);
  EXPECT_EQ(w.pointer_image, 0);
  EXPECT_EQ(w.tag, 0);
  EXPECT_EQ(w.target, nullptr);
  EXPECT_EQ(w.action, nullptr);
  // Left as the record held them.
  EXPECT_EQ(w.text_x, 11);
  EXPECT_EQ(w.text_y, 12);
  EXPECT_EQ(w.label_size, 13);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(w.texture_uv[i], 0.25f * i);
  expect_index_state_kept(w);
}

TEST_F(GuiDeclare, EachDeclarationTakesTheNextIndex) {
  gui_add_box("a", 0, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_add_label("b", 0, 0, 1, 0, 1, 1, 1, 1);
  gui_add_blank();
  EXPECT_EQ(widget_count, 3);
  EXPECT_STREQ(widgets[0].text, "a");
  EXPECT_STREQ(widgets[1].text, "b");
  EXPECT_STREQ(widgets[2].text, "");
  EXPECT_EQ(widgets[3].type, WIDGET_SLIDER);  // untouched
}

// Past the limit a declaration is dropped: the count stays, the last record
// that fitted keeps its values and gui_set does not reach it either.
TEST_F(GuiDeclare, DeclarationsPastTheLimitAreDropped) {
  for (int i = 0; i < MAX_WIDGETS; ++i) {
    gui_add_box("fits", static_cast<float>(i), 0, 1, 1, 1, 0, 1, 1, 1, 1);
  }
  ASSERT_EQ(widget_count, MAX_WIDGETS);
  gui_set(PROP_KEY, 65);
  EXPECT_EQ(widgets[MAX_WIDGETS - 1].key, 65);

  gui_add_box("dropped", 999, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_add_label("dropped", 999, 0, 1, 0, 1, 1, 1, 1);
  gui_add_blank();
  gui_set(PROP_KEY, 66);
  gui_set(PROP_DISABLED);
  EXPECT_EQ(widget_count, MAX_WIDGETS);
  const Widget &last = widgets[MAX_WIDGETS - 1];
  EXPECT_STREQ(last.text, "fits");
  EXPECT_EQ(last.x, MAX_WIDGETS - 1);
  EXPECT_EQ(last.key, 65);
  EXPECT_EQ(last.disabled, 0);

  // The next frame starts afresh.
  widget_count = 0;
  gui_add_box("again", 0, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, 67);
  EXPECT_EQ(widget_count, 1);
  EXPECT_EQ(widgets[0].key, 67);
}

TEST_F(GuiDeclare, NegativeCountDeclaresNothing) {
  widget_count = -3;
  gui_add_box("x", 0, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_add_blank();
  EXPECT_EQ(widget_count, -3);
  EXPECT_EQ(widgets[0].type, WIDGET_SLIDER);
}

TEST_F(GuiDeclare, ClearPressesCoversTheWholeTable) {
  widget_count = 2;
  gui_clear_presses();
  for (const Widget &w : widgets) {
    EXPECT_EQ(w.pressed, 0);
    EXPECT_EQ(w.was_pressed, 0);
  }
  EXPECT_EQ(widgets[MAX_WIDGETS - 1].highlight, -0.75f);
}

}  // namespace
