// The real game played on a real window: its window and first frames, the
// camera following the player, the goal message, closing the window and
// Escape.
//
// The view is 24 tiles across the 800-pixel window and 18 up its 600 pixels,
// centred on the camera, so a tile is 100/3 pixels square and world point
// (x, y) shows at window pixel (400 + (x - camera x) * 100/3,
// 300 - (y - camera y) * 100/3), y growing upward in the world and downward
// on the screen.
#include <X11/keysym.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

#include "tests/window/message_ink.h"

namespace window_test {
namespace {

constexpr milliseconds SETTLE_TIMEOUT = 20s;
constexpr milliseconds SCROLL_TIMEOUT = 15s;
constexpr milliseconds MESSAGE_TIMEOUT = 10s;
constexpr milliseconds EXIT_TIMEOUT = 5s;
// Holding Right and Space on the test level reaches the goal after about 8 s
// of game time; a loaded machine may run the game slower than the clock.
constexpr milliseconds RUN_TO_GOAL_TIMEOUT = 40s;
constexpr milliseconds STEP = 10ms;  // game time per simulation step
constexpr milliseconds CLOCK_TIMEOUT = 10s;
// How many times slower than the wall clock a stalled game may run through
// the route before the replay gives up on it.
constexpr int SLOWEST_GAME = 10;
constexpr long FRAMES_TO_SEE = 20;

constexpr double TILE_PIXELS = 800.0 / 24;
// Edges may land a pixel or two off the exact values: rasterisation rounds
// them to pixel centres.
constexpr double EDGE_TOLERANCE = 2;
// How wide the black strips checked just outside a shape are.
constexpr int STRIP = 8;

struct Camera {
  double x, y;
};
// Where the camera starts, and where it ends once Right has pushed the player
// against the two-tile block at column 70 of the shipped level: the player
// stops at x 69.5, two tiles right of the camera.
constexpr Camera START_CAMERA{64, 130};
constexpr Camera CAMERA_AT_BLOCK{67.5, 130};
// The player rests on row 128 after its first fall from (64.5, 130): its
// square is the tile (64, 129), window pixels 400 to 433 across and down.
constexpr int FLOOR_ROW = 128;

double window_x(double x, Camera camera) { return 400 + (x - camera.x) * TILE_PIXELS; }
double window_y(double y, Camera camera) { return 300 - (y - camera.y) * TILE_PIXELS; }

// The window pixels of the world rectangle from (x0, y0) to (x1, y1): with a
// positive inset those surely inside it, with a negative one all that it may
// light.
Rect pixels_of(double x0, double y0, double x1, double y1, Camera camera, double inset) {
  const bool inner = inset > 0;
  auto rounded = [](double value, bool up) {
    return int(up ? std::ceil(value) : std::floor(value));
  };
  const int left = rounded(window_x(x0, camera) + inset, inner);
  const int right = rounded(window_x(x1, camera) - inset, !inner);
  const int top = rounded(window_y(y1, camera) + inset, inner);
  const int bottom = rounded(window_y(y0, camera) - inset, !inner);
  return {left, top, right - left, bottom - top};
}

// The player standing on the floor at x, and the black strips beside it.
struct Square {
  Rect inner, outer;
  Rect strip_left() const { return {outer.x - STRIP, inner.y, STRIP, inner.height}; }
  Rect strip_above() const { return {inner.x, outer.y - STRIP, inner.width, STRIP}; }
};
Square player_at(double x, Camera camera) {
  return {pixels_of(x - 0.5, FLOOR_ROW + 1, x + 0.5, FLOOR_ROW + 2, camera, EDGE_TOLERANCE),
          pixels_of(x - 0.5, FLOOR_ROW + 1, x + 0.5, FLOOR_ROW + 2, camera, -EDGE_TOLERANCE)};
}

bool all_of(const Capture &picture, Rgb colour, Rect region) {
  return region.width > 0 && region.height > 0 && picture.count_not(colour, region) == 0;
}

bool player_rests_at_start(const Capture &picture) {
  const Square player = player_at(64.5, START_CAMERA);
  return all_of(picture, WHITE, player.inner) && all_of(picture, BLACK, player.strip_above());
}

// How many pixels are lit outside all of `shapes`.
int lit_outside(const Capture &picture, const std::vector<Rect> &shapes) {
  int lit = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      auto within = [&](Rect r) {
        return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
      };
      lit += picture.pixel(x, y) != BLACK && std::none_of(shapes.begin(), shapes.end(), within);
    }
  }
  return lit;
}

// The first lit pixel of row y from column `from` rightward, or -1.
int first_lit_from(const Capture &picture, int y, int from) {
  for (int x = std::max(from, 0); x < picture.width(); ++x) {
    if (picture.pixel(x, y) != BLACK) return x;
  }
  return -1;
}

// One past the last lit pixel of row y left of column `before`, or -1: where
// a shape's right edge is.
int right_edge_before(const Capture &picture, int y, int before) {
  for (int x = std::min(before, picture.width()) - 1; x >= 0; --x) {
    if (picture.pixel(x, y) != BLACK) return x + 1;
  }
  return -1;
}

// The clock preloaded into the game (game_clock.cpp): what it shows at the
// game's buffer swaps, and the limit at which it stops the game.
class GameClock {
 public:
  explicit GameClock(const std::filesystem::path &folder)
      : clock_file_(folder / "clock"), limit_file_(folder / "clock-limit") {}

  void add_to(ProgramOptions *options) const {
    options->environment = {{"LD_PRELOAD", GAME_CLOCK},
                            {"GAME_CLOCK_FILE", clock_file_.string()},
                            {"GAME_CLOCK_LIMIT_FILE", limit_file_.string()}};
  }

  // Stops the game once its clock reaches `time`; a time already passed
  // stops it at its next frame.
  void stop_at(long time) const {
    const std::filesystem::path side = limit_file_.string() + ".part";
    std::ofstream(side) << time << "\n";
    std::filesystem::rename(side, limit_file_);
  }
  void run_free() const { std::filesystem::remove(limit_file_); }

  // The time at which the game stands stopped, once it does at `time` or
  // later; nothing if it does not within `timeout`.
  std::optional<long> wait_until_stopped(long time, milliseconds timeout) const {
    Reading now;
    if (!wait_until([&] { return (now = read()).stopped && now.time >= time; }, timeout)) {
      return std::nullopt;
    }
    return now.time;
  }
  long swaps() const { return read().swaps; }  // -1 before the first swap

 private:
  struct Reading {
    long time = -1;
    bool stopped = false;
    long swaps = -1;
  };
  Reading read() const {
    std::ifstream file(clock_file_);
    Reading reading;
    std::string state;
    if (!(file >> reading.time >> state >> reading.swaps)) return {};
    reading.stopped = state == "stopped";
    return reading;
  }

  std::filesystem::path clock_file_, limit_file_;
};

enum KeyBit : unsigned { LEFT_KEY = 1, RIGHT_KEY = 2, SPACE_KEY = 4 };
constexpr std::pair<KeyBit, KeySym> KEY_SYMS[] = {
    {LEFT_KEY, XK_Left}, {RIGHT_KEY, XK_Right}, {SPACE_KEY, XK_space}};

struct Segment {
  unsigned keys;
  int steps;
};

// "KEYS STEPS" lines, KEYS being none or key names joined by '+'; '#' starts
// a comment line.
std::vector<Segment> read_route(const std::string &path) {
  const std::map<std::string, KeyBit> names{
      {"Left", LEFT_KEY}, {"Right", RIGHT_KEY}, {"Space", SPACE_KEY}};
  std::ifstream file(path);
  std::vector<Segment> route;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string keys;
    Segment segment{0, 0};
    if (!(fields >> keys >> segment.steps)) throw std::runtime_error("bad route line: " + line);
    std::istringstream key_names(keys);
    for (std::string name; std::getline(key_names, name, '+');) {
      if (name != "none") segment.keys |= names.at(name);
    }
    route.push_back(segment);
  }
  return route;
}

// Where the goal message must lie, from the advances (in font-image pixels,
// 30 of them per unit of text size) that the font tool wrote down: 24 view
// units high, centred on view x 320, top at view y 240, the 640 by 480 view
// mapped onto 800 by 600 pixels.
TextLayout message_layout() {
  std::ifstream file(FONT_ADVANCES_FILE);
  std::map<int, double> advances;
  for (std::string line; std::getline(file, line);) {
    std::istringstream fields(line);
    int code = 0;
    double advance = 0;
    if (line.empty() || line[0] == '#' || !(fields >> code >> advance)) continue;
    advances[code] = advance;
  }
  constexpr double SIZE = 24, PIXELS_PER_UNIT = 800.0 / 640;
  auto pixels = [&](const std::string &text) {
    double width = 0;
    for (unsigned char ch : text) width += advances.at(ch) / 30 * SIZE * PIXELS_PER_UNIT;
    return width;
  };
  TextLayout layout;
  layout.width = pixels("Fuck off!");
  layout.height = SIZE * PIXELS_PER_UNIT;
  layout.left = 320 * PIXELS_PER_UNIT - layout.width / 2;
  layout.top = 240 * PIXELS_PER_UNIT;
  layout.space_left = layout.left + pixels("Fuck");
  layout.space_right = layout.left + pixels("Fuck ");
  layout.letters = 8;
  return layout;
}

// The set-up map (closed border, floor at row 128) plus a wall just right of
// the goal's column 138, too high to jump: holding Right and Space runs the
// player into it, where it goes on jumping in place at x 138.5, and a jump
// from the floor rises to y 133.47, into the goal tile (138, 133). The file
// holds the version, 1, and the 256 by 256 tiles, all little-endian int32.
void write_wall_level(const std::filesystem::path &path) {
  constexpr int SIZE = 256, GOAL_COLUMN = 138;
  std::vector<int32_t> tiles(1 + SIZE * SIZE, 0);
  tiles[0] = 1;
  auto solid = [&](int x, int y) { tiles[size_t(1 + SIZE * y + x)] = 1; };
  for (int i = 0; i < SIZE; ++i) {
    solid(0, i), solid(SIZE - 1, i), solid(i, 0), solid(i, SIZE - 1), solid(i, FLOOR_ROW);
  }
  for (int row = FLOOR_ROW + 1; row <= FLOOR_ROW + 8; ++row) solid(GOAL_COLUMN + 1, row);
  static_assert(std::endian::native == std::endian::little);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(tiles.data()), std::streamsize(tiles.size() * 4));
}

class GamePlay : public WindowTest {
 protected:
  // The shipped level and images (or only `part` of them) in the game's folder.
  void copy_game_data(const std::string &part = "") {
    std::filesystem::copy(DATA_DIR + part, work_dir().string() + part,
                          std::filesystem::copy_options::recursive);
  }

  Program &start_game(const GameClock *clock = nullptr) {
    ProgramOptions options;
    if (clock != nullptr) clock->add_to(&options);
    return start(QUILLARY, options);
  }

  // The game's window, once its first frames have dropped the player onto the
  // floor, with the input focus so that keys reach it.
  std::optional<Window> window_with_player_at_rest(Program &game) {
    const std::optional<Window> window = wait_for_window(game);
    if (!window) return window;
    const Capture start = wait_for_picture(*window, "start", player_rests_at_start, SETTLE_TIMEOUT);
    if (!player_rests_at_start(start)) {
      ADD_FAILURE() << "the player is not at rest on the floor at "
                    << player_at(64.5, START_CAMERA).inner;
      return std::nullopt;
    }
    focus(*window);
    return window;
  }

  // Presses and releases what differs between two sets of held keys.
  void change_keys(unsigned held, unsigned wanted) {
    for (const auto &[bit, sym] : KEY_SYMS) {
      if ((held & bit) && !(wanted & bit)) release_key(sym);
      if (!(held & bit) && (wanted & bit)) press_key(sym);
    }
  }

  // Holds each segment's keys for its steps of game time: the game stands
  // stopped at every change of keys, so each change acts from its step on,
  // however slowly the game and the test run.
  void replay(const std::vector<Segment> &route, const GameClock &clock) {
    clock.stop_at(0);
    std::optional<long> time = clock.wait_until_stopped(0, CLOCK_TIMEOUT);
    ASSERT_TRUE(time) << "the game's clock does not stop";
    unsigned held = 0;
    for (const Segment &segment : route) {
      change_keys(held, segment.keys);
      held = segment.keys;
      const long change = *time + segment.steps * STEP.count();
      clock.stop_at(change);
      time = clock.wait_until_stopped(change, segment.steps * STEP * SLOWEST_GAME + CLOCK_TIMEOUT);
      ASSERT_TRUE(time) << "the game's clock did not reach " << change << " ms";
    }
    change_keys(held, 0);
    clock.run_free();
  }

  // Once the goal is reached the world is no longer drawn: what light is left
  // is less than the message's box holds. Any view of the world shows more,
  // whole rows of tiles.
  void expect_goal_message(Window window, milliseconds timeout) {
    const TextLayout layout = message_layout();
    auto world_gone = [&](const Capture &picture) {
      return picture.count_not(BLACK, picture.bounds()) <= layout.width * layout.height;
    };
    const Capture picture = wait_for_picture(window, "goal", world_gone, timeout);
    ASSERT_TRUE(world_gone(picture))
        << "the world is still drawn: the goal was not reached, or the world is drawn after it";
    EXPECT_TRUE(shows_only_text(picture, layout));
  }
};

// Without a level file the game plays the set-up map: the border and the
// floor at row 128. The camera starts one tile above the floor's top, so the
// window shows the player and the floor row across it, and black elsewhere.
TEST_F(GamePlay, WithoutALevelTheWindowShowsThePlayerOnTheFloorFrameAfterFrameUntilClosed) {
  const GameClock clock(work_dir());  // no limit: it only counts the frames
  Program &game = start_game(&clock);
  const std::optional<Window> window = window_with_player_at_rest(game);
  ASSERT_TRUE(window);
  EXPECT_EQ(geometry(*window).width, 800);
  EXPECT_EQ(geometry(*window).height, 600);
  const long first = clock.swaps();
  EXPECT_TRUE(wait_until([&] { return clock.swaps() >= first + FRAMES_TO_SEE; }, SETTLE_TIMEOUT))
      << "the swap count went from " << first << " only to " << clock.swaps();

  const Capture picture = wait_for_picture(*window, "rest");
  const Square player = player_at(64.5, START_CAMERA);
  const Rect floor = pixels_of(52, FLOOR_ROW, 76, FLOOR_ROW + 1, START_CAMERA, EDGE_TOLERANCE);
  const Rect floor_band =
      pixels_of(52, FLOOR_ROW, 76, FLOOR_ROW + 1, START_CAMERA, -EDGE_TOLERANCE);
  EXPECT_TRUE(all_of(picture, WHITE, player.inner)) << "the player is not at " << player.inner;
  EXPECT_TRUE(all_of(picture, WHITE, {0, floor.y, 800, floor.height}))
      << "the floor does not span the window";
  EXPECT_EQ(lit_outside(picture, {player.outer, {0, floor_band.y, 800, floor_band.height}}), 0)
      << "pixels are lit away from the player and the floor";

  close_window(*window);
  EXPECT_EQ(game.wait_for_exit(EXIT_TIMEOUT), 0);
}

// In the shipped level the ledge of row 136 (columns 56 to 61) shows near
// the top of the window and a two-tile block (columns 70 to 80, rows 129 and
// 130) on the right at the player's height. Right runs the player into the
// block; the camera follows, two tiles behind, and the scenery shifts left by
// the 3.5 tiles the camera moved.
TEST_F(GamePlay, HoldingRightScrollsTheWorldWhileThePlayerStaysNearTheMiddle) {
  copy_game_data();
  Program &game = start_game();
  const std::optional<Window> window = window_with_player_at_rest(game);
  ASSERT_TRUE(window);

  const int ledge_y = int(window_y(136.5, START_CAMERA));  // the middle of row 136
  const int block_y = int(window_y(130.5, START_CAMERA));  // the block's upper row
  const Capture before = wait_for_picture(*window, "before");
  EXPECT_NEAR(right_edge_before(before, ledge_y, 400), window_x(62, START_CAMERA), EDGE_TOLERANCE);
  EXPECT_NEAR(first_lit_from(before, block_y, 400), window_x(70, START_CAMERA), EDGE_TOLERANCE);

  // The player's left edge in every frame seen on the way: the camera keeps
  // its centre within two tiles of the window's centre. Left of it on its
  // row lies only the level's left wall, column 54, whose right edge starts
  // at x 100 and only moves left.
  const int player_y = int(window_y(FLOOR_ROW + 1.5, START_CAMERA));
  const int right_of_wall = int(window_x(55, START_CAMERA)) + 1;
  const double nearest = 400 - 2.5 * TILE_PIXELS - EDGE_TOLERANCE;
  const double farthest = 400 + 1.5 * TILE_PIXELS + EDGE_TOLERANCE;
  std::vector<int> strays;
  int last_block = -1;
  // The scene passes the end place on the way: judge it once it has stopped,
  // when two captures in a row agree.
  auto block_reached = [&](const Capture &picture) {
    const int player_left = first_lit_from(picture, player_y, right_of_wall);
    if (player_left < nearest || player_left > farthest) strays.push_back(player_left);
    const int block = first_lit_from(picture, block_y, 400);
    return block == std::exchange(last_block, block) &&
           std::abs(block - window_x(70, CAMERA_AT_BLOCK)) <= EDGE_TOLERANCE;
  };
  press_key(XK_Right);
  const Capture after = wait_for_picture(*window, "after", block_reached, SCROLL_TIMEOUT);
  release_key(XK_Right);
  EXPECT_TRUE(block_reached(after)) << "the block is not where the camera should leave it";
  EXPECT_TRUE(strays.empty()) << strays.size() << " frames had the player's left edge outside "
                              << nearest << ".." << farthest << ", the first at x "
                              << (strays.empty() ? 0 : strays.front());
  EXPECT_NEAR(right_edge_before(after, ledge_y, 400), window_x(62, CAMERA_AT_BLOCK),
              EDGE_TOLERANCE);
  const Square player = player_at(69.5, CAMERA_AT_BLOCK);  // window pixels 450 to 483
  EXPECT_TRUE(all_of(after, WHITE, player.inner)) << "the player is not at " << player.inner;
  EXPECT_TRUE(all_of(after, BLACK, player.strip_left()));
  EXPECT_TRUE(all_of(after, BLACK, player.strip_above()));
}

// The route an automatic player found through the shipped level, replayed
// with real key presses, each held for its segment's steps of game time.
// (In real time, with the keys changed by the wall clock, a loaded machine
// stalls the game often enough to miss the route's margins.)
TEST_F(GamePlay, ReplayingTheRouteThroughTheShippedLevelLeavesOnlyTheGoalMessage) {
  const std::vector<Segment> route = read_route(ROUTE_FILE);
  ASSERT_FALSE(route.empty());
  copy_game_data();
  const GameClock clock(work_dir());
  Program &game = start_game(&clock);
  const std::optional<Window> window = window_with_player_at_rest(game);
  ASSERT_TRUE(window);
  replay(route, clock);
  ASSERT_FALSE(HasFatalFailure());
  expect_goal_message(*window, MESSAGE_TIMEOUT);
}

// The message stays until the player quits; Escape quits.
TEST_F(GamePlay, RunningAndJumpingIntoTheGoalOfATestLevelLeavesOnlyTheGoalMessageUntilEscape) {
  copy_game_data("/texture");
  write_wall_level(work_dir() / "level01.lvl");
  Program &game = start_game();
  const std::optional<Window> window = window_with_player_at_rest(game);
  ASSERT_TRUE(window);
  change_keys(0, RIGHT_KEY | SPACE_KEY);
  expect_goal_message(*window, RUN_TO_GOAL_TIMEOUT);
  change_keys(RIGHT_KEY | SPACE_KEY, 0);
  tap_key(XK_Escape);
  EXPECT_EQ(game.wait_for_exit(EXIT_TIMEOUT), 0);
}

}  // namespace
}  // namespace window_test
