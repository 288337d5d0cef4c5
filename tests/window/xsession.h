// An X server of a test's own (Xvfb on a display it picks itself, so that
// tests may run side by side) and a connection to it: start programs on it,
// find their windows by caption, read their place and pixels, close them as a
// window manager would, and type on them.
//
// Keys go in through the XTEST extension after the window has been given the
// input focus: the server then treats them as real key presses, so SDL sees
// ordinary KeyPress and KeyRelease events and XQueryKeymap agrees with them,
// which synthetic XSendEvent key events (xdotool's --window mode) do not give.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "tests/window/capture.h"
#include "tests/window/program.h"

namespace window_test {

using namespace std::chrono_literals;

// Asks `condition` every few milliseconds until it holds or `timeout` has
// passed; returns whether it held. Tests wait with this, never with fixed
// sleeps, so that a slow machine only makes them slower.
bool wait_until(const std::function<bool()> &condition, milliseconds timeout);

class XSession {
 public:
  // Starts Xvfb with one 1024x768 screen of 24 bits and connects to it; the
  // server's own messages go to `log_path` (empty: nowhere). Throws
  // std::runtime_error when the server does not come up in time.
  explicit XSession(milliseconds start_timeout = 20s, const std::string &log_path = "");
  // Disconnects and stops the server.
  ~XSession();
  XSession(const XSession &) = delete;
  XSession &operator=(const XSession &) = delete;

  const std::string &display_name() const { return display_name_; }  // ":N"
  Display *display() const { return display_; }
  pid_t server_pid() const { return server_->pid(); }

  // Starts a program with DISPLAY naming this server.
  std::unique_ptr<Program> spawn(const std::string &path, ProgramOptions options = {}) const;

  // The first mapped top-level window whose name is `caption`, waiting up to
  // `timeout` for it to appear (a zero timeout looks once).
  std::optional<Window> find_window(const std::string &caption, milliseconds timeout) const;
  // Whether the window is still there and mapped.
  bool is_viewable(Window window) const;
  // The window's position on the screen and its size. Without a window
  // manager there is no frame: this is also its outer rectangle.
  Rect geometry(Window window) const;
  // The window's pixels as they are on the screen now. The window must lie
  // wholly on the screen: X keeps no pixels for the parts outside it.
  Capture capture(Window window) const;
  // Sends WM_PROTOCOLS / WM_DELETE_WINDOW, the window manager's request to
  // close a window.
  void close_window(Window window) const;

  // Gives the window the input focus, if it does not have it already, so
  // that the keys below reach it.
  void focus(Window window) const;
  // Keys by keysym (XK_Escape, XK_Right, XK_space...), on the key that carries
  // the keysym, without modifiers. Sent to the window that has the focus.
  void press_key(KeySym key) const;
  void release_key(KeySym key) const;
  // Holds the key for `duration`. A program that reads the keyboard state
  // once per frame sees only keys that stay down across a frame, so the
  // default is several frames long even on a loaded machine.
  void tap_key(KeySym key, milliseconds duration = 150ms) const;

 private:
  void start_server(milliseconds timeout, const std::string &log_path);
  void connect();
  void send_key(KeySym key, bool down) const;

  std::unique_ptr<Program> server_;
  std::string display_name_;
  Display *display_ = nullptr;
  bool has_xtest_ = false;
};

}  // namespace window_test
