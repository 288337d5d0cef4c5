// The game shell against the doubles: start-up and shut-down, the main loop's
// frames and steps, and the world: level file, player, camera and picture.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <span>

#include "gallery/gallery.h"
#include "tests/support/engine_test.h"

namespace {

using fake::sdl;
using Tiles = std::vector<int32_t>;
constexpr int TILE_COUNT = MAP_SIZE * MAP_SIZE;
constexpr float REST_Y = 129.5f;  // the player's centre standing on the set-up floor, row 128
enum Keys { NONE = 0, LEFT = 1, RIGHT = 2, BOTH = 3, SPACE = 4 };

void place(float x, float y, float vx = 0, float vy = 0, int32_t on_ground = 0) {
  player = {{x, y}, {vx, vy}, on_ground};
}

// The level file: the version, then the tiles, each a little-endian int32.
void write_level(int32_t version, const Tiles &tiles, const std::string &tail = "") {
  std::ofstream file(LEVEL_FILE, std::ios::binary);
  for (size_t i = 0; i <= tiles.size(); ++i)
    for (int shift = 0; shift < 32; shift += 8) file.put(char(uint32_t(i ? tiles[i - 1] : version) >> shift));
  file << tail;
}

// Where the world's unit square with its lower left corner at (x, y) lands in
// the 800 by 600 window with the camera at (65, 131): 24 tiles across, 18 down.
Floats square_span(float x, float y) {
  const float tile = 100.0f / 3, left = 400 + (x - 65) * tile, top = 300 - (y - 130) * tile;
  return span(left, top, left + tile, top + tile);
}

using StartUp = EngineTest;

// In the data folder: SDL, the window in the default mode, the texture names
// (before either image is uploaded under its own slot's name), font 0 and its
// view, the pointer, the key names; then the game; then the window is
// minimised and SDL shut down. What start-up sets starts out empty here.
TEST_F(StartUp, BringsTheGameUpWithItsImagesAndShutsDownMinimisedFirst) {
  ASSERT_EQ(chdir(SOURCE_DIR "/data"), 0);
  for (TextureSlot &slot : textures) slot.gl_name = 0;
  fake::gl.names_generated = 0;
  video = {}, fonts[0] = {};
  fake::push(SDL_QUIT);
  EXPECT_EQ(game_main(), 0);
  EXPECT_EQ(Ints({int(sdl.init_flags), sdl.cursor, sdl.gl_attributes[SDL_GL_DOUBLEBUFFER], sdl.mode_width,
                  sdl.mode_height, int(sdl.mode_flags), sdl.swaps, sdl.quits, sdl.quit_while_iconified}),
            Ints({SDL_INIT_VIDEO, SDL_DISABLE, 1, 800, 600, SDL_OPENGL, 1, 1, 1}));
  EXPECT_EQ(std::string(sdl.caption) + "/" + sdl.icon_caption, "Quillary/SDL");
  EXPECT_EQ(0, std::memcmp(&video_defaults, &VIDEO_DEFAULTS, sizeof video_defaults));
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) ASSERT_EQ(textures[slot].gl_name, slot + 1u);
  auto uploaded = [](int slot) { return fake::gl_textures[slot + 1].level[0].width; };  // under its name
  EXPECT_EQ(Ints({uploaded(FONT_TEXTURE_SLOT), uploaded(POINTER_TEXTURE_SLOT), fonts[0].view_width,
                  fonts[0].view_height, fonts[0].texture_slot}), Ints({512, 32, 640, 480, FONT_TEXTURE_SLOT}));
  EXPECT_GT(fonts[0].advance['W'], fonts[0].advance['i']);
  // The font file is grey and alpha; it must arrive as white with its alpha.
  const uint32_t *font = textures[FONT_TEXTURE_SLOT].pixels[0];
  EXPECT_TRUE(std::all_of(font, font + 512 * 512, [](uint32_t p) { return (p | gfx_alpha_mask()) == ~0u; }));
  EXPECT_GT(std::count(font, font + 512 * 512, ~0u), 32 * 32);  // glyph ink besides cell 0
  EXPECT_STREQ(key_names[KEY_RIGHT], "Right");
}

// Only exactly 16 bits per pixel asks for 5-6-5 colour without alpha; the
// mode takes the depth asked for, and full screen adds its flag.
TEST_F(StartUp, ChannelSizesFollowTheColourDepthAndFullScreenAddsItsFlag) {
  const int cases[][5] = {{32, 8, 8, 8, 8}, {16, 5, 6, 5, 0}, {15, 8, 8, 8, 8}, {24, 8, 8, 8, 8}};
  for (const auto &c : cases) {
    video = {640, 480, c[0], 16, 4, 1};
    game_request_gl_attributes();
    EXPECT_EQ(Ints(sdl.gl_attributes, sdl.gl_attributes + SDL_GL_SWAP_CONTROL + 1),
              Ints({c[1], c[2], c[3], c[4], -1, 1, 16, 4, -1, -1, -1, -1, -1, -1, -1, -1, 1})) << c[0];
    EXPECT_TRUE(game_set_video_mode());
    EXPECT_EQ(Ints({sdl.mode_bpp, int(sdl.mode_flags)}), Ints({c[0], int(SDL_OPENGL | SDL_FULLSCREEN)}));
  }
}

// Without SDL or a window there is nothing to play in: status 1, SDL shut
// down. Without the images the game runs all the same.
TEST_F(StartUp, StopsWithoutSdlOrAWindowButRunsWithoutImages) {
  const struct { int init; bool no_mode; int status, mode_sets, names, swaps; } cases[] = {
      {-1, false, 1, 0, 0, 0}, {0, true, 1, 1, 0, 0}, {0, false, 0, 1, TEXTURE_SLOT_COUNT, 1}};
  for (const auto &c : cases) {
    reset_engine_state();
    platform.init_result = c.init, platform.video_mode_fails = c.no_mode;
    fake::gl.names_generated = 0;
    fake::push(SDL_QUIT);  // the working folder is empty
    EXPECT_EQ(game_main(), c.status);
    EXPECT_EQ(Ints({sdl.mode_sets, fake::gl.names_generated, sdl.swaps, sdl.quits}),
              Ints({c.mode_sets, c.names, c.swaps, 1}));
  }
}

using MainLoop = EngineTest;

// The first two steps catch up in exact 10 ms increments, the third takes the
// clock as it is and a fourth runs only when the third took 10 ms; no fifth.
// The clock may wrap around in between.
TEST_F(MainLoop, StepPacingRunsWhatTheClockCallsFor) {
  // last_tick before, the successive SDL_GetTicks readings, the steps run, last_tick after
  struct Pacing { uint32_t last_tick; std::initializer_list<uint32_t> clock; int steps; uint32_t after; };
  const Pacing cases[] = {
      {1000, {1009}, 0, 1000}, {1000, {1010, 1010}, 1, 1010}, {1000, {1025, 1025, 1025}, 2, 1020},
      {1000, {1045, 1045, 1045, 1045, 1045}, 3, 1045}, {0xFFFFFFF8u, {0x10, 0x10, 0x10}, 2, 0x0C},
      {1000, {1050, 1050, 1050, 1050, 1062, 1062, 1075}, 4, 1062}};
  for (const Pacing &c : cases) {
    place(64.5f, 200);  // in the air: each step shows as a fall
    fake::script_ticks(c.clock);
    uint32_t last_tick = c.last_tick;
    EXPECT_EQ(game_run_steps(&last_tick), c.steps) << c.last_tick;
    EXPECT_EQ(last_tick, c.after) << c.last_tick;
    EXPECT_EQ(player.velocity.y, -GRAVITY * float(c.steps)) << c.last_tick;
  }
}

// Escape goes down before frame 3, a quit request before frame 5: that frame
// runs to its end, its steps included, and no later frame starts. The quit
// button that Escape presses lies left of the screen, out of the pointer's reach.
TEST_F(MainLoop, EscapeOrAQuitRequestEndsTheLoopAfterTheFrameThatSawIt) {
  static bool escape;  // for the swap hook, which can capture nothing
  static int drawn_at_swap;
  for (bool by_escape : {true, false}) {
    reset_engine_state();
    escape = by_escape;
    platform.on_swap = [](int swaps) {
      platform.ticks += 10;
      drawn_at_swap = fake::quad_count;
      if (escape && swaps == 2) platform.keys[SDLK_ESCAPE] = 1;
      if (!escape && swaps == 4) fake::push(SDL_QUIT);
    };
    game_run();
    EXPECT_EQ(sdl.swaps, escape ? 3 : 5);
    EXPECT_NEAR(player.position.y, 130 - GRAVITY * float(escape ? 6 : 15), 1e-4f) << "falling";
    EXPECT_EQ(Floats({widgets[0].x + widgets[0].width, float(widget_count)}), Floats({-64, 1}));
    for (int i = 1; i <= 5; ++i) EXPECT_LE(fake::quads[drawn_at_swap - i].right(), 0) << "the quit button, unseen";
  }
}

using World = EngineTest;

// The border and a floor at row 128; the player starts above it and falls to
// rest, the camera staying.
TEST_F(World, SetUpMapCameraAndPlayer) {
  game_init_world();
  for (int i = 0; i < TILE_COUNT; ++i) {
    const int x = i % MAP_SIZE, y = i / MAP_SIZE;
    ASSERT_EQ(tile_map.tiles[i], x % 255 == 0 || y % 255 == 0 || y == 128) << x << ", " << y;
  }
  const Camera start = {{64, 130, 12}, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}};
  const Player resting = {{64.5f, REST_Y}, {0, 0}, 1};
  for (int i = 0; i < 100; ++i) game_step();
  EXPECT_EQ(std::memcmp(&camera, &start, sizeof camera), 0);
  EXPECT_EQ(std::memcmp(&player, &resting, sizeof player), 0);
}

// The whole map replaces the set-up one; no file, a FIFO (at once, neither
// waiting for a writer nor reading what one left) or any other version does
// not; a short file keeps the set-up tiles it does not hold in full; bytes
// beyond the layout are ignored.
TEST_F(World, LevelLoaderOnHandMadeFiles) {
  game_init_world();
  const Tiles set_up(tile_map.tiles, tile_map.tiles + TILE_COUNT);
  Tiles whole(TILE_COUNT, 0), short_map = set_up;
  whole[0] = 7, whole[MAP_SIZE * 200 + 17] = 0x01020304, whole[TILE_COUNT - 1] = -5;
  std::fill(short_map.begin(), short_map.begin() + 10, 9);
  const struct { int32_t version; Tiles tiles; std::string tail; const Tiles &expected; } cases[] = {
      {0, {}, "", set_up}, {2, Tiles(TILE_COUNT, 7), "", set_up}, {1, whole, "", whole},
      {1, Tiles(10, 9), "\xff\xff", short_map}, {1, whole, std::string(12, '\xab'), whole}, {-1, {}, "", set_up}};
  for (const auto &c : cases) {
    std::copy(set_up.begin(), set_up.end(), tile_map.tiles);
    if (c.version > 0) write_level(c.version, c.tiles, c.tail);  // version 0: no file
    int fifo = -1;  // version -1: a FIFO in the file's place, a level's start waiting in it
    if (c.version < 0) {
      ASSERT_EQ(unlink(LEVEL_FILE) + mkfifo(LEVEL_FILE, 0600), 0);
      fifo = open(LEVEL_FILE, O_RDWR);  // Linux: never blocks, and keeps the FIFO's data for the reader
      ASSERT_EQ(write(fifo, "\1\0\0\0\7\0\0\0", 8), 8);
    }
    game_load_level();
    if (fifo >= 0) close(fifo);
    EXPECT_TRUE(Tiles(tile_map.tiles, tile_map.tiles + TILE_COUNT) == c.expected) << &c - cases;
    EXPECT_EQ(current_file, nullptr);
  }
}

// One step with keys held and on_ground set, from the player's (x, y, vx, vy)
// to (x1, y1, vx1, vy1); flags: 1 on the ground after, 2 the goal reached.
// (tx, ty) is solid if tx >= 0.
struct Step {
  const char *name;
  int tx, ty, ground, keys;
  float from[4], to[4];
  int flags;
};

// Off the floor: the speed limits are tested before adding, left before
// right; Space jumps only from the ground; the goal counts only inside its
// tile and before the probes; tiles are truncated toward zero, and nothing
// fires outside the grid. On the floor: the probes snap the player out of a
// block and stop it; the right foot reads the position the left foot left, so
// the feet differ.
TEST_F(World, OneStep) {
  constexpr float FAR = 1e9f, R = REST_Y, F2 = GROUND_FRICTION * GROUND_FRICTION;
  const Step cases[] = {
      {"Right below the limit", -1, 0, 0, RIGHT, {5, 5, 0.099f, 0}, {5.102f, 4.998f, 0.102f, -0.002f}, 0},
      {"Right at the limit", -1, 0, 0, RIGHT, {5, 5, 0.1f, 0}, {5.1f, 4.998f, 0.1f, -0.002f}, 0},
      {"Left at the limit", -1, 0, 0, LEFT, {5, 5, -0.1f, 0}, {4.9f, 4.998f, -0.1f, -0.002f}, 0},
      {"both at the right limit", -1, 0, 0, BOTH, {5, 5, 0.1f, 0}, {5.1f, 4.998f, 0.1f, -0.002f}, 0},
      {"Space in the air", -1, 0, 0, SPACE, {5, 5, 0, -0.05f}, {5, 4.948f, 0, -0.052f}, 0},
      {"a stale ground flag", -1, 0, 1, NONE, {5, 5, 0, -0.05f}, {5, 4.948f, 0, -0.052f}, 0},
      {"Space on the ground", -1, 0, 1, SPACE, {5, 5, 0, -0.05f}, {5, 5.125f, 0, 0.125f}, 0},
      {"goal, then a floor", 138, 133, 0, NONE, {138.5f, 134, 0, -0.048f}, {138.5f, 134.5f, 0, 0}, 3},
      {"left of goal", -1, 0, 0, NONE, {137.95f, 133.502f, 0, 0}, {137.95f, 133.5f, 0, -0.002f}, 0},
      {"right of goal", -1, 0, 0, NONE, {139.05f, 133.502f, 0, 0}, {139.05f, 133.5f, 0, -0.002f}, 0},
      {"above goal", -1, 0, 0, NONE, {138.5f, 134.052f, 0, 0}, {138.5f, 134.05f, 0, -0.002f}, 0},
      {"below goal", -1, 0, 0, NONE, {138.5f, 132.952f, 0, 0}, {138.5f, 132.95f, 0, -0.002f}, 0},
      {"head in column trunc(-0.2)", 0, 10, 0, NONE, {-0.2f, 9.3f, 0, 0.3f}, {-0.2f, 9.5f, 0, 0}, 0},
      {"column 256", 0, 101, 0, NONE, {255.7f, 100.5f, 0, 0.1f}, {255.7f, 100.598f, 0, 0.098f}, 0},
      {"far left", 255, 99, 0, NONE, {-FAR, 100.5f, 0, 0.1f}, {-FAR, 100.598f, 0, 0.098f}, 0},
      {"far below", 100, 0, 0, NONE, {100.5f, -FAR, 0, 0.1f}, {100.5f, -FAR, 0, 0.098f}, 0},
      {"wall on the right", 70, 129, 1, RIGHT, {69.45f, R, 0.09f, 0}, {69.5f, R, 0, 0}, 1},
      {"right foot on it", 65, 129, 1, NONE, {64.7f, R, 0.05f, 0}, {64.75f, R + 1, 0.05f * F2, 0}, 1},
      {"left foot on it", 64, 129, 1, NONE, {65.3f, R, -0.05f, 0}, {65.5f, R, 0, 0}, 1},
  };
  for (const Step &c : cases) {
    reset_engine_state();
    if (c.from[1] == R) game_init_world();  // the set-up floor under those that start at rest on it
    if (c.tx >= 0) tile_map.tiles[MAP_SIZE * c.ty + c.tx] = 1;
    place(c.from[0], c.from[1], c.from[2], c.from[3], c.ground);
    key_state[KEY_LEFT] = (c.keys & LEFT) != 0;
    key_state[KEY_RIGHT] = (c.keys & RIGHT) != 0;
    key_state[KEY_SPACE] = (c.keys & SPACE) != 0;
    game_step();
    const float got[] = {player.position.x, player.position.y, player.velocity.x, player.velocity.y};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], c.to[i], 2e-5f) << c.name << ", value " << i;
    EXPECT_EQ(player.on_ground + 2 * goal_reached, c.flags) << c.name;
  }
}

// Per axis, the camera stays while the player is within two tiles of it and,
// past that, follows only by the excess.
TEST_F(World, CameraFollowsOnlyBeyondTwoTilesPerAxis) {
  const float cases[][4] = {  // the player after the step, the camera following from (64, 130)
      {80, 100, 78, 102}, {60, 140, 62, 138}, {66, 128, 64, 130}, {62, 132, 64, 130}};
  for (const auto &c : cases) {
    camera.position = {64, 130, 12};
    place(c[0], c[1] + GRAVITY);
    game_step();
    EXPECT_EQ(Floats({camera.position.x, camera.position.y}), Floats({c[2], c[3]})) << c[0];
  }
}

// Every solid tile, whatever its value, as an opaque untextured white square
// through the perspective camera, then the player centred on its position.
TEST_F(World, PictureShowsTheSolidTilesAndThenThePlayer) {
  const int solid[][2] = {{0, 0}, {66, 129}, {61, 136}, {3, 200}, {255, 255}};
  for (const auto &xy : solid) tile_map.tiles[MAP_SIZE * xy[1] + xy[0]] = xy[0] == 61 ? -3 : 7;
  camera = {{65, 131, 12}, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}};
  place(70.25f, 131.75f);
  glEnable(GL_BLEND), glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 77);
  game_draw_world();
  gfx_flush_quads();
  ASSERT_EQ(fake::quad_count, 6);
  for (int i = 0; i < 6; ++i) {
    const float x = i < 5 ? float(solid[i][0]) : 69.75f, y = i < 5 ? float(solid[i][1]) : 131.25f;
    EXPECT_EQ(span(fake::quads[i]), square_span(x, y)) << x << ", " << y;
    EXPECT_EQ(Floats(fake::quads[i].color, fake::quads[i].color + 4), Floats(4, 1));
    EXPECT_TRUE(fake::quads[i].texture == 0 && !fake::quads[i].blend);
  }
}

// Everything drawn since the colour was cleared, in drawing order: each quad's
// corners (place, texture coordinates, colour), texture and blending, and
// each line with its place among the quads.
Floats picture() {
  Floats all;
  for (const fake::GlQuad &q : std::span(fake::quads, size_t(fake::quad_count))) {
    for (const fake::GlCorner &c : q.corner) all.insert(all.end(), {c.x, c.y, c.s, c.t, c.color[0], c.color[1], c.color[2], c.color[3]});
    all.insert(all.end(), {float(q.texture), float(q.blend), float(q.blend_src), float(q.blend_dst)});
  }
  for (const fake::GlLine &l : std::span(fake::lines, size_t(fake::line_count)))
    all.insert(all.end(), {l.end[0].x, l.end[0].y, l.end[1].x, l.end[1].y, l.color[3], float(l.textured), float(l.quads_before)});
  return all;
}

int batching, program;  // QUILLARY_BATCHING=1 or 0; the game or the gallery
Floats shown[2][4];     // by batching: the world, the goal's message, two gallery frames

void keep_frames(int frame) {
  if (frame == 3) shown[batching][2 * program] = picture(), goal_reached = 1;
  if (frame == 5) shown[batching][2 * program + 1] = picture(), fake::push(SDL_QUIT);
}

// Batches draw, by the time of each swap, just what quads sent one by one
// draw, only in fewer calls: the world of the shipped level, the goal's
// message and the gallery, which switches texturing, textures and blending
// and draws outlines between its quads, its pointer on a button.
TEST_F(EngineTest, BatchesDrawWhatQuadByQuadDrawsInFewerCalls) {
  ASSERT_EQ(chdir(SOURCE_DIR "/data"), 0);
  long calls[2] = {};
  for (batching = 0; batching < 2; ++batching) {
    setenv("QUILLARY_BATCHING", batching ? "0" : "1", 1);
    for (program = 0; program < 2; ++program) {
      reset_engine_state();
      platform.on_swap = keep_frames, platform.mouse_x = 162, platform.mouse_y = 80;
      EXPECT_EQ(program ? (gallery_reset(), gallery_main()) : game_main(), 0);
      calls[batching] += fake::gl.draw_calls;
    }
  }
  unsetenv("QUILLARY_BATCHING");
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(shown[0][i].size() > 300 && shown[0][i] == shown[1][i]) << i;
  EXPECT_GT(shown[0][0].size(), 36u * 2000) << "the level's tiles";
  EXPECT_LT(calls[0] * 10, calls[1]);
}

}  // namespace
