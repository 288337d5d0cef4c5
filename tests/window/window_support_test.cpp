// The window tests' own tools, checked on plain programs and on the probe, so
// that a fault in them cannot make a game test pass or fail for nothing.
#include <X11/keysym.h>
#include <png.h>
#include <signal.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "tests/window/window_test.h"

namespace window_test {
namespace {

constexpr milliseconds PICTURE_TIMEOUT = 20s;
constexpr milliseconds EXIT_TIMEOUT = 10s;
constexpr milliseconds REPORT_TIMEOUT = 10s;

// A folder of the test's own, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "scratch-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = std::filesystem::canonical(pattern);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path &path() const { return path_; }

 private:
  std::filesystem::path path_;
};

ProgramOptions shell_options(const std::string &script, const std::string &output_path = "") {
  ProgramOptions options;
  options.arguments = {"-c", script};
  options.output_path = output_path;
  return options;
}

// Gone, or a zombie that nobody has reaped yet: in either case it runs no more.
bool has_ended(pid_t pid) {
  if (kill(pid, 0) < 0 && errno == ESRCH) return true;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string pid_field, name, state;
  return stat >> pid_field >> name >> state && state == "Z";
}

std::string read_file(const std::filesystem::path &path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Program, GivesTheExitStatus) {
  Program shell("/bin/sh", shell_options("exit 3"));
  EXPECT_EQ(shell.wait_for_exit(EXIT_TIMEOUT), 3);
  EXPECT_FALSE(shell.running());
}

TEST(Program, GivesADeathBySignalAsTheShellDoes) {
  Program shell("/bin/sh", shell_options("kill -9 $$"));
  EXPECT_EQ(shell.wait_for_exit(EXIT_TIMEOUT), 128 + SIGKILL);
}

TEST(Program, StopsWaitingAtTheTimeout) {
  ProgramOptions options;
  options.arguments = {"30"};
  Program sleeper("/bin/sleep", options);
  EXPECT_EQ(sleeper.wait_for_exit(100ms), std::nullopt);
  EXPECT_TRUE(sleeper.running());
}

TEST(Program, RunsInItsFolderWithTheExtraEnvironment) {
  ScratchFolder folder;
  const std::string log = (folder.path() / "out.log").string();
  ProgramOptions options = shell_options("pwd; echo \"$GREETING\"; echo oops >&2", log);
  options.working_directory = folder.path().string();
  options.environment = {{"GREETING", "hello"}};
  Program shell("/bin/sh", options);
  ASSERT_EQ(shell.wait_for_exit(EXIT_TIMEOUT), 0);
  EXPECT_EQ(shell.output(), folder.path().string() + "\nhello\noops\n");
}

TEST(Program, ReplacesAnInheritedVariable) {
  ScratchFolder folder;
  setenv("WINDOW_TEST_VARIABLE", "old", 1);
  ProgramOptions options =
      shell_options("echo \"$WINDOW_TEST_VARIABLE\"", (folder.path() / "out.log").string());
  options.environment = {{"WINDOW_TEST_VARIABLE", "new"}};
  Program shell("/bin/sh", options);
  ASSERT_EQ(shell.wait_for_exit(EXIT_TIMEOUT), 0);
  EXPECT_EQ(shell.output(), "new\n");
}

TEST(Program, FeedsItsStandardInput) {
  ScratchFolder folder;
  ProgramOptions options =
      shell_options("read line; echo \"got $line\"", (folder.path() / "out.log").string());
  options.input_pipe = true;
  Program shell("/bin/sh", options);
  EXPECT_TRUE(shell.write_input("hello\n"));
  ASSERT_EQ(shell.wait_for_exit(EXIT_TIMEOUT), 0);
  EXPECT_EQ(shell.output(), "got hello\n");
}

TEST(Program, ThrowsWhenTheProgramCannotStart) {
  EXPECT_THROW(Program("/nonexistent/program", {}), std::runtime_error);
}

TEST(Program, LeavesNothingRunningBehind) {
  ScratchFolder folder;
  // The shell starts a grandchild and reports its process id.
  auto shell = std::make_unique<Program>(
      "/bin/sh", shell_options("sleep 30 & echo $!; wait", (folder.path() / "out.log").string()));
  ASSERT_TRUE(wait_until([&] { return shell->output().find('\n') != std::string::npos; },
                         REPORT_TIMEOUT));
  const pid_t shell_pid = shell->pid();
  const pid_t grandchild = std::stoi(shell->output());
  ASSERT_FALSE(has_ended(grandchild));
  shell.reset();
  EXPECT_TRUE(has_ended(shell_pid));
  EXPECT_TRUE(wait_until([&] { return has_ended(grandchild); }, EXIT_TIMEOUT));
}

TEST(Capture, CountsColoursInAClippedRegion) {
  // Two rows of three: red, white, white / black, black, white.
  const Capture picture(3, 2, {255, 0, 0, 255, 255, 255, 255, 255, 255,  //
                               0, 0, 0, 0, 0, 0, 255, 255, 255});
  EXPECT_EQ(picture.pixel(0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(picture.pixel(2, 1), WHITE);
  EXPECT_EQ(picture.count_of(WHITE, picture.bounds()), 3);
  EXPECT_EQ(picture.count_not(WHITE, picture.bounds()), 3);
  EXPECT_EQ(picture.count_of(BLACK, {-5, 1, 100, 100}), 2);
  EXPECT_EQ(picture.count_not(BLACK, {1, -1, 1, 2}), 1);
  EXPECT_THROW(picture.pixel(3, 0), std::out_of_range);
}

Capture sample_picture() {
  std::vector<uint8_t> rgb;
  for (int i = 0; i < 4 * 3 * 3; ++i) rgb.push_back(uint8_t(i * 7));
  return Capture(4, 3, rgb);
}

TEST(Capture, SavesAPpmThatHoldsItsPixels) {
  ScratchFolder folder;
  const Capture picture = sample_picture();
  ASSERT_TRUE(picture.save((folder.path() / "picture.ppm").string()));
  const std::string header = "P6\n4 3\n255\n";
  const std::string expected =
      header + std::string(picture.rgb().begin(), picture.rgb().end());
  EXPECT_EQ(read_file(folder.path() / "picture.ppm"), expected);
}

TEST(Capture, SavesAPngThatHoldsItsPixels) {
  ScratchFolder folder;
  const Capture picture = sample_picture();
  const std::string path = (folder.path() / "picture.png").string();
  ASSERT_TRUE(picture.save(path));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
  EXPECT_EQ(image.width, 4u);
  EXPECT_EQ(image.height, 3u);
  EXPECT_EQ(pixels, picture.rgb());
}

TEST(XSession, EachSessionHasADisplayOfItsOwn) {
  XSession first, second;
  EXPECT_NE(first.display_name(), second.display_name());
  for (const XSession *session : {&first, &second}) {
    EXPECT_EQ(DisplayWidth(session->display(), 0), 1024);
    EXPECT_EQ(DisplayHeight(session->display(), 0), 768);
  }
}

TEST(XSession, StopsItsServer) {
  pid_t server = 0;
  {
    XSession session;
    server = session.server_pid();
    ASSERT_FALSE(has_ended(server));
  }
  EXPECT_TRUE(has_ended(server));
}

class ProbeWindow : public WindowTest {
 protected:
  Program &start_probe(std::vector<std::string> arguments = {}) {
    ProgramOptions options;
    options.arguments = std::move(arguments);
    options.input_pipe = true;
    return start(WINDOW_PROBE, options);
  }


  bool wait_for_output(const Program &probe, const std::string &line) {
    return wait_until(
        [&] { return probe.output().find(line + "\n") != std::string::npos; }, REPORT_TIMEOUT);
  }
};

TEST_F(ProbeWindow, IsFoundByItsCaptionWithItsSize) {
  Program &probe = start_probe();
  const std::optional<Window> window = wait_for_window(probe, "Quillary");
  ASSERT_TRUE(window);
  const Rect place = session().geometry(*window);
  EXPECT_EQ(place.width, 800);
  EXPECT_EQ(place.height, 600);
}

TEST_F(ProbeWindow, OnlyTheWholeCaptionFindsIt) {
  Program &probe = start_probe();
  ASSERT_TRUE(wait_for_window(probe, "Quillary"));
  EXPECT_EQ(session().find_window("Quillar", 200ms), std::nullopt);
  EXPECT_EQ(session().find_window("Quillary!", 200ms), std::nullopt);
}

TEST_F(ProbeWindow, CaptureHoldsTheClearColourInRgbOrder) {
  const Rgb colour{200, 100, 50};
  Program &probe = start_probe({"--clear", "200,100,50"});
  const std::optional<Window> window = wait_for_window(probe, "Quillary");
  ASSERT_TRUE(window);
  // The window shows the colour from the first frame on that reached it.
  ASSERT_TRUE(wait_until(
      [&] { return session().capture(*window).pixel(400, 300) == colour; }, PICTURE_TIMEOUT));
  const Capture picture = capture(*window, "clear");
  EXPECT_EQ(picture.width(), 800);
  EXPECT_EQ(picture.height(), 600);
  EXPECT_EQ(picture.count_not(colour, picture.bounds()), 0);
}

TEST_F(ProbeWindow, ClosingTheWindowEndsIt) {
  Program &probe = start_probe();
  const std::optional<Window> window = wait_for_window(probe, "Quillary");
  ASSERT_TRUE(window);
  session().close_window(*window);
  EXPECT_EQ(probe.wait_for_exit(EXIT_TIMEOUT), 0);
  EXPECT_NE(probe.output().find("quit\n"), std::string::npos);
}

TEST_F(ProbeWindow, KeysReachTheFocusedWindow) {
  Program &probe = start_probe();
  const std::optional<Window> window = wait_for_window(probe, "Quillary");
  ASSERT_TRUE(window);
  session().focus(*window);
  session().press_key(XK_Right);
  EXPECT_TRUE(wait_for_output(probe, "key down 275"));  // SDLK_RIGHT
  session().release_key(XK_Right);
  EXPECT_TRUE(wait_for_output(probe, "key up 275"));
  session().tap_key(XK_Escape);
  EXPECT_TRUE(wait_for_output(probe, "key down 27"));
  EXPECT_TRUE(wait_for_output(probe, "key up 27"));
}

}  // namespace
}  // namespace window_test
