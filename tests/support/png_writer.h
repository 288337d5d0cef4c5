// Small image files made by the tests: PNG through libpng in any colour type
// and bit depth, and uncompressed BMP, which SDL_image decodes into other byte
// layouts. Files live in one temporary folder per process, removed at exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngPicture {
  int width = 0, height = 0;
  int color_type = 0;          // PNG_COLOR_TYPE_*
  int bit_depth = 8;
  std::vector<uint8_t> rows;   // samples as stored in the file, top row first, rows packed
  std::vector<uint8_t> palette_rgb;    // three bytes per entry, for paletted pictures
  std::vector<uint8_t> palette_alpha;  // tRNS entries, when there are any
};

// <temporary folder>/<name>; short enough for the subtexture cache's names
// when `name` is.
std::string test_file_path(const std::string &name);

bool png_write(const std::string &path, const PngPicture &picture);
// 8-bit RGBA from words 0xRRGGBBAA, top row first.
bool png_write_rgba(const std::string &path, int width, int height,
                    const std::vector<uint32_t> &rrggbbaa);
// BMP from words 0xRRGGBB, top row first: `bits` 24 stores blue, green, red;
// 16 stores 5-5-5, each channel keeping its top five bits.
bool bmp_write(const std::string &path, int width, int height,
               const std::vector<uint32_t> &rrggbb, int bits);
bool write_bytes(const std::string &path, const std::vector<uint8_t> &bytes);
