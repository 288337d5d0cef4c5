// The level, the player and the camera: set-up, the level loader on hand-made
// files, the simulation step with its probes, and the drawing as recorded.
#include "app/world.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "files/streams.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/doubles.h"

namespace {

constexpr int TILE_COUNT = MAP_SIZE * MAP_SIZE;
constexpr int FLOOR_ROW = 128;    // the set-up floor
constexpr float REST_Y = 129.5f;  // the player's centre when standing on it
enum Keys { NONE = 0, LEFT = 1, RIGHT = 2, BOTH = 3, SPACE = 4 };
using Tiles = std::vector<int32_t>;
using Bytes = std::vector<unsigned char>;

int32_t &tile(int x, int y) { return tile_map.tiles[MAP_SIZE * y + x]; }
Tiles map() { return {tile_map.tiles, tile_map.tiles + TILE_COUNT}; }

void hold(int keys) {
  std::memset(key_state, 0, sizeof key_state);
  key_state[KEY_LEFT] = (keys & LEFT) != 0;
  key_state[KEY_RIGHT] = (keys & RIGHT) != 0;
  key_state[KEY_SPACE] = (keys & SPACE) != 0;
}

void place(float x, float y, float vx = 0, float vy = 0, int32_t on_ground = 0) {
  player = {{x, y}, {vx, vy}, on_ground};
}

// A level file: the version, then the tiles, little-endian byte by byte.
Bytes level_bytes(int32_t version, Tiles tiles) {
  tiles.insert(tiles.begin(), version);
  Bytes bytes;
  for (uint32_t bits : tiles) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back((bits >> shift) & 0xff);
  }
  return bytes;
}

void write_level(const Bytes &bytes) {
  std::ofstream file(LEVEL_FILE, std::ios::binary);
  file.write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

// Program-start state, with a fresh empty folder as the working directory.
class World : public ::testing::Test {
 protected:
  void SetUp() override {
    doubles_reset();
    std::memset(&tile_map, 0, sizeof tile_map);
    player = {};
    camera = {};
    goal_reached = 0;
    hold(NONE);
    file_select_byte_order();
    ASSERT_NE(getcwd(previous_folder, sizeof previous_folder), nullptr);
    ASSERT_NE(mkdtemp(folder), nullptr);
    ASSERT_EQ(chdir(folder), 0);
  }
  void TearDown() override {
    std::remove(LEVEL_FILE);
    EXPECT_EQ(chdir(previous_folder), 0);
    rmdir(folder);
  }
  char previous_folder[4096];
  char folder[32] = "/tmp/quillary-world-XXXXXX";
};

TEST_F(World, StartingPlayerLandsOnTheSetUpFloorAndRunsJustBelowTheTopSpeed) {
  place(1, 2, 0.05f, -0.01f, 1);
  camera.orientation.row[0] = {5, 5, 5};
  game_init_world();
  const Camera want_camera = {{64, 130, 12}, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}};
  EXPECT_EQ(std::memcmp(&camera, &want_camera, sizeof camera), 0);
  const Player want_player = {{64.5f, 130}, {0.05f, -0.01f}, 1};  // speed and flag untouched
  EXPECT_EQ(std::memcmp(&player, &want_player, sizeof player), 0);
  for (int i = 0; i < TILE_COUNT; ++i) {
    const int x = i % MAP_SIZE, y = i / MAP_SIZE;  // border and floor
    const bool solid = x % (MAP_SIZE - 1) == 0 || y % (MAP_SIZE - 1) == 0 || y == FLOOR_ROW;
    ASSERT_EQ(tile_map.tiles[i], solid ? 1 : 0) << "tile (" << x << ", " << y << ")";
  }
  // With no level file the player falls onto the floor; the camera stays.
  game_load_level();
  player = {{64.5f, 130}, {0, 0}, 0};
  for (int i = 0; i < 100; ++i) game_step();
  EXPECT_EQ(std::memcmp(&camera, &want_camera, sizeof camera), 0);
  const Player resting = {{64.5f, REST_Y}, {0, 0}, 1};
  EXPECT_EQ(std::memcmp(&player, &resting, sizeof player), 0);
  // Holding Right: one floor probe fires per step on flat ground, as the right
  // foot looks into the row the left foot's snap left it in, which is empty.
  hold(RIGHT);
  game_step();
  EXPECT_FLOAT_EQ(player.velocity.x, 0.002925f);
  float lowest = 1, highest = 0;
  for (int step = 2; step <= 1200; ++step) {
    game_step();
    ASSERT_EQ(player.on_ground, 1);
    lowest = std::fmin(lowest, step < 100 ? 1 : player.velocity.x);
    highest = std::fmax(highest, step < 100 ? 0 : player.velocity.x);
  }
  EXPECT_GT(lowest, 0.097f);
  EXPECT_LT(highest, 0.101f);
}

TEST_F(World, LevelLoaderOnHandMadeFiles) {
  game_init_world();
  const Tiles set_up = map();
  constexpr int HELD = 3 * MAP_SIZE + 10;  // the short file holds these tiles in full
  Tiles whole(TILE_COUNT, 0), short_map = set_up;  // whole replaces the border and floor too
  whole[0] = 7;
  whole[MAP_SIZE * 200 + 17] = 0x01020304;  // column 17, row 200: bytes 04 03 02 01
  whole[TILE_COUNT - 1] = -5;
  std::fill(short_map.begin(), short_map.begin() + HELD, 9);
  Bytes longer = level_bytes(1, whole), short_file = level_bytes(1, Tiles(HELD, 9));
  longer.insert(longer.end(), 12, 0xab);
  short_file.insert(short_file.end(), {0xff, 0xff});  // half of one more tile
  auto load = [&set_up](const Bytes &bytes) {  // over the set-up map; no bytes: no file
    std::copy(set_up.begin(), set_up.end(), tile_map.tiles);
    std::remove(LEVEL_FILE);
    if (!bytes.empty()) write_level(bytes);
    game_load_level();
    EXPECT_EQ(current_file, nullptr);
    return map();
  };
  EXPECT_TRUE(load({}) == set_up) << "missing";
  EXPECT_TRUE(load(level_bytes(2, Tiles(TILE_COUNT, 7))) == set_up) << "version 2";
  EXPECT_TRUE(load(level_bytes(1, whole)) == whole) << "whole map, first tile 7";
  EXPECT_TRUE(load(short_file) == short_map) << "short";
  EXPECT_TRUE(load(longer) == whole) << "bytes beyond the layout";
}

// From the set-up floor, beside and in the goal column. Space stays held: it
// does nothing in the air and jumps again on the first step after landing.
TEST_F(World, JumpRisesToTheGoalRowAndLandsAfter127Steps) {
  for (float x : {137.5f, 138.5f}) {
    SCOPED_TRACE(x);
    game_init_world();
    place(x, REST_Y, 0, 0, 1);
    hold(SPACE);
    float top = REST_Y;
    int step = 1;
    for (; step <= 200; ++step) {
      const float before = player.position.y;
      game_step();
      if (player.on_ground) break;
      EXPECT_TRUE(step > 1 || player.position.y == REST_Y + JUMP_SPEED);
      ASSERT_NEAR(player.position.y - before, 0.125f - 0.002f * (step - 1), 1e-4f) << step;
      top = std::fmax(top, player.position.y);
      ASSERT_EQ(goal_reached, x == 138.5f && top >= GOAL_TILE_Y ? 1 : 0) << step;
    }
    EXPECT_NEAR(top, REST_Y + 3.969f, 1e-3f);  // 133.47 from the floor at row 128
    EXPECT_EQ(step, 127);
    EXPECT_EQ(player.position.y, REST_Y);
    game_step();
    EXPECT_EQ(player.velocity.y, JUMP_SPEED);
    EXPECT_EQ(player.on_ground, 0);
  }
}

// One step with keys held from (x, y, vx, vy, on_ground) to (x1, y1, vx1, vy1)
// and flags: 1 on the ground, 2 the goal reached. (tx, ty) is solid if tx >= 0.
struct Step { const char *name; int tx, ty; float x, y, vx, vy; int ground, keys;
              float x1, y1, vx1, vy1; int flags; };

void expect_step(const Step &c) {
  SCOPED_TRACE(c.name);
  if (c.tx >= 0) tile(c.tx, c.ty) = 1;
  place(c.x, c.y, c.vx, c.vy, c.ground);
  goal_reached = 0;
  hold(c.keys);
  game_step();
  if (c.tx >= 0) tile(c.tx, c.ty) = 0;
  const float got[] = {player.position.x, player.position.y, player.velocity.x, player.velocity.y};
  const float want[] = {c.x1, c.y1, c.vx1, c.vy1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(got[i] == want[i] || std::fabs(got[i] - want[i]) < 2e-5f) << i << ": " << got[i];
  }
  EXPECT_EQ(player.on_ground, c.flags & 1);
  EXPECT_EQ(goal_reached, c.flags >> 1);
}

// On an empty map: run, gravity and jump in the air (strict speed limits
// tested before adding, each arrow on its own, no jump off the ground); the
// goal tested before the probes, only inside its tile; tile indices truncated
// toward zero; nothing firing outside the grid.
TEST_F(World, OneStep) {
  constexpr float FAR = 1e9f;
  const Step cases[] = {
      {"no key", -1, 0, 5, 5, 0.05f, 0.01f, 0, NONE, 5.05f, 5.008f, 0.05f, 0.008f, 0},
      {"Right", -1, 0, 5, 5, 0, 0, 0, RIGHT, 5.003f, 4.998f, 0.003f, -0.002f, 0},
      {"both arrows", -1, 0, 5, 5, 0, 0, 0, BOTH, 5, 4.998f, 0, -0.002f, 0},
      {"Right below limit", -1, 0, 5, 5, 0.099f, 0, 0, RIGHT, 5.102f, 4.998f, 0.102f, -0.002f, 0},
      {"Right at the limit", -1, 0, 5, 5, 0.1f, 0, 0, RIGHT, 5.1f, 4.998f, 0.1f, -0.002f, 0},
      {"Left at the limit", -1, 0, 5, 5, -0.1f, 0, 0, LEFT, 4.9f, 4.998f, -0.1f, -0.002f, 0},
      {"Left at right limit", -1, 0, 5, 5, 0.1f, 0, 0, LEFT, 5.097f, 4.998f, 0.097f, -0.002f, 0},
      {"both past right limit", -1, 0, 5, 5, 0.2f, 0, 0, BOTH, 5.197f, 4.998f, 0.197f, -0.002f, 0},
      {"both at left limit", -1, 0, 5, 5, -0.1f, 0, 0, BOTH, 4.903f, 4.998f, -0.097f, -0.002f, 0},
      {"Space in the air", -1, 0, 5, 5, 0, -0.05f, 0, SPACE, 5, 4.948f, 0, -0.052f, 0},
      {"a stale ground flag", -1, 0, 5, 5, 0, -0.05f, 1, NONE, 5, 4.948f, 0, -0.052f, 0},
      {"Space on the ground", -1, 0, 5, 5, 0, -0.05f, 1, SPACE, 5, 5.125f, 0, 0.125f, 0},
      {"goal, then a floor", 138, 133, 138.5f, 134, 0, -0.048f, 0, NONE, 138.5f, 134.5f, 0, 0, 3},
      {"left of goal", -1, 0, 137.95f, 133.502f, 0, 0, 0, NONE, 137.95f, 133.5f, 0, -0.002f, 0},
      {"right of goal", -1, 0, 139.05f, 133.502f, 0, 0, 0, NONE, 139.05f, 133.5f, 0, -0.002f, 0},
      {"below goal", -1, 0, 138.5f, 132.952f, 0, 0, 0, NONE, 138.5f, 132.95f, 0, -0.002f, 0},
      {"above goal", -1, 0, 138.5f, 134.052f, 0, 0, 0, NONE, 138.5f, 134.05f, 0, -0.002f, 0},
      {"head in column trunc(-0.2)", 0, 10, -0.2f, 9.3f, 0, 0.3f, 0, NONE, -0.2f, 9.5f, 0, 0, 0},
      {"column 256", 0, 101, 255.7f, 100.5f, 0, 0.1f, 0, NONE, 255.7f, 100.598f, 0, 0.098f, 0},
      {"row 256", -1, 0, 100.5f, 255.7f, 0, 0.1f, 0, NONE, 100.5f, 255.798f, 0, 0.098f, 0},
      {"column -1", 0, 100, -1.5f, 100.5f, 0, 0.1f, 0, NONE, -1.5f, 100.598f, 0, 0.098f, 0},
      {"far left", 0, 100, -FAR, 100.5f, 0, 0.1f, 0, NONE, -FAR, 100.598f, 0, 0.098f, 0},
      {"far below", 100, 0, 100.5f, -FAR, 0, 0.1f, 0, NONE, 100.5f, -FAR, 0, 0.098f, 0},
  };
  for (const Step &c : cases) expect_step(c);

  // On the set-up floor: a tile two rows up stops a jump in the step it
  // starts; the side probes put the player's edge on a block's face and stop
  // it. The feet are not mirror images: the right foot reads y after the left
  // foot's snap, looks into the body's row and lifts the player onto a block
  // there (friction twice); the left foot does not. A step of more than 0.1
  // gets the right foot into a block before the side probe pushes it out.
  game_init_world();
  constexpr float R = REST_Y, F2 = GROUND_FRICTION * GROUND_FRICTION;
  const Step on_floor[] = {
      {"head bump", 64, 130, 64.5f, R, 0, 0, 1, SPACE, 64.5f, R, 0, 0, 0},
      {"and landing", 64, 130, 64.5f, R, 0, 0, 0, NONE, 64.5f, R, 0, 0, 1},
      {"wall on the left", 60, 129, 61.55f, R, -0.1f, 0, 1, LEFT, 61.5f, R, 0, 0, 1},
      {"wall on the right", 70, 129, 69.45f, R, 0.09f, 0, 1, RIGHT, 69.5f, R, 0, 0, 1},
      {"right foot on it", 65, 129, 64.7f, R, 0.05f, 0, 1, NONE, 64.75f, R + 1, 0.05f * F2, 0, 1},
      {"left foot on it", 64, 129, 65.3f, R, -0.05f, 0, 1, NONE, 65.5f, R, 0, 0, 1},
      {"step of 0.097", 70, 129, 69.5f, R, 0.097f, 0, 1, NONE, 69.5f, R, 0, 0, 1},
      {"step of 0.103", 70, 129, 69.5f, R, 0.103f, 0, 1, NONE, 69.603f, R + 1, 0.103f * F2, 0, 1},
  };
  for (const Step &c : on_floor) expect_step(c);
}

TEST_F(World, CameraFollowsOnlyBeyondTwoTilesPerAxis) {
  const float cases[][4] = {  // the player after the step, the camera following from (64, 130)
      {70, 130, 68, 130}, {60, 130, 62, 130}, {66, 130, 64, 130}, {62, 130, 64, 130},
      {64, 140, 64, 138}, {64, 120, 64, 122}, {80, 100, 78, 102},
  };
  for (const auto &c : cases) {
    camera.position = {64, 130, 12};
    place(c[0], c[1] + GRAVITY);  // gravity brings it to c[1]
    game_step();
    EXPECT_FLOAT_EQ(camera.position.x, c[2]) << c[0] << ", " << c[1];
    EXPECT_FLOAT_EQ(camera.position.y, c[3]) << c[0] << ", " << c[1];
    EXPECT_EQ(camera.position.z, 12);
  }
}

// Every solid tile, whatever its value, row by row from the bottom, then the
// player centred on its position; blending off first.
TEST_F(World, DrawsTheSolidTilesRowByRowAndThenThePlayer) {
  Tiles tiles(TILE_COUNT, 0);
  const int solid[][2] = {{0, 0}, {200, 3}, {7, 40}, {3, 200}, {255, 255}};
  for (const auto &xy : solid) tiles[MAP_SIZE * xy[1] + xy[0]] = xy[0] == 7 ? -3 : 7;
  write_level(level_bytes(1, tiles));
  game_init_world();
  game_load_level();
  place(70.25f, 131.75f);
  game_draw_world();

  EXPECT_EQ(call_text(recorded_calls[0]), "glDisable(3042)");  // GL_BLEND
  const int frustum = call_index("glFrustum"), translate = call_index("glTranslatef");
  ASSERT_GE(frustum, 0);
  EXPECT_EQ(call_text(recorded_calls[frustum]),
            "glFrustum(-0.25, 0.25, -0.1875, 0.1875, 0.25, 1024)");
  ASSERT_GT(translate, frustum);
  EXPECT_EQ(call_text(recorded_calls[translate]), "glTranslatef(-64, -130, -12)");
  std::vector<std::string> want;
  auto white_quad = [&want](double x, double y) {  // untextured, opaque, 1 by 1 from (x, y)
    want.insert(want.end(), {"glDisable(3553)", "glBegin(7)", "glColor4f(1, 1, 1, 1)"});
    for (const auto &corner : {std::pair{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}}) {
      char text[64];
      std::snprintf(text, sizeof text, "glVertex2f(%.9g, %.9g)", corner.first, corner.second);
      want.push_back(text);
    }
    want.insert(want.end(), {"glEnd()", "glEnable(3553)"});
  };
  for (const auto &xy : solid) white_quad(xy[0], xy[1]);
  white_quad(69.75, 131.25);
  EXPECT_EQ(call_texts(translate + 1), want);
}

}  // namespace
