// The TGA is written directly, not through the stream functions: its 16-bit
// header fields are little-endian by the format's own rule, on any host.
#include "files/screenshot.h"

#include <GL/gl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/streams.h"
#include "video/video_mode.h"

uint8_t screenshot_pixels[SCREENSHOT_MAX_WIDTH * SCREENSHOT_MAX_HEIGHT * 4];
char screenshot_name[SCREENSHOT_NAME_SIZE];

namespace {

constexpr char NAME_TEMPLATE[SCREENSHOT_NAME_SIZE] = "scsht000.tga";
constexpr int FIRST_DIGIT = 5;
constexpr int NAME_COUNT = 1000;
static_assert(sizeof NAME_TEMPLATE == SCREENSHOT_NAME_SIZE, "the name and its terminator");

void read_presented_frame(int width, int height) {
  if (file_read_shown_window(screenshot_pixels, width, height)) return;
  glReadBuffer(GL_FRONT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, screenshot_pixels);
}

void write_number(char *name, int number) {
  name[FIRST_DIGIT] = static_cast<char>('0' + number / 100);
  name[FIRST_DIGIT + 1] = static_cast<char>('0' + number / 10 % 10);
  name[FIRST_DIGIT + 2] = static_cast<char>('0' + number % 10);
}

// Opens the first of the thousand names not yet taken for writing. Each is
// created afresh ("x"): a file already there is never overwritten, even one
// that cannot be read. False when all are taken or the folder takes no file.
bool create_free_file(char *name) {
  for (int number = 0; number < NAME_COUNT; ++number) {
    write_number(name, number);
    current_file = std::fopen(name, "wbx");
    if (current_file != nullptr) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

void write_header(int width, int height) {
  const uint8_t header[TGA_HEADER_SIZE] = {
      0, 0, 2,  // no identification, no colour map, uncompressed true colour
      0, 0, 0, 0, 0,  // colour map: first entry, length, entry size
      0, 0, 0, 0,  // x and y origin
      static_cast<uint8_t>(width & 255), static_cast<uint8_t>(width >> 8),
      static_cast<uint8_t>(height & 255), static_cast<uint8_t>(height >> 8),
      24, 0};  // bits per pixel; origin bottom left
  std::fwrite(header, 1, sizeof header, current_file);
}

// Blue, green, red per pixel, rows bottom first as they were read.
void write_pixels(int width, int height) {
  const uint8_t *pixel = screenshot_pixels;
  for (int i = 0; i < width * height; ++i, pixel += 4) {
    std::fputc(pixel[2], current_file);
    std::fputc(pixel[1], current_file);
    std::fputc(pixel[0], current_file);
  }
}

}  // namespace

void file_screenshot() {
  char name[SCREENSHOT_NAME_SIZE];
  std::memcpy(name, NAME_TEMPLATE, sizeof name);
  screenshot_name[0] = '\0';
  const int width = video.width, height = video.height;
  if (width <= 0 || height <= 0 || width > SCREENSHOT_MAX_WIDTH ||
      height > SCREENSHOT_MAX_HEIGHT) {
    return;
  }
  read_presented_frame(width, height);
  if (!create_free_file(name)) return;
  write_header(width, height);
  write_pixels(width, height);
  std::fclose(current_file);
  current_file = nullptr;
  std::memcpy(screenshot_name, name, sizeof name);
}
