// The real game on a real window, and the engine moving a real window.
//
// The view is 24 tiles across the 800-pixel window, centred on the camera, so
// a tile is 100/3 pixels and world point (x, y) shows at window pixel
// (400 + (x - camera x) * 100/3, 300 - (y - camera y) * 100/3). The camera
// starts at (64, 130) and here only ever moves sideways; the player falls
// from there onto the floor, row 128, and rests in tile (64, 129).
#include <X11/keysym.h>
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <sstream>

#include "tests/window/window_fixture.h"

namespace {

// The file that the game's preloaded clock maps (game_clock.cpp).
struct GameClock { std::atomic<uint32_t> limit, time, swaps; };
constexpr uint32_t NO_LIMIT = UINT32_MAX;
constexpr uint32_t WHITE = 0xffffff, BLACK = 0;
constexpr double TILE = 100.0 / 3;
constexpr auto RECURSIVE = std::filesystem::copy_options::recursive;

double wx(double x, double camera_x = 64) { return 400 + (x - camera_x) * TILE; }
double wy(double y) { return 300 - (y - 130) * TILE; }
// The window pixels of world box (x0, y0)-(x1, y1), shrunk by `inset` pixels
// (grown when negative): rasterisation may move an edge by a pixel or so.
Rect pixels(double x0, double y0, double x1, double y1, double inset, double camera_x = 64) {
  const int left = int(std::ceil(wx(x0, camera_x) + inset)), top = int(std::ceil(wy(y1) + inset));
  return {left, top, int(std::floor(wx(x1, camera_x) - inset)) - left,
          int(std::floor(wy(y0) - inset)) - top};
}

// The player's square white in its resting place, black just above it.
bool at_rest(const Capture &c) {
  const Rect player = pixels(64, 129, 65, 130, 2);
  return c.all(player, WHITE) && c.all({player.x, player.y - 12, player.w, 8}, BLACK);
}

// Text of size 24 is each advance (in font-image pixels) / 30 * 24 view
// units wide, and a view unit is 1.25 window pixels.
double text_pixels(std::string_view text) {
  std::ifstream file(FONT_ADVANCES_FILE);
  double width = 0;
  for (std::string line; std::getline(file, line);)  // "CODE ADVANCE ..." or a '#' comment
    if (double code, advance; std::sscanf(line.c_str(), "%lf %lf", &code, &advance) == 2)
      width += double(std::count(text.begin(), text.end(), char(code))) * advance / 30 * 24 * 1.25;
  return width;
}

// What keeps the picture from showing just the goal message, "" if nothing:
// its box is 24 view units high, centred on view x 320, top at view y 240.
// Inside it, columns with ink (half brightness or more) must come in one run
// per letter (two letters may touch) and leave the space's columns clear.
std::string message_faults(const Capture &c) {
  const double left = 400 - text_pixels("Fuck off!") / 2, space = left + text_pixels("Fuck");
  const Rect box{int(left) - 2, 298, int(std::ceil(800 - 2 * left)) + 4, 34};
  std::vector<std::pair<int, int>> runs;
  for (int x = box.x; x < box.x + box.w; ++x) {
    bool ink = false;
    for (int y = box.y; y < box.y + box.h; ++y) ink |= (c.at(x, y) & 0x808080) != 0;
    if (ink && !runs.empty() && runs.back().second == x - 1) runs.back().second = x;
    else if (ink) runs.emplace_back(x, x);
  }
  std::ostringstream faults;
  if (const int lit = c.lit_outside({box})) faults << lit << " pixels lit outside the box; ";
  if (runs.size() < 7 || runs.size() > 8) faults << runs.size() << " runs of inked columns; ";
  for (auto [first, last] : runs)
    if (last >= std::ceil(space) + 2 && first <= std::floor(space + text_pixels(" ")) - 3)
      faults << "ink in the space, columns " << first << ".." << last << "; ";
  return faults.str();
}

class GamePlay : public WindowTest {
 protected:
  ~GamePlay() override { if (clock_) munmap(clock_, sizeof(GameClock)); }

  // Starts the game with its clock (stopping at `limit` ms of game time),
  // batching its quads or not; returns its window once the player rests on
  // the floor, else 0.
  Window window_with_player_at_rest(uint32_t limit = NO_LIMIT, const char *batching = "1") {
    if (clock_) munmap(clock_, sizeof(GameClock));
    const std::string path = (dir_ / "clock").string();
    const int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
    if (ftruncate(fd, sizeof(GameClock)) != 0) return 0;
    void *map = mmap(nullptr, sizeof(GameClock), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    clock_ = static_cast<GameClock *>(map);
    clock_->limit = limit;
    game_ = start({QUILLARY}, {"LD_PRELOAD=" GAME_CLOCK, "GAME_CLOCK=" + path,
                               std::string("QUILLARY_BATCHING=") + batching});
    const Window window = wait_window();
    if (window && at_rest(capture(window, at_rest))) return window;
    ADD_FAILURE() << (window ? "the player does not come to rest" : "no window captioned Quillary");
    return 0;
  }
  // Presses and releases what differs from the keys held, e.g. "Right+Space".
  void hold(const std::string &keys) {
    auto has = [](const std::string &set, const char *name) { return set.find(name) != set.npos; };
    for (auto [name, sym] : {std::pair{"Left", XK_Left}, {"Right", XK_Right}, {"Space", XK_space}})
      if (has(held_, name) != has(keys, name)) key(sym, has(keys, name));
    held_ = keys;
  }
  void expect_goal_message(Window window, Ms timeout) {
    auto shown = [](const Capture &c) { return message_faults(c).empty(); };
    EXPECT_EQ(message_faults(capture(window, shown, timeout)), "");
  }

  GameClock *clock_ = nullptr;
  pid_t game_ = -1;
  std::string held_;
};

// Without a level file the game plays the set-up map: a closed border and the
// floor, which spans the window under the player; all else in view is black.
TEST_F(GamePlay, WithoutALevelThePlayerRestsOnTheFloorFrameAfterFrameUntilClosed) {
  const Window window = window_with_player_at_rest();
  ASSERT_TRUE(window);
  EXPECT_EQ(geometry(window), (std::array{0, 0, 800, 600}));
  const uint32_t swaps = clock_->swaps;
  EXPECT_TRUE(wait_until([&] { return clock_->swaps >= swaps + 20; })) << "frames stopped coming";
  const Capture &c = capture(window);
  const Rect floor = pixels(0, 128, 1, 129, 2), floor_band = pixels(0, 128, 1, 129, -2);
  EXPECT_TRUE(c.all(pixels(64, 129, 65, 130, 2), WHITE));
  EXPECT_TRUE(c.all({0, floor.y, 800, floor.h}, WHITE)) << "the floor does not span the window";
  EXPECT_EQ(c.lit_outside({pixels(64, 129, 65, 130, -2), {0, floor_band.y, 800, floor_band.h}}), 0);
  close_window(window);
  EXPECT_EQ(exit_status(game_), 0);
}

// In the shipped level a ledge (row 136, columns 56 to 61) shows near the top
// and a block (columns 70 on, rows 129 and 130) right of the player. Right
// runs the player into the block, at x 69.5; the camera follows to x 67.5,
// and the scenery moves left by those 3.5 tiles.
TEST_F(GamePlay, HoldingRightScrollsTheWorldAndKeepsThePlayerNearTheMiddle) {
  std::filesystem::copy(DATA_DIR, dir_, RECURSIVE);
  const Window window = window_with_player_at_rest();
  ASSERT_TRUE(window);
  const int ledge_row = int(wy(136.5)), block_row = int(wy(130.5)), player_row = int(wy(129.5));
  EXPECT_NEAR(last_.scan(ledge_row, 399, -1) + 1, wx(62), 2);
  EXPECT_NEAR(last_.scan(block_row, 400, 1), wx(70), 2);
  // Every frame seen on the way has the player's centre within two tiles of
  // the window's; left of it lies only the level's wall, ending at x 100.
  int strays = 0, block = -1;
  key(XK_Right, true);
  const Capture &after = capture(window, [&](const Capture &c) {
    strays += std::abs(c.scan(player_row, 101, 1) + TILE / 2 - 400) > 2 * TILE + 2;
    const int now = c.scan(block_row, 400, 1);  // judged once two frames agree
    return std::exchange(block, now) == now && std::abs(now - wx(70, 67.5)) <= 2;
  });
  key(XK_Right, false);
  EXPECT_EQ(strays, 0);
  EXPECT_NEAR(after.scan(block_row, 400, 1), wx(70, 67.5), 2);
  EXPECT_NEAR(after.scan(ledge_row, 399, -1) + 1, wx(62, 67.5), 2);
  EXPECT_TRUE(after.all(pixels(69, 129, 70, 130, 2, 67.5), WHITE));
}

// The route that an automatic player found through the shipped level, with
// real key presses, each set held for its count of 10 ms game steps: the game
// stands stopped at every change (in real time a loaded machine would miss
// the route's margins). After the goal the world is no longer drawn.
TEST_F(GamePlay, ReplayingTheRouteThroughTheShippedLevelLeavesOnlyTheGoalMessage) {
  std::filesystem::copy(DATA_DIR, dir_, RECURSIVE);
  uint32_t time = 1000;  // long enough for the player to come to rest
  const Window window = window_with_player_at_rest(time);
  ASSERT_TRUE(window);
  // A minute of wall clock for any segment: the longest is 4.5 s of game time.
  auto reached = [&] { return wait_until([&] { return clock_->time == time; }, 60s); };
  std::ifstream route(ROUTE_FILE);
  for (std::string line, keys; std::getline(route, line);) {
    int steps = 0;
    if (line.starts_with("#") || !(std::istringstream(line) >> keys >> steps)) continue;
    ASSERT_TRUE(reached()) << "the game's clock is at " << clock_->time << ", not " << time;
    hold(keys);
    clock_->limit = time += 10 * uint32_t(steps);
  }
  // The goal comes 50 steps before the last segment ends: let the game run on.
  ASSERT_TRUE(reached()) << "the game's clock is at " << clock_->time << ", not " << time;
  clock_->limit = NO_LIMIT;
  expect_goal_message(window, 10s);
}

// The set-up map plus a wall right of the goal's column 138, too high to
// jump: holding Right and Space runs the player into it, where its jumps
// rise into the goal tile (138, 133). A ledge and a stair stand in view of
// the start, out of the way. A level file holds its version, 1, and the 256
// by 256 tiles, int32 little-endian as this machine's. Escape quits. Quads
// sent one at a time show the world at rest and the message in the very
// same pixels.
TEST_F(GamePlay, JumpingIntoTheGoalOfATestLevelLeavesOnlyTheGoalMessageUntilEscape) {
  std::filesystem::copy(DATA_DIR "/texture", dir_ / "texture", RECURSIVE);
  std::vector<int32_t> level{1};  // the version, then the tiles row by row: border, floor, wall, ledge, stair
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      level.push_back(x == 0 || x == 255 || y == 0 || y == 255 || y == 128 || (x == 139 && y > 128 && y <= 136) ||
                      (y == 136 && x >= 56 && x <= 61) || (x < 60 && y > 128 && y < 192 - x));
  std::ofstream(dir_ / "level01.lvl", std::ios::binary)
      .write(reinterpret_cast<const char *>(level.data()), std::streamsize(level.size() * 4));
  Capture world[2], shown[2];
  for (const char *batching : {"1", "0"}) {
    const Window window = window_with_player_at_rest(1000, batching);
    ASSERT_TRUE(window && wait_until([&] { return clock_->time == 1000; }));
    world[*batching - '0'] = capture(window);
    clock_->limit = NO_LIMIT;
    hold("Right+Space");
    expect_goal_message(window, 40s);
    hold("");
    shown[*batching - '0'] = last_;
    key(XK_Escape, true, 100ms), key(XK_Escape, false);
    EXPECT_EQ(exit_status(game_), 0);
  }
  EXPECT_EQ(world[0].unlike(world[1]), 0) << "the world at rest";
  EXPECT_EQ(shown[0].unlike(shown[1]), 0) << "the message";
}

using MoveWindow = WindowTest;

// The probe moves its window to the next place at each SIGUSR1.
TEST_F(MoveWindow, PutsTheTopLeftCornerWhereAskedAndKeepsTheSize) {
  const std::array<int, 4> places[] = {{123, 45, 800, 600}, {-40, 500, 800, 600}, {0, 0, 800, 600}};
  const pid_t probe = start({WINDOW_PROBE, "123,45", "-40,500", "0,0"});
  const Window window = wait_window();
  ASSERT_TRUE(window);
  for (const auto &place : places) {
    kill(probe, SIGUSR1);
    wait_until([&] { return geometry(window) == place; }, 5s);
    EXPECT_EQ(geometry(window), place);
  }
}

}  // namespace
