// The level, the player and the camera. A step runs: run, gravity, jump, move,
// goal test, five tile probes, camera follow, in that order; each probe sees
// the position as the probes before it left it, so the feet are not
// symmetric.
#include "app/world.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "files/streams.h"
#include "gfx/batch.h"
#include "gfx/quads.h"
#include "gfx/view.h"
#include "input/keyboard_mouse.h"
#include "video/video_mode.h"

TileMap tile_map;
Player player;
Camera camera;
int32_t goal_reached;

namespace {

constexpr Vec3 CAMERA_START = {64, 130, 12};
constexpr Vec2 PLAYER_START = {64.5f, 130};
constexpr int FLOOR_ROW = 128;  // a full-width floor under the start, so the set-up map is playable
constexpr float NEAR_PLANE = 0.25f;
constexpr float FAR_PLANE = 1024;
constexpr int TILES_PER_READ = 1024;  // 4 KiB on the stack
static_assert(MAP_SIZE * MAP_SIZE % TILES_PER_READ == 0, "whole blocks cover the map");

void set_tile(int x, int y, int32_t value) { tile_map.tiles[MAP_SIZE * y + x] = value; }

// Truncation toward zero, as the probes want: -0.3 gives 0, not -1. A player
// far outside the grid (possible only through an open border) gets a tile
// index just outside it, never an out-of-range conversion.
int tile_of(float coordinate) {
  if (!(coordinate > -1.0f)) return -1;
  if (!(coordinate < MAP_SIZE + 1.0f)) return MAP_SIZE + 1;
  return static_cast<int>(coordinate);
}

// A probe fires on a solid tile inside the grid; outside it nothing fires.
bool solid(int x, int y) {
  if (x < 0 || x >= MAP_SIZE || y < 0 || y >= MAP_SIZE) {
    return false;
  }
  return tile_map.tiles[MAP_SIZE * y + x] != 0;
}

void run(float *vx) {
  if (key_state[KEY_LEFT] && *vx > -RUN_SPEED_MAX) *vx -= RUN_ACCEL;
  if (key_state[KEY_RIGHT] && *vx < RUN_SPEED_MAX) *vx += RUN_ACCEL;
}

// No edge test: holding Space jumps again as soon as a foot lands.
void jump() {
  if (key_state[KEY_SPACE] && player.on_ground == 1) {
    player.velocity.y = JUMP_SPEED;
    player.on_ground = 0;
  }
}

void test_goal() {
  if (tile_of(player.position.x) == GOAL_TILE_X && tile_of(player.position.y) == GOAL_TILE_Y) {
    goal_reached = 1;
  }
}

void probe_foot(float foot_offset) {
  int tx = tile_of(player.position.x + foot_offset);
  int ty = tile_of(player.position.y - HALF_SIZE);
  if (!solid(tx, ty)) return;
  player.position.y = ty + 1.5f;
  player.velocity.y = 0;
  player.on_ground = 1;
  player.velocity.x *= GROUND_FRICTION;
}

void probe_head() {
  int tx = tile_of(player.position.x);
  int ty = tile_of(player.position.y + HALF_SIZE);
  if (!solid(tx, ty)) return;
  player.position.y = ty - 0.5f;
  player.velocity.y = 0;
}

void probe_left_side() {
  int tx = tile_of(player.position.x - HALF_SIZE);
  int ty = tile_of(player.position.y);
  if (!solid(tx, ty)) return;
  player.position.x = tx + 1.5f;
  player.velocity.x = 0;
}

void probe_right_side() {
  int tx = tile_of(player.position.x + HALF_SIZE);
  int ty = tile_of(player.position.y);
  if (!solid(tx, ty)) return;
  player.position.x = tx - 0.5f;
  player.velocity.x = 0;
}

// The camera lags: it stays put while the player is within CAMERA_SLACK of it
// on this axis and, past that, moves only by the excess.
void follow(float target, float *camera_axis) {
  if (target - CAMERA_SLACK > *camera_axis) *camera_axis = target - CAMERA_SLACK;
  if (target + CAMERA_SLACK < *camera_axis) *camera_axis = target + CAMERA_SLACK;
}

// Read a block of tiles at a time, keeping only the tiles that arrived whole,
// so a truncated file leaves the remaining tiles as game_init_world made them.
// Reading straight into the map could copy the stray bytes of a cut-off last
// tile, which the big-endian swapper never does; the block keeps both hosts'
// maps identical. One read per tile made loading a millisecond slower.
void read_tiles() {
  int32_t block[TILES_PER_READ];
  for (int i = 0; i < MAP_SIZE * MAP_SIZE; i += TILES_PER_READ) {
    const size_t whole = stream_read(block, sizeof block[0], TILES_PER_READ, current_file);
    std::memcpy(&tile_map.tiles[i], block, whole * sizeof block[0]);
    if (whole != TILES_PER_READ) {
      return;
    }
  }
}

}  // namespace

void game_init_world() {
  camera.position = CAMERA_START;
  mat3_identity(&camera.orientation);
  player.position = PLAYER_START;
  for (int i = 0; i < MAP_SIZE; ++i) {
    set_tile(0, i, 1);
    set_tile(MAP_SIZE - 1, i, 1);
    set_tile(i, 0, 1);
    set_tile(i, FLOOR_ROW, 1);
    set_tile(i, MAP_SIZE - 1, 1);
  }
}

void game_load_level() {
  current_file = file_open_regular(LEVEL_FILE);
  if (current_file == nullptr) {
    return;
  }
  int32_t version = 0;
  stream_read(&version, sizeof version, 1, current_file);
  if (version == LEVEL_VERSION) {
    read_tiles();
  }
  std::fclose(current_file);
  current_file = nullptr;
}

void game_step() {
  run(&player.velocity.x);
  player.velocity.y -= GRAVITY;
  jump();
  vec2_add(&player.position, &player.position, &player.velocity);
  player.on_ground = 0;
  test_goal();
  probe_foot(-FOOT_OFFSET);
  probe_foot(FOOT_OFFSET);
  probe_head();
  probe_left_side();
  probe_right_side();
  follow(player.position.x, &camera.position.x);
  follow(player.position.y, &camera.position.y);
}

// The world is opaque: it is drawn with the overlay's blending switched off,
// the same picture at less cost per tile.
void game_draw_world() {
  gfx_flush_quads();
  glDisable(GL_BLEND);
  gfx_set_perspective(0, 0, VIEW_WIDTH, VIEW_HEIGHT, NEAR_PLANE, FAR_PLANE);
  gfx_apply_camera(&camera.position, &camera.orientation);
  for (int row = 0; row < MAP_SIZE; ++row) {
    for (int column = 0; column < MAP_SIZE; ++column) {
      if (tile_map.tiles[MAP_SIZE * row + column] != 0) {
        gfx_draw_quad(NO_TEXTURE, column, row, 1, 1, 0, 1, 1, 1, 1);
      }
    }
  }
  gfx_draw_quad(NO_TEXTURE, player.position.x, player.position.y, 1, 1,
                ALIGN_CENTER_X | ALIGN_CENTER_Y, 1, 1, 1, 1);
}
