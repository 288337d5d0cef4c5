// The game shell against the doubles: start-up and shut-down, the main loop's
// frames and steps, and the world: level file, player, camera and picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

#include "app/game_loop.h"
#include "app/startup.h"
#include "app/world.h"
#include "files/streams.h"
#include "gfx/font.h"
#include "gfx/texture.h"
#include "gui/widgets.h"
#include "input/events.h"
#include "input/key_names.h"
#include "input/keyboard_mouse.h"
#include "tests/support/engine_test.h"
#include "video/video_mode.h"

namespace {

using fake::quads;
using fake::sdl;
using Tiles = std::vector<int32_t>;
constexpr int TILE_COUNT = MAP_SIZE * MAP_SIZE;
constexpr float REST_Y = 129.5f;  // the player's centre standing on the set-up floor, row 128
enum Keys { NONE = 0, LEFT = 1, RIGHT = 2, BOTH = 3, SPACE = 4 };

void hold(int keys) {
  key_state[KEY_LEFT] = keys & LEFT, key_state[KEY_RIGHT] = (keys & RIGHT) != 0;
  key_state[KEY_SPACE] = (keys & SPACE) != 0;
}

void place(float x, float y, float vx = 0, float vy = 0, int32_t on_ground = 0) {
  player = {{x, y}, {vx, vy}, on_ground};
}

// The level file: the version, then the tiles, each a little-endian int32.
void write_level(int32_t version, const Tiles &tiles, const std::string &tail = "") {
  std::string bytes;
  auto put = [&](uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) bytes += char(v >> shift);
  };
  put(uint32_t(version));
  for (int32_t tile : tiles) put(uint32_t(tile));
  std::ofstream(LEVEL_FILE, std::ios::binary) << bytes << tail;
}

// Where the world's tile rectangle (x0, y0)..(x1, y1) lands in the 800 by 600
// window with the camera at (cx, cy): 24 tiles across, 18 down.
Floats world_span(float x0, float y0, float x1, float y1, float cx = 64, float cy = 130) {
  const float tile = 100.0f / 3;
  return span(400 + (x0 - cx) * tile, 300 - (y1 - cy) * tile, 400 + (x1 - cx) * tile, 300 - (y0 - cy) * tile);
}

using StartUp = EngineTest;

// In the data folder: SDL, the window, the texture names (before either image
// is uploaded under its own slot's name), font 0 and its view, the pointer,
// the key names; then the game; then the window is minimised and SDL shut down.
TEST_F(StartUp, BringsTheGameUpWithItsImagesAndShutsDownMinimisedFirst) {
  ASSERT_EQ(chdir(SOURCE_DIR "/data"), 0);
  for (TextureSlot &slot : textures) slot.gl_name = 0;
  fake::gl.names_generated = 0;
  fake::push(SDL_QUIT);
  EXPECT_EQ(game_main(), 0);
  EXPECT_EQ(Ints({int(sdl.init_flags), sdl.cursor, sdl.mode_width, sdl.mode_height, sdl.mode_bpp, int(sdl.mode_flags)}),
            Ints({SDL_INIT_TIMER | SDL_INIT_VIDEO, SDL_DISABLE, 800, 600, 32, SDL_OPENGL}));
  EXPECT_EQ(std::string(sdl.caption) + "/" + sdl.icon_caption, "Quillary/SDL");
  EXPECT_EQ(0, std::memcmp(&video, &VIDEO_DEFAULTS, sizeof video));
  EXPECT_EQ(0, std::memcmp(&video_defaults, &VIDEO_DEFAULTS, sizeof video));
  EXPECT_EQ(fake::gl.names_generated, TEXTURE_SLOT_COUNT);
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) ASSERT_EQ(textures[slot].gl_name, slot + 1u);
  EXPECT_EQ(fake::gl_textures[FONT_TEXTURE_SLOT + 1].level[0].width, 512);
  EXPECT_EQ(fake::gl_textures[POINTER_TEXTURE_SLOT + 1].level[0].width, 32);
  EXPECT_EQ(Ints({fonts[0].view_width, fonts[0].view_height, fonts[0].texture_slot}), Ints({640, 480, FONT_TEXTURE_SLOT}));
  EXPECT_GT(fonts[0].advance['W'], fonts[0].advance['i']);
  EXPECT_STREQ(key_names[KEY_RIGHT], "Right");
  EXPECT_EQ(Ints({sdl.swaps, sdl.quits, sdl.quit_while_iconified}), Ints({1, 1, 1}));
}

// Only exactly 16 bits per pixel asks for 5-6-5 colour without alpha.
TEST_F(StartUp, ChannelSizesFollowTheColourDepthAndFullScreenAddsItsFlag) {
  const int cases[][5] = {{32, 8, 8, 8, 8}, {16, 5, 6, 5, 0}, {15, 8, 8, 8, 8}, {24, 8, 8, 8, 8}};
  for (const auto &c : cases) {
    video = {640, 480, c[0], 16, 0, 1};
    game_request_gl_attributes();
    EXPECT_EQ(Ints(sdl.gl_attributes, sdl.gl_attributes + SDL_GL_SWAP_CONTROL + 1),
              Ints({c[1], c[2], c[3], c[4], -1, 1, 16, 0, -1, -1, -1, -1, -1, -1, -1, -1, 1})) << c[0];
    EXPECT_TRUE(game_set_video_mode());
    EXPECT_EQ(sdl.mode_flags, SDL_OPENGL | SDL_FULLSCREEN);
  }
}

// Without SDL or a window there is nothing to play in: status 1, SDL shut
// down. Without the images the game runs all the same.
TEST_F(StartUp, StopsWithoutSdlOrAWindowButRunsWithoutImages) {
  const struct { int init; bool no_mode; int status, mode_sets, names, swaps; } cases[] = {
      {-1, false, 1, 0, 0, 0}, {0, true, 1, 1, 0, 0}, {0, false, 0, 1, TEXTURE_SLOT_COUNT, 1}};
  for (const auto &c : cases) {
    reset_engine_state();
    fake::init_result = c.init, fake::video_mode_fails = c.no_mode;
    fake::gl.names_generated = 0;
    fake::push(SDL_QUIT);  // the working folder is empty
    EXPECT_EQ(game_main(), c.status);
    EXPECT_EQ(Ints({sdl.mode_sets, fake::gl.names_generated, sdl.swaps, sdl.quits}), Ints({c.mode_sets, c.names, c.swaps, 1}));
    EXPECT_EQ(textures[FONT_TEXTURE_SLOT].width + textures[POINTER_TEXTURE_SLOT].width, 0);
  }
}

// The first two steps catch up in exact 10 ms increments, the third takes the
// clock as it is and a fourth runs only when the third took 10 ms.
TEST_F(EngineTest, StepPacingRunsWhatTheClockCallsFor) {
  const struct {
    uint32_t last_tick;
    std::initializer_list<uint32_t> clock;  // successive SDL_GetTicks readings
    int steps;
    uint32_t after;
  } cases[] = {
      {1000, {1009}, 0, 1000}, {1000, {1010, 1010}, 1, 1010}, {1000, {1025, 1025, 1025}, 2, 1020},
      {1000, {1045, 1045, 1045, 1045, 1045}, 3, 1045},
      {1000, {1050, 1050, 1050, 1050, 1062, 1062, 1063}, 4, 1062},
      {0xFFFFFFF8u, {0x10, 0x10, 0x10}, 2, 0x0C},  // the clock wrapped around
  };
  for (const auto &c : cases) {
    place(64.5f, 200);  // in the air: each step shows as a fall
    fake::script_ticks(c.clock);
    uint32_t last_tick = c.last_tick;
    EXPECT_EQ(game_run_steps(&last_tick), c.steps) << c.last_tick;
    EXPECT_EQ(last_tick, c.after) << c.last_tick;
    EXPECT_EQ(player.velocity.y, -GRAVITY * float(c.steps)) << c.last_tick;
  }
}

using MainLoop = EngineTest;

// Escape goes down before frame 3, a quit request before frame 5: that frame
// runs to its end, its steps included, and no later frame starts. The quit
// button that Escape presses lies left of the screen, out of the pointer's reach.
TEST_F(MainLoop, EscapeOrAQuitRequestEndsTheLoopAfterTheFrameThatSawIt) {
  for (bool escape : {true, false}) {
    reset_engine_state();
    fake::on_swap = escape ? +[](int swaps) {
      fake::ticks += 10;
      if (swaps == 2) fake::keys[SDLK_ESCAPE] = 1;
      if (swaps > 8) fake::push(SDL_QUIT);  // a guard, should Escape not end it
    } : +[](int swaps) {
      fake::ticks += 10;
      if (swaps == 4) fake::push(SDL_QUIT);
    };
    game_run();
    EXPECT_EQ(sdl.swaps, escape ? 3 : 5);
    EXPECT_NEAR(player.position.y, 130 - GRAVITY * float(escape ? 6 : 15), 1e-4f) << "falling";
    EXPECT_EQ(Floats({widgets[0].x + widgets[0].width, float(widget_count)}), Floats({-64, 1}));
  }
}

class World : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    game_init_world();
  }
};

// The border and a floor at row 128; the player starts above it and falls to
// rest, the camera staying; held Right then runs just under the top speed.
TEST_F(World, SetUpMapCameraAndPlayer) {
  for (int i = 0; i < TILE_COUNT; ++i) {
    const int x = i % MAP_SIZE, y = i / MAP_SIZE;
    ASSERT_EQ(tile_map.tiles[i], x % 255 == 0 || y % 255 == 0 || y == 128) << x << ", " << y;
  }
  const Camera start = {{64, 130, 12}, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}};
  const Player resting = {{64.5f, REST_Y}, {0, 0}, 1};
  for (int i = 0; i < 100; ++i) game_step();
  EXPECT_EQ(std::memcmp(&camera, &start, sizeof camera), 0);
  EXPECT_EQ(std::memcmp(&player, &resting, sizeof player), 0);
  hold(RIGHT);
  float lowest = 1, highest = 0;
  for (int step = 1; step <= 1200; ++step) {
    game_step();
    ASSERT_EQ(player.on_ground, 1) << step;
    if (step >= 100) lowest = std::fmin(lowest, player.velocity.x);
    highest = std::fmax(highest, player.velocity.x);
  }
  EXPECT_TRUE(lowest > 0.097f && highest < 0.101f) << lowest << " to " << highest;
}

// The whole map replaces the set-up one; any other version does not; a short
// file keeps the set-up tiles it does not hold in full; bytes beyond the
// layout are ignored.
TEST_F(World, LevelLoaderOnHandMadeFiles) {
  const Tiles set_up(tile_map.tiles, tile_map.tiles + TILE_COUNT);
  Tiles whole(TILE_COUNT, 0), short_map = set_up;
  whole[0] = 7, whole[MAP_SIZE * 200 + 17] = 0x01020304, whole[TILE_COUNT - 1] = -5;
  std::fill(short_map.begin(), short_map.begin() + 10, 9);
  const struct { int32_t version; Tiles tiles; std::string tail; const Tiles &expected; } cases[] = {
      {2, Tiles(TILE_COUNT, 7), "", set_up}, {1, whole, "", whole},
      {1, Tiles(10, 9), "\xff\xff", short_map}, {1, whole, std::string(12, '\xab'), whole}};
  game_load_level();  // no file
  EXPECT_TRUE(Tiles(tile_map.tiles, tile_map.tiles + TILE_COUNT) == set_up);
  for (const auto &c : cases) {
    std::copy(set_up.begin(), set_up.end(), tile_map.tiles);
    write_level(c.version, c.tiles, c.tail);
    game_load_level();
    EXPECT_TRUE(Tiles(tile_map.tiles, tile_map.tiles + TILE_COUNT) == c.expected) << &c - cases;
    EXPECT_EQ(current_file, nullptr);
  }
}

// One step with keys held from (x, y, vx, vy, on_ground) to (x1, y1, vx1, vy1);
// flags: 1 on the ground after, 2 the goal reached. (tx, ty) is solid if tx >= 0.
struct Step {
  const char *name;
  int tx, ty;
  float x, y, vx, vy;
  int ground, keys;
  float x1, y1, vx1, vy1;
  int flags;
};

// Off the floor: the speed limits are tested before adding; Space jumps only
// from the ground; the goal counts only inside its tile and before the
// probes; tiles are truncated toward zero, and nothing fires outside the grid.
// On the floor: the probes snap the player out of a block and stop it; the
// right foot reads the position the left foot left, so the feet differ.
TEST_F(World, OneStep) {
  constexpr float FAR = 1e9f, R = REST_Y, F2 = GROUND_FRICTION * GROUND_FRICTION;
  const Step cases[] = {
      {"no key", -1, 0, 5, 5, 0.05f, 0.01f, 0, NONE, 5.05f, 5.008f, 0.05f, 0.008f, 0},
      {"Right", -1, 0, 5, 5, 0, 0, 0, RIGHT, 5.003f, 4.998f, 0.003f, -0.002f, 0},
      {"both arrows", -1, 0, 5, 5, 0, 0, 0, BOTH, 5, 4.998f, 0, -0.002f, 0},
      {"Right below limit", -1, 0, 5, 5, 0.099f, 0, 0, RIGHT, 5.102f, 4.998f, 0.102f, -0.002f, 0},
      {"Right at the limit", -1, 0, 5, 5, 0.1f, 0, 0, RIGHT, 5.1f, 4.998f, 0.1f, -0.002f, 0},
      {"Left at the limit", -1, 0, 5, 5, -0.1f, 0, 0, LEFT, 4.9f, 4.998f, -0.1f, -0.002f, 0},
      {"both past right limit", -1, 0, 5, 5, 0.2f, 0, 0, BOTH, 5.197f, 4.998f, 0.197f, -0.002f, 0},
      {"Space in the air", -1, 0, 5, 5, 0, -0.05f, 0, SPACE, 5, 4.948f, 0, -0.052f, 0},
      {"a stale ground flag", -1, 0, 5, 5, 0, -0.05f, 1, NONE, 5, 4.948f, 0, -0.052f, 0},
      {"Space on the ground", -1, 0, 5, 5, 0, -0.05f, 1, SPACE, 5, 5.125f, 0, 0.125f, 0},
      {"goal, then a floor", 138, 133, 138.5f, 134, 0, -0.048f, 0, NONE, 138.5f, 134.5f, 0, 0, 3},
      {"left of goal", -1, 0, 137.95f, 133.502f, 0, 0, 0, NONE, 137.95f, 133.5f, 0, -0.002f, 0},
      {"right of goal", -1, 0, 139.05f, 133.502f, 0, 0, 0, NONE, 139.05f, 133.5f, 0, -0.002f, 0},
      {"above goal", -1, 0, 138.5f, 134.052f, 0, 0, 0, NONE, 138.5f, 134.05f, 0, -0.002f, 0},
      {"below goal", -1, 0, 138.5f, 132.952f, 0, 0, 0, NONE, 138.5f, 132.95f, 0, -0.002f, 0},
      {"head in column trunc(-0.2)", 0, 10, -0.2f, 9.3f, 0, 0.3f, 0, NONE, -0.2f, 9.5f, 0, 0, 0},
      {"column 256", 0, 101, 255.7f, 100.5f, 0, 0.1f, 0, NONE, 255.7f, 100.598f, 0, 0.098f, 0},
      {"row 256", -1, 0, 100.5f, 255.7f, 0, 0.1f, 0, NONE, 100.5f, 255.798f, 0, 0.098f, 0},
      {"far left", 0, 100, -FAR, 100.5f, 0, 0.1f, 0, NONE, -FAR, 100.598f, 0, 0.098f, 0},
      {"far below", 100, 0, 100.5f, -FAR, 0, 0.1f, 0, NONE, 100.5f, -FAR, 0, 0.098f, 0},
      {"head bump", 64, 130, 64.5f, R, 0, 0, 1, SPACE, 64.5f, R, 0, 0, 0},
      {"wall on the left", 60, 129, 61.55f, R, -0.1f, 0, 1, LEFT, 61.5f, R, 0, 0, 1},
      {"wall on the right", 70, 129, 69.45f, R, 0.09f, 0, 1, RIGHT, 69.5f, R, 0, 0, 1},
      {"right foot on it", 65, 129, 64.7f, R, 0.05f, 0, 1, NONE, 64.75f, R + 1, 0.05f * F2, 0, 1},
      {"left foot on it", 64, 129, 65.3f, R, -0.05f, 0, 1, NONE, 65.5f, R, 0, 0, 1},
      {"step of 0.103", 70, 129, 69.5f, R, 0.103f, 0, 1, NONE, 69.603f, R + 1, 0.103f * F2, 0, 1},
  };
  std::memset(&tile_map, 0, sizeof tile_map);
  for (const Step &c : cases) {
    if (std::strcmp(c.name, "head bump") == 0) game_init_world();  // the floor from here on
    if (c.tx >= 0) tile_map.tiles[MAP_SIZE * c.ty + c.tx] = 1;
    place(c.x, c.y, c.vx, c.vy, c.ground);
    goal_reached = 0;
    hold(c.keys);
    game_step();
    if (c.tx >= 0) tile_map.tiles[MAP_SIZE * c.ty + c.tx] = 0;
    const float got[] = {player.position.x, player.position.y, player.velocity.x, player.velocity.y};
    const float want[] = {c.x1, c.y1, c.vx1, c.vy1};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 2e-5f) << c.name << ", value " << i;
    EXPECT_EQ(player.on_ground + 2 * goal_reached, c.flags) << c.name;
  }
}

TEST_F(World, CameraFollowsOnlyBeyondTwoTilesPerAxis) {
  const float cases[][4] = {  // the player after the step, the camera following from (64, 130)
      {70, 130, 68, 130}, {60, 130, 62, 130}, {66, 130, 64, 130}, {62, 130, 64, 130},
      {64, 140, 64, 138}, {64, 120, 64, 122}, {80, 100, 78, 102}};
  for (const auto &c : cases) {
    camera.position = {64, 130, 12};
    place(c[0], c[1] + GRAVITY);
    game_step();
    EXPECT_EQ(Floats({camera.position.x, camera.position.y, camera.position.z}), Floats({c[2], c[3], 12})) << c[0];
  }
}

// Every solid tile, whatever its value, as an opaque untextured white square
// through the perspective camera, then the player centred on its position.
TEST_F(World, PictureShowsTheSolidTilesAndThenThePlayer) {
  Tiles tiles(TILE_COUNT, 0);
  const int solid[][2] = {{0, 0}, {66, 129}, {61, 136}, {3, 200}, {255, 255}};
  for (const auto &xy : solid) tiles[MAP_SIZE * xy[1] + xy[0]] = xy[0] == 61 ? -3 : 7;
  write_level(1, tiles);
  game_load_level();
  camera.position = {65, 131, 12};
  place(70.25f, 131.75f);
  glEnable(GL_BLEND), glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 77);
  game_draw_world();
  ASSERT_EQ(fake::quad_count, 6);
  for (int i = 0; i < 6; ++i) {
    const float x = i < 5 ? float(solid[i][0]) : 69.75f, y = i < 5 ? float(solid[i][1]) : 131.25f;
    EXPECT_EQ(span(quads[i]), world_span(x, y, x + 1, y + 1, 65, 131)) << x << ", " << y;
    EXPECT_EQ(Floats(quads[i].color, quads[i].color + 4), Floats(4, 1));
    EXPECT_TRUE(quads[i].texture == 0 && !quads[i].blend);
  }
}

}  // namespace
