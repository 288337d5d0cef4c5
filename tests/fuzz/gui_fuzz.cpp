// The widget layer over frames decoded from the bytes: declarations, property
// codes with any code and values in any order, keys and the mouse, then the
// interaction pass and the drawing. A slider's value stays within its range,
// the caret within the edit text, and no action writes through a target of
// another kind (the 3-byte text would overflow under ASan).
#include "gfx/batch.h"
#include "gui/gui.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/fake_gl.h"
#include "tests/fuzz/fuzz_bytes.h"

namespace {

int32_t ints[2], slider_values[8];  // a slider variable per declaration, shared with no other
uint32_t uints[2];
float floats[2];
char tiny[3], text[16];
constexpr TextureUv UV = {0, 1, 1, 1, 1, 0, 0, 0};
constexpr WidgetAction STOCK_ACTIONS[4] = {gui_action_toggle, gui_action_radio, gui_action_slider, gui_action_text_field};

void set_property(FuzzBytes &in, int declaration) {
  const int code = take<uint8_t>(in) % 24, k = take<uint8_t>(in) & 1;
  switch (take<uint8_t>(in) % 11) {  // the values' kinds, whatever the code
    case 0: gui_set(code); break;
    case 1: gui_set(code, take<int32_t>(in)); break;
    case 2: gui_set(code, take<int32_t>(in), take<int32_t>(in)); break;
    case 3: gui_set(code, k ? tiny : text, take<uint8_t>(in) % (k ? 3 : 16)); break;
    case 4: gui_set(code, &ints[k], int(take<uint8_t>(in) % 16)); break;
    case 5: gui_set(code, &uints[k], int(take<uint8_t>(in) % 16)); break;
    case 6: gui_set(code, &floats[k], int(take<uint8_t>(in) % 16)); break;
    case 7: gui_set(code, &slider_values[declaration], take<int32_t>(in), take<int32_t>(in), take<int32_t>(in)); break;
    case 8: gui_set(code, take<float>(in), take<float>(in), take<float>(in)); break;
    case 9: gui_set(code, &UV); break;
    default: gui_set(code, STOCK_ACTIONS[take<uint8_t>(in) % 4]); break;
  }
}

void read_input(FuzzBytes &in) {
  std::memcpy(key_state_prev, key_state, sizeof key_state);
  std::memset(key_state, 0, sizeof key_state);
  for (int n = take<uint8_t>(in) % 4; n > 0; --n) key_state[take<uint16_t>(in) % KEY_COUNT] = 1;
  mouse_prev = mouse;
  mouse = {take<uint16_t>(in) % 700, take<uint16_t>(in) % 500, 0, 0, take<uint8_t>(in) & 1, 0, 0, 0, 0, 0};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in{data, size};
  fake::gl_recording = false;
  gui_clear_presses();
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
    read_input(in);
    gui_update();
    int editing = 0;  // overlapping fields clicked at once share the one edit state
    for (int i = 0; i < widget_count; ++i) {
      const Widget &w = widgets[i];
      if (w.type == WIDGET_SLIDER && w.was_pressed && w.min <= w.max)
        promise(*static_cast<int32_t *>(w.target) >= w.min && *static_cast<int32_t *>(w.target) <= w.max, "a slider stays in range");
      editing += (w.type == WIDGET_FIELD || w.type == WIDGET_TEXT_AREA) && w.pressed && w.was_pressed;
    }
    if (editing == 1) promise(edit_caret >= 0 && edit_caret <= int(std::strlen(edit_text)), "the caret stays in the text");
    gui_draw_widgets();
    gfx_flush_quads();
  }
  return 0;
}
