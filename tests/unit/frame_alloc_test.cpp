// The frame loop allocates no heap memory. The whole game runs against the
// doubles on the shipped level; every malloc, calloc and realloc of this
// program (operator new included, which calls malloc) is counted while the
// frames after the first few run. Start-up and the level load may allocate.
#include <unistd.h>

#include <cstdlib>

#include "gallery/gallery.h"
#include "gallery/services.h"
#include "tests/support/engine_test.h"

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizers bring an allocator of their own
bool counting;
long allocations;

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void __libc_free(void *block);
void *malloc(size_t size) noexcept { return allocations += counting, __libc_malloc(size); }
void *calloc(size_t n, size_t size) noexcept { return allocations += counting, __libc_calloc(n, size); }
void *realloc(void *p, size_t size) noexcept { return allocations += counting, __libc_realloc(p, size); }
void free(void *block) noexcept { __libc_free(block); }
}

namespace {

// A zero below proves something only if the counter sees the ways code asks
// for memory.
TEST(AllocationCounter, SeesMallocCallocReallocAndNew) {
  void *(*volatile allocate)(size_t) = std::malloc;
  allocations = 0, counting = true;
  void *a = std::realloc(allocate(24), 4096), *b = std::calloc(3, 8);
  const std::string text(100, 'q');  // through operator new
  counting = false;
  EXPECT_EQ(allocations, 4);
  std::free(a), std::free(b);
}

// The frames run every path a frame has: running and jumping, clicks and
// wheel notches, focus lost (the slowed pumps) and back (the mode set again,
// every texture uploaded again), and the goal's message.
constexpr int WARM_UP = 5, LAST = WARM_UP + 600;
int message_frames, jumps;
float start_x;

void on_swap(int frame) {
  counting = false;
  if (frame == WARM_UP) start_x = player.position.x, allocations = 0;
  message_frames += goal_reached && fake::quad_count == 5 + 9 && fake::quads[13].texture;  // the box, then the message
  jumps += player.velocity.y > 0;
  platform.ticks += frame % 7 == 0 ? 45 : 16;  // mostly one or two steps, now and then four
  platform.keys[SDLK_RIGHT] = 1;
  platform.keys[SDLK_SPACE] = frame % 200 < 150;
  platform.keys[SDLK_LEFT] = frame % 50 == 0;
  platform.mouse_x = frame * 13 % 800, platform.mouse_y = frame * 7 % 600;
  platform.mouse_buttons = frame % 9 == 0 ? SDL_BUTTON(SDL_BUTTON_LEFT) : 0;
  if (frame % 30 == 0) fake::push(SDL_MOUSEBUTTONDOWN).button.button = SDL_BUTTON_WHEELUP;
  if (frame == WARM_UP + 100) fake::push(SDL_ACTIVEEVENT).active = {SDL_ACTIVEEVENT, 0, SDL_APPINPUTFOCUS};
  if (frame == WARM_UP + 110) fake::push(SDL_ACTIVEEVENT).active = {SDL_ACTIVEEVENT, 1, SDL_APPACTIVE};
  if (frame == WARM_UP + 450) goal_reached = 1;
  if (frame == LAST - 1) fake::push(SDL_QUIT);
  counting = frame >= WARM_UP && frame < LAST;
}

TEST_F(EngineTest, FrameLoopAllocatesNothing) {
  ASSERT_EQ(chdir(SOURCE_DIR "/data"), 0);
  platform.on_swap = on_swap;
  ASSERT_EQ(game_main(), 0);
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(fake::sdl.swaps, LAST);
  EXPECT_GT(fake::gl.quads_total, 1000 * WARM_UP) << "the level's tiles were drawn";
  EXPECT_EQ(fake::gl_textures[textures[FONT_TEXTURE_SLOT].gl_name].uploads, 3) << "loaded, whitened, back";
  EXPECT_TRUE(player.position.x > start_x + 3 && jumps > 0) << "ran and jumped";
  EXPECT_TRUE(fake::sdl.delays > 0 && mouse.wheel_up > 0) << "the slowed pumps and the wheel";
  EXPECT_GT(message_frames, 100) << "the goal's message";
}

// The gallery's frames, the pointer going from widget to widget (a toggle, a
// radio choice, the slider, every kind of field, the button, the Services tab
// with a joystick of more than it can show) and clicking, while digits,
// letters, Backspace, caret keys and Tab are typed: the widgets are used and
// drawn, every value changes and is printed, and nothing is allocated.
TEST_F(EngineTest, GalleryFramesAllocateNothing) {
  const int points[][2] = {{44, 230}, {175, 280}, {62, 340}, {500, 174}, {500, 224}, {500, 274}, {500, 74},
                           {500, 360}, {100, 80}, {739, 25}};  // window pixels
  const int keys[] = {'4', SDLK_BACKSPACE, '.', 'x', SDLK_LEFT, SDLK_HOME, SDLK_TAB, '7'};
  int quits = 0;
  platform.joystick_devices = 1, platform.joysticks[0] = {false, "Pad", 12, 40, 12, {-32768, 5}, {1}, {6, 9, 3}};
  gallery_reset(), gallery_open_joysticks();
  testing::internal::CaptureStdout();
  gallery_frame();  // the first line out may set up the output buffer
  allocations = 0, counting = true;
  for (int frame = 0; frame < 2000; ++frame) {
    platform.mouse_x = points[frame / 200][0], platform.mouse_y = points[frame / 200][1];
    platform.mouse_buttons = frame % 200 == 10 ? SDL_BUTTON(SDL_BUTTON_LEFT) : 0;
    std::memset(platform.keys, 0, sizeof platform.keys), platform.keys[keys[frame % 200 / 20 % 8]] = frame % 20 > 10;
    quits += !gallery_frame();
  }
  counting = false;
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(Ints({int(allocations), quits}), Ints({0, 0}));
  for (const char *name : {"bits ", "choice ", "slider ", "\nint ", "uint ", "float ", "\ntext ", "area ", "button ", "page 1"})
    EXPECT_NE(out.find(name), out.npos) << name;
}

}  // namespace
#endif
