#include "tests/window/xsession.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace window_test {

namespace {

constexpr milliseconds POLL_INTERVAL(10);
constexpr milliseconds SERVER_STOP_GRACE(3000);

// Windows come and go while a test looks at them (a program closing, SDL
// replacing a window): the calls that meet a vanished window report it in
// their results, and Xlib's default handler would end the whole test process.
int ignore_x_error(Display *, XErrorEvent *) { return 0; }

std::string read_display_number(int fd, milliseconds timeout, const Program &server) {
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (number.empty() || number.back() != '\n') {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline -
                                                               std::chrono::steady_clock::now());
    pollfd ready{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&ready, 1, int(left.count())) <= 0) {
      throw std::runtime_error("Xvfb did not report its display in time; log: " +
                               server.output_path());
    }
    char chunk[16];
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got <= 0) {
      throw std::runtime_error("Xvfb ended before reporting its display; log: " +
                               server.output_path());
    }
    number.append(chunk, size_t(got));
  }
  number.pop_back();
  return number;
}

// How far `mask` lies from bit 0, and how wide it is.
struct Channel {
  int shift;
  int bits;
};

Channel channel_of(unsigned long mask) {
  return {std::countr_zero(mask), std::popcount(mask)};
}

uint8_t channel_value(unsigned long pixel, Channel channel) {
  const unsigned long value = (pixel >> channel.shift) & ((1ul << channel.bits) - 1);
  if (channel.bits >= 8) return uint8_t(value >> (channel.bits - 8));
  return uint8_t(value * 255 / ((1ul << channel.bits) - 1));
}

std::vector<uint8_t> rgb_of(XImage *image) {
  const Channel red = channel_of(image->red_mask);
  const Channel green = channel_of(image->green_mask);
  const Channel blue = channel_of(image->blue_mask);
  std::vector<uint8_t> rgb;
  rgb.reserve(size_t(image->width) * size_t(image->height) * 3);
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      rgb.push_back(channel_value(pixel, red));
      rgb.push_back(channel_value(pixel, green));
      rgb.push_back(channel_value(pixel, blue));
    }
  }
  return rgb;
}

std::string window_id(Window window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", window);
  return text;
}

std::optional<std::string> name_of(Display *display, Window window) {
  char *name = nullptr;
  if (!XFetchName(display, window, &name) || name == nullptr) return std::nullopt;
  std::string result(name);
  XFree(name);
  return result;
}

}  // namespace

bool wait_until(const std::function<bool()> &condition, milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(POLL_INTERVAL);
  }
  return true;
}

XSession::XSession(milliseconds start_timeout, const std::string &log_path) {
  start_server(start_timeout, log_path);
  connect();
}

XSession::~XSession() {
  if (display_ != nullptr) XCloseDisplay(display_);
  // SIGTERM first: the server then removes its lock file and socket.
  if (server_) server_->stop(SERVER_STOP_GRACE);
}

void XSession::start_server(milliseconds timeout, const std::string &log_path) {
  int report[2];
  if (pipe2(report, O_CLOEXEC) < 0) {
    throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
  }
  ProgramOptions options;
  // -displayfd: the server picks a free display itself and writes its number
  // to the descriptor once it accepts connections.
  options.arguments = {"-displayfd", std::to_string(report[1]), "-screen", "0", "1024x768x24",
                       "-nolisten", "tcp", "-noreset"};
  options.inherited_descriptors = {report[1]};
  options.output_path = log_path;
  try {
    server_ = std::make_unique<Program>(XVFB_PATH, options);
    close(report[1]);
    display_name_ = ":" + read_display_number(report[0], timeout, *server_);
  } catch (...) {
    close(report[0]);
    throw;
  }
  close(report[0]);
}

void XSession::connect() {
  XSetErrorHandler(ignore_x_error);
  display_ = XOpenDisplay(display_name_.c_str());
  if (display_ == nullptr) {
    throw std::runtime_error("cannot connect to the X server on " + display_name_);
  }
  int event_base, error_base, major, minor;
  has_xtest_ = XTestQueryExtension(display_, &event_base, &error_base, &major, &minor);
}

std::unique_ptr<Program> XSession::spawn(const std::string &path, ProgramOptions options) const {
  options.environment.emplace_back("DISPLAY", display_name_);
  return std::make_unique<Program>(path, std::move(options));
}

bool XSession::is_viewable(Window window) const {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) &&
         attributes.map_state == IsViewable;
}

std::optional<Window> XSession::find_window(const std::string &caption,
                                            milliseconds timeout) const {
  std::optional<Window> found;
  auto look = [&] {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
      return false;
    }
    for (unsigned i = 0; i < count && !found; ++i) {
      if (is_viewable(children[i]) && name_of(display_, children[i]) == caption) {
        found = children[i];
      }
    }
    if (children != nullptr) XFree(children);
    return found.has_value();
  };
  wait_until(look, timeout);
  return found;
}

Rect XSession::geometry(Window window) const {
  XWindowAttributes attributes;
  Window child;
  int x = 0, y = 0;
  if (!XGetWindowAttributes(display_, window, &attributes) ||
      !XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y,
                             &child)) {
    throw std::runtime_error("window " + window_id(window) + " is gone");
  }
  return {x, y, attributes.width, attributes.height};
}

Capture XSession::capture(Window window) const {
  const Rect place = geometry(window);
  XImage *image = XGetImage(display_, window, 0, 0, unsigned(place.width), unsigned(place.height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) {
    throw std::runtime_error("cannot read the pixels of window " + window_id(window));
  }
  Capture picture(image->width, image->height, rgb_of(image));
  XDestroyImage(image);
  return picture;
}

void XSession::close_window(Window window) const {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  // No event mask: the event goes to the client that created the window.
  XSendEvent(display_, window, False, NoEventMask, &event);
  XSync(display_, False);
}

void XSession::focus(Window window) const {
  Window current;
  int revert;
  XGetInputFocus(display_, &current, &revert);
  if (current == window) return;
  XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
  XSync(display_, False);
}

void XSession::send_key(KeySym key, bool down) const {
  if (!has_xtest_) throw std::runtime_error("the X server has no XTEST extension");
  const KeyCode code = XKeysymToKeycode(display_, key);
  if (code == 0) {
    const char *name = XKeysymToString(key);
    throw std::runtime_error(std::string("no key carries keysym ") + (name ? name : "?"));
  }
  XTestFakeKeyEvent(display_, code, down, CurrentTime);
  XSync(display_, False);
}

void XSession::press_key(KeySym key) const { send_key(key, true); }

void XSession::release_key(KeySym key) const { send_key(key, false); }

void XSession::tap_key(KeySym key, milliseconds duration) const {
  press_key(key);
  std::this_thread::sleep_for(duration);
  release_key(key);
}

}  // namespace window_test
