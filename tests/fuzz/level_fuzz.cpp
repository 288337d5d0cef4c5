// The level loader on any file: whatever it holds, the steps that follow stay
// inside the map and the player stays somewhere real.
#include <cmath>

#include "app/world.h"
#include "files/streams.h"
#include "tests/fuzz/fuzz_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  file_select_byte_order();
  std::memset(&tile_map, 0, sizeof tile_map);
  write_file("level01.lvl", {data, size});
  game_init_world();
  game_load_level();
  for (int step = 0; step < 50; ++step) game_step();
  promise(std::isfinite(player.position.x) && std::isfinite(player.position.y), "the player stays finite");
  promise(current_file == nullptr, "the level file is closed");
  return 0;
}
