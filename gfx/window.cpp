// Order matters: the stream functions are picked before any file is read, and
// the GL context exists before texture names are made. Only SDL_Init and the
// first video mode are checked for failure.
#include "gfx/window.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/streams.h"
#include "gfx/batch.h"
#include "gfx/font.h"
#include "gfx/texture.h"
#include "video/video_mode.h"

namespace {

constexpr const char *FONT_IMAGE = "texture/font01.png";
constexpr const char *POINTER_IMAGE = "texture/mouse01.png";

// Names are generated once, one call per slot in slot order; loads and
// re-uploads only bind them.
void generate_texture_names() {
  for (TextureSlot &slot : textures) {
    GLuint name = 0;
    glGenTextures(1, &name);
    slot.gl_name = name;
  }
}

int give_up(const char *caption, const char *what) {
  std::fprintf(stderr, "%s: %s: %s\n", caption, what, SDL_GetError());
  SDL_Quit();
  return 1;
}

void set_up_font_view() {
  current_font = 0;
  fonts[0].pointer_image = 0;
  fonts[0].view_width = VIEW_WIDTH;
  fonts[0].view_height = VIEW_HEIGHT;
}

}  // namespace

int gfx_open_window(const char *caption, const char *icon_caption) {
  // QUILLARY_BATCHING=0 sends every quad alone, to compare pictures against.
  const char *batching = std::getenv("QUILLARY_BATCHING");
  quad_batching = batching == nullptr || std::strcmp(batching, "0") != 0;
  file_select_byte_order();
  video_defaults = VIDEO_DEFAULTS;
  joystick_enabled = 0;
  // No timer subsystem: SDL's would start a thread that wakes every
  // millisecond for the whole run, and it made the process take locks in every
  // stream read and allocation, slowing start-up. SDL_GetTicks and SDL_Delay,
  // all the program uses of time, work without it.
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    return give_up(caption, "cannot start SDL");
  }
  SDL_ShowCursor(SDL_DISABLE);
  video = video_defaults;
  SDL_WM_SetCaption(caption, icon_caption);
  game_request_gl_attributes();
  if (!game_set_video_mode()) {
    return give_up(caption, "cannot open the window");
  }
  generate_texture_names();
  set_up_font_view();
  gfx_load_font(FONT_TEXTURE_SLOT, FONT_IMAGE);
  gfx_load_texture(POINTER_TEXTURE_SLOT, POINTER_IMAGE, 0, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE,
                   GL_LINEAR, GL_LINEAR);
  return 0;
}

void gfx_close_window() {
  SDL_WM_IconifyWindow();
  SDL_Quit();
}
