// A small real-SDL program for the window tests. It opens the game's window
// with the engine's own start-up pieces, clears it to one colour every frame,
// reports on standard output the keys it receives, and obeys commands read
// from standard input:
//   move X Y   moves the window with input_move_window, then reports "moved X Y"
// Closing the window ends it with status 0 after reporting "quit".
//
// Usage: window_probe [--clear R,G,B]   (colour bytes, default black)
#include <GL/gl.h>
#include <SDL.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "app/startup.h"
#include "input/events.h"

namespace {

struct ClearColour {
  int red = 0, green = 0, blue = 0;
};

bool parse_arguments(int argc, char **argv, ClearColour *colour) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--clear") != 0 || i + 1 >= argc) return false;
    if (std::sscanf(argv[++i], "%d,%d,%d", &colour->red, &colour->green, &colour->blue) != 3) {
      return false;
    }
  }
  return true;
}

// Every line goes out at once: the test reads the output file while the
// probe runs.
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

void run_command(const std::string &line) {
  std::istringstream words(line);
  std::string verb;
  int x = 0, y = 0;
  if (words >> verb >> x >> y && verb == "move") {
    input_move_window(x, y);
    report("moved " + std::to_string(x) + " " + std::to_string(y));
  }
}

// Standard input is read only when it has something, so that frames keep
// coming while the test thinks.
class CommandReader {
 public:
  void poll_commands() {
    pollfd ready{STDIN_FILENO, POLLIN, 0};
    if (finished_ || poll(&ready, 1, 0) <= 0) return;
    char chunk[256];
    const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
    if (got <= 0) {
      finished_ = true;
      return;
    }
    pending_.append(chunk, size_t(got));
    for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
      run_command(pending_.substr(0, end));
      pending_.erase(0, end + 1);
    }
  }

 private:
  std::string pending_;
  bool finished_ = false;
};

// False once the window has been closed.
bool handle_events() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_KEYDOWN) report("key down " + std::to_string(event.key.keysym.sym));
    if (event.type == SDL_KEYUP) report("key up " + std::to_string(event.key.keysym.sym));
    if (event.type == SDL_QUIT) {
      report("quit");
      return false;
    }
  }
  return true;
}

void draw_frame(const ClearColour &colour) {
  glClearColor(colour.red / 255.0f, colour.green / 255.0f, colour.blue / 255.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  SDL_GL_SwapBuffers();
}

}  // namespace

int main(int argc, char **argv) {
  ClearColour colour;
  if (!parse_arguments(argc, argv, &colour)) {
    std::fprintf(stderr, "usage: %s [--clear R,G,B]\n", argv[0]);
    return 2;
  }
  if (!open_window()) {
    std::fprintf(stderr, "cannot open the window: %s\n", SDL_GetError());
    return 1;
  }
  CommandReader commands;
  while (handle_events()) {
    commands.poll_commands();
    draw_frame(colour);
    SDL_Delay(5);  // the tests need frames, not speed; leave the CPU to them
  }
  SDL_Quit();
  return 0;
}
