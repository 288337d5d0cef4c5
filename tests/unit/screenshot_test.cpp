// Screenshots in the test's own folder. The GL double's read-back is red x,
// green y, blue x ^ y (mod 256), rows bottom first; SDL's double has no window
// to read, so the front buffer is read.
#include <filesystem>
#include <fstream>

#include "files/screenshot.h"
#include "tests/support/engine_test.h"

namespace {

using Screenshot = EngineTest;

std::string bytes(const char *name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The first free names in turn; a header with the size little-endian, then
// blue, green, red from the bottom row up, no padding, no footer.
TEST_F(Screenshot, WritesTheFirstFreeNameWithHeaderAndRowsBottomFirst) {
  video.width = 640, video.height = 480;
  file_screenshot();
  EXPECT_EQ(std::string(screenshot_name) + " " + std::to_string(bytes("scsht000.tga").size()), "scsht000.tga 921618");
  video.width = 300, video.height = 2;
  file_screenshot();
  const std::string tga = bytes("scsht001.tga");
  ASSERT_EQ(tga.size(), 18 + 300 * 2 * 3u);
  EXPECT_EQ(tga.substr(0, 18), std::string("\0\0\2\0\0\0\0\0\0\0\0\0\x2c\1\2\0\x18\0", 18));
  for (int x : {0, 299})
    for (int y : {0, 1})
      EXPECT_EQ(tga.substr(size_t(18 + 3 * (y * 300 + x)), 3), std::string({char(x ^ y), char(y), char(x)})) << x << y;
  EXPECT_EQ(Ints({int(fake::gl.read_buffer), std::string(screenshot_name) == "scsht001.tga"}), Ints({GL_FRONT, 1}));
}

// Nothing is written above 1280 by 960, nor when all thousand names are
// taken: no name past scsht999.tga, no file overwritten. With the first
// hundred taken the next is scsht100.tga.
TEST_F(Screenshot, WritesNothingTooLargeOrWithEveryNameTaken) {
  for (auto [width, height, written] : {std::tuple{1281, 960, false}, {1280, 961, false}, {1280, 960, true}}) {
    video.width = width, video.height = height;
    file_screenshot();
    EXPECT_EQ(std::filesystem::exists("scsht000.tga"), written) << width << "x" << height;
  }
  auto take = [](int from, int to) {
    for (int n = from; n <= to; ++n) std::ofstream(std::string("scsht") + char('0' + n / 100) + char('0' + n / 10 % 10) + char('0' + n % 10) + ".tga");
  };
  take(1, 99), file_screenshot();
  EXPECT_STREQ(screenshot_name, "scsht100.tga");
  take(101, 999), file_screenshot();
  EXPECT_STREQ(screenshot_name, "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1000);
  EXPECT_EQ(bytes("scsht999.tga"), "");
}

}  // namespace
