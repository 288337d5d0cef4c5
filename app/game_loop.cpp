// The main loop: draw with this frame's input, then run the 10 ms steps the
// clock calls for. Quitting is tested only between frames, so a frame that has
// started always finishes, its steps included.
#include "app/game_loop.h"

#include <GL/gl.h>
#include <SDL.h>

#include "app/world.h"
#include "gfx/batch.h"
#include "gfx/quads.h"
#include "gfx/text.h"
#include "gfx/view.h"
#include "gui/gui.h"
#include "input/events.h"
#include "input/keyboard_mouse.h"
#include "video/video_mode.h"

namespace {

constexpr int QUIT_BUTTON = 0;
constexpr const char *GOAL_MESSAGE = "Fuck off!";

// An invisible box left of the screen, so the pointer can never reach it; only
// its Escape shortcut presses it.
void declare_quit_button() {
  gui_add_box("", -160, 0, 96, 24, 16, 0, 1, 1, 1, 1);
  gui_set(PROP_KEY, KEY_ESCAPE);
}

void draw_frame() {
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  widget_count = 0;
  declare_quit_button();
  input_pump_events();
  input_read_keyboard();
  input_read_mouse();
  gui_update();
  if (!goal_reached) {
    game_draw_world();
  }
  gfx_begin_overlay();
  gui_draw_widgets();
  if (goal_reached) {
    gfx_draw_text(GOAL_MESSAGE, VIEW_WIDTH / 2, VIEW_HEIGHT / 2, 24, ALIGN_CENTER_X, 1, 1, 1, 1);
  }
  gfx_flush_quads();
  SDL_GL_SwapBuffers();
}

bool loop_should_end() { return widgets[QUIT_BUTTON].pressed || quit_requested; }

}  // namespace

// Steps 1 and 2 move last_tick on by exactly TICK_MS, so time short of a
// whole tick is kept for the next frame. Step 3 resets last_tick to now: when
// we are far behind, the backlog is thrown away rather than chased, and a 4th
// step happens only if step 3 itself took a full tick. Unsigned subtraction
// keeps the test right when the millisecond counter wraps.
int game_run_steps(uint32_t *last_tick) {
  int steps = 0;
  while (SDL_GetTicks() - *last_tick >= TICK_MS && steps < MAX_STEPS_PER_FRAME) {
    ++steps;
    if (steps < 3) {
      *last_tick += TICK_MS;
    } else {
      *last_tick = SDL_GetTicks();
    }
    game_step();
  }
  return steps;
}

void game_run() {
  game_init_world();
  game_load_level();
  uint32_t last_tick = SDL_GetTicks();
  gui_clear_presses();
  while (!loop_should_end()) {
    draw_frame();
    game_run_steps(&last_tick);
  }
}
