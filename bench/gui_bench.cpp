// Cost of one frame of the widget layer over a full table: 256 buttons with
// captions declared in a grid over the 640 by 480 view, one of them under the
// pointer, run through gui_update and drawn with gui_draw_widgets, as an
// immediate-mode frame does. The GL double keeps its state but records no
// picture, so the calls go nowhere and the figure is the engine's own work.
#include <benchmark/benchmark.h>

#include "gfx/font.h"
#include "gfx/texture.h"
#include "gui/gui.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/fake_gl.h"

namespace {

void declare_frame() {
  widget_count = 0;
  for (int i = 0; i < MAX_WIDGETS; ++i) {
    gui_add_box("Button", float(i % 16) * 40, float(i / 16) * 30, 36, 26, 12, 0, 1, 1, 1, 1);
    gui_set(PROP_KEY, 'a' + i % 26);
  }
}

void BM_GuiFrame256Buttons(benchmark::State &state) {
  fake::reset_gl();
  fake::gl_recording = false;
  fonts[0].texture_slot = FONT_TEXTURE_SLOT;
  for (float &advance : fonts[0].advance) advance = 0.5f;
  mouse = mouse_prev = MouseState{100, 100, 0, 0, 0, 0, 0, 0, 0, 0};
  for (auto _ : state) {
    declare_frame();
    gui_update();
    gui_draw_widgets();
    benchmark::ClobberMemory();
  }
  fake::gl_recording = true;
  state.counters["widgets"] = MAX_WIDGETS;
}
BENCHMARK(BM_GuiFrame256Buttons)->Unit(benchmark::kMicrosecond);

}  // namespace
