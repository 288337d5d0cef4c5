// find_route: searches a level for a route from the player's start to the
// goal, with the game's own simulation step, and writes the route down.
//
//   find_route LEVEL_FOLDER ROUTE_FILE
//
// The level is LEVEL_FOLDER/level01.lvl, loaded the way the game loads it.
// A route is a list of segments, each some keys held for some 10 ms steps.
// The search is best first over such segments; then each segment is moved
// to the middle of the lengths that still reach the goal, and the route is
// checked to reach it also when its segments run a few steps long or short,
// as a replay through real frames may make them.
//
// ROUTE_FILE gets '#' comment lines, then one segment a line, "KEYS STEPS",
// KEYS being none, Left, Right, Space, Left+Space or Right+Space. The same
// level always gives the same file.
//
// Exit status 0 when a route was found, checked and written; 1 when none was
// found or the check failed; 2 for wrong arguments, a level that does not
// load or a file that cannot be written.
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <queue>
#include <set>
#include <string>
#include <vector>

#include "app/world.h"
#include "files/streams.h"
#include "input/keyboard_mouse.h"

namespace {

// The key sets a segment may hold, by name as in the route file.
constexpr const char *KEY_NAMES[] = {"none", "Left", "Right", "Space", "Left+Space", "Right+Space"};

struct Segment { int keys, steps; };  // an index into KEY_NAMES, held for 10 ms steps
using Route = std::vector<Segment>;

constexpr int SEGMENT_LENGTHS[] = {5, 10, 20, 40, 80};  // short ones time the jumps
constexpr int LONGEST_SEGMENT = 80;
constexpr size_t SEARCH_STATES_MAX = 200000;
constexpr int FINAL_HOLD_MARGIN = 50;  // steps the last keys stay held past the goal
constexpr int TIMING_SLACK = 3;        // steps a replayed segment may run long or short
// check_slack() changes one segment, or all of them (-1), or all of them with
// every second one the other way (this).
constexpr int ALTERNATE_SEGMENTS = -2;
constexpr int NO_ROUTE = 1;            // exit statuses
constexpr int FILE_ERROR = 2;

// A route costs its steps plus a charge per change of keys, so that few long
// segments, which replay well, win. The estimate of the rest is the distance
// to the goal column at top speed, weighted to head for the goal first.
constexpr long KEY_CHANGE_COST = 20;
constexpr double ESTIMATE_WEIGHT = 1.5 / (RUN_SPEED_MAX + RUN_ACCEL);

// Filled in with FINAL_HOLD_MARGIN and TIMING_SLACK twice.
constexpr const char *ROUTE_HEADER =
    "# A route from start to goal of level01.lvl, written by tools/find_route.\n"
    "# One segment a line: the keys held (none, Left, Right, Space, Left+Space or\n"
    "# Right+Space) and for how many 10 ms steps; the goal comes %d steps before\n"
    "# the end. It still reaches the goal with any segment 1 to %d steps longer or\n"
    "# shorter, or all by %d at once (also alternately): replays need not be exact.\n";

TileMap set_up_map;  // the map before the level file is read over it
TileMap level;       // as loaded; every replay starts on a fresh copy

// A small tool may simply stop where it finds a problem.
[[noreturn]] void quit(int status, const std::string &message) {
  std::fprintf(stderr, "find_route: %s\n", message.c_str());
  std::exit(status);
}

// The key set's name says which keys it holds; no other key is ever pressed.
void hold(int keys) {
  const std::string name = KEY_NAMES[keys];
  key_state[KEY_LEFT] = name.find("Left") != std::string::npos;
  key_state[KEY_RIGHT] = name.find("Right") != std::string::npos;
  key_state[KEY_SPACE] = name.find("Space") != std::string::npos;
}

// As start-up does it, from inside the folder, since the game opens the level
// by its bare name. The set-up map alone can be finished too, so a level that
// changed nothing counts as not loaded.
void load_level(const std::string &folder) {
  if (chdir(folder.c_str()) != 0) quit(FILE_ERROR, folder + " cannot be entered");
  file_select_byte_order();
  game_init_world();
  set_up_map = tile_map;
  game_load_level();
  level = tile_map;
  if (std::memcmp(&level, &set_up_map, sizeof level) == 0) {
    quit(FILE_ERROR, folder + "/" + LEVEL_FILE + " did not load");
  }
}

// The world as the main loop starts it, on the loaded level.
void start_world() {
  player = {};
  goal_reached = 0;
  game_init_world();
  tile_map = level;
}

// From the start, the steps up to and including the one that reached the
// goal, or -1.
long play_from_start(const Route &route) {
  start_world();
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

// Nearby states behave alike: they are told apart only to a tenth of a tile
// and a fiftieth of a tile per step, which keeps the search small.
std::array<long, 5> quantise(const Player &p) {
  return {std::lround(p.position.x * 10), std::lround(p.position.y * 10),
          std::lround(p.velocity.x * 50), std::lround(p.velocity.y * 50), p.on_ground};
}

// The route with one more segment, merged into the last if the keys are the same.
Route then(Route route, Segment next) {
  if (!route.empty() && route.back().keys == next.keys) route.back().steps += next.steps;
  else route.push_back(next);
  return route;
}

// Best first over held-key segments from the start: a route to the goal, or
// none, and the number of states looked at. A node's children for one key set
// share one run of the longest length, sampled at each segment length. Ties
// go to the older node, so the result is repeatable.
std::pair<Route, size_t> search_route() {
  start_world();
  struct Node { Player player; Route route; long cost; };
  std::vector<Node> nodes{{player, {}, 0}};
  std::set<std::array<long, 5>> seen{quantise(player)};
  using Entry = std::pair<double, size_t>;  // priority, node
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  open.push({0, 0});
  while (!open.empty() && nodes.size() < SEARCH_STATES_MAX) {
    const size_t n = open.top().second;
    open.pop();
    for (int keys = 0; keys < static_cast<int>(std::size(KEY_NAMES)); ++keys) {
      const bool same_keys = !nodes[n].route.empty() && nodes[n].route.back().keys == keys;
      const long cost = nodes[n].cost + (same_keys ? 0 : KEY_CHANGE_COST);
      player = nodes[n].player;
      hold(keys);
      for (int step = 1, length = 0; step <= LONGEST_SEGMENT; ++step) {
        game_step();
        if (goal_reached) return {then(nodes[n].route, {keys, step}), nodes.size()};
        if (step != SEGMENT_LENGTHS[length]) continue;
        ++length;
        if (!seen.insert(quantise(player)).second) continue;
        nodes.push_back({player, then(nodes[n].route, {keys, step}), cost + step});
        const double rest = std::fabs(GOAL_TILE_X + HALF_SIZE - player.position.x);
        open.push({cost + step + ESTIMATE_WEIGHT * rest, nodes.size() - 1});
      }
    }
  }
  return {{}, nodes.size()};
}

// Moves each segment's length but the last to the middle of the run of
// lengths that still reach the goal, so the route has slack both ways. A
// second pass centres again in the ranges the first pass changed.
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

// Cuts the last segment to end FINAL_HOLD_MARGIN steps after the goal, which
// must come in it: an earlier goal would leave the segment idle.
void end_after_goal(Route *route) {
  const long steps = play_from_start(*route);
  long before_last = 0;
  for (size_t i = 0; i + 1 < route->size(); ++i) before_last += (*route)[i].steps;
  if (steps <= before_last) quit(NO_ROUTE, "the goal comes before the last segment");
  route->back().steps = static_cast<int>(steps + FINAL_HOLD_MARGIN - before_last);
}

// Real frames shift every change of keys a little: the goal must still come
// with each segment alone up to TIMING_SLACK steps longer or shorter, and
// with all of them changed by the full slack at once, also alternately.
void check_slack(const Route &route) {
  const int count = static_cast<int>(route.size());
  for (int which = ALTERNATE_SEGMENTS; which < count; ++which) {
    for (int change = -TIMING_SLACK; change <= TIMING_SLACK; ++change) {
      if (change == 0 || (which < 0 && std::abs(change) != TIMING_SLACK)) continue;
      Route trial = route;
      std::string changes;  // for the message
      for (int i = 0; i < count; ++i) {
        const int by = which >= 0 && i != which ? 0
                       : which == ALTERNATE_SEGMENTS && i % 2 ? -change : change;
        trial[i].steps += by;
        changes += ' ' + std::to_string(by);
      }
      if (play_from_start(trial) > 0) continue;
      quit(NO_ROUTE, "the route misses the goal with its segments changed by" + changes);
    }
  }
}

void write_route(const std::filesystem::path &file, const Route &route) {
  std::FILE *out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) quit(FILE_ERROR, file.string() + " cannot be written");
  std::fprintf(out, ROUTE_HEADER, FINAL_HOLD_MARGIN, TIMING_SLACK, TIMING_SLACK);
  for (const Segment &s : route) std::fprintf(out, "%s %d\n", KEY_NAMES[s.keys], s.steps);
  // '|', not '||': the file is closed whatever ferror says.
  if (std::ferror(out) | std::fclose(out)) quit(FILE_ERROR, file.string() + " cannot be written");
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3 || *argv[2] == '\0') quit(FILE_ERROR, "usage: find_route LEVEL_FOLDER ROUTE_FILE");
  // Named from where the tool was started, before it moves into the level's folder.
  const std::filesystem::path route_file = std::filesystem::absolute(argv[2]);
  load_level(argv[1]);
  auto [route, states] = search_route();
  if (route.empty()) quit(NO_ROUTE, "no route among " + std::to_string(states) + " states");
  route.back().steps += FINAL_HOLD_MARGIN;  // the last keys stay held while centring
  centre_route(&route);
  end_after_goal(&route);
  check_slack(route);
  write_route(route_file, route);
  std::printf("find_route: %ld steps to the goal in %zu segments, %zu states searched\n",
              play_from_start(route), route.size(), states);
}
