#include "tests/window/window_test.h"

#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace window_test {

namespace {

constexpr size_t LOG_TAIL_BYTES = 4000;

std::filesystem::path make_work_dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "window-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a working folder from " + pattern);
  }
  return pattern;
}

std::string current_test_name() {
  const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(test->test_suite_name()) + "." + test->name();
}

std::string tail_of(const std::string &text) {
  return text.size() <= LOG_TAIL_BYTES ? text : "..." + text.substr(text.size() - LOG_TAIL_BYTES);
}

}  // namespace

void WindowTest::SetUp() {
  try {
    work_dir_ = make_work_dir();
    session_ = std::make_unique<XSession>(20s, (work_dir_ / "xvfb.log").string());
  } catch (const std::exception &error) {
    FAIL() << error.what();
  }
}

void WindowTest::TearDown() {
  if (HasFailure()) report_failure();
  programs_.clear();
  session_.reset();
  std::error_code ignored;
  if (!HasFailure() && !work_dir_.empty()) std::filesystem::remove_all(work_dir_, ignored);
}

Program &WindowTest::start(const std::string &path, ProgramOptions options) {
  if (options.working_directory.empty()) options.working_directory = work_dir_.string();
  if (options.output_path.empty()) {
    const std::string name = std::filesystem::path(path).filename().string();
    options.output_path =
        (work_dir_ / (name + "-" + std::to_string(programs_.size()) + ".log")).string();
  }
  programs_.push_back(session().spawn(path, std::move(options)));
  return *programs_.back();
}

std::optional<Window> WindowTest::wait_for_window(Program &program, const std::string &caption,
                                                  milliseconds timeout) {
  std::optional<Window> window;
  wait_until(
      [&] {
        window = session().find_window(caption, milliseconds(0));
        return window || !program.running();
      },
      timeout);
  if (!window && !program.running()) {
    ADD_FAILURE() << program.path() << " ended with status " << *program.wait_for_exit(timeout)
                  << " before a window captioned \"" << caption << "\" appeared";
  } else if (!window) {
    ADD_FAILURE() << "no window captioned \"" << caption << "\" appeared within "
                  << timeout.count() << " ms";
  }
  return window;
}

Capture WindowTest::capture(Window window, const std::string &label) {
  Capture picture = session().capture(window);
  captures_.emplace_back(label, picture);
  return picture;
}

std::string WindowTest::capture_path(const std::string &label) const {
  return std::string(CAPTURE_DIR) + "/" + current_test_name() + "-" + label + ".png";
}

void WindowTest::report_failure() const {
  std::error_code ignored;
  std::filesystem::create_directories(CAPTURE_DIR, ignored);
  for (const auto &[label, picture] : captures_) {
    const std::string path = capture_path(label);
    std::cout << (picture.save(path) ? "Capture saved: " : "Capture could not be saved: ") << path
              << "\n";
  }
  for (const auto &program : programs_) {
    std::cout << "Output of " << program->path() << " (" << program->output_path() << "):\n"
              << tail_of(program->output()) << "\n";
  }
  std::cout << "Working folder kept: " << work_dir_.string() << "\n";
}

}  // namespace window_test
