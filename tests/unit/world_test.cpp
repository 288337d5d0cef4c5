// The level, the player and the camera: world set-up, the level loader on
// hand-made files, every part of a simulation step in its order, and the
// drawing of the world through the GL recorder.
#include "app/world.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "files/streams.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/doubles.h"

namespace {

constexpr int TILE_COUNT = MAP_SIZE * MAP_SIZE;
constexpr int FLOOR_ROW = 128;                        // the set-up floor
constexpr float REST_Y = 129.5f;                      // the player's centre when standing on it
constexpr int SET_UP_SOLID_TILES = 5 * MAP_SIZE - 6;  // three rows and two columns, crossings once

int32_t &tile(int x, int y) { return tile_map.tiles[MAP_SIZE * y + x]; }

void hold(bool left, bool right, bool space) {
  std::memset(key_state, 0, sizeof key_state);
  key_state[KEY_LEFT] = left;
  key_state[KEY_RIGHT] = right;
  key_state[KEY_SPACE] = space;
}

void place(float x, float y, float vx = 0, float vy = 0, int32_t on_ground = 0) {
  player.position = {x, y};
  player.velocity = {vx, vy};
  player.on_ground = on_ground;
}

void steps(int count) {
  for (int i = 0; i < count; ++i) game_step();
}

// A level file's bytes: the version, then the tiles, little-endian, written
// out byte by byte.
std::vector<unsigned char> level_bytes(int32_t version, const std::vector<int32_t> &tiles) {
  std::vector<unsigned char> bytes;
  auto put = [&bytes](int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back((bits >> shift) & 0xff);
  };
  put(version);
  for (int32_t value : tiles) put(value);
  return bytes;
}

void write_file(const char *name, const std::vector<unsigned char> &bytes) {
  FILE *file = std::fopen(name, "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

class World : public ::testing::Test {
 protected:
  // Program-start state, in a fresh empty folder as working directory.
  void SetUp() override {
    doubles_reset();
    std::memset(&tile_map, 0, sizeof tile_map);
    player = {};
    camera = {};
    goal_reached = 0;
    hold(false, false, false);
    file_select_byte_order();
    ASSERT_NE(getcwd(previous_folder, sizeof previous_folder), nullptr);
    std::strcpy(folder, "/tmp/quillary-world-XXXXXX");
    ASSERT_NE(mkdtemp(folder), nullptr);
    ASSERT_EQ(chdir(folder), 0);
  }

  void TearDown() override {
    std::remove(LEVEL_FILE);
    EXPECT_EQ(chdir(previous_folder), 0);
    rmdir(folder);
    hold(false, false, false);
  }

  // game_init_world's map, kept to compare against after a load.
  std::vector<int32_t> set_up_map() {
    game_init_world();
    return std::vector<int32_t>(tile_map.tiles, tile_map.tiles + TILE_COUNT);
  }

  std::vector<int32_t> current_map() {
    return std::vector<int32_t>(tile_map.tiles, tile_map.tiles + TILE_COUNT);
  }

  char previous_folder[4096];
  char folder[64];
};

// ---- set-up ----

TEST_F(World, InitPlacesCameraAndPlayerAndLaysBorderAndFloor) {
  camera.orientation.row[0] = {5, 5, 5};
  game_init_world();
  EXPECT_EQ(camera.position.x, 64);
  EXPECT_EQ(camera.position.y, 130);
  EXPECT_EQ(camera.position.z, 12);
  const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_EQ(std::memcmp(&camera.orientation, identity, sizeof identity), 0);
  EXPECT_EQ(player.position.x, 64.5f);
  EXPECT_EQ(player.position.y, 130);

  int solid = 0;
  for (int y = 0; y < MAP_SIZE; ++y) {
    for (int x = 0; x < MAP_SIZE; ++x) {
      const bool edge = x == 0 || x == MAP_SIZE - 1 || y == 0 || y == MAP_SIZE - 1;
      ASSERT_EQ(tile(x, y), edge || y == FLOOR_ROW ? 1 : 0) << "tile (" << x << ", " << y << ")";
      solid += tile(x, y) != 0;
    }
  }
  EXPECT_EQ(solid, SET_UP_SOLID_TILES);
}

TEST_F(World, InitLeavesSpeedAndGroundFlagAlone) {
  place(1, 2, 0.05f, -0.01f, 1);
  game_init_world();
  EXPECT_EQ(player.velocity.x, 0.05f);
  EXPECT_EQ(player.velocity.y, -0.01f);
  EXPECT_EQ(player.on_ground, 1);
}

// ---- the level file ----

TEST_F(World, MissingLevelFileKeepsTheSetUpMap) {
  const std::vector<int32_t> expected = set_up_map();
  game_load_level();
  EXPECT_EQ(current_map(), expected);
  EXPECT_EQ(current_file, nullptr);
}

TEST_F(World, LevelFileOfAnotherVersionLoadsNothing) {
  const std::vector<int32_t> expected = set_up_map();
  write_file(LEVEL_FILE, level_bytes(2, std::vector<int32_t>(TILE_COUNT, 7)));
  game_load_level();
  EXPECT_EQ(current_map(), expected);
  EXPECT_EQ(current_file, nullptr);
}

TEST_F(World, LevelFileReplacesTheWholeMapInRowOrder) {
  set_up_map();
  std::vector<int32_t> tiles(TILE_COUNT, 0);
  tiles[MAP_SIZE * 2 + 3] = 42;             // column 3, row 2
  tiles[MAP_SIZE * 200 + 17] = 0x01020304;  // bytes 04 03 02 01 in the file
  tiles[TILE_COUNT - 1] = -5;
  write_file(LEVEL_FILE, level_bytes(1, tiles));
  game_load_level();
  EXPECT_EQ(current_map(), tiles);  // the border and the floor are gone too
  EXPECT_EQ(tile(3, 2), 42);
  EXPECT_EQ(tile(17, 200), 0x01020304);
  EXPECT_EQ(tile(255, 255), -5);
  EXPECT_EQ(current_file, nullptr);
}

TEST_F(World, FirstTileSevenMakesTileZeroZeroSolidAndDrawn) {
  set_up_map();
  std::vector<int32_t> tiles(TILE_COUNT, 0);
  tiles[0] = 7;
  write_file(LEVEL_FILE, level_bytes(1, tiles));
  game_load_level();
  EXPECT_EQ(tile(0, 0), 7);

  game_draw_world();
  ASSERT_EQ(call_count("glBegin"), 2);  // tile (0, 0), then the player
  const RecordedCall *corner = find_call("glVertex2f", 0);
  EXPECT_EQ(corner->args[0], 0);
  EXPECT_EQ(corner->args[1], 0);
}

TEST_F(World, ShortLevelFileKeepsTheSetUpTilesBeyondWhatItHolds) {
  const std::vector<int32_t> set_up = set_up_map();
  constexpr int HELD = 3 * MAP_SIZE + 10;  // rows 0 to 2 and ten tiles of row 3
  std::vector<unsigned char> bytes = level_bytes(1, std::vector<int32_t>(HELD, 9));
  bytes.push_back(0xff);  // half of one more tile, which is not held in full
  bytes.push_back(0xff);
  write_file(LEVEL_FILE, bytes);
  game_load_level();
  for (int i = 0; i < TILE_COUNT; ++i) {
    ASSERT_EQ(tile_map.tiles[i], i < HELD ? 9 : set_up[i]) << "tile " << i;
  }
}

TEST_F(World, BytesBeyondTheLayoutAreIgnored) {
  set_up_map();
  std::vector<int32_t> tiles(TILE_COUNT, 0);
  tiles[TILE_COUNT - 1] = 3;
  std::vector<int32_t> longer = tiles;
  longer.insert(longer.end(), {11, 12, 13});
  write_file(LEVEL_FILE, level_bytes(1, longer));
  game_load_level();
  EXPECT_EQ(current_map(), tiles);
  EXPECT_EQ(current_file, nullptr);
}

// ---- one step, part by part ----

// Run, gravity and jump in the open air, where no probe fires: the speeds
// after one step, and the move by those new speeds.
struct AirStep {
  const char *name;
  float vx, vy;
  int32_t on_ground;
  bool left, right, space;
  float vx_after, vy_after;
};

TEST_F(World, RunGravityAndJumpInTheAir) {
  const AirStep cases[] = {
      {"no key", 0.05f, 0.01f, 0, false, false, false, 0.05f, 0.008f},
      {"Right from rest", 0, 0, 0, false, true, false, 0.003f, -0.002f},
      {"Left from rest", 0, 0, 0, true, false, false, -0.003f, -0.002f},
      {"both arrows cancel", 0, 0, 0, true, true, false, 0, -0.002f},
      {"Right just below the limit overshoots", 0.099f, 0, 0, false, true, false, 0.102f, -0.002f},
      {"Right at the limit adds nothing", 0.1f, 0, 0, false, true, false, 0.1f, -0.002f},
      {"Left at the limit adds nothing", -0.1f, 0, 0, true, false, false, -0.1f, -0.002f},
      {"Left brakes a fast rightward run", 0.1f, 0, 0, true, false, false, 0.097f, -0.002f},
      {"both beyond the right limit: only Left", 0.2f, 0, 0, true, true, false, 0.197f, -0.002f},
      {"both at the left limit: only Right", -0.1f, 0, 0, true, true, false, -0.097f, -0.002f},
      {"Space in the air does not jump", 0, -0.05f, 0, false, false, true, 0, -0.052f},
      {"a stale ground flag is cleared", 0, -0.05f, 1, false, false, false, 0, -0.052f},
      {"Space with the ground flag jumps", 0, -0.05f, 1, false, false, true, 0, 0.125f},
  };
  for (const AirStep &c : cases) {
    SCOPED_TRACE(c.name);
    place(100.5f, 200.5f, c.vx, c.vy, c.on_ground);
    hold(c.left, c.right, c.space);
    game_step();
    EXPECT_NEAR(player.velocity.x, c.vx_after, 1e-6f);
    EXPECT_NEAR(player.velocity.y, c.vy_after, 1e-6f);
    EXPECT_FLOAT_EQ(player.position.x, 100.5f + player.velocity.x);
    EXPECT_FLOAT_EQ(player.position.y, 200.5f + player.velocity.y);
    EXPECT_EQ(player.on_ground, 0);
  }
}

TEST_F(World, StartingPlayerFallsOntoTheFloorAndTheCameraStays) {
  game_init_world();
  game_load_level();  // there is no level file here
  steps(100);
  EXPECT_EQ(player.position.x, 64.5f);
  EXPECT_EQ(player.position.y, REST_Y);
  EXPECT_EQ(player.on_ground, 1);
  EXPECT_EQ(camera.position.x, 64);
  EXPECT_EQ(camera.position.y, 130);
}

TEST_F(World, FirstStepOfRightFromRestOnFlatGround) {
  game_init_world();
  place(64.5f, REST_Y, 0, 0, 1);
  hold(false, true, false);
  game_step();
  // One floor probe fires: the right foot looks at the row the left foot's
  // snap left it in, which is empty.
  EXPECT_FLOAT_EQ(player.velocity.x, 0.002925f);
  EXPECT_EQ(player.position.y, REST_Y);
  EXPECT_EQ(player.on_ground, 1);
}

TEST_F(World, HeldRightSettlesJustBelowTheTopSpeed) {
  game_init_world();
  place(20.5f, REST_Y, 0, 0, 1);
  hold(false, true, false);
  float lowest = 1, highest = 0;
  for (int step = 1; step <= 1500; ++step) {
    game_step();
    ASSERT_EQ(player.on_ground, 1);
    if (step >= 100) {
      lowest = std::fmin(lowest, player.velocity.x);
      highest = std::fmax(highest, player.velocity.x);
    }
  }
  EXPECT_GT(lowest, 0.097f);
  EXPECT_LT(highest, 0.101f);
}

TEST_F(World, JumpFromFlatGroundRisesByTheJumpSpeedLessGravityEachStep) {
  game_init_world();
  place(64.5f, REST_Y, 0, 0, 1);
  hold(false, false, true);
  float top = REST_Y;
  int landed = 0;
  for (int step = 1; step <= 200; ++step) {
    const float before = player.position.y;
    game_step();
    hold(false, false, false);
    if (player.on_ground) {
      landed = step;
      break;
    }
    if (step == 1) {
      EXPECT_EQ(player.position.y, REST_Y + JUMP_SPEED);
    }
    EXPECT_NEAR(player.position.y - before, 0.125f - 0.002f * (step - 1), 1e-4f) << "step " << step;
    top = std::fmax(top, player.position.y);
  }
  EXPECT_NEAR(top - REST_Y, 3.969f, 1e-3f);
  EXPECT_EQ(landed, 127);
  EXPECT_EQ(player.position.y, REST_Y);
}

TEST_F(World, HeldSpaceJumpsAgainOnTheFirstStepAfterLanding) {
  game_init_world();
  place(64.5f, REST_Y, 0, 0, 1);
  hold(false, false, true);
  steps(127);
  ASSERT_EQ(player.on_ground, 1);
  game_step();
  EXPECT_EQ(player.velocity.y, JUMP_SPEED);
  EXPECT_EQ(player.on_ground, 0);
}

TEST_F(World, JumpFromTheSetUpFloorReachesTheGoalRow) {
  const float columns[] = {137.5f, 138.5f};
  for (float x : columns) {
    SCOPED_TRACE(x);
    game_init_world();
    goal_reached = 0;
    place(x, REST_Y, 0, 0, 1);
    hold(false, false, true);
    float top = 0;
    for (int step = 0; step < 126; ++step) {
      game_step();
      hold(false, false, false);
      top = std::fmax(top, player.position.y);
      const bool entered = x == 138.5f && top >= GOAL_TILE_Y;
      ASSERT_EQ(goal_reached, entered ? 1 : 0) << "step " << step << ", y " << player.position.y;
    }
    EXPECT_NEAR(top, 133.47f, 0.005f);
  }
}

// ---- the probes ----

TEST_F(World, TileTwoRowsAboveStopsAJumpInTheStepItStarts) {
  game_init_world();
  tile(64, FLOOR_ROW + 2) = 1;
  place(64.5f, REST_Y, 0, 0, 1);
  hold(false, false, true);
  game_step();
  EXPECT_EQ(player.position.y, REST_Y);
  EXPECT_EQ(player.velocity.y, 0);
  EXPECT_EQ(player.on_ground, 0);
  hold(false, false, false);
  game_step();
  EXPECT_EQ(player.position.y, REST_Y);
  EXPECT_EQ(player.on_ground, 1);
}

// A wall one tile high stands on the floor beside the player; the side probe
// puts the player's edge on the wall's face and stops it.
TEST_F(World, SideProbesStopThePlayerAtAWall) {
  struct Wall {
    const char *name;
    int column;
    float x, vx;
    bool left, right;
    float x_after;
  };
  const Wall cases[] = {
      {"wall on the left", 60, 61.55f, -0.1f, true, false, 61.5f},
      {"wall on the right", 70, 69.45f, 0.09f, false, true, 69.5f},
  };
  for (const Wall &c : cases) {
    SCOPED_TRACE(c.name);
    game_init_world();
    tile(c.column, FLOOR_ROW + 1) = 1;
    place(c.x, REST_Y, c.vx, 0, 1);
    hold(c.left, c.right, false);
    game_step();
    EXPECT_EQ(player.position.x, c.x_after);
    EXPECT_EQ(player.velocity.x, 0);
    EXPECT_EQ(player.position.y, REST_Y);
    EXPECT_EQ(player.on_ground, 1);
    tile(c.column, FLOOR_ROW + 1) = 0;
  }
}

TEST_F(World, HeadProbePutsThePlayerUnderTheTileAbove) {
  tile(50, 60) = 1;
  place(50.5f, 59.4f, 0, 0.2f);
  game_step();  // the head reaches y 60.098: row 60
  EXPECT_EQ(player.position.y, 59.5f);
  EXPECT_EQ(player.velocity.y, 0);
}

TEST_F(World, GoalIsSetBeforeTheProbesPushThePlayerOutOfItsTile) {
  tile(GOAL_TILE_X, GOAL_TILE_Y) = 1;  // a floor inside the goal tile itself
  place(138.5f, 134.0f, 0, -0.048f);
  game_step();  // y 133.95 at the goal test, then the feet lift it to 134.5
  EXPECT_EQ(goal_reached, 1);
  EXPECT_EQ(player.position.y, 134.5f);
  EXPECT_EQ(player.on_ground, 1);
}

TEST_F(World, GoalIsNotSetNextToTheGoalTile) {
  const Vec2 near_misses[] = {
      {137.95f, 133.5f}, {139.05f, 133.5f}, {138.5f, 132.95f}, {138.5f, 134.05f}};
  for (const Vec2 &spot : near_misses) {
    place(spot.x, spot.y + GRAVITY);  // gravity brings it to the spot
    game_step();
    EXPECT_EQ(goal_reached, 0) << spot.x << ", " << spot.y;
  }
}

// The feet are not mirror images: the right foot reads y after the left foot
// may have snapped it, and then looks into the row of the player's body.
TEST_F(World, RightFootLiftsThePlayerOntoATileBesideItsBody) {
  game_init_world();
  tile(65, FLOOR_ROW + 1) = 1;  // under the right foot, in the body's row
  place(64.7f, REST_Y, 0.05f, 0, 1);
  game_step();
  EXPECT_EQ(player.position.y, REST_Y + 1);
  EXPECT_FLOAT_EQ(player.velocity.x, 0.05f * 0.975f * 0.975f);
  EXPECT_EQ(player.on_ground, 1);
}

// The mirror image: the left foot looks at the floor row only, so the left
// side probe pushes the player out sideways instead.
TEST_F(World, LeftFootDoesNotLiftThePlayerOntoATileBesideItsBody) {
  game_init_world();
  tile(64, FLOOR_ROW + 1) = 1;  // under the left foot, in the body's row
  place(65.3f, REST_Y, -0.05f, 0, 1);
  game_step();
  EXPECT_EQ(player.position.y, REST_Y);
  EXPECT_EQ(player.position.x, 65.5f);
  EXPECT_EQ(player.velocity.x, 0);
  EXPECT_EQ(player.on_ground, 1);
}

// Running into a step one tile high: the side probe normally wins; a step of
// more than 0.1 lets the right foot reach into the step first.
TEST_F(World, OnlyAStepOfMoreThanATenthClimbsAOneTileStep) {
  struct Run {
    float vx;
    float x_after, y_after;
  };
  const Run cases[] = {{0.097f, 69.5f, REST_Y}, {0.103f, 69.5f + 0.103f, REST_Y + 1}};
  for (const Run &c : cases) {
    SCOPED_TRACE(c.vx);
    game_init_world();
    tile(70, FLOOR_ROW + 1) = 1;
    place(69.5f, REST_Y, c.vx, 0, 1);
    game_step();
    EXPECT_FLOAT_EQ(player.position.x, c.x_after);
    EXPECT_EQ(player.position.y, c.y_after);
  }
}

// Tile indices truncate toward zero: a centre at x -0.2 is in column 0.
TEST_F(World, ProbesTruncateTowardZeroLeftOfTheGrid) {
  tile(0, 10) = 1;  // nothing else in the map, no border
  place(-0.2f, 9.3f, 0, 0.3f);
  game_step();  // the head reaches y 10.098, in column trunc(-0.2) = 0
  EXPECT_EQ(player.position.y, 9.5f);
  EXPECT_EQ(player.velocity.y, 0);
}

// With every tile solid, any probe that looked into the grid would fire.
TEST_F(World, NothingFiresForAPlayerFarOutsideTheGrid) {
  for (int32_t &value : tile_map.tiles) value = 1;
  constexpr float FAR = 1e9f;
  constexpr float INF = std::numeric_limits<float>::infinity();
  const Vec2 spots[] = {{-FAR, 128.5f},  {FAR, 128.5f},   {128.5f, -FAR}, {128.5f, FAR},
                        {-FAR, -FAR},    {3e38f, 3e38f},  {-INF, 100},    {100, INF},
                        {-1.5f, 128.5f}, {257.6f, 128.5f}};
  for (const Vec2 &spot : spots) {
    SCOPED_TRACE(std::to_string(spot.x) + ", " + std::to_string(spot.y));
    place(spot.x, spot.y, 0, 0, 1);
    hold(false, false, true);
    game_step();  // jumps, since the flag was set, and then nothing stops it
    EXPECT_EQ(player.velocity.y, JUMP_SPEED);
    EXPECT_EQ(player.on_ground, 0);
    EXPECT_EQ(goal_reached, 0);
  }
}

// Column 256 of a row is not column 0 of the next, nor is row 256 past the
// end of the map a row: probes there see nothing.
TEST_F(World, ProbesJustPastTheGridEdgesSeeNothing) {
  for (int y = 0; y < MAP_SIZE; ++y) tile(0, y) = 1;
  for (int x = 0; x < MAP_SIZE; ++x) tile(x, 0) = 1;
  const Vec2 spots[] = {{255.7f, 100.5f}, {100.5f, 255.7f}, {255.7f, 255.7f}};
  for (const Vec2 &spot : spots) {
    SCOPED_TRACE(std::to_string(spot.x) + ", " + std::to_string(spot.y));
    place(spot.x, spot.y, 0, 0.1f);
    game_step();
    EXPECT_EQ(player.position.x, spot.x);
    EXPECT_FLOAT_EQ(player.position.y, spot.y + 0.098f);
    EXPECT_FLOAT_EQ(player.velocity.y, 0.098f);
    EXPECT_EQ(player.on_ground, 0);
  }
}

TEST_F(World, PlayerLeavingAnOpenGridFallsWithoutEnd) {
  place(10.5f, 3.5f);
  steps(2000);
  EXPECT_EQ(player.on_ground, 0);
  EXPECT_LT(player.position.y, -3000);
  EXPECT_NEAR(player.velocity.y, -4.0f, 1e-3f);
}

// ---- the camera ----

TEST_F(World, CameraFollowsOnlyBeyondTwoTiles) {
  struct Follow {
    const char *name;
    float player_x, player_y;  // where the step leaves the player
    float camera_x, camera_y;
    float camera_x_after, camera_y_after;
  };
  const Follow cases[] = {
      {"right of the slack", 70, 130, 64, 130, 68, 130},
      {"left of the slack", 60, 130, 64, 130, 62, 130},
      {"exactly two to the right", 66, 130, 64, 130, 64, 130},
      {"exactly two to the left", 62, 130, 64, 130, 64, 130},
      {"above the slack", 64, 140, 64, 130, 64, 138},
      {"below the slack", 64, 120, 64, 130, 64, 122},
      {"both axes", 80, 100, 64, 130, 78, 102},
  };
  for (const Follow &c : cases) {
    SCOPED_TRACE(c.name);
    camera.position = {c.camera_x, c.camera_y, 12};
    place(c.player_x, c.player_y + GRAVITY);  // gravity brings it to player_y
    game_step();
    ASSERT_FLOAT_EQ(player.position.y, c.player_y);
    EXPECT_FLOAT_EQ(camera.position.x, c.camera_x_after);
    EXPECT_FLOAT_EQ(camera.position.y, c.camera_y_after);
    EXPECT_EQ(camera.position.z, 12);
  }
}

// ---- drawing ----

struct QuadCall {
  int disable, begin, color, end, enable;  // indices in the recording
};

// Where each glBegin is in the recording, in one pass.
std::vector<int> begin_indices() {
  std::vector<int> found;
  for (int i = 0; i < recorded_count; ++i) {
    if (std::strcmp(recorded_calls[i].name, "glBegin") == 0) found.push_back(i);
  }
  return found;
}

// The calls of a quad around its glBegin.
QuadCall quad_calls(int begin) { return {begin - 1, begin, begin + 1, begin + 6, begin + 7}; }

void expect_plain_white_quad(int begin, float x0, float y0) {
  const QuadCall q = quad_calls(begin);
  ASSERT_GE(q.disable, 0);
  ASSERT_LT(q.enable, recorded_count);
  EXPECT_EQ(call_text(recorded_calls[q.disable]), "glDisable(3553)");  // GL_TEXTURE_2D
  EXPECT_EQ(recorded_calls[q.begin].args[0], GL_QUADS);
  EXPECT_EQ(call_text(recorded_calls[q.color]), "glColor4f(1, 1, 1, 1)");
  const float corners[4][2] = {{x0, y0}, {x0 + 1, y0}, {x0 + 1, y0 + 1}, {x0, y0 + 1}};
  for (int i = 0; i < 4; ++i) {
    const RecordedCall &vertex = recorded_calls[q.color + 1 + i];
    ASSERT_STREQ(vertex.name, "glVertex2f");
    EXPECT_FLOAT_EQ(vertex.args[0], corners[i][0]) << "corner " << i;
    EXPECT_FLOAT_EQ(vertex.args[1], corners[i][1]) << "corner " << i;
  }
  EXPECT_STREQ(recorded_calls[q.end].name, "glEnd");
  EXPECT_EQ(call_text(recorded_calls[q.enable]), "glEnable(3553)");
}

TEST_F(World, DrawsEverySolidTileRowByRowAndThePlayerLast) {
  game_init_world();
  tile(7, 40) = -3;  // any nonzero value is solid
  place(70.25f, 131.75f);
  game_draw_world();

  const int frustum = call_index("glFrustum");
  ASSERT_GE(frustum, 0);
  EXPECT_EQ(call_text(recorded_calls[frustum]),
            "glFrustum(-0.25, 0.25, -0.1875, 0.1875, 0.25, 1024)");
  const int translate = call_index("glTranslatef");
  ASSERT_GT(translate, frustum);
  EXPECT_EQ(call_text(recorded_calls[translate]), "glTranslatef(-64, -130, -12)");
  ASSERT_LT(translate, call_index("glBegin"));
  EXPECT_EQ(call_index("glDisable"), 0) << "the opaque world is drawn without blending";
  EXPECT_EQ(recorded_calls[0].args[0], GL_BLEND);

  std::vector<std::pair<int, int>> solid;
  for (int y = 0; y < MAP_SIZE; ++y) {
    for (int x = 0; x < MAP_SIZE; ++x) {
      if (tile(x, y) != 0) solid.push_back({x, y});
    }
  }
  ASSERT_EQ(static_cast<int>(solid.size()), SET_UP_SOLID_TILES + 1);
  const std::vector<int> begins = begin_indices();
  ASSERT_EQ(begins.size(), solid.size() + 1);
  for (size_t i = 0; i < solid.size(); ++i) {
    const RecordedCall &first_vertex = recorded_calls[begins[i] + 2];
    ASSERT_EQ(first_vertex.args[0], solid[i].first) << "quad " << i;
    ASSERT_EQ(first_vertex.args[1], solid[i].second) << "quad " << i;
  }
  expect_plain_white_quad(begins.front(), 0, 0);
  expect_plain_white_quad(begins[solid.size() - 1], 255, 255);
  // The player: centred on its position (flags 5), after every tile.
  expect_plain_white_quad(begins.back(), 70.25f - 0.5f, 131.75f - 0.5f);
  EXPECT_EQ(quad_calls(begins.back()).enable, recorded_count - 1);
}

}  // namespace
