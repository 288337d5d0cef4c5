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

const std::string &folder() {
  if (temporary_folder.empty()) {
    char pattern[] = "/tmp/qtXXXXXX";
    if (mkdtemp(pattern)) {
      temporary_folder = pattern;
      std::atexit(remove_temporary_folder);
    }
  }
  return temporary_folder;
}

int channels_of(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    default:
      return 4;
  }
}

size_t row_bytes(const PngPicture &picture) {
  const size_t bits = size_t(picture.width) * channels_of(picture.color_type) * picture.bit_depth;
  return (bits + 7) / 8;
}

bool write_with(FILE *file, const PngPicture &picture) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, picture.width, picture.height, picture.bit_depth, picture.color_type,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!picture.palette_rgb.empty()) {
    png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(picture.palette_rgb.data()),
                 int(picture.palette_rgb.size() / 3));
  }
  if (!picture.palette_alpha.empty()) {
    png_set_tRNS(png, info, picture.palette_alpha.data(), int(picture.palette_alpha.size()),
                 nullptr);
  }
  png_write_info(png, info);
  const size_t stride = row_bytes(picture);
  for (int row = 0; row < picture.height; ++row) {
    png_write_row(png, picture.rows.data() + stride * size_t(row));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

void put_le(std::vector<uint8_t> &out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out.push_back(uint8_t(value >> (8 * i)));
  }
}

}  // namespace

std::string test_file_path(const std::string &name) { return folder() + "/" + name; }

bool png_write(const std::string &path, const PngPicture &picture) {
  if (picture.rows.size() < row_bytes(picture) * size_t(picture.height)) {
    return false;
  }
  FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) {
    return false;
  }
  const bool written = write_with(file, picture);
  return std::fclose(file) == 0 && written;
}

bool png_write_rgba(const std::string &path, int width, int height,
                    const std::vector<uint32_t> &rrggbbaa) {
  PngPicture picture{width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, {}, {}, {}};
  for (uint32_t word : rrggbbaa) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      picture.rows.push_back(uint8_t(word >> shift));
    }
  }
  return png_write(path, picture);
}

bool png_write_rgb(const std::string &path, int width, int height,
                   const std::vector<uint32_t> &rrggbb) {
  PngPicture picture{width, height, PNG_COLOR_TYPE_RGB, 8, {}, {}, {}};
  for (uint32_t word : rrggbb) {
    for (int shift = 16; shift >= 0; shift -= 8) {
      picture.rows.push_back(uint8_t(word >> shift));
    }
  }
  return png_write(path, picture);
}

// Rows are stored bottom first and padded to four bytes.
bool bmp_write_555(const std::string &path, int width, int height,
                   const std::vector<uint32_t> &rrggbb) {
  const uint32_t stride = (uint32_t(width) * 2 + 3) & ~3u;
  const uint32_t data_size = stride * uint32_t(height);
  std::vector<uint8_t> out = {'B', 'M'};
  put_le(out, 54 + data_size, 4);
  put_le(out, 0, 4);
  put_le(out, 54, 4);
  put_le(out, 40, 4);
  put_le(out, uint32_t(width), 4);
  put_le(out, uint32_t(height), 4);
  put_le(out, 1, 2);   // planes
  put_le(out, 16, 2);  // bits per pixel
  put_le(out, 0, 4);   // no compression: 5-5-5
  put_le(out, data_size, 4);
  put_le(out, 2835, 4);
  put_le(out, 2835, 4);
  put_le(out, 0, 4);
  put_le(out, 0, 4);
  for (int row = height - 1; row >= 0; --row) {
    for (int column = 0; column < width; ++column) {
      const uint32_t word = rrggbb[size_t(row) * size_t(width) + size_t(column)];
      const uint32_t r = word >> 19 & 31, g = word >> 11 & 31, b = word >> 3 & 31;
      put_le(out, r << 10 | g << 5 | b, 2);
    }
    for (uint32_t pad = uint32_t(width) * 2; pad < stride; ++pad) {
      out.push_back(0);
    }
  }
  return write_bytes(path, out);
}

bool write_bytes(const std::string &path, const std::vector<uint8_t> &bytes) {
  FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) {
    return false;
  }
  const bool written =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
