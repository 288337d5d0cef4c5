#include "tests/window/capture.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace window_test {

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

Rect Capture::clipped(Rect region) const {
  const int left = std::clamp(region.x, 0, width_);
  const int top = std::clamp(region.y, 0, height_);
  const int right = std::clamp(region.x + region.width, left, width_);
  const int bottom = std::clamp(region.y + region.height, top, height_);
  return {left, top, right - left, bottom - top};
}

int Capture::count_of(Rgb colour, Rect region) const {
  const Rect area = clipped(region);
  int count = 0;
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) {
      if (pixel(x, y) == colour) ++count;
    }
  }
  return count;
}

int Capture::count_not(Rgb colour, Rect region) const {
  const Rect area = clipped(region);
  return area.width * area.height - count_of(colour, area);
}

bool Capture::save(const std::string &path) const {
  const bool png = path.size() >= 4 && path.compare(path.size() - 4, 4, ".png") == 0;
  return png ? save_png(path) : save_ppm(path);
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

bool Capture::save_ppm(const std::string &path) const {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", width_, height_);
  const bool complete = std::fwrite(rgb_.data(), 1, rgb_.size(), file) == rgb_.size();
  return std::fclose(file) == 0 && complete;
}

}  // namespace window_test
