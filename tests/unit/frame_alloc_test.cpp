// The frame loop allocates no heap memory. The whole game runs against the SDL
// and GL doubles on the shipped level; every malloc, calloc, realloc, aligned
// allocation and operator new of this executable goes through the counters
// below, which the swap hook switches on after the first frames (start-up and
// the level load may allocate: image decoding, texture pixels, the FILE).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "app/startup.h"
#include "app/world.h"
#include "gui/widgets.h"
#include "input/events.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/doubles.h"

// Replacing malloc clashes with the sanitizers' own allocator.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLARY_COUNTS_ALLOCATIONS 0
#else
#define QUILLARY_COUNTS_ALLOCATIONS 1
#endif

namespace {

constexpr bool COUNTS_ALLOCATIONS = QUILLARY_COUNTS_ALLOCATIONS;
constexpr const char *NOT_COUNTED = "the sanitizers' own malloc in this build";

bool counting;           // set only while counted code runs
long allocations;        // counted calls
std::size_t first_size;  // bytes asked for by the first counted call

void start_counting() {
  allocations = 0;
  first_size = 0;
  counting = true;
}

}  // namespace

#if QUILLARY_COUNTS_ALLOCATIONS

// glibc's own allocator under its internal names; everything below forwards to
// it, so memory from either side may be freed by the other.
extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *block, std::size_t size);
void *__libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void *block);
}

namespace {

void note_allocation(std::size_t size) {
  if (!counting) return;
  if (allocations++ == 0) first_size = size;
}

}  // namespace

extern "C" {

void *malloc(std::size_t size) noexcept {
  note_allocation(size);
  return __libc_malloc(size);
}

void *calloc(std::size_t count, std::size_t size) noexcept {
  note_allocation(count * size);
  return __libc_calloc(count, size);
}

void *realloc(void *block, std::size_t size) noexcept {
  note_allocation(size);
  return __libc_realloc(block, size);
}

void free(void *block) noexcept { __libc_free(block); }

void *aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
  note_allocation(size);
  return __libc_memalign(alignment, size);
}

void *memalign(std::size_t alignment, std::size_t size) noexcept {
  note_allocation(size);
  return __libc_memalign(alignment, size);
}

int posix_memalign(void **block, std::size_t alignment, std::size_t size) noexcept {
  note_allocation(size);
  void *result = __libc_memalign(alignment, size);
  if (result == nullptr) return ENOMEM;
  *block = result;
  return 0;
}
}  // extern "C"

// The array and nothrow forms of the library call these.
void *operator new(std::size_t size) {
  note_allocation(size);
  void *block = __libc_malloc(size != 0 ? size : 1);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void *operator new(std::size_t size, std::align_val_t alignment) {
  note_allocation(size);
  void *block = __libc_memalign(static_cast<std::size_t>(alignment), size != 0 ? size : 1);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void operator delete(void *block) noexcept { __libc_free(block); }
void operator delete(void *block, std::size_t) noexcept { __libc_free(block); }
void operator delete(void *block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void *block, std::size_t, std::align_val_t) noexcept { __libc_free(block); }

#endif  // QUILLARY_COUNTS_ALLOCATIONS

namespace {

// Keeps an allocation the compiler could otherwise prove unused.
void keep(const void *block) { asm volatile("" : : "g"(block) : "memory"); }

// The counters must see every way of asking for memory, or a zero below
// would prove nothing.
TEST(AllocationCounter, SeesEveryKindOfAllocation) {
  if (!COUNTS_ALLOCATIONS) GTEST_SKIP() << NOT_COUNTED;
  void *(*volatile allocate)(std::size_t) = std::malloc;
  void *(*volatile allocate_zeroed)(std::size_t, std::size_t) = std::calloc;
  void *(*volatile reallocate)(void *, std::size_t) = std::realloc;
  int (*volatile allocate_aligned)(void **, std::size_t, std::size_t) = posix_memalign;
  struct alignas(64) Line {
    char bytes[64];
  };

  start_counting();
  void *a = allocate(24);
  void *b = allocate_zeroed(3, 8);
  a = reallocate(a, 4096);
  void *d = nullptr;
  const int aligned_result = allocate_aligned(&d, 64, 256);
  int *c = new int(7);
  keep(c);
  Line *line = new Line();
  keep(line);
  std::string text(100, 'q');
  keep(text.data());
  counting = false;

  EXPECT_EQ(aligned_result, 0);
  EXPECT_EQ(allocations, 7);
  EXPECT_EQ(first_size, 24u);
  std::free(a);
  std::free(b);
  std::free(d);
  delete c;
  delete line;
}

TEST(AllocationCounter, CountsNothingWhileOff) {
  if (!COUNTS_ALLOCATIONS) GTEST_SKIP() << NOT_COUNTED;
  start_counting();
  counting = false;
  std::string text(100, 'q');
  keep(text.data());
  EXPECT_EQ(allocations, 0);
}

// The counted frames, and what the hook does to them so that every path of a
// frame runs: keys held for running and jumping, pointer moves and clicks,
// wheel notches, focus lost (the inactive frames' delay) and the window
// coming back (video mode set again, every texture uploaded again), and at
// the end the goal screen's text.
constexpr int WARM_UP_FRAMES = 5;
constexpr int COUNTED_FRAMES = 600;
constexpr int LAST_FRAME = WARM_UP_FRAMES + COUNTED_FRAMES;
constexpr int FOCUS_LOST_FRAME = WARM_UP_FRAMES + 100;
constexpr int FOCUS_BACK_FRAME = WARM_UP_FRAMES + 110;
constexpr int GOAL_FRAME = WARM_UP_FRAMES + 450;

// What the hook saw of those paths, read after the run.
struct Seen {
  int frames_counted;
  int world_quads;       // glBegin calls in frames that draw the world
  int texture_uploads;   // glTexImage2D: only the window's return uploads in a frame
  int inactive_delays;   // SDL_Delay while the window had no focus
  int wheel_notches;     // frames whose pump counted a wheel notch
  int goal_text_frames;  // frames that drew text instead of the world
  int rising_frames;     // frames after which the player was moving up: a jump
  float start_x, furthest_x;
};
Seen seen;
int wheel_before;  // the pump's wheel count before the frame

// A clock that mostly gives one or two steps per frame and now and then a
// slow frame that gives the full catch-up.
void advance_clock(int frame) { fake::ticks += frame % 7 == 0 ? 45 : 16; }

void script_input(int frame) {
  fake::keys[SDLK_RIGHT] = 1;
  fake::keys[SDLK_SPACE] = frame % 200 < 150;
  fake::keys[SDLK_LEFT] = frame % 50 == 0;
  fake::mouse_x = (frame * 13) % 800;
  fake::mouse_y = (frame * 7) % 600;
  fake::mouse_buttons = frame % 9 == 0 ? SDL_BUTTON(SDL_BUTTON_LEFT) : 0;
  if (frame % 30 == 0) fake::push_button_down(SDL_BUTTON_WHEELUP);
  if (frame % 30 == 15) fake::push_button_down(SDL_BUTTON_WHEELDOWN);
  if (frame == FOCUS_LOST_FRAME) fake::push_active(0, SDL_APPINPUTFOCUS | SDL_APPACTIVE);
  if (frame == FOCUS_BACK_FRAME) fake::push_active(1, SDL_APPINPUTFOCUS | SDL_APPACTIVE);
  if (frame == GOAL_FRAME) goal_reached = 1;
}

int wheel_count() { return mouse.wheel_up + mouse.wheel_down; }

// Looks at what the frame just drawn, and its steps, did.
void note_frame() {
  ++seen.frames_counted;
  if (goal_reached) {
    seen.goal_text_frames += call_count("glFrustum") == 0 && call_count("glBegin") > 0;
  } else {
    seen.world_quads += call_count("glBegin");
  }
  seen.texture_uploads += call_count("glTexImage2D");
  seen.inactive_delays += call_count("SDL_Delay");
  seen.wheel_notches += wheel_count() > wheel_before;
  seen.rising_frames += player.velocity.y > 0;
  if (player.position.x > seen.furthest_x) seen.furthest_x = player.position.x;
}

// Runs after every frame's swap; its own work is never counted.
void on_swap(int frame) {
  counting = false;
  if (frame > WARM_UP_FRAMES) note_frame();
  if (frame == WARM_UP_FRAMES) seen.start_x = seen.furthest_x = player.position.x;
  if (frame == LAST_FRAME) return;
  recorder_clear();
  wheel_before = wheel_count();
  advance_clock(frame);
  script_input(frame);
  if (frame == LAST_FRAME - 1) fake::push_quit();  // the last frame pumps it and ends the loop
  if (frame == WARM_UP_FRAMES) {
    start_counting();
  } else if (frame > WARM_UP_FRAMES) {
    counting = true;
  }
}

class FrameLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    doubles_reset();
    ASSERT_EQ(chdir(SOURCE_DIR "/data"), 0);  // the shipped level and images
    quit_requested = 0;
    app_inactive = 0;
    goal_reached = 0;
    widgets[0].pressed = 0;
    seen = {};
    allocations = 0;
    fake::on_swap = on_swap;
  }
  void TearDown() override {
    counting = false;
    fake::on_swap = nullptr;
  }
};

TEST_F(FrameLoop, AllocatesNothing) {
  if (!COUNTS_ALLOCATIONS) GTEST_SKIP() << NOT_COUNTED;
  ASSERT_EQ(game_main(), 0);
  counting = false;

  EXPECT_EQ(allocations, 0) << "the first asked for " << first_size << " bytes";

  // The paths the frames were meant to run did run.
  EXPECT_EQ(seen.frames_counted, COUNTED_FRAMES);
  EXPECT_GT(seen.world_quads, 1000) << "the level's tiles were drawn";
  EXPECT_GT(seen.texture_uploads, 0) << "the window's return uploaded the textures again";
  EXPECT_GT(seen.inactive_delays, 0) << "frames without focus were slowed down";
  EXPECT_GT(seen.wheel_notches, 0);
  EXPECT_GT(seen.goal_text_frames, 0) << "the goal screen was drawn";
  EXPECT_GT(seen.furthest_x, seen.start_x + 3) << "the player ran right";
  EXPECT_GT(seen.rising_frames, 0) << "the player jumped";
}

}  // namespace
