// Setting the video mode and the OpenGL attributes it is created with.
#include "video/video_mode.h"

#include <SDL.h>

VideoSettings video_defaults;
VideoSettings video;
int32_t joystick_enabled;

namespace {

struct GlAttribute {
  SDL_GLattr attribute;
  int value;
};

}  // namespace

// A 16-bit mode gets 5-6-5 with no alpha, as that is all such a framebuffer
// holds; any other depth asks for 8 bits per channel, alpha included.
void game_request_gl_attributes() {
  const bool low_colour = video.bpp == 16;
  const GlAttribute attributes[] = {
      {SDL_GL_RED_SIZE, low_colour ? 5 : 8},
      {SDL_GL_GREEN_SIZE, low_colour ? 6 : 8},
      {SDL_GL_BLUE_SIZE, low_colour ? 5 : 8},
      {SDL_GL_ALPHA_SIZE, low_colour ? 0 : 8},
      {SDL_GL_DEPTH_SIZE, video.depth_bits},
      {SDL_GL_STENCIL_SIZE, video.stencil_bits},
      {SDL_GL_DOUBLEBUFFER, 1},
      {SDL_GL_SWAP_CONTROL, 1},  // swaps synchronised with the display
  };
  for (const GlAttribute &entry : attributes) {
    SDL_GL_SetAttribute(entry.attribute, entry.value);
  }
}

bool game_set_video_mode() {
  Uint32 flags = SDL_OPENGL;
  if (video.fullscreen) {
    flags |= SDL_FULLSCREEN;
  }
  return SDL_SetVideoMode(video.width, video.height, video.bpp, flags) != nullptr;
}
