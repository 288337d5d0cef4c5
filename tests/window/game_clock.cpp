// Loaded with LD_PRELOAD into the game: a clock that a test can follow and
// stop, so that it can change the held keys at given steps of game time
// however loaded the machine is; it also counts the buffer swaps, so that a
// test can see frames being presented.
//
// The game steps by SDL_GetTicks and drops the time beyond 30 ms that a slow
// frame leaves behind, and it reads the keys once per frame: on a loaded
// machine, keys changed by the wall clock land on steps that nobody can tell.
// Here SDL_GetTicks advances with the real clock, but by at most 20 ms from
// one buffer swap to the next, so the game never drops time (it just runs
// slower than the wall clock), and never beyond a limit that the test sets.
// When a frame's swap finds the clock at the limit, the game waits inside
// the swap, before that frame's steps, until the test moves the limit on:
// the steps up to the limit then use the keys read in that frame, and the
// steps after it the keys read in the next one, which the test has changed
// meanwhile.
//
// Environment:
//   GAME_CLOCK_FILE        gets "TIME running SWAPS" or "TIME stopped SWAPS"
//                          at every swap, TIME in milliseconds, SWAPS the
//                          swaps so far.
//   GAME_CLOCK_LIMIT_FILE  holds the limit in milliseconds, read at every
//                          swap; none while the file is absent. A limit
//                          below the clock's time stops it where it is.
// Both files are written through a side file renamed over them, so that a
// reader never sees half a line.
#include <SDL.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

using GetTicks = Uint32 (*)();
using SwapBuffers = void (*)();

// Below the 30 ms beyond which the game drops time, with room for the carry
// of up to 9 ms that its exact 10 ms steps leave.
constexpr Uint32 MOST_PER_FRAME = 20;
constexpr Uint32 NO_LIMIT = std::numeric_limits<Uint32>::max();
constexpr useconds_t STOPPED_POLL_US = 1000;

Uint32 real_ticks() {
  static const auto real = reinterpret_cast<GetTicks>(dlsym(RTLD_NEXT, "SDL_GetTicks"));
  return real != nullptr ? real() : 0;
}

// The real and the shown time at the last swap, and the limit read then.
Uint32 real_at_swap = 0;
Uint32 shown_at_swap = 0;
Uint32 limit = NO_LIMIT;
bool started = false;
unsigned long swaps = 0;

void start_once(Uint32 real) {
  if (started) return;
  started = true;
  real_at_swap = shown_at_swap = real;
}

Uint32 shown_at(Uint32 real) {
  start_once(real);
  const Uint32 ahead = std::min<Uint32>(real - real_at_swap, MOST_PER_FRAME);
  return std::min(limit, shown_at_swap + ahead);
}

// Never below the time already shown: the game's clock must not run back.
Uint32 read_limit() {
  const char *path = std::getenv("GAME_CLOCK_LIMIT_FILE");
  std::FILE *file = path != nullptr ? std::fopen(path, "r") : nullptr;
  if (file == nullptr) return NO_LIMIT;
  unsigned long value = NO_LIMIT;
  const bool read = std::fscanf(file, "%lu", &value) == 1;
  std::fclose(file);
  return read ? std::max<Uint32>(Uint32(value), shown_at_swap) : NO_LIMIT;
}

void publish(Uint32 shown, bool stopped) {
  const char *path = std::getenv("GAME_CLOCK_FILE");
  if (path == nullptr) return;
  const std::string side_path = std::string(path) + ".part";
  std::FILE *file = std::fopen(side_path.c_str(), "w");
  if (file == nullptr) return;
  std::fprintf(file, "%lu %s %lu\n", static_cast<unsigned long>(shown),
               stopped ? "stopped" : "running", swaps);
  if (std::fclose(file) == 0) std::rename(side_path.c_str(), path);
}

void wait_for_the_limit_to_move() {
  while (shown_at_swap >= limit) {
    usleep(STOPPED_POLL_US);
    limit = read_limit();
  }
  publish(shown_at_swap, false);
  real_at_swap = real_ticks();  // the wait is not game time
}

}  // namespace

// The game calls both from its one thread, and SDL runs no timer of its own
// that would call SDL_GetTicks from another while no timer is set.
extern "C" Uint32 SDL_GetTicks() { return shown_at(real_ticks()); }

extern "C" void SDL_GL_SwapBuffers() {
  static const auto real_swap =
      reinterpret_cast<SwapBuffers>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
  if (real_swap == nullptr) return;  // nothing presented, nothing to count
  real_swap();
  ++swaps;
  const Uint32 real = real_ticks();
  shown_at_swap = shown_at(real);
  real_at_swap = real;
  limit = read_limit();
  const bool stopped = shown_at_swap >= limit;
  publish(shown_at_swap, stopped);
  if (stopped) wait_for_the_limit_to_move();
}
