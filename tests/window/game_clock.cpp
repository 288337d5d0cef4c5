// Preloaded into the game by the window tests: a clock the test can follow
// and stop, and a count of the frames presented.
//
// The game steps by SDL_GetTicks, drops the time beyond 30 ms that a slow
// frame leaves behind, and reads the keys once per frame; on a loaded machine,
// keys changed by the wall clock would land on steps nobody can tell. Here
// the game's time moves only at buffer swaps, by the real time since the last
// one but at most 20 ms (so no time is ever dropped: the game just runs slower
// than the wall clock), and never past a limit that the test sets. A swap
// that reaches the limit waits for the test to move it: the steps up to the
// limit then use the keys read before that swap, the steps after it the keys
// of the next frame, which the test has changed meanwhile.
//
// GAME_CLOCK names a file that both map: the layout below, which the test
// declares the same way.
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

// time: milliseconds, at the last swap.
struct GameClock { std::atomic<Uint32> limit, time, swaps; };

// Under the 30 ms the game would drop, with room for its carry of up to 9 ms.
static constexpr Uint32 MOST_PER_FRAME = 20;
static Uint32 shown = 0, real_at_swap = 0;
// Mapped once, at load; a missing GAME_CLOCK crashes the game at its first frame.
static GameClock &shared =
    *static_cast<GameClock *>(mmap(nullptr, sizeof(GameClock), PROT_READ | PROT_WRITE, MAP_SHARED,
                                   open(std::getenv("GAME_CLOCK"), O_RDWR), 0));

// The game calls both from its one thread.
extern "C" Uint32 SDL_GetTicks() { return shown; }

extern "C" void SDL_GL_SwapBuffers() {
  static const auto real_swap =
      reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
  static const auto real_ticks = reinterpret_cast<Uint32 (*)()>(dlsym(RTLD_NEXT, "SDL_GetTicks"));
  real_swap();
  const Uint32 ahead = std::min(real_ticks() - real_at_swap, MOST_PER_FRAME);
  shown = std::min(shown + ahead, std::max(shared.limit.load(), shown));
  shared.time = shown;
  ++shared.swaps;
  while (shared.limit <= shown) usleep(1000);
  real_at_swap = real_ticks();  // the wait is not game time
}
