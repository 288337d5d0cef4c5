// The fixture of every real-window test: its own X server, a fresh working
// folder, the programs it started, and what it saw. When a test fails, its
// captures are saved under the build tree, the programs' output is printed
// and the working folder is kept, each with its path in the test's log.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/window/xsession.h"

namespace window_test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  XSession &session() { return *session_; }
  // A folder of the test's own, empty at the start.
  const std::filesystem::path &work_dir() const { return work_dir_; }

  // Starts a program on the test's display, by default in the work folder,
  // with its output in a log file there. It is stopped at the end of the test.
  Program &start(const std::string &path, ProgramOptions options = {});
  // The program's top-level window captioned `caption`. Stops waiting early,
  // and says why in the test's failure, when the program ends first.
  std::optional<Window> wait_for_window(Program &program, const std::string &caption,
                                        milliseconds timeout = 20s);
  // Captures the window and keeps the picture under `label` for the failure
  // report.
  Capture capture(Window window, const std::string &label);

 private:
  void report_failure() const;
  std::string capture_path(const std::string &label) const;

  std::filesystem::path work_dir_;
  std::unique_ptr<XSession> session_;
  std::vector<std::unique_ptr<Program>> programs_;
  std::vector<std::pair<std::string, Capture>> captures_;
};

}  // namespace window_test
