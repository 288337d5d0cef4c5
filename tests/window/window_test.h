// The tools of the real-window tests. Each test has an X server of its own
// (Xvfb on a display it picks itself, so that tests may run side by side), a
// fresh working folder, the programs it started there, and what it saw. When
// a test fails, its captures are saved under the build tree, the programs'
// output is printed and the working folder is kept, each with its path in the
// test's log.
//
// Keys go in through the XTEST extension after the window has been given the
// input focus: the server then treats them as real key presses, so SDL sees
// ordinary KeyPress and KeyRelease events and XQueryKeymap agrees with them,
// which synthetic XSendEvent key events do not give.
#pragma once

// Before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace window_test {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

// Asks `condition` every few milliseconds until it holds or `timeout` has
// passed; returns whether it held. Tests wait with this, never with fixed
// sleeps, so that a slow machine only makes them slower.
bool wait_until(const std::function<bool()> &condition, milliseconds timeout);

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Rgb &) const = default;
};
std::ostream &operator<<(std::ostream &out, const Rgb &colour);
constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb WHITE{255, 255, 255};

// A rectangle in pixels: a region of a capture, or a window's place on the
// screen.
struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect &) const = default;
};
std::ostream &operator<<(std::ostream &out, const Rect &rect);

// A window's picture as plain 8-bit RGB, top row first.
class Capture {
 public:
  Capture(int width, int height, std::vector<uint8_t> rgb);  // throws unless the sizes agree
  int width() const { return width_; }
  int height() const { return height_; }
  Rect bounds() const { return {0, 0, width_, height_}; }
  Rgb pixel(int x, int y) const;  // throws outside the picture
  // How many pixels of `region`, clipped to the picture, are not `colour`.
  int count_not(Rgb colour, Rect region) const;
  bool save_png(const std::string &path) const;
  bool operator==(const Capture &) const = default;

 private:
  int width_, height_;
  std::vector<uint8_t> rgb_;
};

struct ProgramOptions {
  std::vector<std::string> arguments;  // after the program's own name
  std::string working_directory;       // empty: the test's own
  // Added to the test's environment, replacing variables of the same name.
  std::vector<std::pair<std::string, std::string>> environment;
  std::string output_path;  // standard output and error, truncated; empty: /dev/null
  // Descriptors of the test process that the program keeps under the same
  // number, for protocols such as Xvfb's -displayfd.
  std::vector<int> inherited_descriptors;
};

// A program started by a test, in a process group of its own. When the
// Program goes away, so does the process and anything it started, even when
// an assertion failed half-way; when the test process dies, the kernel kills
// the program.
class Program {
 public:
  // A program that cannot be executed ends at once with status 127.
  Program(const std::string &path, const ProgramOptions &options);
  ~Program() { stop(); }
  Program(const Program &) = delete;
  Program &operator=(const Program &) = delete;

  pid_t pid() const { return pid_; }
  const std::string &path() const { return path_; }
  const std::string &output_path() const { return output_path_; }
  bool running() { return !reap(false); }
  // The exit status once the process has ended, or nothing while it still
  // runs after `timeout`. A process ended by a signal gives 128 + signal, as
  // a shell shows it, so that a crash never passes for a clean exit.
  std::optional<int> wait_for_exit(milliseconds timeout);
  // SIGTERM to the group, `grace` to end, then SIGKILL; returns once reaped.
  void stop(milliseconds grace = 0ms);
  std::string output() const;  // everything written to the output file so far

 private:
  bool reap(bool block);

  std::string path_, output_path_;
  pid_t pid_ = -1;
  std::optional<int> exit_status_;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A folder of the test's own, empty at the start.
  const std::filesystem::path &work_dir() const { return work_dir_; }
  // Starts a program on the test's display, by default in the work folder and
  // with its output in a log file there. It is stopped at the end of the test.
  Program &start(const std::string &path, ProgramOptions options = {});

  // A mapped top-level window whose name is the whole of `caption`, looking
  // once.
  std::optional<Window> find_window(const std::string &caption) const;
  // The program's window captioned `caption`. Stops waiting early, and says
  // why in the test's failure, when the program ends first.
  std::optional<Window> wait_for_window(Program &program, const std::string &caption = "Quillary",
                                        milliseconds timeout = 20s);
  // The window's place on the screen and its size. Without a window manager
  // there is no frame: this is also its outer rectangle.
  Rect geometry(Window window) const;
  // Captures the window until `condition` holds of the picture (no condition:
  // once) or `timeout` has passed, and keeps the last picture under `label`
  // for the failure report. The window must lie wholly on the screen: X keeps
  // no pixels for the parts outside it.
  Capture wait_for_picture(Window window, const std::string &label,
                           const std::function<bool(const Capture &)> &condition = nullptr,
                           milliseconds timeout = 20s);
  // WM_PROTOCOLS / WM_DELETE_WINDOW: the window manager's request to close.
  void close_window(Window window) const;

  // Keys by keysym (XK_Escape, XK_Right...), without modifiers, to the
  // window that has the focus.
  void focus(Window window) const;
  void press_key(KeySym key) const;
  void release_key(KeySym key) const;
  // A program that reads the keyboard state once per frame sees only keys
  // that stay down across a frame: the default is several frames long.
  void tap_key(KeySym key, milliseconds duration = 150ms) const;

 private:
  void start_server();
  Capture capture(Window window) const;
  void report_failure() const;

  std::filesystem::path work_dir_;
  std::unique_ptr<Program> server_;
  Display *display_ = nullptr;
  std::vector<std::unique_ptr<Program>> programs_;
  std::vector<std::pair<std::string, Capture>> captures_;
};

}  // namespace window_test
