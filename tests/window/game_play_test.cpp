// The real game played on a real window: what the first frames show, the
// camera following the player, the goal message, and Escape.
//
// The view is 24 tiles across the 800-pixel window and 18 up its 600 pixels,
// centred on the camera, so a tile is 100/3 pixels square and world point
// (x, y) shows at window pixel (400 + (x - camera x) * 100/3,
// 300 - (y - camera y) * 100/3), y growing upward in the world and downward
// on the screen.
#include <X11/keysym.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "tests/window/message_ink.h"
#include "tests/window/window_test.h"

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
constexpr milliseconds CLOCK_POLL = 1ms;
constexpr milliseconds CLOCK_TIMEOUT = 10s;
// How many times slower than the wall clock a stalled game may run through
// the route before the replay gives up on it.
constexpr int SLOWEST_GAME = 10;

constexpr Rect WINDOW{0, 0, 800, 600};
constexpr double TILE_PIXELS = 800.0 / 24;
constexpr double CENTRE_X = 400, CENTRE_Y = 300;
// Edges may land a pixel or two off the exact values: rasterisation rounds
// them to pixel centres.
constexpr double EDGE_TOLERANCE = 2;
// How wide the black strips checked just outside a shape are.
constexpr int STRIP = 8;

struct CameraPlace {
  double x, y;
};
// Where the camera starts, and where it ends once Right has pushed the player
// against the two-tile block at column 70 of the shipped level: the player
// stops at x 69.5, two tiles right of the camera.
constexpr CameraPlace START_CAMERA{64, 130};
constexpr CameraPlace CAMERA_AT_BLOCK{67.5, 130};
// The player's resting place after the fall from (64.5, 130) onto row 128.
constexpr double PLAYER_START_X = 64.5, PLAYER_REST_Y = 129.5;
constexpr double PLAYER_AT_BLOCK_X = 69.5;
constexpr int FLOOR_ROW = 128;

double window_x(double world_x, CameraPlace camera) {
  return CENTRE_X + (world_x - camera.x) * TILE_PIXELS;
}
double window_y(double world_y, CameraPlace camera) {
  return CENTRE_Y - (world_y - camera.y) * TILE_PIXELS;
}

// The whole pixels of a window rectangle given by its edges, kept `inset`
// pixels clear of them.
Rect pixels_within(double left, double top, double right, double bottom, double inset) {
  const int x0 = int(std::ceil(left + inset)), y0 = int(std::ceil(top + inset));
  const int x1 = int(std::floor(right - inset)), y1 = int(std::floor(bottom - inset));
  return {x0, y0, x1 - x0, y1 - y0};
}

// A world square of one tile whose lower left corner is (x, y).
struct TileSquare {
  double left, top, right, bottom;  // window pixels
};
TileSquare square_at(double x, double y, CameraPlace camera) {
  return {window_x(x, camera), window_y(y + 1, camera), window_x(x + 1, camera),
          window_y(y, camera)};
}

Rect inside(const TileSquare &square) {
  return pixels_within(square.left, square.top, square.right, square.bottom, EDGE_TOLERANCE);
}

// The player at rest after its first fall: over window pixels 400 to 433 and
// 300 to 333, standing on the floor.
TileSquare resting_player() {
  return square_at(PLAYER_START_X - 0.5, PLAYER_REST_Y - 0.5, START_CAMERA);
}

Rect strip_left_of(const TileSquare &square) {
  const int right = int(std::floor(square.left - EDGE_TOLERANCE));
  const Rect side = inside(square);
  return {right - STRIP, side.y, STRIP, side.height};
}
Rect strip_right_of(const TileSquare &square) {
  const int left = int(std::ceil(square.right + EDGE_TOLERANCE));
  const Rect side = inside(square);
  return {left, side.y, STRIP, side.height};
}
Rect strip_above(const TileSquare &square) {
  const int bottom = int(std::floor(square.top - EDGE_TOLERANCE));
  const Rect side = inside(square);
  return {side.x, bottom - STRIP, side.width, STRIP};
}

bool all_of(const Capture &picture, Rgb colour, Rect region) {
  return region.width > 0 && region.height > 0 && picture.count_not(colour, region) == 0;
}

bool player_rests_at_start(const Capture &picture) {
  const TileSquare player = resting_player();
  return all_of(picture, WHITE, inside(player)) && all_of(picture, BLACK, strip_above(player));
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

// ---- the game's clock ----

// The clock preloaded into the game (game_clock.cpp): what it shows at the
// game's buffer swaps, and the limit at which it stops the game.
class GameClock {
 public:
  explicit GameClock(const std::filesystem::path &folder)
      : clock_file_(folder / "clock"), limit_file_(folder / "clock-limit") {}

  void add_to(ProgramOptions *options) const {
    options->environment.insert(options->environment.end(),
                                {{"LD_PRELOAD", GAME_CLOCK},
                                 {"GAME_CLOCK_FILE", clock_file_.string()},
                                 {"GAME_CLOCK_LIMIT_FILE", limit_file_.string()}});
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
    long shown = -1;
    bool stopped = false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!(read(&shown, &stopped) && stopped && shown >= time)) {
      if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
      std::this_thread::sleep_for(CLOCK_POLL);
    }
    return shown;
  }

 private:
  bool read(long *shown, bool *stopped) const {
    std::ifstream file(clock_file_);
    std::string state;
    if (!(file >> *shown >> state)) return false;
    *stopped = state == "stopped";
    return true;
  }

  std::filesystem::path clock_file_, limit_file_;
};

// ---- keys ----

enum KeyBit : unsigned { LEFT_KEY = 1, RIGHT_KEY = 2, SPACE_KEY = 4 };
constexpr std::pair<KeyBit, KeySym> KEY_SYMS[] = {
    {LEFT_KEY, XK_Left}, {RIGHT_KEY, XK_Right}, {SPACE_KEY, XK_space}};

// Presses and releases what differs between two sets of held keys.
void change_keys(const XSession &session, unsigned held, unsigned wanted) {
  for (const auto &[bit, sym] : KEY_SYMS) {
    if ((held & bit) && !(wanted & bit)) session.release_key(sym);
    if (!(held & bit) && (wanted & bit)) session.press_key(sym);
  }
}

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
  if (!file) throw std::runtime_error("cannot read " + path);
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

// ---- the goal message ----

constexpr const char *MESSAGE = "Fuck off!";
constexpr double MESSAGE_SIZE = 24;              // view units
constexpr double MESSAGE_X = 320, MESSAGE_Y = 240;  // anchor, view units
constexpr double GLYPH_PIXELS = 30;              // font-image pixels per unit of text size
constexpr double PIXELS_PER_UNIT = 800.0 / 640;  // the 640 by 480 view on 800 by 600

// Advances in font-image pixels by character code, as the font tool wrote
// them down: "code a character" lines.
std::map<int, double> read_advances(const std::string &path) {
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot read " + path);
  std::map<int, double> advances;
  for (std::string line; std::getline(file, line);) {
    std::istringstream fields(line);
    int code = 0;
    double advance = 0;
    if (line.empty() || line[0] == '#' || !(fields >> code >> advance)) continue;
    advances[code] = advance;
  }
  return advances;
}

double text_pixels(const std::string &text, const std::map<int, double> &advances) {
  double width = 0;
  for (unsigned char ch : text) width += advances.at(ch) / GLYPH_PIXELS * MESSAGE_SIZE;
  return width * PIXELS_PER_UNIT;
}

// Centred horizontally on view x 320 (window x 400), top at view y 240
// (window y 300), 24 view units (30 pixels) high.
TextLayout message_layout() {
  const std::map<int, double> advances = read_advances(FONT_ADVANCES_FILE);
  const std::string message = MESSAGE;
  const std::string up_to_space = message.substr(0, message.find(' '));
  TextLayout layout;
  layout.width = text_pixels(message, advances);
  layout.height = MESSAGE_SIZE * PIXELS_PER_UNIT;
  layout.left = MESSAGE_X * PIXELS_PER_UNIT - layout.width / 2;
  layout.top = MESSAGE_Y * PIXELS_PER_UNIT;
  layout.space_left = layout.left + text_pixels(up_to_space, advances);
  layout.space_right = layout.left + text_pixels(up_to_space + " ", advances);
  return layout;
}

// Once the goal is reached the world is no longer drawn: what light is left
// is less than the message's box holds. Any view of the world shows more,
// whole rows of tiles.
bool world_gone(const Capture &picture, const TextLayout &layout) {
  return picture.count_not(BLACK, WINDOW) <= layout.width * layout.height;
}

// ---- levels ----

constexpr int MAP_SIZE = 256;
constexpr int GOAL_COLUMN = 138;

void put_int32(std::ofstream &file, int32_t value) {
  const uint32_t bits = uint32_t(value);
  const char bytes[4] = {char(bits & 0xff), char(bits >> 8 & 0xff), char(bits >> 16 & 0xff),
                         char(bits >> 24 & 0xff)};
  file.write(bytes, 4);
}

// The set-up map (closed border, floor at row 128) plus a wall just right of
// the goal's column, too high to jump: holding Right and Space runs the
// player into it, where it goes on jumping in place at x 138.5, and a jump
// from the floor rises to y 133.47, into the goal tile (138, 133).
void write_wall_level(const std::filesystem::path &path) {
  std::vector<int32_t> tiles(MAP_SIZE * MAP_SIZE, 0);
  auto solid = [&](int x, int y) { tiles[size_t(MAP_SIZE * y + x)] = 1; };
  for (int i = 0; i < MAP_SIZE; ++i) {
    solid(0, i), solid(MAP_SIZE - 1, i), solid(i, 0), solid(i, MAP_SIZE - 1);
    solid(i, FLOOR_ROW);
  }
  for (int row = FLOOR_ROW + 1; row <= FLOOR_ROW + 8; ++row) solid(GOAL_COLUMN + 1, row);
  std::ofstream file(path, std::ios::binary);
  put_int32(file, 1);  // the level version
  for (int32_t tile : tiles) put_int32(file, tile);
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

// ---- the fixture ----

class GamePlay : public WindowTest {
 protected:
  Program &start_game() { return start(QUILLARY); }

  // The shipped level and images in the game's working folder.
  void copy_game_data() {
    std::filesystem::copy(DATA_DIR, work_dir(), std::filesystem::copy_options::recursive);
  }

  // Captures the window until `condition` holds of the picture; the last
  // picture is kept under `label`.
  Capture wait_for_picture(Window window, const std::string &label,
                           const std::function<bool(const Capture &)> &condition,
                           milliseconds timeout) {
    wait_until([&] { return condition(session().capture(window)); }, timeout);
    return capture(window, label);
  }

  // The game's window, once its first frames have dropped the player onto the
  // floor, with the input focus so that keys reach it.
  std::optional<Window> window_with_player_at_rest(Program &game) {
    const std::optional<Window> window = wait_for_window(game, "Quillary");
    if (!window) return window;
    const Capture picture =
        wait_for_picture(*window, "start", player_rests_at_start, SETTLE_TIMEOUT);
    if (!player_rests_at_start(picture)) {
      ADD_FAILURE() << "the player is not at rest on the floor at window pixels "
                    << inside(resting_player());
      return std::nullopt;
    }
    session().focus(*window);
    return window;
  }

  Program &start_game_on(const GameClock &clock) {
    ProgramOptions options;
    clock.add_to(&options);
    return start(QUILLARY, options);
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
      change_keys(session(), held, segment.keys);
      held = segment.keys;
      const long change = *time + segment.steps * STEP.count();
      clock.stop_at(change);
      time = clock.wait_until_stopped(change, segment.steps * STEP * SLOWEST_GAME + CLOCK_TIMEOUT);
      ASSERT_TRUE(time) << "the game's clock did not reach " << change << " ms";
    }
    change_keys(session(), held, 0);
    clock.run_free();
  }

  void expect_goal_message(Window window, milliseconds timeout) {
    const TextLayout layout = message_layout();
    const Capture picture = wait_for_picture(
        window, "goal", [&](const Capture &p) { return world_gone(p, layout); }, timeout);
    ASSERT_TRUE(world_gone(picture, layout))
        << "the world is still drawn: the goal was not reached, or the world is drawn after it";
    EXPECT_TRUE(shows_only_text(picture, layout));
  }
};

// ---- the tests ----

TEST_F(GamePlay, WithoutALevelThePlayerRestsOnTheFloorInTheMiddleOfTheWindow) {
  Program &game = start_game();
  const std::optional<Window> window = window_with_player_at_rest(game);
  ASSERT_TRUE(window);
  const Capture picture = capture(*window, "rest");

  const TileSquare player = resting_player();  // inside: 402 to 430 across and down
  EXPECT_TRUE(all_of(picture, WHITE, inside(player))) << "the player is not at " << inside(player);
  EXPECT_TRUE(all_of(picture, BLACK, strip_left_of(player)));
  EXPECT_TRUE(all_of(picture, BLACK, strip_right_of(player)));
  EXPECT_TRUE(all_of(picture, BLACK, strip_above(player)));

  const double floor_top = window_y(FLOOR_ROW + 1, START_CAMERA);
  const double floor_bottom = window_y(FLOOR_ROW, START_CAMERA);
  // Window rows 333 to 366, checked from 336 to 363, edge to edge.
  const Rect floor_rows = pixels_within(0, floor_top, WINDOW.width, floor_bottom, EDGE_TOLERANCE);
  const Rect floor{0, floor_rows.y, WINDOW.width, floor_rows.height};
  EXPECT_TRUE(all_of(picture, WHITE, floor)) << "the floor does not span the window";
  // Nothing else: the rows above the player and below the floor are empty.
  const int above_player = strip_above(player).y;
  EXPECT_TRUE(all_of(picture, BLACK, {0, 0, WINDOW.width, above_player}));
  const int below_floor = int(std::ceil(floor_bottom + EDGE_TOLERANCE));
  EXPECT_TRUE(all_of(picture, BLACK, {0, below_floor, WINDOW.width, WINDOW.height - below_floor}));
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
  const int player_y = int(window_y(PLAYER_REST_Y, START_CAMERA));
  const int centre = int(CENTRE_X);
  const Capture before = capture(*window, "before");
  const int ledge_before = right_edge_before(before, ledge_y, centre);
  const int block_before = first_lit_from(before, block_y, centre);
  EXPECT_NEAR(ledge_before, window_x(62, START_CAMERA), EDGE_TOLERANCE);
  EXPECT_NEAR(block_before, window_x(70, START_CAMERA), EDGE_TOLERANCE);

  // The player's left edge in every frame seen on the way: the camera keeps
  // its centre within two tiles of the window's centre. Left of it on its
  // row lies only the level's left wall, column 54, whose right edge starts
  // at x 100 and only moves left.
  const int right_of_wall = int(window_x(55, START_CAMERA)) + 1;
  const double block_after = window_x(70, CAMERA_AT_BLOCK);
  const double nearest = CENTRE_X - 2 * TILE_PIXELS - TILE_PIXELS / 2 - EDGE_TOLERANCE;
  const double farthest = CENTRE_X + 2 * TILE_PIXELS - TILE_PIXELS / 2 + EDGE_TOLERANCE;
  std::vector<int> strays;
  auto player_seen_and_block_reached = [&](const Capture &picture) {
    const int player_left = first_lit_from(picture, player_y, right_of_wall);
    if (player_left < nearest || player_left > farthest) strays.push_back(player_left);
    return std::abs(first_lit_from(picture, block_y, centre) - block_after) <= EDGE_TOLERANCE;
  };
  session().press_key(XK_Right);
  const Capture after =
      wait_for_picture(*window, "after", player_seen_and_block_reached, SCROLL_TIMEOUT);
  session().release_key(XK_Right);
  EXPECT_TRUE(strays.empty()) << strays.size() << " frames had the player's left edge outside "
                              << nearest << ".." << farthest << ", the first at x "
                              << (strays.empty() ? 0 : strays.front());

  const int block_moved = first_lit_from(after, block_y, centre);
  const int ledge_moved = right_edge_before(after, ledge_y, centre);
  const double shift = (CAMERA_AT_BLOCK.x - START_CAMERA.x) * TILE_PIXELS;  // 116.7 pixels
  EXPECT_NEAR(block_before - block_moved, shift, EDGE_TOLERANCE);
  EXPECT_NEAR(ledge_before - ledge_moved, shift, EDGE_TOLERANCE);

  // The player against the block, two tiles right of the camera: window
  // pixels 450 to 483, with black just left of it.
  const TileSquare player =
      square_at(PLAYER_AT_BLOCK_X - 0.5, PLAYER_REST_Y - 0.5, CAMERA_AT_BLOCK);
  EXPECT_TRUE(all_of(after, WHITE, inside(player))) << "the player is not at " << inside(player);
  EXPECT_TRUE(all_of(after, BLACK, strip_left_of(player)));
  EXPECT_TRUE(all_of(after, BLACK, strip_above(player)));
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
  Program &game = start_game_on(clock);
  const std::optional<Window> window = window_with_player_at_rest(game);
  ASSERT_TRUE(window);
  replay(route, clock);
  ASSERT_FALSE(HasFatalFailure());
  expect_goal_message(*window, MESSAGE_TIMEOUT);
}

TEST_F(GamePlay, RunningAndJumpingIntoTheGoalOfATestLevelLeavesOnlyTheGoalMessage) {
  std::filesystem::copy(std::string(DATA_DIR) + "/texture", work_dir() / "texture",
                        std::filesystem::copy_options::recursive);
  write_wall_level(work_dir() / "level01.lvl");
  Program &game = start_game();
  const std::optional<Window> window = window_with_player_at_rest(game);
  ASSERT_TRUE(window);
  change_keys(session(), 0, RIGHT_KEY | SPACE_KEY);
  expect_goal_message(*window, RUN_TO_GOAL_TIMEOUT);
  change_keys(session(), RIGHT_KEY | SPACE_KEY, 0);
}

TEST_F(GamePlay, EscapeEndsTheGameWithStatusZero) {
  Program &game = start_game();
  const std::optional<Window> window = window_with_player_at_rest(game);
  ASSERT_TRUE(window);
  session().tap_key(XK_Escape);
  EXPECT_EQ(game.wait_for_exit(EXIT_TIMEOUT), 0);
}

}  // namespace
}  // namespace window_test
