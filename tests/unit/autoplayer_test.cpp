// An automatic player for the shipped level. It drives the real game_step
// with held keys chosen by a best-first search over held-key segments, to
// show that data/level01.lvl can be finished; and it replays the committed
// route (tests/data/level01_route.txt), also with every segment a few steps
// longer or shorter, since a replay through real frames, which sample the
// keys once per frame, can only approximate the step counts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <queue>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/world.h"
#include "files/streams.h"
#include "input/keyboard_mouse.h"

namespace {

struct KeySet {
  const char *name;  // as written in the route file
  bool left, right, space;
};

constexpr KeySet KEY_SETS[] = {
    {"none", false, false, false},     {"Left", true, false, false},
    {"Right", false, true, false},     {"Space", false, false, true},
    {"Left+Space", true, false, true}, {"Right+Space", false, true, true},
};
constexpr int KEY_SET_COUNT = sizeof KEY_SETS / sizeof KEY_SETS[0];

struct Segment {
  int keys;   // index into KEY_SETS
  int steps;  // 10 ms steps the keys are held
};
using Route = std::vector<Segment>;

// Lengths a searched segment may have. Short ones time the jumps, long ones
// keep the route easy to replay.
constexpr int SEGMENT_LENGTHS[] = {5, 10, 20, 40, 80};
constexpr int LONGEST_SEGMENT = 80;
constexpr size_t SEARCH_STATES_MAX = 200000;
// Steps the last segment goes on holding its keys past the goal, so that a
// replay with real frames that runs a little slower still gets there.
constexpr int FINAL_HOLD_MARGIN = 50;
constexpr int TIMING_SLACK = 3;  // steps a replayed segment may run long or short

const char *const ROUTE_FILE = TEST_DATA_DIR "/level01_route.txt";
const char *const LEVEL_FOLDER = SOURCE_DIR "/data";

void hold(int keys) {
  std::memset(key_state, 0, sizeof key_state);
  key_state[KEY_LEFT] = KEY_SETS[keys].left;
  key_state[KEY_RIGHT] = KEY_SETS[keys].right;
  key_state[KEY_SPACE] = KEY_SETS[keys].space;
}

// The shipped level as game_load_level reads it from data/, read once and
// kept, since the search replays from the start many times.
const TileMap &shipped_map() {
  static TileMap map;
  static bool loaded = false;
  if (loaded) return map;
  char previous[4096];
  if (getcwd(previous, sizeof previous) == nullptr || chdir(LEVEL_FOLDER) != 0) {
    ADD_FAILURE() << "cannot enter " << LEVEL_FOLDER;
    return map;
  }
  FILE *level = std::fopen(LEVEL_FILE, "rb");
  if (level == nullptr) {
    ADD_FAILURE() << "no " << LEVEL_FILE << " in " << LEVEL_FOLDER;
  } else {
    std::fclose(level);
    std::memset(&tile_map, 0, sizeof tile_map);
    file_select_byte_order();
    game_init_world();
    const TileMap set_up = tile_map;
    game_load_level();
    map = tile_map;
    loaded = true;
    // The set-up map can be finished too, so a file that did not load would
    // pass unseen.
    if (std::memcmp(&map, &set_up, sizeof map) == 0) {
      ADD_FAILURE() << LEVEL_FILE << " did not load: the map is the set-up map";
    }
  }
  if (chdir(previous) != 0) ADD_FAILURE() << "cannot go back to " << previous;
  return map;
}

// The game as the main loop starts it: world set-up, then the level.
void start_level() {
  player = {};
  camera = {};
  goal_reached = 0;
  hold(0);
  game_init_world();
  tile_map = shipped_map();
}

// Steps the route from the current state; returns the steps run up to and
// including the one that reached the goal, or -1 if it never did.
long run_route(const Route &route) {
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

long play_from_start(const Route &route) {
  start_level();
  return run_route(route);
}

// ---- the search ----

// Nearby states behave alike, so states are told apart only to a tenth of a
// tile and a fiftieth of a tile per step; that keeps the search small.
uint64_t quantise(const Player &p) {
  auto bucket = [](float value, float per_unit, int bits) {
    const long q = std::lround(value * per_unit);
    return static_cast<uint64_t>(q) & ((uint64_t{1} << bits) - 1);
  };
  return bucket(p.position.x, 10, 14) | bucket(p.position.y, 10, 14) << 14 |
         bucket(p.velocity.x, 50, 12) << 28 | bucket(p.velocity.y, 50, 12) << 40 |
         static_cast<uint64_t>(p.on_ground != 0) << 52;
}

// A route's cost is its steps plus a charge for every change of keys, so the
// search prefers few long segments, which replay well. Its estimate of the
// rest is the horizontal distance to the goal at the top running speed,
// weighted to head for the goal first and look around only where that fails.
constexpr long KEY_CHANGE_COST = 20;
constexpr double ESTIMATE_WEIGHT = 1.5;
constexpr float TOP_SPEED = RUN_SPEED_MAX + RUN_ACCEL;

double estimate(const Player &p) {
  return std::fabs(GOAL_TILE_X + HALF_SIZE - p.position.x) / TOP_SPEED;
}

struct SearchNode {
  Player player;
  int parent;       // -1 for the start
  Segment segment;  // that led here from the parent
  long cost;
};

Route route_to(const std::vector<SearchNode> &nodes, int index, Segment last) {
  Route route{last};
  for (int i = index; nodes[i].parent >= 0; i = nodes[i].parent) {
    route.insert(route.begin(), nodes[i].segment);
  }
  return route;
}

// Segments with the same keys in a row become one.
Route merged(const Route &route) {
  Route out;
  for (const Segment &segment : route) {
    if (!out.empty() && out.back().keys == segment.keys) {
      out.back().steps += segment.steps;
    } else {
      out.push_back(segment);
    }
  }
  return out;
}

// Best first over held-key segments from the start state. The children of a
// node for one key set share that key set's steps: one run of the longest
// length, sampled at each segment length.
bool search_route(const Player &start, Route *found, size_t *states) {
  std::vector<SearchNode> nodes{{start, -1, {0, 0}, 0}};
  std::unordered_set<uint64_t> seen{quantise(start)};
  using Entry = std::pair<double, int>;  // priority, node
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  open.push({0, 0});
  while (!open.empty() && nodes.size() < SEARCH_STATES_MAX) {
    const int n = open.top().second;
    open.pop();
    for (int keys = 0; keys < KEY_SET_COUNT; ++keys) {
      const bool same_keys = nodes[n].parent >= 0 && nodes[n].segment.keys == keys;
      const long cost = nodes[n].cost + (same_keys ? 0 : KEY_CHANGE_COST);
      player = nodes[n].player;
      goal_reached = 0;
      hold(keys);
      size_t length = 0;
      for (int step = 1; step <= LONGEST_SEGMENT; ++step) {
        game_step();
        if (goal_reached) {
          *found = merged(route_to(nodes, n, {keys, step}));
          *states = nodes.size();
          return true;
        }
        if (step != SEGMENT_LENGTHS[length]) continue;
        ++length;
        if (seen.insert(quantise(player)).second) {
          nodes.push_back({player, n, {keys, step}, cost + step});
          open.push({cost + step + ESTIMATE_WEIGHT * estimate(player),
                     static_cast<int>(nodes.size() - 1)});
        }
      }
    }
  }
  *states = nodes.size();
  return false;
}

// Moves each segment's length to the middle of the run of lengths that still
// reach the goal, the others kept, so the route has slack on both sides.
void centre_route(Route *route) {
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i + 1 < route->size(); ++i) {
      Route trial = *route;
      const int steps = trial[i].steps;
      auto reaches = [&](int length) {
        trial[i].steps = length;
        return length > 0 && play_from_start(trial) >= 0;
      };
      int low = steps, high = steps;
      while (low > 1 && low > steps - LONGEST_SEGMENT && reaches(low - 1)) --low;
      while (high < steps + LONGEST_SEGMENT && reaches(high + 1)) ++high;
      (*route)[i].steps = (low + high) / 2;
    }
  }
}

long route_steps(const Route &route) {
  long steps = 0;
  for (const Segment &segment : route) steps += segment.steps;
  return steps;
}

std::string route_text(const Route &route) {
  std::ostringstream text;
  for (const Segment &segment : route) {
    text << KEY_SETS[segment.keys].name << ' ' << segment.steps << '\n';
  }
  return text.str();
}

// ---- the committed route ----

int key_set_named(const std::string &name) {
  for (int keys = 0; keys < KEY_SET_COUNT; ++keys) {
    if (name == KEY_SETS[keys].name) return keys;
  }
  return -1;
}

// One segment a line, "KEYS STEPS"; blank lines and lines starting with '#'
// are skipped.
bool read_route(const char *path, Route *route, std::string *error) {
  std::ifstream in(path);
  if (!in) {
    *error = std::string("cannot read ") + path;
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name, rest;
    int steps = 0;
    fields >> name >> steps;
    const int keys = key_set_named(name);
    if (!fields || keys < 0 || steps <= 0 || (fields >> rest)) {
      *error = "line " + std::to_string(number) + " is not \"KEYS STEPS\": " + line;
      return false;
    }
    route->push_back({keys, steps});
  }
  return true;
}

class Autoplayer : public ::testing::Test {
 protected:
  void TearDown() override { hold(0); }
};

TEST_F(Autoplayer, SearchFindsARouteToTheGoal) {
  start_level();
  ASSERT_FALSE(HasFailure());
  ASSERT_EQ(goal_reached, 0);
  const Player start = player;
  Route route;
  size_t states = 0;
  ASSERT_TRUE(search_route(start, &route, &states))
      << "the level cannot be finished: no route among " << states << " states";

  ASSERT_GT(play_from_start(route), 0) << "the route found does not replay";
  route.back().steps += FINAL_HOLD_MARGIN;
  centre_route(&route);
  const long steps = play_from_start(route);
  ASSERT_GT(steps, 0);
  route.back().steps =
      static_cast<int>(steps - (route_steps(route) - route.back().steps)) + FINAL_HOLD_MARGIN;

  std::cout << "route found among " << states << " states: " << steps << " steps in "
            << route.size() << " segments\n"
            << route_text(route);
}

bool solid(int x, int y) { return tile_map.tiles[MAP_SIZE * y + x] != 0; }

TEST_F(Autoplayer, ShippedLevelHasTheFullLayoutAClosedBorderAndGroundAtTheStart) {
  FILE *file = std::fopen(SOURCE_DIR "/data/level01.lvl", "rb");
  ASSERT_NE(file, nullptr);
  unsigned char version[4] = {};
  EXPECT_EQ(std::fread(version, 1, 4, file), 4u);
  std::fseek(file, 0, SEEK_END);
  EXPECT_EQ(std::ftell(file), 4 + 4 * MAP_SIZE * MAP_SIZE);
  std::fclose(file);
  EXPECT_EQ(version[0] | version[1] << 8 | version[2] << 16 | version[3] << 24, LEVEL_VERSION);

  start_level();
  for (int i = 0; i < MAP_SIZE; ++i) {
    ASSERT_TRUE(solid(0, i) && solid(MAP_SIZE - 1, i) && solid(i, 0) && solid(i, MAP_SIZE - 1))
        << "the border is open at " << i;
  }
  EXPECT_FALSE(solid(GOAL_TILE_X, GOAL_TILE_Y));
  for (int step = 0; step < 100; ++step) game_step();
  EXPECT_EQ(player.position.x, 64.5f);
  EXPECT_EQ(player.position.y, 129.5f);  // on row 128
  EXPECT_EQ(player.on_ground, 1);
}

class CommittedRoute : public Autoplayer {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(read_route(ROUTE_FILE, &route, &error)) << error;
    ASSERT_FALSE(route.empty()) << ROUTE_FILE << " holds no segment";
  }
  Route route;
};

TEST_F(CommittedRoute, ReachesTheGoal) {
  const long steps = play_from_start(route);
  ASSERT_GT(steps, 0) << "the route ends at (" << player.position.x << ", " << player.position.y
                      << ") without reaching the goal";
  // The goal only comes in the last segment, and not after its keys are let go.
  EXPECT_GT(steps, route_steps(route) - route.back().steps);
  std::cout << "committed route: " << steps << " steps in " << route.size() << " segments\n";
}

TEST_F(CommittedRoute, ReachesTheGoalWithEachSegmentALittleLongerOrShorter) {
  for (size_t i = 0; i < route.size(); ++i) {
    for (int change = -TIMING_SLACK; change <= TIMING_SLACK; ++change) {
      if (change == 0) continue;
      Route varied = route;
      varied[i].steps += change;
      EXPECT_GT(play_from_start(varied), 0)
          << "segment " << i + 1 << " (" << KEY_SETS[route[i].keys].name << ' ' << route[i].steps
          << ") held " << change << " steps " << (change > 0 ? "longer" : "shorter")
          << " misses the goal";
    }
  }
}

// Real frames shift every key change a little, all along the route.
TEST_F(CommittedRoute, ReachesTheGoalWithAllSegmentsALittleLongerOrShorterAtOnce) {
  const int patterns[][2] = {{TIMING_SLACK, TIMING_SLACK},
                             {-TIMING_SLACK, -TIMING_SLACK},
                             {TIMING_SLACK, -TIMING_SLACK},
                             {-TIMING_SLACK, TIMING_SLACK}};
  for (const auto &pattern : patterns) {
    Route varied = route;
    for (size_t i = 0; i < varied.size(); ++i) varied[i].steps += pattern[i % 2];
    EXPECT_GT(play_from_start(varied), 0)
        << "odd segments " << pattern[0] << ", even segments " << pattern[1] << " steps";
  }
}

}  // namespace
