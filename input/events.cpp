// The event pump and the list of full-screen video modes.
#include "input/events.h"

#include <SDL.h>

#include "gfx/texture.h"
#include "input/keyboard_mouse.h"
#include "video/video_mode.h"

int32_t quit_requested;
int32_t app_inactive;
VideoModeEntry video_modes[MAX_VIDEO_MODES];
int32_t video_mode_count;

namespace {

void count_wheel_notch(int button) {
  if (button == SDL_BUTTON_WHEELUP && mouse.wheel_up < WHEEL_MAX) {
    ++mouse.wheel_up;
  }
  if (button == SDL_BUTTON_WHEELDOWN && mouse.wheel_down < WHEEL_MAX) {
    ++mouse.wheel_down;
  }
}

// Coming back may have lost the GL context's textures: set the mode again and
// upload every loaded texture under its existing name.
void handle_activation(const SDL_ActiveEvent &active) {
  if ((active.state & SDL_APPACTIVE) && active.gain == 1) {
    game_set_video_mode();
    gfx_reload_textures();
    app_inactive = 0;
  }
  if ((active.state & SDL_APPINPUTFOCUS) && active.gain == 0) {
    SDL_WM_GrabInput(SDL_GRAB_OFF);
    app_inactive = 1;
  }
}

void append_mode(int32_t width, int32_t height, int32_t bpp) {
  if (video_mode_count >= MAX_VIDEO_MODES) {
    return;
  }
  video_modes[video_mode_count++] = {width, height, bpp};
}

}  // namespace

void input_pump_events() {
  if (app_inactive) {
    SDL_Delay(INACTIVE_DELAY_MS);
  }
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_MOUSEBUTTONDOWN:
        count_wheel_notch(event.button.button);
        break;
      case SDL_ACTIVEEVENT:
        handle_activation(event.active);
        break;
      case SDL_QUIT:
        quit_requested = 1;
        break;
      default:
        break;
    }
  }
}

void input_list_video_modes() {
  SDL_Rect **modes = SDL_ListModes(nullptr, SDL_OPENGL | SDL_FULLSCREEN);
  // A null list means no full-screen mode; -1 means any size will do, which
  // names no mode to list.
  if (modes == nullptr || modes == reinterpret_cast<SDL_Rect **>(-1)) {
    return;
  }
  for (int i = 0; modes[i] != nullptr; ++i) {
    append_mode(modes[i]->w, modes[i]->h, 32);
    append_mode(modes[i]->w, modes[i]->h, 16);
  }
}
