// Opens the game's window the way start-up does, and at each SIGUSR1 moves it
// with input_move_window to the next "X,Y" place of its command line.
#include <SDL.h>
#include <signal.h>

#include <cstdio>

#include "app/startup.h"
#include "input/events.h"
#include "video/video_mode.h"

volatile sig_atomic_t moves_asked = 0;

int main(int argc, char **argv) {
  signal(SIGUSR1, [](int) { moves_asked = moves_asked + 1; });  // the moves happen in the loop
  if (SDL_Init(SDL_INIT_VIDEO) < 0) return 1;
  video = VIDEO_DEFAULTS;
  SDL_WM_SetCaption(WINDOW_CAPTION, ICON_CAPTION);
  game_request_gl_attributes();
  if (!game_set_video_mode()) return 1;
  for (int done = 1;; SDL_Delay(5))
    for (int x, y; done <= moves_asked && done < argc; ++done)
      if (std::sscanf(argv[done], "%d,%d", &x, &y) == 2) input_move_window(x, y);
}
