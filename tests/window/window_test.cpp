#include "tests/window/window_test.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char **environ;

namespace window_test {

namespace {

constexpr milliseconds POLL_INTERVAL = 5ms;
constexpr milliseconds SERVER_START_TIMEOUT = 20s;
constexpr milliseconds SERVER_STOP_GRACE = 3s;
constexpr size_t LOG_TAIL_BYTES = 4000;

[[noreturn]] void fail(const std::string &what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

std::vector<char *> pointers_to(std::vector<std::string> &strings) {
  std::vector<char *> pointers;
  for (std::string &text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Windows come and go while a test looks at them (a program closing, SDL
// replacing a window): the calls that meet a vanished window report it in
// their results, and Xlib's default handler would end the whole test process.
int ignore_x_error(Display *, XErrorEvent *) { return 0; }

// Xvfb writes its display number and a newline once it accepts connections.
std::string read_display_number(int fd, const Program &server) {
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + SERVER_START_TIMEOUT;
  while (number.empty() || number.back() != '\n') {
    const auto left =
        std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd ready{fd, POLLIN, 0};
    char chunk[16];
    ssize_t got = 0;
    if (left.count() <= 0 || poll(&ready, 1, int(left.count())) <= 0 ||
        (got = read(fd, chunk, sizeof chunk)) <= 0) {
      throw std::runtime_error("Xvfb did not report its display; log: " + server.output_path());
    }
    number.append(chunk, size_t(got));
  }
  number.pop_back();
  return number;
}

// The screen is 24 bits deep: 8 bits per channel, wherever the masks put them.
uint8_t channel(unsigned long pixel, unsigned long mask) {
  return uint8_t((pixel & mask) >> std::countr_zero(mask));
}

std::string current_test_name() {
  const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(test->test_suite_name()) + "." + test->name();
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

// ---- pictures ----

std::ostream &operator<<(std::ostream &out, const Rgb &colour) {
  return out << "rgb(" << int(colour.red) << ", " << int(colour.green) << ", " << int(colour.blue)
             << ")";
}

std::ostream &operator<<(std::ostream &out, const Rect &rect) {
  return out << rect.width << "x" << rect.height << " at (" << rect.x << ", " << rect.y << ")";
}

Capture::Capture(int width, int height, std::vector<uint8_t> rgb)
    : width_(width), height_(height), rgb_(std::move(rgb)) {
  if (width < 0 || height < 0 || rgb_.size() != size_t(width) * size_t(height) * 3) {
    throw std::invalid_argument("capture size does not match its pixels");
  }
}

Rgb Capture::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    throw std::out_of_range("pixel outside the capture");
  }
  const size_t at = (size_t(y) * size_t(width_) + size_t(x)) * 3;
  return {rgb_[at], rgb_[at + 1], rgb_[at + 2]};
}

int Capture::count_not(Rgb colour, Rect region) const {
  int count = 0;
  for (int y = std::max(region.y, 0); y < std::min(region.y + region.height, height_); ++y) {
    for (int x = std::max(region.x, 0); x < std::min(region.x + region.width, width_); ++x) {
      count += pixel(x, y) != colour;
    }
  }
  return count;
}

bool Capture::save_png(const std::string &path) const {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width_);
  image.height = png_uint_32(height_);
  image.format = PNG_FORMAT_RGB;
  const bool written = png_image_write_to_file(&image, path.c_str(), 0, rgb_.data(), 0, nullptr);
  png_image_free(&image);
  return written;
}

// ---- programs ----

Program::Program(const std::string &path, const ProgramOptions &options)
    : path_(path), output_path_(options.output_path) {
  // Everything the child needs is built before fork: after it, only
  // async-signal-safe calls are allowed.
  std::vector<std::string> arguments{path};
  arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
  std::vector<std::string> environment;
  for (char **entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  for (const auto &[name, value] : options.environment) {
    std::erase_if(environment,
                  [&](const std::string &entry) { return entry.starts_with(name + "="); });
    environment.push_back(name + "=" + value);
  }
  const std::vector<char *> argv = pointers_to(arguments), envp = pointers_to(environment);
  const char *output_target = output_path_.empty() ? "/dev/null" : output_path_.c_str();
  const int output = open(output_target, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (output < 0) fail(std::string("cannot open ") + output_target);
  const int input = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 ||
        dup2(output, STDERR_FILENO) < 0) {
      _exit(127);
    }
    for (int fd : options.inherited_descriptors) fcntl(fd, F_SETFD, 0);
    if (!options.working_directory.empty() && chdir(options.working_directory.c_str()) < 0) {
      _exit(127);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(output);
  close(input);
  if (pid_ < 0) fail("fork");
  // Also here, so that signalling the group cannot race the child's own call.
  setpgid(pid_, pid_);
}

bool Program::reap(bool block) {
  if (exit_status_) return true;
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid_, &status, block ? 0 : WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result != pid_) return false;
  exit_status_ = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
  // Whatever the program started in its group goes with it, now, while the
  // group's number cannot have been given to anyone else.
  kill(-pid_, SIGKILL);
  return true;
}

std::optional<int> Program::wait_for_exit(milliseconds timeout) {
  wait_until([&] { return reap(false); }, timeout);
  return exit_status_;
}

void Program::stop(milliseconds grace) {
  if (pid_ <= 0 || exit_status_) return;
  if (grace.count() > 0) {
    kill(-pid_, SIGTERM);
    if (wait_for_exit(grace)) return;
  }
  kill(-pid_, SIGKILL);
  reap(true);
}

std::string Program::output() const {
  std::ifstream file(output_path_, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// ---- the fixture ----

void WindowTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "window-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "cannot make a working folder";
  work_dir_ = pattern;
  try {
    start_server();
  } catch (const std::exception &error) {
    FAIL() << error.what();
  }
}

void WindowTest::start_server() {
  int report[2];
  if (pipe2(report, O_CLOEXEC) < 0) fail("pipe2");
  ProgramOptions options;
  // -displayfd: the server picks a free display itself and writes its number
  // to the descriptor once it accepts connections.
  options.arguments = {
      "-displayfd", std::to_string(report[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
      "-noreset"};
  options.inherited_descriptors = {report[1]};
  options.output_path = (work_dir_ / "xvfb.log").string();
  server_ = std::make_unique<Program>(XVFB_PATH, options);
  close(report[1]);
  std::string display_name;
  try {
    display_name = ":" + read_display_number(report[0], *server_);
  } catch (...) {
    close(report[0]);
    throw;
  }
  close(report[0]);
  XSetErrorHandler(ignore_x_error);
  display_ = XOpenDisplay(display_name.c_str());
  if (display_ == nullptr) throw std::runtime_error("cannot connect to " + display_name);
  int event_base, error_base, major, minor;
  if (!XTestQueryExtension(display_, &event_base, &error_base, &major, &minor)) {
    throw std::runtime_error("the X server has no XTEST extension");
  }
  setenv("DISPLAY", display_name.c_str(), 1);  // for the programs the test starts
}

void WindowTest::TearDown() {
  if (HasFailure()) report_failure();
  programs_.clear();
  if (display_ != nullptr) XCloseDisplay(display_);
  // SIGTERM first: the server then removes its lock file and socket.
  if (server_) server_->stop(SERVER_STOP_GRACE);
  std::error_code ignored;
  if (!HasFailure() && !work_dir_.empty()) std::filesystem::remove_all(work_dir_, ignored);
}

void WindowTest::report_failure() const {
  std::error_code ignored;
  std::filesystem::create_directories(CAPTURE_DIR, ignored);
  for (const auto &[label, picture] : captures_) {
    const std::string path =
        std::string(CAPTURE_DIR) + "/" + current_test_name() + "-" + label + ".png";
    std::cout << (picture.save_png(path) ? "Capture saved: " : "Capture could not be saved: ")
              << path << "\n";
  }
  for (const auto &program : programs_) {
    std::string text = program->output();
    if (text.size() > LOG_TAIL_BYTES) text = "..." + text.substr(text.size() - LOG_TAIL_BYTES);
    std::cout << "Output of " << program->path() << " (" << program->output_path() << "):\n"
              << text << "\n";
  }
  std::cout << "Working folder kept: " << work_dir_.string() << "\n";
}

Program &WindowTest::start(const std::string &path, ProgramOptions options) {
  if (options.working_directory.empty()) options.working_directory = work_dir_.string();
  if (options.output_path.empty()) {
    const std::string name = std::filesystem::path(path).filename().string();
    options.output_path =
        (work_dir_ / (name + "-" + std::to_string(programs_.size()) + ".log")).string();
  }
  programs_.push_back(std::make_unique<Program>(path, options));
  return *programs_.back();
}

std::optional<Window> WindowTest::find_window(const std::string &caption) const {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  std::optional<Window> found;
  if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
    return found;
  }
  for (unsigned i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes;
    char *name = nullptr;
    if (XGetWindowAttributes(display_, children[i], &attributes) &&
        attributes.map_state == IsViewable && XFetchName(display_, children[i], &name) &&
        name != nullptr) {
      if (caption == name) found = children[i];
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

std::optional<Window> WindowTest::wait_for_window(Program &program, const std::string &caption,
                                                  milliseconds timeout) {
  std::optional<Window> window;
  wait_until([&] { return (window = find_window(caption)) || !program.running(); }, timeout);
  if (!window && !program.running()) {
    ADD_FAILURE() << program.path() << " ended with status " << *program.wait_for_exit(0ms)
                  << " before a window captioned \"" << caption << "\" appeared";
  } else if (!window) {
    ADD_FAILURE() << "no window captioned \"" << caption << "\" appeared within " << timeout.count()
                  << " ms";
  }
  return window;
}

Rect WindowTest::geometry(Window window) const {
  XWindowAttributes attributes;
  Window child;
  int x = 0, y = 0;
  if (!XGetWindowAttributes(display_, window, &attributes) ||
      !XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child)) {
    throw std::runtime_error("the window is gone");
  }
  return {x, y, attributes.width, attributes.height};
}

Capture WindowTest::capture(Window window) const {
  const Rect place = geometry(window);
  XImage *image = XGetImage(display_, window, 0, 0, unsigned(place.width), unsigned(place.height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) throw std::runtime_error("cannot read the window's pixels");
  std::vector<uint8_t> rgb;
  rgb.reserve(size_t(image->width) * size_t(image->height) * 3);
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      rgb.insert(rgb.end(), {channel(pixel, image->red_mask), channel(pixel, image->green_mask),
                             channel(pixel, image->blue_mask)});
    }
  }
  Capture picture(image->width, image->height, std::move(rgb));
  XDestroyImage(image);
  return picture;
}

Capture WindowTest::wait_for_picture(Window window, const std::string &label,
                                     const std::function<bool(const Capture &)> &condition,
                                     milliseconds timeout) {
  std::optional<Capture> picture;
  wait_until([&] { return condition == nullptr || condition(*(picture = capture(window))); },
             timeout);
  if (!picture) picture = capture(window);
  captures_.emplace_back(label, *picture);
  return *picture;
}

void WindowTest::close_window(Window window) const {
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

void WindowTest::focus(Window window) const {
  XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
  XSync(display_, False);
}

void WindowTest::press_key(KeySym key) const {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), True, CurrentTime);
  XSync(display_, False);
}

void WindowTest::release_key(KeySym key) const {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), False, CurrentTime);
  XSync(display_, False);
}

void WindowTest::tap_key(KeySym key, milliseconds duration) const {
  press_key(key);
  std::this_thread::sleep_for(duration);
  release_key(key);
}

}  // namespace window_test
