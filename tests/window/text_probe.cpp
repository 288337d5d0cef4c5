// A small real-SDL program for the text test. It opens the game's window with
// the engine's own start-up pieces, builds the font from texture/font01.png in
// its working folder and draws the goal message every frame as the main loop
// does: at (320, 240) in the overlay, size 24, centred horizontally, opaque
// white. Once the first frame is on the screen it prints, in window pixels,
// where the engine's own measure of the text says the message must lie:
//   box LEFT TOP WIDTH HEIGHT    the rectangle spanned by the advances and size
//   space LEFT RIGHT             the advance of the space within it
//   drawn
// Closing the window ends it with status 0.
//
// Usage: text_probe [--read-back PATH]
//   After a few frames, reads the front buffer back with glReadPixels, writes
//   it to PATH as a binary PPM, top row first, and prints "read back". Needs a
//   driver whose front buffer holds the presented frame (softpipe does).
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/startup.h"
#include "gfx/font.h"
#include "gfx/quads.h"
#include "gfx/text.h"
#include "gfx/texture.h"
#include "gfx/view.h"

namespace {

constexpr const char *MESSAGE = "Fuck off!";
constexpr float ANCHOR_X = 320, ANCHOR_Y = 240, TEXT_SIZE = 24;
constexpr const char *FONT_IMAGE = "texture/font01.png";
constexpr int VIEW_WIDTH = 640, VIEW_HEIGHT = 480;
// Enough frames for the picture to have settled in both buffers.
constexpr int READ_BACK_FRAME = 3;

void report(const std::string &line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

bool open_window() {
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) return false;
  video = VIDEO_DEFAULTS;
  SDL_WM_SetCaption(WINDOW_CAPTION, ICON_CAPTION);
  game_request_gl_attributes();
  return game_set_video_mode();
}

// As start-up does it: one name per slot, in slot order, before any load.
void generate_texture_names() {
  for (TextureSlot &slot : textures) {
    GLuint name = 0;
    glGenTextures(1, &name);
    slot.gl_name = name;
  }
}

bool load_font() {
  current_font = 0;
  fonts[0].view_width = VIEW_WIDTH;
  fonts[0].view_height = VIEW_HEIGHT;
  gfx_load_font(FONT_TEXTURE_SLOT, FONT_IMAGE);
  return textures[FONT_TEXTURE_SLOT].width > 0;
}

float pixels_per_unit_x() { return float(video.width) / float(fonts[0].view_width); }
float pixels_per_unit_y() { return float(video.height) / float(fonts[0].view_height); }

// The centred text's box and its space, from the engine's measure of the
// text, mapped from view units to window pixels.
void report_predicted_layout() {
  const float width = gfx_text_width(MESSAGE, TEXT_SIZE);
  const float left = ANCHOR_X - width * 0.5f;
  const std::string message = MESSAGE;
  const std::string up_to_space = message.substr(0, message.find(' '));
  const float space_left = left + gfx_text_width(up_to_space.c_str(), TEXT_SIZE);
  const float space_right = left + gfx_text_width((up_to_space + " ").c_str(), TEXT_SIZE);
  const float sx = pixels_per_unit_x(), sy = pixels_per_unit_y();
  char line[160];
  std::snprintf(line, sizeof line, "box %.3f %.3f %.3f %.3f", left * sx, ANCHOR_Y * sy,
                width * sx, TEXT_SIZE * sy);
  report(line);
  std::snprintf(line, sizeof line, "space %.3f %.3f", space_left * sx, space_right * sx);
  report(line);
}

void draw_frame() {
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  gfx_begin_overlay();
  gfx_draw_text(MESSAGE, ANCHOR_X, ANCHOR_Y, TEXT_SIZE, ALIGN_CENTER_X, 1, 1, 1, 1);
  SDL_GL_SwapBuffers();
}

// GL gives the bottom row first; the file holds the top row first.
bool write_front_buffer(const char *path) {
  const int width = video.width, height = video.height;
  std::vector<unsigned char> rows(size_t(width) * size_t(height) * 3);
  glReadBuffer(GL_FRONT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
  FILE *file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  bool written = true;
  for (int y = height - 1; y >= 0; --y) {
    written = written && std::fwrite(&rows[size_t(y) * size_t(width) * 3], 3, size_t(width),
                                     file) == size_t(width);
  }
  return std::fclose(file) == 0 && written;
}

// False once the window has been closed.
bool handle_events() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  const char *read_back_path = nullptr;
  if (argc == 3 && std::strcmp(argv[1], "--read-back") == 0) {
    read_back_path = argv[2];
  } else if (argc != 1) {
    std::fprintf(stderr, "usage: %s [--read-back PATH]\n", argv[0]);
    return 2;
  }
  if (!open_window()) {
    std::fprintf(stderr, "cannot open the window: %s\n", SDL_GetError());
    return 1;
  }
  generate_texture_names();
  if (!load_font()) {
    std::fprintf(stderr, "cannot load %s\n", FONT_IMAGE);
    return 1;
  }
  for (int frame = 1; handle_events(); ++frame) {
    draw_frame();
    if (frame == 1) {
      report_predicted_layout();
      report("drawn");
    }
    if (read_back_path != nullptr && frame == READ_BACK_FRAME) {
      report(write_front_buffer(read_back_path) ? "read back" : "read back failed");
    }
    SDL_Delay(5);  // the test needs frames, not speed
  }
  SDL_Quit();
  return 0;
}
