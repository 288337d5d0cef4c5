// Program start and exit: the engine's window, then the key names, then the
// game until the player quits.
#include "app/startup.h"

#include "app/game_loop.h"
#include "gfx/window.h"
#include "input/key_names.h"

int game_main() {
  if (const int failed = gfx_open_window(WINDOW_CAPTION, ICON_CAPTION)) {
    return failed;
  }
  input_init_key_names();
  game_run();
  gfx_close_window();
  return 0;
}
