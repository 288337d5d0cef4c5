// Declaring widgets and setting their properties: every field a declaration or
// a property code writes, what they leave to the index, the table's limit, and
// the calls that must change nothing. Records are compared whole, so a write
// to any field that should keep its value fails too.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/font.h"
#include "gfx/quads.h"
#include "gui/gui.h"

namespace {

void other_action() {}
constexpr float R = 0.1f, G = 0.2f, B = 0.3f, A = 0.4f;

::testing::AssertionResult same(const Widget &a, const Widget &b) {
  const auto *p = reinterpret_cast<const unsigned char *>(&a);
  const auto *q = reinterpret_cast<const unsigned char *>(&b);
  for (size_t i = 0; i < sizeof(Widget); ++i) {
    if (p[i] != q[i]) return ::testing::AssertionFailure() << "byte " << i << " differs";
  }
  return ::testing::AssertionSuccess();
}

// The fields every declaration, blank included, sets to their blank value.
Widget blank_fields(Widget w) {
  w.type = WIDGET_BUTTON;
  w.key = w.modifier_key = w.repeat = w.disabled = w.hover = w.active = 0;
  w.value = w.value_kind = w.masked = w.pointer_image = w.tag = 0;
  for (int32_t &slot : w.texture_slots) slot = -1;
  w.target = nullptr; w.action = nullptr;
  return w;
}

class GuiDeclare : public ::testing::Test {
 protected:
  // Every record full of recognisable leftovers from an earlier frame.
  void SetUp() override {
    std::memset(widgets, 0x5A, sizeof widgets);
    stale = widgets[0];
    widget_count = 0;
    declaration_dropped = 0;
    current_font = 0;
    std::memset(fonts, 0, sizeof fonts);
  }
  void TearDown() override { std::memset(widgets, 0, sizeof widgets); widget_count = 0; }

  // What a box or label declaration leaves over a stale record, in colour R, G, B, A.
  Widget declared(const char *text, float x, float y, float width, float height, float size,
                  int align, float text_x, float text_y) const {
    Widget w = blank_fields(stale);
    std::memset(w.text, 0, sizeof w.text);
    std::strcpy(w.text, text);
    w.max_length = static_cast<int32_t>(std::strlen(text));
    w.x = x; w.y = y; w.width = width; w.height = height;
    w.text_size = w.label_size = size; w.align = align;
    w.text_x = text_x; w.text_y = text_y;
    const float color[4] = {R, G, B, A}, uv[8] = {0, 1, 1, 1, 1, 0, 0, 0};
    std::memcpy(w.color, color, sizeof color);
    std::memcpy(w.texture_uv, uv, sizeof uv);
    return w;
  }

  Widget stale;
};

// Box and label of the same extent (the label's "ww" measures 100 by 20):
// the box keeps align and centres its caption, the label stores align 0 and
// puts its text at the aligned corner. The index state stays stale. Last, the
// main loop's quit button: x -160 to -64, y 0 to 24, left of the screen.
TEST_F(GuiDeclare, AlignmentMovesTheRectangleAndCentringWins) {
  fonts[0].advance['w'] = 2.5f;
  const struct { int align; float x, y; } cases[] = {
      {0, 320, 240}, {ALIGN_CENTER_X, 270, 240}, {ALIGN_RIGHT, 220, 240},
      {ALIGN_CENTER_X | ALIGN_RIGHT, 270, 240}, {ALIGN_CENTER_Y, 320, 230},
      {ALIGN_BOTTOM, 320, 220}, {ALIGN_CENTER_Y | ALIGN_BOTTOM, 320, 230},
      {ALIGN_CENTER_X | ALIGN_CENTER_Y, 270, 230}, {ALIGN_RIGHT | ALIGN_BOTTOM, 220, 220},
      {15, 270, 230},
  };
  for (const auto &c : cases) {
    widget_count = 0;
    gui_add_box("ww", 320, 240, 100, 20, 20, c.align, R, G, B, A);
    gui_add_label("ww", 320, 240, 20, c.align, R, G, B, A);
    ASSERT_EQ(widget_count, 2);
    EXPECT_TRUE(same(widgets[0], declared("ww", c.x, c.y, 100, 20, 20, c.align, c.x + 50,
                                          c.y + 10))) << "box, align " << c.align;
    EXPECT_TRUE(same(widgets[1], declared("ww", c.x, c.y, 100, 20, 20, 0, c.x, c.y)))
        << "label, align " << c.align;
  }
  gui_add_box("", -160, 0, 96, 24, 16, 0, R, G, B, A);
  EXPECT_TRUE(same(widgets[2], declared("", -160, 0, 96, 24, 16, 0, -112, 12)));
}

TEST_F(GuiDeclare, LabelIsMeasuredWithTheCurrentFontRoundingEveryCharacter) {
  float *advance = fonts[0].advance;
  advance['A'] = 0.5f; advance['b'] = 0.25f; advance[0xE9] = 0.75f; advance['i'] = 0.1f;
  advance['m'] = 1.0f; fonts[1].advance['A'] = 2.0f;
  const std::string long_text(80, 'm');
  const struct {
    const char *why;
    int font;
    const char *text;
    float size;
    int align;
    float width;
  } cases[] = {
      {"font 0", 0, "Abb", 20, 0, 20},
      {"font 1", 1, "A", 10, 0, 20},
      {"font below the table", -1, "A", 10, 0, 5},
      {"font past the table", FONT_COUNT, "A", 10, 0, 5},
      {"unsigned byte", 0, "\xE9", 4, 0, 3},
      // Ten additions of 0.1 in single precision; a double sum would round to 1.
      {"rounded per character", 0, "iiiiiiiiii", 1, 0, 1.00000012f},
      {"63 characters at most", 0, long_text.c_str(), 2, 0, 126},
      {"empty, right-aligned", 0, "", 14, ALIGN_RIGHT, 0},
  };
  for (const auto &c : cases) {
    widget_count = 0;
    current_font = c.font;
    gui_add_label(c.text, 50, 60, c.size, c.align, 1, 1, 1, 1);
    EXPECT_EQ(widgets[0].width, c.width) << c.why;
    EXPECT_EQ(widgets[0].height, c.size) << c.why;
    EXPECT_EQ(widgets[0].x, 50) << c.why;
  }
}

TEST_F(GuiDeclare, CaptionsAreCutToSixtyThreeCharacters) {
  const std::string exact(63, 'a'), longer = std::string(63, 'b') + "overflowing tail";
  gui_add_box(exact.c_str(), 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_add_box(longer.c_str(), 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  gui_add_label(longer.c_str(), 0, 0, 8, 0, 1, 1, 1, 1);
  gui_add_box(nullptr, 0, 0, 10, 10, 8, 0, 1, 1, 1, 1);
  EXPECT_EQ(std::string(widgets[0].text), exact);
  EXPECT_EQ(widgets[0].max_length, 63);
  for (int i = 1; i <= 2; ++i) {
    EXPECT_EQ(std::string(widgets[i].text, sizeof widgets[i].text),
              std::string(63, 'b') + '\0');
    EXPECT_EQ(widgets[i].max_length, 63);
  }
  EXPECT_STREQ(widgets[3].text, "");
  EXPECT_EQ(widgets[3].max_length, 0);
}

// The caption's position and size and the texture coordinates stay, as does
// the index state; everything else becomes blank.
TEST_F(GuiDeclare, BlankClearsThePerFrameFieldsAndKeepsTheRest) {
  Widget expected = blank_fields(stale);
  std::memset(expected.text, 0, sizeof expected.text);
  expected.x = expected.y = expected.text_size = expected.width = expected.height = 0;
  expected.align = expected.max_length = 0;
  for (float &channel : expected.color) channel = 0;
  gui_add_blank();
  EXPECT_EQ(widget_count, 1);
  EXPECT_TRUE(same(widgets[0], expected));
}

// Past the limit a declaration is dropped, the count stays, and the gui_set
// calls after it do not reach the last record that fitted.
TEST_F(GuiDeclare, DeclarationsFillTheTableInOrderUpToItsLimit) {
  gui_add_box("a", 0, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, 65);
  gui_add_label("b", 0, 0, 1, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, 66);
  gui_add_blank();
  EXPECT_EQ(widget_count, 3);
  EXPECT_STREQ(widgets[0].text, "a");
  EXPECT_EQ(widgets[0].key, 65);
  EXPECT_STREQ(widgets[1].text, "b");
  EXPECT_EQ(widgets[1].key, 66);
  EXPECT_TRUE(same(widgets[3], stale));

  while (widget_count < MAX_WIDGETS) gui_add_box("fits", 1, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, 67);
  const Widget last = widgets[MAX_WIDGETS - 1];
  EXPECT_EQ(last.key, 67);
  gui_add_box("dropped", 999, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_add_label("dropped", 999, 0, 1, 0, 1, 1, 1, 1);
  gui_add_blank();
  gui_set(PROP_KEY, 68);
  gui_set(PROP_DISABLED);
  EXPECT_EQ(widget_count, MAX_WIDGETS);
  EXPECT_TRUE(same(widgets[MAX_WIDGETS - 1], last));

  widget_count = 0;  // the next frame starts afresh
  gui_add_box("again", 0, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, 69);
  EXPECT_EQ(widgets[0].key, 69);
  widget_count = -3;
  gui_add_box("x", 0, 0, 1, 1, 1, 0, 1, 1, 1, 1);
  gui_add_blank();
  EXPECT_EQ(widget_count, -3);
}

TEST_F(GuiDeclare, ClearPressesCoversTheWholeTable) {
  widget_count = 2;
  gui_clear_presses();
  Widget expected = stale;
  expected.pressed = expected.was_pressed = 0;
  for (const Widget &w : widgets) EXPECT_TRUE(same(w, expected));
}

struct PropCase {
  std::string name;
  std::function<void()> call;
  std::function<void(Widget &)> effect;  // null: the call changes nothing
};

// Every case runs over a fresh declaration, over one whose other fields all
// hold values the call must keep, and before the frame's first declaration.
TEST_F(GuiDeclare, EachPropertyCodeWritesItsFieldsAndNothingElse) {
  char buf[8] = "";
  int32_t n = 0;
  uint32_t u = 0;
  float f = 0;
  float uv[8] = {0.5f, 0.25f, 1, 0.25f, 1, 0.75f, 0.5f, 0.75f};
  const float *no_uv = nullptr;
  // Fields and sliders place the label one text size above the aligned box.
  auto field = [](int32_t type, int32_t kind, void *target) {
    return [=](Widget &w) {
      w.type = type; w.value_kind = kind; w.target = target; w.max_length = 5;
      w.text_x = 100; w.text_y = 84;
    };
  };
  auto choice = [&](int32_t type, int32_t value, WidgetAction action) {
    return [=, &n](Widget &w) {
      w.type = type; w.target = &n; w.value = value; w.action = action;
    };
  };
  auto int_field = field(WIDGET_FIELD, VALUE_INT, &n);
  auto text_pos = [](Widget &w) { w.text_x = 10; w.text_y = 20; w.label_size = 12; };
  std::vector<PropCase> cases = {
      {"key", [] { gui_set(PROP_KEY, 27); }, [](Widget &w) { w.key = 27; }},
      {"modifier", [] { gui_set(PROP_MODIFIER_KEY, 306); },
       [](Widget &w) { w.modifier_key = 306; }},
      {"text", [&] { gui_set(PROP_FIELD_TEXT, buf, 5); }, field(WIDGET_FIELD, VALUE_TEXT, buf)},
      {"area", [&] { gui_set(PROP_AREA_TEXT, buf, 5); }, field(WIDGET_TEXT_AREA, VALUE_TEXT, buf)},
      {"int", [&] { gui_set(PROP_FIELD_INT, &n, 5); }, int_field},
      {"uint", [&] { gui_set(PROP_FIELD_UINT, &u, 5); }, field(WIDGET_FIELD, VALUE_UINT, &u)},
      {"float", [&] { gui_set(PROP_FIELD_FLOAT, &f, 5); }, field(WIDGET_FIELD, VALUE_FLOAT, &f)},
      {"action", [] { gui_set(PROP_ACTION, other_action); },
       [](Widget &w) { w.action = other_action; }},
      {"no action", [] { gui_set(PROP_ACTION, nullptr); }, [](Widget &w) { w.action = nullptr; }},
      {"toggle", [&] { gui_set(PROP_TOGGLE, &n, 6); }, choice(WIDGET_TOGGLE, 6, gui_action_toggle)},
      {"unsigned mask", [&] { gui_set(PROP_TOGGLE, &n, 0x80000001u); },
       choice(WIDGET_TOGGLE, INT32_MIN + 1, gui_action_toggle)},
      {"toggle, then action",
       [&] { gui_set(PROP_TOGGLE, &n, 6); gui_set(PROP_ACTION, other_action); },
       choice(WIDGET_TOGGLE, 6, other_action)},
      {"radio", [&] { gui_set(PROP_RADIO, &n, -2); }, choice(WIDGET_RADIO, -2, gui_action_radio)},
      {"repeat", [] { gui_set(PROP_REPEAT); }, [](Widget &w) { w.repeat = 1; }},
      {"texture 0, then 2", [] { gui_set(PROP_TEXTURE, 0, 7); gui_set(PROP_TEXTURE, 2, 9); },
       [](Widget &w) {
         w.texture_slots[0] = w.texture_slots[1] = w.texture_slots[3] = 7;
         w.texture_slots[2] = 9;
       }},
      {"texture 3", [] { gui_set(PROP_TEXTURE, 3, 11); },
       [](Widget &w) { w.texture_slots[3] = 11; }},
      {"code 13", [] { gui_set(13); gui_set(13, 1, 2); }, nullptr},
      {"pointer", [] { gui_set(PROP_POINTER_IMAGE, 2); }, [](Widget &w) { w.pointer_image = 2; }},
      {"tag", [] { gui_set(PROP_TAG, -9); }, [](Widget &w) { w.tag = -9; }},
      {"masked", [] { gui_set(PROP_MASKED); }, [](Widget &w) { w.masked = 1; }},
      {"uv", [&] { gui_set(PROP_TEXTURE_UV, uv); },
       [&](Widget &w) { std::memcpy(w.texture_uv, uv, sizeof uv); }},
      {"slider", [&] { gui_set(PROP_SLIDER, &n, -10, 90, 5); },
       [&](Widget &w) {
         w.type = WIDGET_SLIDER; w.value_kind = VALUE_INT; w.target = &n;
         w.min = -10; w.max = 90; w.step = 5; w.action = gui_action_slider;
         w.text_x = 100; w.text_y = 84;
       }},
      {"code 19", [] { gui_set(19); gui_set(19, 1, 2); }, nullptr},
      {"text position", [] { gui_set(PROP_TEXT_POS, 10.0, 20.0, 12.0); }, text_pos},
      {"text position as float", [] { gui_set(PROP_TEXT_POS, 0.1, -3, 2.5f); },
       [](Widget &w) { w.text_x = 0.1f; w.text_y = -3; w.label_size = 2.5f; }},
      {"field, then text position",
       [&] { gui_set(PROP_FIELD_INT, &n, 5); gui_set(PROP_TEXT_POS, 10.0, 20.0, 12.0); },
       [&](Widget &w) { int_field(w); text_pos(w); }},
      {"text position, then field",
       [&] { gui_set(PROP_TEXT_POS, 10.0, 20.0, 12.0); gui_set(PROP_FIELD_INT, &n, 5); },
       [&](Widget &w) { text_pos(w); int_field(w); }},
      {"disabled", [] { gui_set(PROP_DISABLED); }, [](Widget &w) { w.disabled = 1; }},
      {"unknown codes",
       [] {
         for (int code : {0, -1, 22, 1000}) {
           gui_set(code);
           gui_set(code, 1, 2, 3);
         }
       },
       nullptr},
  };
  // Values too few or of the wrong kind change nothing.
  const std::function<void()> ignored[] = {
      [] { gui_set(PROP_KEY); }, [] { gui_set(PROP_KEY, 27.0); }, [&] { gui_set(PROP_KEY, &n); },
      [] { gui_set(PROP_KEY, int64_t{1} << 40); }, [] { gui_set(PROP_KEY, INT64_MIN); },
      [] { gui_set(PROP_MODIFIER_KEY); }, [&] { gui_set(PROP_FIELD_TEXT, buf); },
      [&] { gui_set(PROP_FIELD_TEXT, &n, 4); }, [&] { gui_set(PROP_AREA_TEXT, buf, 4.0); },
      [&] { gui_set(PROP_FIELD_INT, &u, 4); }, [&] { gui_set(PROP_FIELD_UINT, &n, 4); },
      [&] { gui_set(PROP_FIELD_FLOAT, buf, 4); }, [] { gui_set(PROP_ACTION, 5); },
      [] { gui_set(PROP_ACTION); }, [&] { gui_set(PROP_TOGGLE, &f, 1); },
      [&] { gui_set(PROP_TOGGLE, &n); }, [&] { gui_set(PROP_RADIO, &u, 1); },
      [] { gui_set(PROP_TEXTURE, 0); }, [] { gui_set(PROP_TEXTURE, 0, 1.5); },
      [] { gui_set(PROP_TEXTURE, -1, 5); }, [] { gui_set(PROP_TEXTURE, 4, 5); },
      [] { gui_set(PROP_TEXTURE, 1000000, 5); }, [] { gui_set(PROP_POINTER_IMAGE, 1.0); },
      [] { gui_set(PROP_TAG); }, [&] { gui_set(PROP_TEXTURE_UV, &n); },
      [&] { gui_set(PROP_TEXTURE_UV, no_uv); }, [] { gui_set(PROP_TEXTURE_UV); },
      [&] { gui_set(PROP_SLIDER, &n, 0, 10); }, [&] { gui_set(PROP_SLIDER, &f, 0, 10, 1); },
      [&] { gui_set(PROP_SLIDER, &n, 0, 10, 1.0); }, [] { gui_set(PROP_TEXT_POS, 1.0, 2.0); },
      [&] { gui_set(PROP_TEXT_POS, 1.0, 2.0, &f); }, [] { gui_set_args(PROP_KEY, nullptr, 3); },
      [] {
        const PropArg key = prop_arg(27);
        gui_set_args(PROP_KEY, &key, -1);
      },
  };
  for (const auto &call : ignored) cases.push_back({std::to_string(cases.size()), call, nullptr});
  for (const PropCase &c : cases) {
    for (bool filled : {false, true}) {
      widget_count = 0;
      gui_add_box("First", 0, 0, 10, 10, 8, 0, R, G, B, A);
      gui_add_box("Caption", 140, 110, 80, 20, 16, ALIGN_CENTER_X | ALIGN_CENTER_Y, R, G, B, A);
      Widget &w = widgets[1];  // at x 100, y 100 after alignment
      w.hover = w.active = 1;
      if (filled) {  // every field but the geometry the label placement reads
        const Widget fresh = w;
        w = stale;
        w.x = fresh.x; w.y = fresh.y; w.text_size = fresh.text_size;
      }
      const std::vector<Widget> before(std::begin(widgets), std::end(widgets));
      c.call();
      Widget expected = before[1];
      if (c.effect) c.effect(expected);
      EXPECT_TRUE(same(widgets[1], expected)) << c.name << (filled ? ", filled" : "");
      EXPECT_TRUE(same(widgets[0], before[0])) << c.name;
      EXPECT_TRUE(same(widgets[2], before[2])) << c.name;
    }
    widget_count = 0;
    const std::vector<Widget> before(std::begin(widgets), std::end(widgets));
    c.call();
    EXPECT_EQ(std::memcmp(before.data(), widgets, sizeof widgets), 0) << c.name << ", undeclared";
  }
}

}  // namespace
