#include "tests/support/png_writer.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string temporary_folder;

void remove_temporary_folder() {
  std::error_code ignored;
  std::filesystem::remove_all(temporary_folder, ignored);
}

size_t row_bytes(const PngPicture &p) {
  const int channels = p.color_type == PNG_COLOR_TYPE_RGB_ALPHA    ? 4
                       : p.color_type == PNG_COLOR_TYPE_RGB        ? 3
                       : p.color_type == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                   : 1;
  return (size_t(p.width) * channels * p.bit_depth + 7) / 8;
}

bool write_with(FILE *file, const PngPicture &p) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, p.width, p.height, p.bit_depth, p.color_type, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!p.palette_rgb.empty()) {
    png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(p.palette_rgb.data()),
                 int(p.palette_rgb.size() / 3));
  }
  if (!p.palette_alpha.empty()) {
    png_set_tRNS(png, info, p.palette_alpha.data(), int(p.palette_alpha.size()), nullptr);
  }
  png_write_info(png, info);
  for (int row = 0; row < p.height; ++row) {
    png_write_row(png, p.rows.data() + row_bytes(p) * size_t(row));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// The low `bytes` bytes of each word, high byte first (or low byte first).
std::vector<uint8_t> word_bytes(const std::vector<uint32_t> &words, int bytes, bool low_first) {
  std::vector<uint8_t> out;
  for (uint32_t word : words) {
    for (int i = 0; i < bytes; ++i) {
      out.push_back(uint8_t(word >> 8 * (low_first ? i : bytes - 1 - i)));
    }
  }
  return out;
}

}  // namespace

std::string test_file_path(const std::string &name) {
  if (temporary_folder.empty()) {
    char pattern[] = "/tmp/qtXXXXXX";
    if (mkdtemp(pattern)) {
      temporary_folder = pattern;
      std::atexit(remove_temporary_folder);
    }
  }
  return temporary_folder + "/" + name;
}

bool png_write(const std::string &path, const PngPicture &picture) {
  if (picture.rows.size() < row_bytes(picture) * size_t(picture.height)) {
    return false;
  }
  FILE *file = std::fopen(path.c_str(), "wb");
  const bool written = file && write_with(file, picture);
  return file && std::fclose(file) == 0 && written;
}

bool png_write_rgba(const std::string &path, int width, int height,
                    const std::vector<uint32_t> &rrggbbaa) {
  return png_write(path, {width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8,
                          word_bytes(rrggbbaa, 4, false), {}, {}});
}

// Rows bottom first, each padded to four bytes.
bool bmp_write(const std::string &path, int width, int height,
               const std::vector<uint32_t> &rrggbb, int bits) {
  const uint32_t stride = (uint32_t(width) * bits / 8 + 3) & ~3u;
  const uint32_t data_size = stride * uint32_t(height);
  std::vector<uint8_t> out = {'B', 'M'};
  const std::vector<uint8_t> header = word_bytes(
      {54 + data_size, 0, 54, 40, uint32_t(width), uint32_t(height), uint32_t(bits) << 16 | 1, 0,
       data_size, 2835, 2835, 0, 0},  // planes 1; no compression, so 16 bits are 5-5-5
      4, true);
  out.insert(out.end(), header.begin(), header.end());
  for (int row = height - 1; row >= 0; --row) {
    for (int column = 0; column < width; ++column) {
      const uint32_t w = rrggbb[size_t(row) * size_t(width) + size_t(column)];
      const uint32_t pixel_555 = (w >> 19 & 31) << 10 | (w >> 11 & 31) << 5 | (w >> 3 & 31);
      const std::vector<uint8_t> bytes = word_bytes({bits == 16 ? pixel_555 : w}, bits / 8, true);
      out.insert(out.end(), bytes.begin(), bytes.end());
    }
    out.resize(out.size() + stride - uint32_t(width) * bits / 8, 0);
  }
  return write_bytes(path, out);
}

bool write_bytes(const std::string &path, const std::vector<uint8_t> &bytes) {
  FILE *file = std::fopen(path.c_str(), "wb");
  const bool written =
      file && (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  return file && std::fclose(file) == 0 && written;
}
