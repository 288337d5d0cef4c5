// An automatic player: a search over held keys with the real game_step shows
// that data/level01.lvl can be finished, and the committed route is replayed,
// also with segments a few steps longer or shorter.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <numeric>
#include <queue>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/world.h"
#include "files/streams.h"
#include "input/keyboard_mouse.h"

namespace {

// The key sets a segment may hold, by name as in the route file.
constexpr const char *KEY_NAMES[] = {"none", "Left", "Right", "Space", "Left+Space", "Right+Space"};
constexpr int KEY_BITS[] = {0, 1, 2, 4, 5, 6};  // 1 Left, 2 Right, 4 Space
constexpr int KEY_SET_COUNT = std::size(KEY_BITS);

struct Segment { int keys, steps; };  // an index into KEY_NAMES, held for 10 ms steps
using Route = std::vector<Segment>;

constexpr int SEGMENT_LENGTHS[] = {5, 10, 20, 40, 80};  // short ones time the jumps
constexpr int LONGEST_SEGMENT = 80;
constexpr size_t SEARCH_STATES_MAX = 200000;
constexpr int FINAL_HOLD_MARGIN = 50;  // steps the last keys stay held past the goal
constexpr int TIMING_SLACK = 3;        // steps a replayed segment may run long or short

void hold(int keys) {
  std::memset(key_state, 0, sizeof key_state);
  key_state[KEY_LEFT] = KEY_BITS[keys] & 1;
  key_state[KEY_RIGHT] = (KEY_BITS[keys] & 2) != 0;
  key_state[KEY_SPACE] = (KEY_BITS[keys] & 4) != 0;
}

// data/level01.lvl as game_load_level reads it. The set-up map can be
// finished too, so a level that did not load must not pass unseen.
TileMap shipped;
void load_shipped() {
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(SOURCE_DIR "/data"), 0);
  EXPECT_EQ(std::ifstream(LEVEL_FILE, std::ios::binary | std::ios::ate).tellg(),
            4 + 4 * MAP_SIZE * MAP_SIZE);
  std::memset(&tile_map, 0, sizeof tile_map);
  file_select_byte_order();
  game_init_world();
  const TileMap set_up = tile_map;
  game_load_level();
  shipped = tile_map;
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_NE(std::memcmp(&shipped, &set_up, sizeof set_up), 0) << "the level did not load";
}

// From the state the main loop starts in, the steps up to and including the
// one that reached the goal, or -1.
long play_from_start(const Route &route) {
  player = {};
  goal_reached = 0;
  game_init_world();
  tile_map = shipped;
  long steps = 0;
  for (const Segment &segment : route) {
    hold(segment.keys);
    for (int i = 0; i < segment.steps; ++i) {
      game_step();
      ++steps;
      if (goal_reached) return steps;
    }
  }
  return -1;
}

long route_steps(const Route &route) {
  return std::accumulate(route.begin(), route.end(), 0L,
                         [](long n, Segment s) { return n + s.steps; });
}

// Nearby states behave alike: they are told apart only to a tenth of a tile
// and a fiftieth of a tile per step, which keeps the search small.
std::array<long, 5> quantise(const Player &p) {
  return {std::lround(p.position.x * 10), std::lround(p.position.y * 10),
          std::lround(p.velocity.x * 50), std::lround(p.velocity.y * 50), p.on_ground};
}

// A route costs its steps plus a charge per change of keys, so that few long
// segments, which replay well, win. The estimate of the rest is the distance
// to the goal column at top speed, weighted to head for the goal first.
constexpr long KEY_CHANGE_COST = 20;
constexpr double ESTIMATE_WEIGHT = 1.5 / (RUN_SPEED_MAX + RUN_ACCEL);

// The route with one more segment, merged into the last if the keys are the same.
Route then(Route route, Segment next) {
  if (!route.empty() && route.back().keys == next.keys) {
    route.back().steps += next.steps;
  } else {
    route.push_back(next);
  }
  return route;
}

// Best first over held-key segments from the current state: the number of
// states looked at, and in *found a route to the goal if there is one. A
// node's children for one key set share one run of the longest length,
// sampled at each segment length.
size_t search_route(Route *found) {
  struct Node { Player player; Route route; long cost; };
  std::vector<Node> nodes{{player, {}, 0}};
  std::set<std::array<long, 5>> seen{quantise(player)};
  using Entry = std::pair<double, int>;  // priority, node
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  open.push({0, 0});
  while (!open.empty() && nodes.size() < SEARCH_STATES_MAX) {
    const int n = open.top().second;
    open.pop();
    for (int keys = 0; keys < KEY_SET_COUNT; ++keys) {
      const bool same_keys = !nodes[n].route.empty() && nodes[n].route.back().keys == keys;
      const long cost = nodes[n].cost + (same_keys ? 0 : KEY_CHANGE_COST);
      player = nodes[n].player;
      goal_reached = 0;
      hold(keys);
      for (int step = 1, length = 0; step <= LONGEST_SEGMENT; ++step) {
        game_step();
        if (goal_reached) {
          *found = then(nodes[n].route, {keys, step});
          return nodes.size();
        }
        if (step != SEGMENT_LENGTHS[length]) continue;
        ++length;
        if (seen.insert(quantise(player)).second) {
          nodes.push_back({player, then(nodes[n].route, {keys, step}), cost + step});
          const double rest = std::fabs(GOAL_TILE_X + HALF_SIZE - player.position.x);
          open.push({cost + step + ESTIMATE_WEIGHT * rest, static_cast<int>(nodes.size() - 1)});
        }
      }
    }
  }
  return nodes.size();
}

// Moves each segment's length but the last to the middle of the run of
// lengths that still reach the goal, so the route has slack both ways.
void centre_route(Route *route) {
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i + 1 < route->size(); ++i) {
      Route trial = *route;
      auto reaches = [&](int n) { trial[i].steps = n; return play_from_start(trial) > 0; };
      const int steps = trial[i].steps;
      int low = steps, high = steps;
      while (low > 1 && low > steps - LONGEST_SEGMENT && reaches(low - 1)) --low;
      while (high < steps + LONGEST_SEGMENT && reaches(high + 1)) ++high;
      (*route)[i].steps = (low + high) / 2;
    }
  }
}

// Prints the route in the route file's form, ready to be committed.
TEST(Autoplayer, SearchFindsARouteToTheGoal) {
  ASSERT_NO_FATAL_FAILURE(load_shipped());
  play_from_start({});
  Route route;
  const size_t states = search_route(&route);
  ASSERT_FALSE(route.empty()) << "the level cannot be finished: no route among " << states
                              << " states";
  route.back().steps += FINAL_HOLD_MARGIN;
  centre_route(&route);
  const long steps = play_from_start(route);
  ASSERT_GT(steps, 0);
  route.back().steps += static_cast<int>(steps + FINAL_HOLD_MARGIN - route_steps(route));
  std::cout << "route found among " << states << " states: " << steps << " steps in "
            << route.size() << " segments\n";
  for (const Segment &s : route) std::cout << KEY_NAMES[s.keys] << ' ' << s.steps << '\n';
}

// One segment a line, "KEYS STEPS"; blank and '#' lines are skipped.
TEST(Autoplayer, CommittedRouteReachesTheGoalAlsoWithSegmentsALittleLongerOrShorter) {
  ASSERT_NO_FATAL_FAILURE(load_shipped());
  std::ifstream in(TEST_DATA_DIR "/level01_route.txt");
  Route route;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name, rest;
    int steps = 0, keys = KEY_SET_COUNT - 1;
    fields >> name >> steps;
    while (keys >= 0 && name != KEY_NAMES[keys]) --keys;
    ASSERT_TRUE(fields && keys >= 0 && steps > 0 && !(fields >> rest)) << line;
    route.push_back({keys, steps});
  }
  ASSERT_FALSE(route.empty()) << "no route read";

  const long steps = play_from_start(route);
  ASSERT_GT(steps, 0) << "the route ends at (" << player.position.x << ", " << player.position.y
                      << ") without reaching the goal";
  EXPECT_GT(steps, route_steps(route) - route.back().steps) << "goal before the last segment";
  std::cout << "committed route: " << steps << " steps in " << route.size() << " segments\n";

  // Each segment alone a few steps longer or shorter, then all at once by the
  // full slack (reported as segment 0), also with every second one the other
  // way (segment -1), since real frames shift every key change a little.
  const int count = static_cast<int>(route.size());
  for (int which = -2; which < count; ++which) {
    for (int change = -TIMING_SLACK; change <= TIMING_SLACK; ++change) {
      if (change == 0 || (which < 0 && change != TIMING_SLACK && change != -TIMING_SLACK)) continue;
      Route varied = route;
      for (int i = 0; i < count; ++i) {
        if (which < 0 || i == which) varied[i].steps += which == -2 && i % 2 ? -change : change;
      }
      EXPECT_GT(play_from_start(varied), 0)
          << "misses the goal with segment " << which + 1 << " changed by " << change;
    }
  }
}

}  // namespace
