// The widget gallery on a real window, with real pointer and keys: what it
// prints at each step of a session, and then its picture against the README's.
//
// It draws a 640 by 480 view on its 800 by 600 window: view point v shows at
// window pixel 1.25 v, and pixel p is view point trunc(0.8 p).
#include "tests/window/window_fixture.h"

namespace {

int px(int v) { return (5 * v + 3) / 4; }  // the first pixel at or after view v

struct Gallery : WindowTest {
  void settle(Window window, int x, int y) {  // the pointer there, until the picture stops changing
    move(window, px(x), px(y));
    for (std::vector<uint32_t> before; before != capture(window).pixels;) before = last_.pixels, std::this_thread::sleep_for(300ms);
  }
};

// Toggles over bits 1, 2, 4, 8 of 5; radio choices 0, 1, 2 holding 1; a
// slider at (view x - 24) / 132 * 100, clamped to 0..100; the shortcut P; Int
// at -12: a click right of its text puts the caret at the end; Text, and Tab
// from there to Password, all of its "secret" selected for typing to replace.
//
// Then the README's picture, every kind of widget as drawn: the values the
// session left, Int edited with "27" selected by Shift+Left, Password's two
// characters as stars, the text area wrapped, and the pointer on Press (P),
// which shows its outline; taken once the highlights have eased in.
// QUILLARY_UPDATE_PICTURES=1 makes it anew. llvmpipe draws the same pixels
// run after run; another build of it may round an edge or a blend the other
// way, so channels may differ a little and a handful of pixels a lot;
// anything drawn wrong changes far more. Escape
// ends the edit, and again the gallery.
TEST_F(Gallery, FollowsClicksDragsAndKeysLooksAsInTheReadmeAndEscapeEndsIt) {
  std::filesystem::copy(DATA_DIR, dir_, std::filesystem::copy_options::recursive);
  const pid_t gallery = start({GALLERY}, {}, false, "output");
  const Window window = wait_window("Quillary gallery");
  ASSERT_TRUE(window);
  // The left button down at view point (x, y), unless x < 0, and up at
  // (to_x, y); then each key down and up, 100 ms each, but Shift stays down to
  // the end. Then `line`, unless "", must come to be the last printed for
  // its name (its first word), within 5 s.
  auto step = [&](int x, int y, int to_x, std::initializer_list<KeySym> keys, std::string line) {
    if (x >= 0) move(window, px(x), px(y), 1), move(window, px(to_x), px(y), 0);
    for (KeySym k : keys)
      for (bool down : {true, false}) key(k, down || k == XK_Shift_L, 150ms);
    key(XK_Shift_L, false);
    const std::string name = line.substr(0, line.find(' ') + 1);  // "" for none
    wait_until([&] { return line.empty() || last_line("output", name) == line; }, 5s);
    EXPECT_EQ(line.empty() ? line : last_line("output", name), line);
  };
  struct Step { int x, y, to_x; std::initializer_list<KeySym> keys; const char *line; };
  for (const Step &s : {Step{69, 184, 69, {}, "bits 7"}, {35, 184, 35, {}, "bits 6"},
                        {128, 224, 128, {}, "choice 2"}, {40, 224, 40, {}, "choice 0"},
                        {60, 272, 113, {}, "slider 67"}, {113, 272, 300, {}, "slider 100"},
                        {100, 272, 0, {}, "slider 0"}, {-1, 0, 0, {XK_p}, "button 1"},
                        {470, 139, 470, {XK_Shift_L, XK_Left, XK_Left, XK_Left}, ""},
                        {-1, 0, 0, {XK_4, XK_2, XK_7, XK_Return}, "int 427"},
                        {470, 59, 470, {XK_Tab, XK_x, XK_y, XK_Return}, "password 2"},
                        {60, 272, 113, {}, "slider 67"},
                        {470, 139, 470, {XK_Shift_L, XK_Left, XK_Left}, ""}})
    step(s.x, s.y, s.to_x, s.keys, s.line);
  settle(window, 130, 64);
  const char *update = std::getenv("QUILLARY_UPDATE_PICTURES");
  ASSERT_TRUE(!update || *update != '1' || last_.png(PICTURE, true)) << "cannot write " PICTURE;
  Capture picture;
  ASSERT_TRUE(picture.png(PICTURE, false) && picture.pixels.size() == last_.pixels.size());
  int off = 0;
  for (size_t i = 0; i < picture.pixels.size(); ++i)
    for (int s : {0, 8, 16}) off += std::abs(int(picture.pixels[i] >> s & 255) - int(last_.pixels[i] >> s & 255)) > 24;
  EXPECT_LE(off, 8) << "pixels unlike the picture's";
  // The services: a pattern typed over the old one (Shift+Home selects it)
  // lists what it matches, the toggle folders; F12 saves the frame shown.
  for (const Step &s : {Step{591, 20, 591, {}, "page 1"}, {310, 223, 310, {XK_Shift_L, XK_Home}, ""},
                        {-1, 0, 0, {XK_t, XK_Shift_L, XK_8}, "listed 0 files"}, {375, 223, 375, {}, "listed 1 folders"}})
    step(s.x, s.y, s.to_x, s.keys, s.line);
  settle(window, 600, 300);
  step(-1, 0, 0, {XK_F12}, "screenshot scsht000.tga");
  std::ifstream shot(dir_ / "scsht000.tga", std::ios::binary);
  const std::string tga{std::istreambuf_iterator<char>(shot), {}};
  ASSERT_EQ(tga.size(), 18 + 800 * 600 * 3u);
  capture(window);
  int unlike = 0;
  for (int i = 0; i < 800 * 600; ++i) {
    const auto *p = reinterpret_cast<const uint8_t *>(&tga[size_t(18 + 3 * ((599 - i / 800) * 800 + i % 800))]);
    unlike += last_.pixels[size_t(i)] != (0xff000000u | p[2] << 16 | p[1] << 8 | p[0]);
  }
  EXPECT_EQ(unlike, 0) << "the saved frame is the one shown";
  step(-1, 0, 0, {XK_Escape, XK_Escape}, "");
  EXPECT_EQ(exit_status(gallery), 0);
  std::ifstream out(dir_ / "output");  // a line for each change, not one a frame: some dozens
  EXPECT_LT(std::count(std::istreambuf_iterator<char>(out), {}, '\n'), 400);
}

// Quads sent one at a time show the very same pixels as the batches: the
// first page as it starts, the pointer on Press (P) and its outline.
TEST_F(Gallery, DrawsTheSamePixelsQuadByQuad) {
  std::filesystem::copy(DATA_DIR, dir_, std::filesystem::copy_options::recursive);
  Capture shown[2];
  for (const char *batching : {"1", "0"}) {
    const pid_t gallery = start({GALLERY}, {std::string("QUILLARY_BATCHING=") + batching});
    const Window window = wait_window("Quillary gallery");
    ASSERT_TRUE(window);
    settle(window, 130, 64);
    shown[*batching - '0'] = last_;
    key(XK_Escape, true, 150ms), key(XK_Escape, false);
    EXPECT_EQ(exit_status(gallery), 0);
  }
  EXPECT_EQ(shown[0].unlike(shown[1]), 0);
}

}  // namespace
