// The game itself: the tile level and its file, the player square that runs,
// falls and jumps through it, the goal tile and the camera that follows.
// World units are tiles, y grows upward, row 0 is the bottom of the level.
#pragma once

#include <cstdint>

#include "math/vecmath.h"

constexpr int MAP_SIZE = 256;  // tiles per side
constexpr const char *LEVEL_FILE = "level01.lvl";
constexpr int32_t LEVEL_VERSION = 1;  // the only version that is loaded

constexpr float RUN_ACCEL = 0.003f;        // per step while an arrow key is held
constexpr float RUN_SPEED_MAX = 0.1f;      // a held key adds nothing beyond this
constexpr float GRAVITY = 0.002f;          // taken from vy every step
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
  int32_t on_ground;  // a floor probe fired in the last step
};

struct Camera {
  Vec3 position;  // z is the eye's height above the tile plane
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
