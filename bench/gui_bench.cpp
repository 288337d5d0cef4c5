// Cost of one frame of the widget layer over a full table, before any
// drawing: 255 buttons declared in a grid over the 640 by 480 view, one of
// them under the pointer, and one int field in edit mode, declared anew as an
// immediate-mode frame does and run through gui_update. The GL double keeps no
// picture: the pass draws nothing anyway.
#include <benchmark/benchmark.h>

#include <cstring>

#include "gfx/font.h"
#include "gui/gui.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/fake_gl.h"

namespace {

int32_t edited = 12345;

void declare_frame() {
  widget_count = 0;
  for (int i = 0; i < MAX_WIDGETS - 1; ++i) {
    gui_add_box("Button", float(i % 16) * 40, float(i / 16) * 30, 36, 26, 12, 0, 1, 1, 1, 1);
    gui_set(PROP_KEY, 'a' + i % 26);
  }
  gui_add_box("", 0, 0, 64, 16, 12, 0, 1, 1, 1, 1);
  gui_set(PROP_FIELD_INT, &edited, 10);
}

void BM_GuiFrameFullTable(benchmark::State &state) {
  fake::reset_gl();
  fake::gl_recording = false;
  for (float &advance : fonts[0].advance) advance = 0.5f;
  mouse = mouse_prev = MouseState{100, 100, 0, 0, 0, 0, 0, 0, 0, 0};
  declare_frame();
  widgets[MAX_WIDGETS - 1].pressed = 1;  // the field is being edited
  gui_update();
  for (auto _ : state) {
    declare_frame();
    gui_update();
    benchmark::ClobberMemory();
  }
  fake::gl_recording = true;
  state.counters["widgets"] = MAX_WIDGETS;
}
BENCHMARK(BM_GuiFrameFullTable)->Unit(benchmark::kMicrosecond);

}  // namespace
