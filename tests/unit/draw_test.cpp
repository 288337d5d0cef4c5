// Widget drawing, read back from the GL double: what each kind of widget puts
// on screen, where, and in which colour. The view is set 1:1 with the window,
// so spans are in view units, and each glyph's s coordinate names its
// character.
#include <climits>
#include <span>

#include "tests/support/engine_test.h"

namespace {

struct Draw : EngineTest {
  void SetUp() override {
    EngineTest::SetUp();
    fonts[0].texture_slot = FONT_TEXTURE_SLOT;
    for (int c = 0; c < 256; ++c) fonts[0].advance[c] = 0.5f, fonts[0].texcoord[c][0][0] = float(c) / 256;
    gfx_set_view_size(video.width, video.height);
    gfx_begin_overlay();
  }
  static void draw() { gui_draw_widgets(), gfx_flush_quads(); }  // every quad drawn by the time it returns
  static std::span<fake::GlQuad> drawn() { return {fake::quads, size_t(fake::quad_count)}; }
  // The characters of the glyphs drawn in the given colour (red channel), in order.
  static std::string text(float red) {
    std::string s;
    for (const fake::GlQuad &q : drawn())
      if (q.texture == textures[FONT_TEXTURE_SLOT].gl_name && q.color[0] == red) s += char(q.corner[0].s * 256);
    return s;
  }
};

// Strips top, right, bottom, left, then the face's top and bottom edges;
// aligned by its centre, the box lands where the plain one does.
TEST_F(Draw, BevelShadesFollowTheTilt) {
  const struct { float tilt; Floats factors; } cases[] = {{1, {0.470f, 0.205f, 0.117f, 0.382f, 0.415f, 0.259f}},
                                                         {0, {0.415f, 0.415f, 0.415f, 0.415f, 0.311f, 0.311f}},
                                                         {-1, {0.117f, 0.382f, 0.470f, 0.205f, 0.208f, 0.363f}}};
  for (const auto &c : cases) {
    fake::quad_count = 0;
    gfx_set_texturing(true), gfx_bind_texture(5);  // the box must not take it
    gui_draw_bevel_box(60, 40, 100, 40, c.tilt, ALIGN_CENTER_X | ALIGN_CENTER_Y, 1, 0.5f, 1, 0.75f);
    gfx_flush_quads();
    ASSERT_EQ(fake::quad_count, 5);
    const fake::GlQuad *q = fake::quads;
    const float got[] = {q[0].color[0], q[1].color[0], q[2].color[0], q[3].color[0], q[4].corner[0].color[0], q[4].corner[3].color[0]};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(got[k], c.factors[k], 0.0006f) << c.tilt << ", " << k;
    EXPECT_FLOAT_EQ(q[1].color[1], q[1].color[0] / 2);
    EXPECT_EQ(Floats({q[0].corner[2].x, q[0].corner[2].y, q[3].color[3]}), Floats({108, 22, 0.75f}));
    EXPECT_EQ(span(q[4]), span(12, 22, 108, 58));
    for (const fake::GlQuad &quad : drawn()) EXPECT_EQ(quad.texture, 0u);
  }
}

// Raised (+1), the caption is a quarter larger and grey 0.75 over a black
// shadow one unit down and right; sunken (-1), a quarter smaller and white.
// Buttons, toggles and radio choices alike.
TEST_F(Draw, CaptionsGrowAndDarkenWithTheHighlight) {
  int32_t bits = 0;
  for (const auto &[highlight, code] : {std::pair{1.0f, 0}, {0.0f, int(PROP_TOGGLE)}, {-1.0f, int(PROP_RADIO)}}) {
    fake::quad_count = widget_count = 0;
    gui_add_box("a/s", 0, 0, 100, 20, 16, 0, 1, 1, 1, 1);
    if (code) gui_set(code, &bits, 1);
    widgets[0].highlight = highlight;
    draw();
    const float grey = 0.875f - 0.125f * highlight, size = 16 + 0.25f * highlight;
    EXPECT_EQ(text(0) + "|" + text(grey), "a/s|a/s") << "shown as typed";
    const fake::GlQuad &shadow = fake::quads[5], &caption = fake::quads[8];
    EXPECT_EQ(span(shadow), span(51 - size * 0.75f, 11 - size / 2, 51 - size / 4, 11 + size / 2));
    EXPECT_EQ(span(caption), span(shadow.left() - 1, shadow.top() - 1, shadow.right() - 1, shadow.bottom() - 1));
  }
}

// The value as "%d", "%u", "%g" or the text itself, starred when masked, on
// a box of the colour x 0.0625 (x 0.125 active); the label beside it. Declared
// by its centre, a field is drawn where it was placed, as it is hit.
TEST_F(Draw, FieldsShowTheirValueOverADarkBox) {
  int32_t minus = -12;
  uint32_t big = 4000000000u;
  float reals[] = {0.1f, 1e-05f, 1234567};
  char abc[] = "abc", escape[] = "50/s// wraps onto a second line";
  const struct { int kind; void *target; bool masked, active; std::string shown; float last_top = 20; int align = 0; } cases[] = {
      {PROP_FIELD_FLOAT, &reals[0], false, false, "0.1"}, {PROP_FIELD_FLOAT, &reals[1], false, true, "1e-05"},
      {PROP_FIELD_FLOAT, &reals[2], false, false, "1.23457e+06"}, {PROP_FIELD_UINT, &big, false, false, "4000000000"},
      {PROP_FIELD_TEXT, abc, true, false, "***"}, {PROP_FIELD_INT, &minus, true, false, "***"},
      {PROP_AREA_TEXT, escape, false, false, escape, 36}, {PROP_FIELD_INT, &minus, false, false, "-12", 20, ALIGN_CENTER_X | ALIGN_CENTER_Y}};
  for (const auto &c : cases) {
    fake::quad_count = widget_count = 0;
    const bool centred = c.align != 0;
    gui_add_box("L", centred ? 110 : 10, centred ? 40 : 20, 200, 40, 16, c.align, 0.5f, 1, 1, 0.8f);
    if (c.kind == PROP_FIELD_INT) gui_set(c.kind, static_cast<int32_t *>(c.target), 20);
    if (c.kind == PROP_FIELD_UINT) gui_set(c.kind, static_cast<uint32_t *>(c.target), 20);
    if (c.kind == PROP_FIELD_FLOAT) gui_set(c.kind, static_cast<float *>(c.target), 20);
    if (c.kind == PROP_FIELD_TEXT || c.kind == PROP_AREA_TEXT) gui_set(c.kind, static_cast<char *>(c.target), 9);
    if (c.masked) gui_set(PROP_MASKED);
    gui_set(PROP_TEXT_POS, 300.0f, 5.0f, 8.0f);
    widgets[0].active = c.active;
    draw();
    const float k = c.active ? 0.125f : 0.0625f;
    EXPECT_EQ(text(0.5f), c.shown + "L") << c.shown;
    EXPECT_EQ(Floats(fake::quads[0].color, fake::quads[0].color + 4), Floats({0.5f * k, k, k, 0.8f})) << c.shown;
    EXPECT_EQ(span(fake::quads[0]), span(10, 20, 210, 60));
    EXPECT_EQ(fake::quads[fake::quad_count - 2].top(), c.last_top) << "an area wraps";
    EXPECT_EQ(span(fake::quads[1]), span(10, 20, 18, 36)) << "the value at the box's top left";
    EXPECT_EQ(span(fake::quads[fake::quad_count - 1]), span(300, 5, 304, 13)) << "the label";
  }
}

// While edited a field shows the edit text, starred if masked, with its caret;
// pressed but with its edit still to begin, its variable.
TEST_F(Draw, AnEditedFieldShowsTheEditTextNotItsVariable) {
  int32_t held = 5;
  gui_add_box("", 10, 20, 200, 20, 16, 0, 1, 1, 1, 1), gui_set(PROP_FIELD_INT, &held, 20);
  widgets[0].pressed = 1, draw();
  EXPECT_EQ(text(1), "5");
  widgets[0].was_pressed = 1, fake::quad_count = 0;
  std::strcpy(edit_text, "77");
  edit_caret = edit_anchor = 1;
  fonts[0].texcoord['_'][0][0] = 0.99f;  // not '_' itself: tells the caret apart
  draw();
  EXPECT_EQ(text(1), "77\xfd");
  gui_set(PROP_MASKED), fake::quad_count = 0, draw();
  EXPECT_EQ(text(1), "**\xfd");
}

// From x + (width - 8) x (value - min) / (max - min), truncated; not kept on
// the track; at the track's start when the range is empty; no overflow.
TEST_F(Draw, SliderKnobsFollowTheValueUnclamped) {
  const struct { int min, max, width, value; float knob; } cases[] = {
      {0, 100, 108, 50, 60}, {0, 100, 108, 100, 110}, {0, 3, 18, 2, 16}, {0, 100, 108, -10, 0}, {5, 5, 108, 9, 10},
      {INT_MIN, INT_MAX, 108, INT_MAX, 110}, {16777216, 16777226, 108, 16777217, 20}};
  for (const auto &c : cases) {
    fake::quad_count = widget_count = 0;
    int32_t value = c.value;
    gui_add_box("", 10, 30, float(c.width), 12, 16, 0, 1, 1, 1, 1), gui_set(PROP_SLIDER, &value, c.min, c.max, 1);
    draw();
    EXPECT_EQ(span(fake::quads[1]), span(c.knob, 30, c.knob + 8, 42)) << c.value;
    EXPECT_EQ(Floats(fake::quads[1].color, fake::quads[1].color + 4), Floats(4, 1));
  }
}

// Outlines come after every widget, each in its widget's colour at half alpha.
TEST_F(Draw, HoverOutlinesLieOverLaterWidgets) {
  fonts[0].texture_slot = -1;  // no captions: nothing but the lines closes the batch of boxes
  draw();
  EXPECT_EQ(fake::quad_count + fake::line_count, 0) << "an empty table draws nothing";
  gui_add_box("", 0, 0, 50, 50, 16, 0, 1, 0.5f, 0, 0.6f), gui_add_box("", 10, 10, 50, 50, 16, 0, 1, 1, 1, 1);
  widgets[0].hover = 1;
  draw();
  ASSERT_EQ(fake::line_count, 4);
  EXPECT_EQ(fake::lines[0].quads_before, 10) << "both boxes first";
  EXPECT_EQ(Floats(fake::lines[0].color, fake::lines[0].color + 4), Floats({1, 0.5f, 0, 0.3f}));
  EXPECT_EQ(Floats({fake::lines[1].end[1].x, fake::lines[1].end[1].y}), Floats({50, 50}));
}

// A button given images shows, on its face, the one for its state.
TEST_F(Draw, TexturedButtonsShowTheImageOfTheirState) {
  const TextureUv uv = {1, 1, 0, 1, 0, 0, 1, 0};
  gui_add_box("", 10, 20, 40, 40, 16, 0, 1, 1, 1, 1);
  gui_set(PROP_TEXTURE, 0, 7), gui_set(PROP_TEXTURE, 1, 9), gui_set(PROP_TEXTURE_UV, &uv);
  for (int hover : {0, 1}) {
    fake::quad_count = 0, widgets[0].hover = hover;
    draw();
    EXPECT_EQ(fake::quads[5].texture, textures[hover ? 9 : 7].gl_name);
    EXPECT_EQ(span(fake::quads[5]), span(12, 22, 48, 58));
    EXPECT_EQ(Floats({fake::quads[5].corner[0].s, fake::quads[5].corner[1].s}), Floats({1, 0}));
  }
}

}  // namespace
