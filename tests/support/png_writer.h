// Small image files made by the tests: PNG through libpng in any colour type
// and bit depth, and uncompressed BMP for surfaces SDL_image gives with fewer
// than three bytes per pixel. Files live in one temporary folder per process,
// removed at exit.
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

// A path of the form <temporary folder>/<name>; short enough for the
// subtexture cache's names when `name` is.
std::string test_file_path(const std::string &name);

bool png_write(const std::string &path, const PngPicture &picture);
// 8-bit RGBA from words 0xRRGGBBAA, top row first.
bool png_write_rgba(const std::string &path, int width, int height,
                    const std::vector<uint32_t> &rrggbbaa);
// 8-bit RGB from words 0xRRGGBB, top row first.
bool png_write_rgb(const std::string &path, int width, int height,
                   const std::vector<uint32_t> &rrggbb);
// 16-bit 5-5-5 BMP from words 0xRRGGBB (each channel keeps its top five
// bits), top row first.
bool bmp_write_555(const std::string &path, int width, int height,
                   const std::vector<uint32_t> &rrggbb);
bool write_bytes(const std::string &path, const std::vector<uint8_t> &bytes);
