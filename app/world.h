// Game state: the 256 by 256 tile level, the player square and the camera
// that keeps it in view. Everything here is measured in tiles, y up, with
// row 0 at the bottom of the map.
#pragma once

#include <cstdint>

#include "math/vecmath.h"

constexpr int MAP_SIZE = 256;  // tiles per side
constexpr const char *LEVEL_FILE = "level01.lvl";
constexpr int32_t LEVEL_VERSION = 1;  // the only version that is loaded

constexpr float RUN_ACCEL = 0.003f;        // added to vx each step an arrow is down
constexpr float RUN_SPEED_MAX = 0.1f;      // a held key adds nothing beyond this
constexpr float GRAVITY = 0.002f;          // subtracted from vy each step, grounded or not
constexpr float JUMP_SPEED = 0.125f;
constexpr float GROUND_FRICTION = 0.975f;  // on vx for every floor probe that fires
constexpr float FOOT_OFFSET = 0.4f;        // floor probes sit this far left and right of the centre
constexpr float HALF_SIZE = 0.5f;
constexpr float CAMERA_SLACK = 2.0f;       // the camera moves only beyond this distance per axis
constexpr int GOAL_TILE_X = 138;
constexpr int GOAL_TILE_Y = 133;

// Tile (x, y) is tiles[MAP_SIZE * y + x]; 0 is empty, anything else solid.
struct TileMap {
  int32_t tiles[MAP_SIZE * MAP_SIZE];
};

struct Player {
  Vec2 position;  // centre, tiles
  Vec2 velocity;  // tiles per step, y up
  int32_t on_ground;  // 1 if a foot touched ground during the latest step
};

struct Camera {
  Vec3 position;  // z is how high the eye sits over the tiles; only x, y move
  Mat3 orientation;
};

extern TileMap tile_map;
extern Player player;
extern Camera camera;
extern int32_t goal_reached;  // set when the player's centre first enters the goal tile

void game_init_world();   // camera, player start and the border tiles
void game_load_level();   // reads LEVEL_FILE over the set-up map
void game_step();         // one 10 ms simulation step
void game_draw_world();   // every tile and the player through the perspective camera
