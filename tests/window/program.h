// A program started by a window test: its own process group, working folder,
// environment and output file. The test owns it: when the Program goes away,
// so does the process and anything it started, even when an assertion failed
// half-way; and when the test process itself dies, the kernel kills the child.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace window_test {

using std::chrono::milliseconds;

struct ProgramOptions {
  std::vector<std::string> arguments;  // after the program's own name
  std::string working_directory;       // empty: the test's own
  // Added to the test's environment, replacing variables of the same name.
  std::vector<std::pair<std::string, std::string>> environment;
  // Standard output and standard error go here (created or truncated);
  // empty: /dev/null.
  std::string output_path;
  // When set, write_input() feeds the program's standard input; otherwise it
  // reads from /dev/null.
  bool input_pipe = false;
  // Descriptors of the test process that the program keeps under the same
  // number, for protocols such as Xvfb's -displayfd.
  std::vector<int> inherited_descriptors;
};

class Program {
 public:
  // Starts `path`; throws std::runtime_error when it cannot be executed.
  Program(const std::string &path, ProgramOptions options);
  ~Program();
  Program(const Program &) = delete;
  Program &operator=(const Program &) = delete;

  pid_t pid() const { return pid_; }
  const std::string &path() const { return path_; }
  const std::string &output_path() const { return options_.output_path; }

  // False once the process has ended (it is reaped here).
  bool running();
  // The exit status once the process has ended, or nothing if it is still
  // running after `timeout`. A process ended by a signal gives 128 + signal,
  // as a shell would show it.
  std::optional<int> wait_for_exit(milliseconds timeout);
  // Asks the process group to end with SIGTERM, gives it `grace`, then
  // SIGKILLs it. Returns as soon as the process is reaped.
  void stop(milliseconds grace = milliseconds(0));
  // Writes to the program's standard input; false when the program no longer
  // reads it (or was started without an input pipe).
  bool write_input(std::string_view text);
  // Everything the program has written to its output file so far.
  std::string output() const;

 private:
  void start();
  bool reap(bool block);
  void signal_group(int signal);

  std::string path_;
  ProgramOptions options_;
  pid_t pid_ = -1;
  int input_fd_ = -1;
  std::optional<int> exit_status_;
};

}  // namespace window_test
