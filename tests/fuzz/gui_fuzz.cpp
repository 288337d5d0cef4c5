// The widget layer over frames decoded from the bytes: declarations, property
// codes with any code and values of any kind in any order (stock actions
// included), keys and the mouse, then the interaction pass and the drawing.
// A slider's value stays within its range (when its own action set it), the
// caret within the text being edited, that text in the field's variable, and
// no action writes through a target of another kind (an int XORed into the
// 3-byte text would overflow under ASan).
#include <cmath>
#include <span>

#include "gfx/batch.h"
#include "gui/gui.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/fake_gl.h"
#include "tests/fuzz/fuzz_bytes.h"

static int32_t ints[2], slider_values[8];  // a slider variable per declaration, shared with no other
static uint32_t uints[2];
static float floats[2];
static char tiny[3], text[16];
static constexpr TextureUv UV = {0, 1, 1, 1, 1, 0, 0, 0};
static constexpr WidgetAction STOCK[4] = {gui_action_toggle, gui_action_radio, gui_action_slider, gui_action_text_field};

static void set_property(FuzzBytes &in, int declaration) {
  const int code = take<uint8_t>(in) % 24, k = take<uint8_t>(in) & 1;
  switch (take<uint8_t>(in) % 11) {  // the values' kinds, whatever the code
    case 0: return gui_set(code);
    case 1: return gui_set(code, take<int32_t>(in));
    case 2: return gui_set(code, take<int32_t>(in), take<int32_t>(in));
    case 3: return gui_set(code, k ? tiny : text, take<uint8_t>(in) % (k ? 3 : 16));
    case 4: return gui_set(code, &ints[k], int(take<uint8_t>(in) % 16));
    case 5: return gui_set(code, &uints[k], int(take<uint8_t>(in) % 16));
    case 6: return gui_set(code, &floats[k], int(take<uint8_t>(in) % 16));
    case 7: return gui_set(code, &slider_values[declaration], take<int32_t>(in), take<int32_t>(in), take<int32_t>(in));
    case 8: return gui_set(code, take<float>(in), take<float>(in), take<float>(in));
    case 9: return gui_set(code, &UV);
    default: return gui_set(code, STOCK[take<uint8_t>(in) % 4]);
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in{data, size};
  fake::gl_recording = false;  // each input starts from nothing, so a finding replays alone
  std::memset(widgets, 0, sizeof widgets), std::memset(edit_text, 0, sizeof edit_text), edit_caret = edit_anchor = 0;
  std::memset(key_state, 0, sizeof key_state), std::memset(key_state_prev, 0, sizeof key_state_prev), mouse = mouse_prev = {};
  std::memset(text, 0, sizeof text), std::memset(tiny, 0, sizeof tiny), edit_overwrite = keyboard_captured = 0;
  while (in.size > 0) {
    widget_count = 0;
    for (int n = take<uint8_t>(in) % 8; n > 0; --n) {
      const uint8_t how = take<uint8_t>(in);
      const float x = take<int16_t>(in) % 700, y = take<int16_t>(in) % 500;
      if (how % 3 == 0) gui_add_box("w", x, y, take<uint8_t>(in), take<uint8_t>(in), 16, how >> 4, 1, 1, 1, 1);
      if (how % 3 == 1) gui_add_label("label", x, y, 12, how >> 4, 1, 1, 1, 1);
      if (how % 3 == 2) gui_add_blank();
      for (int m = take<uint8_t>(in) % 4; m > 0; --m) set_property(in, n - 1);
    }
    std::memcpy(key_state_prev, key_state, sizeof key_state), std::memset(key_state, 0, sizeof key_state);
    for (int n = take<uint8_t>(in) % 4; n > 0; --n) key_state[take<uint16_t>(in) % KEY_COUNT] = 1;
    mouse_prev = mouse, mouse = {take<uint16_t>(in) % 700, take<uint16_t>(in) % 500, 0, 0, take<uint8_t>(in) & 1, 0, 0, 0, 0, 0};
    gui_update();
    const Widget *edited = nullptr;
    int editing = 0;  // overlapping fields clicked at once each run an edit
    for (const Widget &w : std::span(widgets, size_t(widget_count))) {
      const auto *value = static_cast<const int32_t *>(w.target);
      if (w.type == WIDGET_SLIDER && w.action == gui_action_slider && w.was_pressed && w.min <= w.max) promise(*value >= w.min && *value <= w.max, "a slider stays in range");
      const bool field = w.type == WIDGET_FIELD || w.type == WIDGET_TEXT_AREA;
      if (field && w.action == gui_action_text_field && w.pressed && w.was_pressed) edited = &w, ++editing;
    }
    if (editing == 1) {  // its variable holds what its text says (texts and floats are no choice's)
      const int length = int(std::strlen(edit_text));
      promise(edit_caret >= 0 && edit_caret <= length && edit_anchor >= 0 && edit_anchor <= length, "the caret stays in the text");
      if (edited->value_kind == VALUE_TEXT && edited->max_length >= 0)
        promise(!std::strncmp(static_cast<const char *>(edited->target), edit_text, size_t(edited->max_length)), "a text field holds its text");
      if (float f; edited->value_kind == VALUE_FLOAT && std::sscanf(edit_text, "%g", &f) == 1 && !std::isnan(f))
        promise(*static_cast<const float *>(edited->target) == f || std::isinf(f), "a float field holds its number");
    }
    gui_draw_widgets(), gfx_flush_quads();
  }
  return 0;
}
