// The fixture of the real-window tests. Each test gets an Xvfb of its own (it
// picks a free display itself, so tests may run side by side), a fresh
// working folder, and the programs it starts there on that display. Keys and
// the pointer go in through XTEST: the server treats them as real input, down
// to the key map that SDL reads when it gets the focus (which events sent
// with XSendEvent would leave alone).
// Everything is undone at the end, even after a failed assertion; a failed
// test also leaves its last capture as a PNG under the build tree.
#pragma once

#include <gtest/gtest.h>  // before Xlib, whose None and Bool macros break it

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <png.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

// Conditions are polled, never slept on: a slow machine only makes a test slower.
inline bool wait_until(const std::function<bool()> &condition, Ms timeout = 20s) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (; !condition(); std::this_thread::sleep_for(5ms))
    if (std::chrono::steady_clock::now() > end) return false;
  return true;
}

struct Rect {
  int x, y, w, h;
  bool holds(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// A window's picture, top row first, as 0xffRRGGBB: opaque, for saving.
struct Capture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;

  // Saves the picture to a PNG file, or loads it from one (empty if it cannot),
  // where 0xffRRGGBB is B, G, R, A: this machine is little-endian.
  bool png(const std::string &path, bool save) {
    png_image image{nullptr, PNG_IMAGE_VERSION, width + 0u, height + 0u, 0, 0, 0, 0, {}};
    if (!save) png_image_begin_read_from_file(&image, path.c_str());
    image.format = PNG_FORMAT_BGRA;
    if (save) return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr);
    *this = {int(image.width), int(image.height), std::vector<uint32_t>(PNG_IMAGE_SIZE(image) / 4)};
    return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  }

  uint32_t at(int x, int y) const {  // 0xRRGGBB; black outside the picture
    return Rect{0, 0, width, height}.holds(x, y) ? pixels[size_t(y * width + x)] & 0xffffff : 0;
  }
  bool all(Rect r, uint32_t colour) const {
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x)
        if (at(x, y) != colour) return false;
    return r.w > 0 && r.h > 0;
  }
  int lit_outside(std::initializer_list<Rect> keep) const {
    int lit = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        lit += at(x, y) && std::ranges::none_of(keep, [&](Rect r) { return r.holds(x, y); });
    return lit;
  }
  int unlike(const Capture &other) const {  // pixels that differ; all when the sizes do
    if (other.pixels.size() != pixels.size()) return int(pixels.size());
    int count = 0;
    for (size_t i = 0; i < pixels.size(); ++i) count += pixels[i] != other.pixels[i];
    return count;
  }
  // The first lit column of row y from x on, going by `step`; -1 if none.
  int scan(int y, int x, int step) const {
    for (; x >= 0 && x < width; x += step)
      if (at(x, y)) return x;
    return -1;
  }
};

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string folder = std::filesystem::temp_directory_path() / "quillary-window-XXXXXX";
    ASSERT_TRUE(mkdtemp(folder.data()));
    dir_ = folder;
    // Xvfb writes its display number to -displayfd once it takes connections
    // (EOF if it dies). -noreset: it must not start over whenever its last
    // client leaves.
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    xvfb_ = start({XVFB, "-displayfd", std::to_string(report[1]), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", "-noreset"}, {}, true);
    close(report[1]);
    char number[16] = {};  // "N\n", in one write
    const bool started = read(report[0], number, sizeof number - 1) > 0;
    close(report[0]);
    ASSERT_TRUE(started) << "Xvfb did not start";
    display_name_ = ":" + std::to_string(std::stoi(number));
    // Windows vanish while a test looks at them (a program ending): Xlib's
    // default handler would end the test for it.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    ASSERT_TRUE(display_ = XOpenDisplay(display_name_.c_str()));
  }

  void TearDown() override {
    if (HasFailure() && last_.width > 0) {
      std::filesystem::create_directories(CAPTURE_DIR);
      const std::string path = CAPTURE_DIR "/" +
          std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".png";
      last_.png(path, true);
      std::cout << "Last capture: " << path << "\n";
    }
    for (pid_t pid : programs_) kill(-pid, SIGKILL), waitpid(pid, nullptr, 0);
    if (display_) XCloseDisplay(display_);
    if (xvfb_ > 0) kill(xvfb_, SIGTERM), waitpid(xvfb_, nullptr, 0);  // it then removes its lock
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  // Starts argv[0] in the working folder on the test's display, `env` added
  // to the environment, in a process group of its own: killing the group at
  // the end stops all it started. It dies with the test too, Xvfb by SIGTERM
  // so as to clean up after itself. Its standard output may go to a file of
  // the working folder.
  pid_t start(const std::vector<std::string> &argv, std::vector<std::string> env = {},
              bool server = false, const std::string &output = "") {
    env.push_back("DISPLAY=" + display_name_);
    std::vector<char *> args;
    for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid(), pid = fork();
    if (pid == 0) {
      setpgid(0, 0);
      prctl(PR_SET_PDEATHSIG, server ? SIGTERM : SIGKILL);
      if (getppid() != parent || chdir(dir_.c_str()) != 0) _exit(127);
      for (std::string &variable : env) putenv(variable.data());
      if (server) dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);  // its chatter
      if (!output.empty()) dup2(open(output.c_str(), O_WRONLY | O_CREAT, 0600), STDOUT_FILENO);
      execv(args[0], args.data());
      _exit(127);
    }
    setpgid(pid, pid);  // here too, so that a group kill cannot race the child
    return server ? pid : programs_.emplace_back(pid);
  }

  // Of the whole lines written so far to a file of the working folder, the
  // last that begins with `start`; "" if none.
  std::string last_line(const std::string &file, const std::string &start) const {
    std::ifstream in(dir_ / file);
    std::string last, line;
    while (std::getline(in, line) && !in.eof()) last = line.starts_with(start) ? line : last;
    return last;
  }

  // A program's exit status once it ends within `timeout`, else -1; 128 +
  // signal when killed, as a shell shows it, so a crash never looks clean.
  int exit_status(pid_t pid, Ms timeout = 10s) {
    int s = 0;
    if (!wait_until([&] { return waitpid(pid, &s, WNOHANG) == pid; }, timeout)) return -1;
    kill(-pid, SIGKILL);  // whatever it left in its group goes with it
    std::erase(programs_, pid);
    return WIFSIGNALED(s) ? 128 + WTERMSIG(s) : WEXITSTATUS(s);
  }

  // The mapped top-level window captioned exactly so, given the focus; 0 if
  // none comes.
  Window wait_window(const std::string &caption = "Quillary") {
    Window found = 0, root, parent, *children = nullptr;
    unsigned count = 0;
    wait_until([&] {
      XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
      for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        char *name = nullptr;
        if (XGetWindowAttributes(display_, children[i], &a) && a.map_state == IsViewable &&
            XFetchName(display_, children[i], &name) && name == caption)
          found = children[i];
        XFree(name);
      }
      XFree(children);
      return found != 0;
    });
    if (found) XSetInputFocus(display_, found, RevertToPointerRoot, CurrentTime);
    return found;
  }

  // With no window manager there is no frame, and the root is the parent.
  std::array<int, 4> geometry(Window window) const {
    XWindowAttributes a{};
    XGetWindowAttributes(display_, window, &a);
    return {a.x, a.y, a.width, a.height};
  }

  // Captures the window until `until` holds (no condition: once); the last
  // picture is returned either way, and kept for the failure report.
  const Capture &capture(Window window, const std::function<bool(const Capture &)> &until = {},
                         Ms timeout = 20s) {
    wait_until([&] {
      const auto size = geometry(window);
      XImage *image = XGetImage(display_, window, 0, 0, size[2], size[3], AllPlanes, ZPixmap);
      if (!image) return false;
      last_ = {image->width, image->height, {}};
      // Xvfb's 24-bit TrueColor pixels are 0xRRGGBB already.
      for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
          last_.pixels.push_back(uint32_t(XGetPixel(image, x, y)) | 0xff000000);
      XDestroyImage(image);
      return !until || until(last_);
    }, timeout);
    return last_;
  }

  // The key goes down or up and stays so for `hold`: a program that reads the
  // input once a frame misses what is shorter than a frame or two.
  void key(KeySym sym, bool down, Ms hold = 0ms) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, sym), down, CurrentTime);
    XSync(display_, False), std::this_thread::sleep_for(hold);
  }
  // The pointer to pixel (x, y) of the window, wherever that is; there the
  // left button goes down if `left` is 1, up if 0, and is held so for 200 ms.
  void move(Window window, int x, int y, int left = -1) {
    XTestFakeMotionEvent(display_, -1, geometry(window)[0] + x, geometry(window)[1] + y, 0);
    if (left >= 0) XTestFakeButtonEvent(display_, 1, left, 0);
    XSync(display_, False), std::this_thread::sleep_for(left >= 0 ? 200ms : 0ms);
  }

  // What a window manager sends when the user closes the window.
  void close_window(Window window) {
    XEvent e{.xclient = {ClientMessage, 0, False, display_, window,
                         XInternAtom(display_, "WM_PROTOCOLS", False), 32,
                         {.l = {long(XInternAtom(display_, "WM_DELETE_WINDOW", False))}}}};
    XSendEvent(display_, window, False, NoEventMask, &e);
    XSync(display_, False);
  }

  std::filesystem::path dir_;  // the working folder
  Capture last_;
  std::string display_name_;
  Display *display_ = nullptr;
  pid_t xvfb_ = -1;
  std::vector<pid_t> programs_;
};
