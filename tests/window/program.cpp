#include "tests/window/program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char **environ;

namespace window_test {

namespace {

constexpr milliseconds POLL_INTERVAL(5);

// A descriptor closed when it goes out of scope.
class OwnedFd {
 public:
  explicit OwnedFd(int fd = -1) : fd_(fd) {}
  ~OwnedFd() { reset(); }
  OwnedFd(const OwnedFd &) = delete;
  OwnedFd &operator=(const OwnedFd &) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

[[noreturn]] void fail(const std::string &what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Everything the child needs is built before fork: after it, only
// async-signal-safe calls are allowed.
struct ChildPlan {
  std::vector<std::string> argument_storage;
  std::vector<std::string> environment_storage;
  std::vector<char *> argv;
  std::vector<char *> envp;
};

bool names_variable(const std::string &entry, const std::string &name) {
  return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
         entry[name.size()] == '=';
}

std::vector<std::string> merged_environment(const ProgramOptions &options) {
  std::vector<std::string> entries;
  for (char **entry = environ; *entry != nullptr; ++entry) entries.emplace_back(*entry);
  for (const auto &[name, value] : options.environment) {
    std::erase_if(entries, [&](const std::string &entry) { return names_variable(entry, name); });
    entries.push_back(name + "=" + value);
  }
  return entries;
}

std::vector<char *> pointers_to(std::vector<std::string> &strings) {
  std::vector<char *> pointers;
  for (std::string &text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

ChildPlan plan_child(const std::string &path, const ProgramOptions &options) {
  ChildPlan plan;
  plan.argument_storage.push_back(path);
  plan.argument_storage.insert(plan.argument_storage.end(), options.arguments.begin(),
                               options.arguments.end());
  plan.environment_storage = merged_environment(options);
  plan.argv = pointers_to(plan.argument_storage);
  plan.envp = pointers_to(plan.environment_storage);
  return plan;
}

int open_output(const std::string &path) {
  const char *target = path.empty() ? "/dev/null" : path.c_str();
  const int fd = open(target, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) fail("cannot open " + std::string(target));
  return fd;
}

[[noreturn]] void report_and_exit(int report_fd) {
  const int error = errno;
  [[maybe_unused]] ssize_t written = write(report_fd, &error, sizeof error);
  _exit(127);
}

// Runs in the forked child. Any failure is reported through `report_fd`
// (closed on a successful exec) so that the parent can throw.
[[noreturn]] void become_child(const ChildPlan &plan, const ProgramOptions &options, pid_t parent,
                               int input_fd, int output_fd, int report_fd) {
  setpgid(0, 0);
  // Whatever happens to the test process, no program outlives it.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (dup2(input_fd, STDIN_FILENO) < 0 || dup2(output_fd, STDOUT_FILENO) < 0 ||
      dup2(output_fd, STDERR_FILENO) < 0) {
    report_and_exit(report_fd);
  }
  for (int fd : options.inherited_descriptors) {
    if (fcntl(fd, F_SETFD, 0) < 0) report_and_exit(report_fd);
  }
  if (!options.working_directory.empty() && chdir(options.working_directory.c_str()) < 0) {
    report_and_exit(report_fd);
  }
  execve(plan.argv[0], plan.argv.data(), plan.envp.data());
  report_and_exit(report_fd);
}

// Zero when the exec went through, the child's errno otherwise.
int read_start_report(int report_fd) {
  int error = 0;
  ssize_t got;
  do {
    got = read(report_fd, &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  return got == sizeof error ? error : 0;
}

}  // namespace

Program::Program(const std::string &path, ProgramOptions options)
    : path_(path), options_(std::move(options)) {
  start();
}

Program::~Program() { stop(); }

void Program::start() {
  const ChildPlan plan = plan_child(path_, options_);
  OwnedFd output(open_output(options_.output_path));
  OwnedFd child_input, parent_input;
  if (options_.input_pipe) {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) < 0) fail("socketpair");
    parent_input.reset(ends[0]);
    child_input.reset(ends[1]);
  } else {
    child_input.reset(open("/dev/null", O_RDONLY | O_CLOEXEC));
  }
  int report[2];
  if (pipe2(report, O_CLOEXEC) < 0) fail("pipe2");
  OwnedFd report_read(report[0]), report_write(report[1]);

  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) fail("fork");
  if (pid_ == 0) {
    become_child(plan, options_, parent, child_input.get(), output.get(), report_write.get());
  }
  // Also here, so that signalling the group cannot race the child's own call.
  setpgid(pid_, pid_);
  report_write.reset();
  if (const int error = read_start_report(report_read.get()); error != 0) {
    reap(true);
    errno = error;
    fail("cannot start " + path_);
  }
  input_fd_ = parent_input.release();
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

bool Program::running() { return !reap(false); }

std::optional<int> Program::wait_for_exit(milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!reap(false) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(POLL_INTERVAL);
  }
  return exit_status_;
}

void Program::signal_group(int signal) {
  if (kill(-pid_, signal) < 0) kill(pid_, signal);
}

void Program::stop(milliseconds grace) {
  if (pid_ <= 0) return;
  if (!exit_status_ && grace.count() > 0) {
    signal_group(SIGTERM);
    wait_for_exit(grace);
  }
  if (!exit_status_) {
    signal_group(SIGKILL);
    reap(true);
  }
  if (input_fd_ >= 0) {
    close(input_fd_);
    input_fd_ = -1;
  }
}

bool Program::write_input(std::string_view text) {
  if (input_fd_ < 0) return false;
  while (!text.empty()) {
    const ssize_t sent = send(input_fd_, text.data(), text.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    text.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

std::string Program::output() const {
  if (options_.output_path.empty()) return {};
  std::ifstream file(options_.output_path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

}  // namespace window_test
