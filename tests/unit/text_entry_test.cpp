// Text entry: the key translation on scripted snapshots, fields edited frame
// by frame through the action pass, line breaking, and the editing view as
// the GL double keeps it.
#include <cfloat>
#include <span>

#include "tests/support/engine_test.h"

namespace {

// A frame with these keys down, the pointer away from the fields unless given.
void press(const Ints &keys, int x = 600, int y = 400, bool left = false) { frame(x, y, left, keys); }

// Fields 200 wide and 24 high at (100, 100 + 40 i), text size 16; every
// character 8 units wide.
struct TextEntry : EngineTest {
  void SetUp() override {
    EngineTest::SetUp();
    for (float &advance : fonts[0].advance) advance = 0.5f;
  }
  template <typename T>
  void field(int code, T *target, int max_length, int key = 0) {
    gui_add_box("", 100, 100 + 40.0f * widget_count, 200, 24, 16, 0, 1, 1, 1, 1);
    gui_set(code, target, max_length);
    gui_set(PROP_KEY, key);
  }
};

// From 'abc' with caret and anchor at 3. A key fires when it goes down (with
// hold, while down); the one tested last wins; shift makes capitals and the
// shifted symbols, and silences digits, period, minus and the keypad digits;
// keypad minus needs shift. The caret keys move the caret, and without shift
// the anchor with it.
TEST_F(TextEntry, KeysTranslateThroughTheLayoutOrMoveTheCaret) {
  constexpr int SHIFT = KEY_LEFT_SHIFT, ALL = KEYS_ALL, NONE = KEYCHAR_NONE;
  const struct { Ints down, before; int hold, classes, result, caret = 3, anchor = 3; } cases[] = {
      {{'a'}, {}, 0, ALL, 'a'}, {{'a'}, {'a'}, 0, ALL, NONE}, {{'a'}, {'a'}, 1, ALL, 'a'},
      {{'a', KEY_RIGHT_SHIFT}, {}, 0, ALL, 'A'}, {{'a', 'z'}, {}, 0, ALL, 'z'},
      {{'a', KEY_BACKSPACE}, {}, 0, ALL, KEYCHAR_BACKSPACE}, {{'a', KEY_RETURN}, {}, 0, ALL, KEYCHAR_DONE},
      {{KEY_RETURN, KEY_TAB}, {}, 0, ALL, KEYCHAR_NEXT_FIELD}, {{KEY_TAB}, {KEY_TAB}, 1, ALL, NONE},
      {{KEY_TAB, SHIFT}, {}, 0, ALL, KEYCHAR_PREV_FIELD}, {{KEY_ESCAPE}, {}, 0, 0, KEYCHAR_DONE},
      {{KEY_DELETE}, {KEY_DELETE}, 1, 0, KEYCHAR_DELETE}, {{'1', SHIFT}, {}, 0, KEYS_SYMBOLS, '!'},
      {{'1', SHIFT}, {}, 0, KEYS_DIGITS, NONE}, {{KEY_KEYPAD_0 + 5}, {}, 0, KEYS_DIGITS, '5'},
      {{KEY_KEYPAD_0 + 5, SHIFT}, {}, 0, ALL, NONE}, {{KEY_KEYPAD_MINUS}, {}, 0, ALL, NONE},
      {{KEY_KEYPAD_MINUS, SHIFT}, {}, 0, KEYS_SYMBOLS, '-'}, {{'-'}, {}, 0, KEYS_MINUS, '-'},
      {{'-', SHIFT}, {}, 0, KEYS_MINUS, NONE}, {{'-', SHIFT}, {}, 0, KEYS_SYMBOLS, '_'},
      {{'.', '\''}, {}, 0, ALL, '\''}, {{'.', '\'', SHIFT}, {}, 0, ALL, '"'}, {{' ', SHIFT}, {}, 0, KEYS_SPACE, ' '},
      {{'=', '\\'}, {}, 0, KEYS_SYMBOLS, '\\'}, {{KEY_LEFT}, {}, 0, ALL, NONE, 2, 2},
      {{KEY_LEFT, SHIFT}, {}, 0, ALL, NONE, 2, 3}, {{KEY_HOME, SHIFT}, {}, 0, ALL, NONE, 0, 3},
      {{KEY_END}, {}, 0, ALL, NONE}, {{KEY_RIGHT}, {}, 0, ALL, NONE}, {{KEY_INSERT}, {KEY_INSERT}, 0, ALL, NONE}};
  for (const auto &c : cases) {
    std::strcpy(edit_text, "abc");
    edit_caret = edit_anchor = 3;
    std::memset(key_state, 0, sizeof key_state);
    std::memset(key_state_prev, 0, sizeof key_state_prev);
    for (int key : c.down) key_state[key] = 1;
    for (int key : c.before) key_state_prev[key] = 1;
    key_state[SHIFT] |= key_state[KEY_RIGHT_SHIFT];  // as the snapshot folds it
    EXPECT_EQ(Ints({gui_translate_key(c.hold, c.classes), edit_caret, edit_anchor}),
              Ints({c.result, c.caret, c.anchor})) << &c - cases;
  }
  EXPECT_EQ(edit_overwrite, 0) << "Insert held does not switch again";
}

// An int over 42 clicked right of its text gets the caret at 2; 7 typed is in
// the variable in that same frame. Emptied, the int keeps its last value;
// Return with a digit ends the edit without the digit and empties the buffer.
// Entered by its shortcut, everything is selected and replaced. A float over
// 3.14159265 edits 3.14159 from the first frame.
TEST_F(TextEntry, FieldsEditTheirVariableFrameByFrame) {
  int32_t n = 42;
  float f = 3.14159265f;
  field(PROP_FIELD_INT, &n, 10, 'k'), field(PROP_FIELD_FLOAT, &f, 10, 'f');
  press({}, 130, 110, true);
  EXPECT_EQ(Ints({edit_caret, edit_anchor, keyboard_captured}), Ints({2, 2, 1}));
  press({'7'}, 130, 110);
  EXPECT_EQ(n, 427);
  const Ints frames[] = {{KEY_BACKSPACE}, {KEY_DELETE}, {KEY_BACKSPACE}, {}, {KEY_BACKSPACE, 'x'}};
  for (const Ints &keys : frames) press(keys);
  EXPECT_EQ(Ints({n, edit_text[0]}), Ints({4, 0}));
  press({'3'});
  press({KEY_RETURN, '9'});
  EXPECT_EQ(Ints({n, widgets[0].pressed, edit_text[0]}), Ints({3, 0, 0}));
  press({});  // shortcuts wait for the frame after an edit
  press({'k'});  // no key is taken in the first frame
  press({'5'});
  EXPECT_EQ(n, 5);
  press({KEY_ESCAPE});
  press({});
  press({'f'});
  EXPECT_EQ(f, 3.14159f);
  EXPECT_STREQ(edit_text, "3.14159");
}

// max_length 3 over 'abc' takes nothing more until 'bc' is selected (Shift+Left
// twice); overwrite replaces the character under the caret and appends at
// the end; Backspace removes a selection.
TEST_F(TextEntry, LimitsOverwriteAndSelections) {
  char text[16] = "abc";
  field(PROP_FIELD_TEXT, text, 3, 'k');
  const Ints select = {KEY_LEFT, KEY_LEFT_SHIFT}, shift = {KEY_LEFT_SHIFT};
  for (const Ints &keys : {Ints{'k'}, Ints{KEY_END}, Ints{'x'}, select, shift, select, Ints{'x'}}) press(keys);
  EXPECT_STREQ(text, "ax");
  widgets[0].max_length = 10;
  for (int key : {KEY_INSERT, KEY_LEFT, int('y'), int('z'), KEY_INSERT}) press({key});
  EXPECT_STREQ(text, "ayz");
  EXPECT_EQ(edit_overwrite, 0) << "Insert twice";
  std::strcpy(edit_text, "abcd");
  edit_caret = edit_anchor = 3;
  for (const Ints &keys : {select, shift, select, Ints{KEY_BACKSPACE}}) press(keys);
  EXPECT_STREQ(text, "ad");
  EXPECT_EQ(edit_caret, 1);
  std::memset(edit_text, 'a', EDIT_TEXT_SIZE - 1);  // a full buffer takes no more
  gui_edit_insert_char('b');
  EXPECT_EQ(std::strlen(edit_text), EDIT_TEXT_SIZE - 1u);
  for (int outside : {-1, MAX_WIDGETS}) {  // no field to act on
    current_widget = outside;
    gui_action_text_field();
    EXPECT_EQ(gui_edit_caret_from_pointer(), 0);
  }
}

// Tab passes the edit to the next one-line field round the end of the table
// and over text areas, Shift+Tab to the previous round the start; the field
// reached has all its text selected.
TEST_F(TextEntry, TabMovesBetweenOneLineFields) {
  char a[8] = "one", area[8] = "two", c[8] = "three", d[8] = "four";
  field(PROP_FIELD_TEXT, a, 7, 'k'), field(PROP_AREA_TEXT, area, 7), field(PROP_FIELD_TEXT, c, 7);
  field(PROP_FIELD_TEXT, d, 7);
  press({'k'});
  const Ints tab = {KEY_TAB}, back = {KEY_TAB, KEY_LEFT_SHIFT};
  const struct { Ints down, pressed; } moves[] = {{tab, {0, 0, 1, 0}}, {tab, {0, 0, 0, 1}}, {tab, {1, 0, 0, 0}},
                                                  {back, {0, 0, 0, 1}}, {back, {0, 0, 1, 0}}, {back, {1, 0, 0, 0}}};
  for (const auto &move : moves) {
    press({});
    press(move.down);
    EXPECT_EQ(Ints({widgets[0].pressed, widgets[1].pressed, widgets[2].pressed, widgets[3].pressed}), move.pressed);
  }
  press({});  // the earlier field begins its edit in the next pass
  EXPECT_EQ(Ints({edit_anchor, edit_caret}), Ints({0, 3}));
}

// A click below a field's only line puts the caret at the end; a drag selects
// from the click to the pointer; in a text area ('abcdef ' on its first line,
// 'ghij' on the second) a click finds the second line's characters.
TEST_F(TextEntry, ThePointerPlacesTheCaretAndDragsASelection) {
  char line[16] = "abcdef", area[32] = "abcdef ghij";
  field(PROP_FIELD_TEXT, line, 15);
  field(PROP_AREA_TEXT, area, 31);
  widgets[1].width = 60;
  const struct { int x, y; bool left; Ints caret_anchor; } frames[] = {
      {110, 120, true, {6, 6}}, {110, 120, false, {6, 6}}, {121, 110, true, {2, 2}}, {133, 110, true, {4, 2}},
      {133, 110, false, {4, 2}}, {110, 160, true, {8, 8}}};
  for (const auto &f : frames) {
    press({}, f.x, f.y, f.left);
    EXPECT_EQ(Ints({edit_caret, edit_anchor}), f.caret_anchor) << f.x << ", " << f.y;
  }
}

// Numbers saturate at the ends of their type, an unsigned field given a minus
// sign holds 0, a text that begins with a number stores it and one that does
// not leaves the variable as it was; a text variable gets at most max_length
// characters and its terminator.
TEST_F(TextEntry, WrittenBackNumbersSaturateAndTextsKeepTheirLength) {
  int32_t n = 7;
  uint32_t u = 7;
  float f = 7;
  struct { char text[4], after[4]; } buffer = {"old", "###"};
  field(PROP_FIELD_INT, &n, 20, 'i'), field(PROP_FIELD_UINT, &u, 20, 'u');
  field(PROP_FIELD_FLOAT, &f, 20, 'f'), field(PROP_FIELD_TEXT, buffer.text, 3, 't');
  const struct { int key; const char *typed; double n, u, f; const char *text; } cases[] = {
      {'i', "99999999999", INT32_MAX, 7, 7, "old"}, {'i', "-99999999999", INT32_MIN, 7, 7, "old"},
      {'i', "12ab", 12, 7, 7, "old"}, {'i', "-", 12, 7, 7, "old"}, {'u', "-5", 12, 0, 7, "old"},
      {'u', "99999999999", 12, UINT32_MAX, 7, "old"}, {'f', "1e99", 12, UINT32_MAX, FLT_MAX, "old"},
      {'f', "-1e99", 12, UINT32_MAX, -FLT_MAX, "old"}, {'t', "abcdef", 12, UINT32_MAX, -FLT_MAX, "abc"}};
  for (const auto &c : cases) {
    press({});
    press({c.key});
    std::strcpy(edit_text, c.typed);
    press({KEY_RETURN});
    EXPECT_EQ(std::vector<double>({double(n), double(u), double(f)}), std::vector<double>({c.n, c.u, c.f}));
    EXPECT_STREQ(buffer.text, c.text);
  }
  EXPECT_STREQ(buffer.after, "###");
}

// With every character 10 wide: breaks after the space that ends a line, on
// a newline, inside a word alone on its line (a line is strictly narrower
// than the width); the last entry is the
// terminator. A character wider than the line takes a line of its own, and
// the table never takes more than MAX_LINES entries.
TEST_F(TextEntry, LinesBreakInsideTheWidth) {
  for (float &advance : fonts[0].advance) advance = 1;
  const struct { const char *text; float width; Ints ends; } cases[] = {
      {"aaa bbb", 65, {3, 7}}, {"ab\ncd", 65, {2, 5}}, {"abcdefgh", 35, {2, 5, 8}}, {"", 35, {0}},
      {"abcd", 30, {1, 4}}, {"ab", 5, {0, 1, 2}}};
  for (const auto &c : cases) {
    gfx_wrap_lines(c.text, c.width, 0, 10, 0);
    EXPECT_EQ(Ints(line_ends, line_ends + line_count), c.ends) << c.text;
  }
  std::string many;
  for (int i = 0; i < 2000; ++i) many += "a\n";
  gfx_wrap_lines(many.c_str(), 100, 0, 10, 0);
  EXPECT_EQ(Ints({line_count, line_ends[MAX_LINES - 2], line_ends[MAX_LINES - 1]}), Ints({MAX_LINES, 2045, 4000}));
}

// The editing view: each character's glyph, the underscore over the one at
// the caret (or after the last), a half-alpha white-cell block over each
// selected one; a text area shows as many whole lines as its height holds.
TEST_F(TextEntry, TheEditingViewShowsCaretAndSelection) {
  fonts[0].texture_slot = FONT_TEXTURE_SLOT;
  fonts[0].texcoord['_'][0][0] = 0.5f;  // tells the caret from the other glyphs
  gfx_set_view_size(800, 600);
  gfx_begin_overlay();
  gfx_draw_field_text(false, 2, 5, "abcdefg", 10, 20, 200, 16, 16, 0, 1, 1, 1, 0.8f);
  gfx_flush_quads();
  Floats lefts, alphas, uv;
  for (const fake::GlQuad &q : std::span(fake::quads, fake::quad_count)) {
    lefts.push_back(q.left()), alphas.push_back(q.color[3]), uv.push_back(q.corner[0].s);
  }
  EXPECT_EQ(lefts, Floats({10, 18, 26, 26, 26, 34, 34, 42, 42, 50, 58}));
  EXPECT_EQ(alphas, Floats({0.8f, 0.8f, 0.8f, 0.8f, 0.4f, 0.8f, 0.4f, 0.8f, 0.4f, 0.8f, 0.8f}));
  EXPECT_EQ(uv, Floats({0, 0, 0, 0.5f, 0, 0, 0, 0, 0, 0, 0}));
  gfx_draw_field_text(false, 7, 7, "abcdefg", 10, 20, 200, 16, 16, 0, 1, 1, 1, 1);
  gfx_flush_quads();
  EXPECT_EQ(span(fake::quads[fake::quad_count - 1]), span(66, 20, 74, 36)) << "the caret after the text";
  const int before = fake::quad_count;
  gfx_draw_wrapped_text("aaaa bbbb cccc", 0, 0, 60, 40, 16, 0, 1, 1, 1, 1);
  gfx_flush_quads();
  EXPECT_EQ(fake::quad_count - before, 10) << "two lines of 16 in a height of 40";
  EXPECT_EQ(span(fake::quads[fake::quad_count - 1]), span(32, 16, 40, 32)) << "the space ending line 2";
}

}  // namespace
