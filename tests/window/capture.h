// A window's picture as plain 8-bit RGB, top row first, and the few questions
// that tests ask of it. Saved as PNG or PPM so that a failing test can leave
// what it saw behind.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace window_test {

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Rgb &) const = default;
};
std::ostream &operator<<(std::ostream &out, const Rgb &colour);

constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb WHITE{255, 255, 255};

// A rectangle in pixels: a region of a capture, or a window's place on the
// screen.
struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect &) const = default;
};
std::ostream &operator<<(std::ostream &out, const Rect &rect);

class Capture {
 public:
  Capture() = default;
  Capture(int width, int height, std::vector<uint8_t> rgb);

  int width() const { return width_; }
  int height() const { return height_; }
  Rect bounds() const { return {0, 0, width_, height_}; }
  const std::vector<uint8_t> &rgb() const { return rgb_; }

  Rgb pixel(int x, int y) const;
  // How many pixels of `region` (clipped to the picture) have `colour`, and
  // how many have another one.
  int count_of(Rgb colour, Rect region) const;
  int count_not(Rgb colour, Rect region) const;

  // The format follows the extension: ".png", otherwise binary PPM. False
  // when the file cannot be written.
  bool save(const std::string &path) const;
  bool save_png(const std::string &path) const;
  bool save_ppm(const std::string &path) const;

 private:
  Rect clipped(Rect region) const;

  int width_ = 0, height_ = 0;
  std::vector<uint8_t> rgb_;
};

}  // namespace window_test
