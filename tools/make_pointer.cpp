// Makes the mouse pointer image from a text picture: one line per pixel row,
// top row first, '#' black, '.' white, '-' transparent. The engine loads only
// images whose sides are powers of two, so any other source is refused. It
// draws the pointer image centred on the pointer's position, which is why the
// arrow of pointer.txt has its tip at the picture's centre.
//
// Usage: make_pointer [pointer.txt [mouse01.png]]

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr const char *DEFAULT_SOURCE = "tools/pointer.txt";
constexpr const char *DEFAULT_IMAGE = "data/texture/mouse01.png";

constexpr int CHANNELS = 4;

struct Rgba {
  uint8_t red, green, blue, alpha;
};

constexpr Rgba BLACK{0, 0, 0, 255};
constexpr Rgba WHITE{255, 255, 255, 255};
// Black, so that linear filtering darkens the outline's edge rather than
// lightening it.
constexpr Rgba CLEAR{0, 0, 0, 0};

using Picture = std::vector<std::string>;

bool is_power_of_two(size_t n) {
  return n != 0 && (n & (n - 1)) == 0;
}

bool pixel_of(char symbol, Rgba &pixel) {
  switch (symbol) {
    case '#': pixel = BLACK; return true;
    case '.': pixel = WHITE; return true;
    case '-': pixel = CLEAR; return true;
    default: return false;
  }
}

bool read_picture(const char *path, Picture &picture) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "make_pointer: cannot read %s\n", path);
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    picture.push_back(line);
  }
  return true;
}

bool check_shape(const Picture &picture, const char *path) {
  if (picture.empty()) {
    std::fprintf(stderr, "make_pointer: %s holds no rows\n", path);
    return false;
  }
  const size_t width = picture.front().size();
  for (size_t row = 0; row < picture.size(); ++row) {
    if (picture[row].size() == width) continue;
    std::fprintf(stderr, "make_pointer: %s:%zu: row is %zu wide, the first is %zu\n", path,
                 row + 1, picture[row].size(), width);
    return false;
  }
  if (is_power_of_two(width) && is_power_of_two(picture.size())) return true;
  std::fprintf(stderr, "make_pointer: %s is %zu by %zu; both sides must be powers of two\n",
               path, width, picture.size());
  return false;
}

bool convert(const Picture &picture, const char *path, std::vector<uint8_t> &rgba) {
  for (size_t row = 0; row < picture.size(); ++row) {
    for (size_t column = 0; column < picture[row].size(); ++column) {
      Rgba pixel{};
      if (!pixel_of(picture[row][column], pixel)) {
        std::fprintf(stderr, "make_pointer: %s:%zu:%zu: '%c' is not one of '#', '.', '-'\n",
                     path, row + 1, column + 1, picture[row][column]);
        return false;
      }
      rgba.insert(rgba.end(), {pixel.red, pixel.green, pixel.blue, pixel.alpha});
    }
  }
  return true;
}

bool write_png(const std::vector<uint8_t> &rgba, size_t width, size_t height, const char *path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(width);
  png.height = static_cast<png_uint_32>(height);
  png.format = PNG_FORMAT_RGBA;
  if (png_image_write_to_file(&png, path, 0, rgba.data(), 0, nullptr) != 0) return true;
  std::fprintf(stderr, "make_pointer: cannot write %s: %s\n", path, png.message);
  return false;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc > 3) {
    std::fprintf(stderr, "usage: make_pointer [pointer.txt [mouse01.png]]\n");
    return 2;
  }
  const char *source = argc > 1 ? argv[1] : DEFAULT_SOURCE;
  const char *image = argc > 2 ? argv[2] : DEFAULT_IMAGE;

  Picture picture;
  if (!read_picture(source, picture) || !check_shape(picture, source)) return 1;
  std::vector<uint8_t> rgba;
  rgba.reserve(picture.size() * picture.front().size() * CHANNELS);
  if (!convert(picture, source, rgba)) return 1;
  return write_png(rgba, picture.front().size(), picture.size(), image) ? 0 : 1;
}
