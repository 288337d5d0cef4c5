// A small real-SDL program for the window tests. It opens the game's window
// with the engine's own start-up pieces and reports on standard output the
// keys it receives ("key down SYM", "key up SYM"). Closing the window ends it
// with status 0.
//
// Usage: window_probe [--clear R,G,B] [--move X,Y]...
//   Clears the window to the colour every frame (bytes, default black). At
//   each SIGUSR1 it moves the window to the next --move place with
//   input_move_window and reports "moved X Y".
// Usage: window_probe --text [--read-back PATH]
//   Builds the font from texture/font01.png in its working folder and draws
//   the goal message every frame as the main loop does: at (320, 240) in the
//   overlay, size 24, centred horizontally, opaque white. Once the first frame
//   is on the screen it reports, in window pixels, where the engine's own
//   measure of the text says the message must lie:
//     box LEFT TOP WIDTH HEIGHT    the rectangle spanned by the advances and size
//     space LEFT RIGHT             the advance of the space within it
//     drawn
//   With --read-back, a few frames later it reads the front buffer back with
//   glReadPixels, writes it to PATH as raw RGB bytes, top row first, and
//   reports "read back". That needs a driver whose front buffer holds the
//   presented frame (softpipe does).
#include <GL/gl.h>
#include <SDL.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.h"
#include "gfx/font.h"
#include "gfx/quads.h"
#include "gfx/text.h"
#include "gfx/texture.h"
#include "gfx/view.h"
#include "input/events.h"

namespace {

constexpr const char *MESSAGE = "Fuck off!";
constexpr float ANCHOR_X = 320, ANCHOR_Y = 240, TEXT_SIZE = 24;
// Enough frames for the picture to have settled in both buffers.
constexpr int READ_BACK_FRAME = 3;

std::atomic<int> moves_asked{0};

// Every line goes out at once: the test reads the output file while the
// probe runs.
void report(const std::string &line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// As start-up does it: one texture name per slot, in slot order, then the font.
bool load_font() {
  for (TextureSlot &slot : textures) {
    GLuint name = 0;
    glGenTextures(1, &name);
    slot.gl_name = name;
  }
  current_font = 0;
  fonts[0].view_width = 640;
  fonts[0].view_height = 480;
  gfx_load_font(FONT_TEXTURE_SLOT, "texture/font01.png");
  return textures[FONT_TEXTURE_SLOT].width > 0;
}

// The centred text's box and its space, from the engine's measure of the
// text, mapped from view units to window pixels.
void report_predicted_layout() {
  const float width = gfx_text_width(MESSAGE, TEXT_SIZE);
  const float left = ANCHOR_X - width * 0.5f;
  const float space_left = left + gfx_text_width("Fuck", TEXT_SIZE);
  const float space_right = left + gfx_text_width("Fuck ", TEXT_SIZE);
  const float sx = float(video.width) / fonts[0].view_width;
  const float sy = float(video.height) / fonts[0].view_height;
  char line[160];
  std::snprintf(line, sizeof line, "box %.3f %.3f %.3f %.3f\nspace %.3f %.3f\ndrawn", left * sx,
                ANCHOR_Y * sy, width * sx, TEXT_SIZE * sy, space_left * sx, space_right * sx);
  report(line);
}

// GL gives the bottom row first; the file holds the top row first.
bool write_front_buffer(const char *path) {
  const size_t row = size_t(video.width) * 3;
  std::vector<unsigned char> rows(row * size_t(video.height));
  glReadBuffer(GL_FRONT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, video.width, video.height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
  FILE *file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  bool written = true;
  for (int y = video.height - 1; y >= 0; --y) {
    written = written && std::fwrite(&rows[size_t(y) * row], 1, row, file) == row;
  }
  return std::fclose(file) == 0 && written;
}

// False once the window has been closed.
bool handle_events() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_KEYDOWN) report("key down " + std::to_string(event.key.keysym.sym));
    if (event.type == SDL_KEYUP) report("key up " + std::to_string(event.key.keysym.sym));
    if (event.type == SDL_QUIT) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  int red = 0, green = 0, blue = 0;
  bool text = false;
  const char *read_back_path = nullptr;
  std::vector<std::pair<int, int>> places;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    int x = 0, y = 0;
    bool understood = true;
    if (option == "--text") {
      text = true;
    } else if (i + 1 == argc) {
      understood = false;
    } else if (option == "--read-back") {
      read_back_path = argv[++i];
    } else if (option == "--clear") {
      understood = std::sscanf(argv[++i], "%d,%d,%d", &red, &green, &blue) == 3;
    } else if (option == "--move") {
      understood = std::sscanf(argv[++i], "%d,%d", &x, &y) == 2;
      places.emplace_back(x, y);
    } else {
      understood = false;
    }
    if (!understood) {
      std::fprintf(stderr, "bad argument: %s\n", argv[i]);
      return 2;
    }
  }
  // The handler only counts: the moves happen in the main loop.
  struct sigaction on_move {};
  on_move.sa_handler = [](int) { ++moves_asked; };
  on_move.sa_flags = SA_RESTART;
  sigaction(SIGUSR1, &on_move, nullptr);

  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) return 1;
  video = VIDEO_DEFAULTS;
  SDL_WM_SetCaption(WINDOW_CAPTION, ICON_CAPTION);
  game_request_gl_attributes();
  if (!game_set_video_mode() || (text && !load_font())) {
    std::fprintf(stderr, "cannot open the window or load the font: %s\n", SDL_GetError());
    return 1;
  }
  size_t moves_done = 0;
  for (int frame = 1; handle_events(); ++frame) {
    for (; moves_done < size_t(moves_asked) && moves_done < places.size(); ++moves_done) {
      const auto [x, y] = places[moves_done];
      input_move_window(x, y);
      report("moved " + std::to_string(x) + " " + std::to_string(y));
    }
    glClearColor(red / 255.0f, green / 255.0f, blue / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (text) {
      gfx_begin_overlay();
      gfx_draw_text(MESSAGE, ANCHOR_X, ANCHOR_Y, TEXT_SIZE, ALIGN_CENTER_X, 1, 1, 1, 1);
    }
    SDL_GL_SwapBuffers();
    if (text && frame == 1) report_predicted_layout();
    if (read_back_path != nullptr && frame == READ_BACK_FRAME) {
      report(write_front_buffer(read_back_path) ? "read back" : "read back failed");
    }
    SDL_Delay(5);  // the tests need frames, not speed; leave the CPU to them
  }
  SDL_Quit();
  return 0;
}
