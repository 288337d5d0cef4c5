// Cost of the game's own work, without a display: one simulation step of the
// player running and jumping through the shipped level; the world pass, which
// visits all 65,536 cells and draws a quad for each solid one, on an empty
// map, on the shipped level and on a level of 3,000 solid tiles; and, for
// start-up, reading the shipped level. The GL calls go to the doubles with their
// picture off, so what is measured is the engine's side of each call, not the
// driver's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "app/world.h"
#include "files/streams.h"
#include "input/keyboard_mouse.h"
#include "tests/doubles/fake_gl.h"
#include "tests/doubles/fake_sdl.h"

namespace {

constexpr int DENSE_LEVEL_TILES = 3000;
constexpr int STEPS_PER_RUN = 4096;  // a run from the start, then back to it

// The shipped level, read the way the game reads it: from the data folder.
void load_shipped_level() {
  std::memset(&tile_map, 0, sizeof tile_map);
  player = {};
  file_select_byte_order();
  if (chdir(SOURCE_DIR "/data") != 0) std::abort();
  game_init_world();
  game_load_level();
}

int solid_tiles() {
  int count = 0;
  for (int32_t tile : tile_map.tiles) count += tile != 0;
  return count;
}

// The set-up map (border and floor) with short platforms added at spread-out
// places until the level holds `target` solid tiles; fixed seed, so every run
// draws the same tiles.
void make_dense_level(int target) {
  std::memset(&tile_map, 0, sizeof tile_map);
  game_init_world();
  uint32_t seed = 12345;
  int count = solid_tiles();
  while (count < target) {
    seed = seed * 1664525u + 1013904223u;
    const int x = 1 + static_cast<int>(seed >> 8) % (MAP_SIZE - 12);
    const int y = 1 + static_cast<int>(seed >> 20) % (MAP_SIZE - 2);
    for (int i = 0; i < 8 && count < target; ++i) {
      int32_t &tile = tile_map.tiles[MAP_SIZE * y + x + i];
      count += tile == 0;
      tile = 1;
    }
  }
}

void quiet_doubles() {
  fake::reset_sdl();
  fake::reset_gl();
  fake::gl_recording = false;
}

void report_tiles(benchmark::State &state) {
  const int tiles = solid_tiles();
  state.counters["solid_tiles"] = tiles;
  if (tiles > 0) {
    state.counters["per_tile"] = benchmark::Counter(
        tiles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  }
}

void draw_world(benchmark::State &state) {
  quiet_doubles();
  for (auto _ : state) {
    game_draw_world();
    benchmark::ClobberMemory();
  }
  fake::gl_recording = true;
  report_tiles(state);
}

void BM_DrawWorldEmptyMap(benchmark::State &state) {
  std::memset(&tile_map, 0, sizeof tile_map);
  draw_world(state);
}
BENCHMARK(BM_DrawWorldEmptyMap);

void BM_DrawWorldShippedLevel(benchmark::State &state) {
  load_shipped_level();
  draw_world(state);
}
BENCHMARK(BM_DrawWorldShippedLevel);

void BM_DrawWorldDenseLevel(benchmark::State &state) {
  make_dense_level(DENSE_LEVEL_TILES);
  draw_world(state);
}
BENCHMARK(BM_DrawWorldDenseLevel);

// Right and Space held from the start tile: the player runs, jumps, lands and
// meets walls; every STEPS_PER_RUN steps it is put back at the start so the
// measured steps stay a mix of all of that rather than a player stuck at the
// far wall.
void BM_GameStep(benchmark::State &state) {
  quiet_doubles();
  load_shipped_level();
  const Player start = player;
  const Camera camera_start = camera;
  std::memset(key_state, 0, sizeof key_state);
  key_state[KEY_RIGHT] = 1;
  key_state[KEY_SPACE] = 1;
  int steps = 0;
  for (auto _ : state) {
    if (++steps == STEPS_PER_RUN) {
      steps = 0;
      player = start;
      camera = camera_start;
    }
    game_step();
    benchmark::DoNotOptimize(player);
  }
  fake::gl_recording = true;
  std::memset(key_state, 0, sizeof key_state);
}
BENCHMARK(BM_GameStep);

// Start-up reads the level once: 65,537 four-byte elements through the
// byte-order-neutral reader.
void BM_LoadShippedLevel(benchmark::State &state) {
  for (auto _ : state) {
    load_shipped_level();
    benchmark::ClobberMemory();
  }
  state.counters["solid_tiles"] = solid_tiles();
}
BENCHMARK(BM_LoadShippedLevel)->Unit(benchmark::kMicrosecond);

}  // namespace
