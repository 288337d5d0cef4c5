#include "tests/support/engine_test.h"

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

static_assert(PNG_FORMAT_RGBA == 3, "the default of write_png");

template <typename T>
void zero(T &global) {
  std::memset(static_cast<void *>(&global), 0, sizeof global);
}

void reset_engine_state() {
  fake::reset_sdl();
  fake::reset_gl();
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
    for (uint32_t *level : textures[slot].pixels) std::free(level);
    textures[slot] = TextureSlot{};
    textures[slot].gl_name = uint32_t(slot + 1);
  }
  fake::gl.names_generated = TEXTURE_SLOT_COUNT;
  image_cache_name[0] = '\0';
  image_cache.width = image_cache.height = 0;
  batch_vertex_count = 0, quad_batching = 1;
  gfx_forget_gl_state();
  zero(fonts);
  current_font = 0;
  fonts[0].view_width = VIEW_WIDTH;
  fonts[0].view_height = VIEW_HEIGHT;
  video = VIDEO_DEFAULTS;
  zero(video_defaults);
  joystick_enabled = joystick_count = 0, zero(joystick_handles), zero(joysticks), zero(joysticks_prev);
  zero(key_state), zero(key_state_prev), zero(mouse), zero(mouse_prev), zero(key_names);
  mod_state = quit_requested = app_inactive = video_mode_count = 0;
  zero(widgets), zero(edit_text), zero(shown_text);
  widget_count = current_widget = keyboard_captured = declaration_dropped = 0;
  edit_caret = edit_anchor = edit_overwrite = 0;
  zero(text_buffer), zero(number_buffer);
  zero(tile_map), zero(player), zero(camera);
  goal_reached = 0;
  file_select_byte_order();
  current_file = nullptr;
  zero(dir_lists);
}

Floats span(float left, float top, float right, float bottom) {
  Floats sides = {left, top, right, bottom};
  for (float &side : sides) side = std::round(side * 100) / 100;
  return sides;
}

Floats span(const fake::GlQuad &q) { return span(q.left(), q.top(), q.right(), q.bottom()); }

void frame(int x, int y, bool left, const Ints &keys) {
  mouse_prev = mouse;
  std::memcpy(key_state_prev, key_state, sizeof key_state);
  std::memset(key_state, 0, sizeof key_state);
  for (int key : keys) key_state[key] = 1;
  mouse = MouseState{x, y, 0, 0, left, 0, 0, 0, 0, 0};
  gui_update();
}

void EngineTest::SetUp() {
  reset_engine_state();
  previous_dir_ = std::filesystem::current_path().string();
  std::string pattern = (std::filesystem::temp_directory_path() / "quillary-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  work_dir_ = pattern;
  std::filesystem::current_path(work_dir_);
}

void EngineTest::TearDown() {
  std::filesystem::current_path(previous_dir_);
  std::filesystem::remove_all(work_dir_);
  reset_engine_state();
}

bool write_png(const std::string &path, int width, int height, const std::vector<uint32_t> &words,
               unsigned png_format) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = png_format;
  std::vector<uint8_t> samples, palette;
  if (png_format & PNG_FORMAT_FLAG_COLORMAP) {  // one palette entry per distinct word
    std::vector<uint32_t> entries;
    for (uint32_t word : words) {
      auto at = std::find(entries.begin(), entries.end(), word);
      samples.push_back(uint8_t(at - entries.begin()));
      if (at == entries.end()) entries.push_back(word);
    }
    for (uint32_t word : entries)
      for (int shift = 24; shift >= 0; shift -= 8) palette.push_back(uint8_t(word >> shift));
    image.colormap_entries = png_uint_32(entries.size());
  } else {
    const int channels = int(PNG_IMAGE_SAMPLE_CHANNELS(png_format));
    for (uint32_t word : words)
      for (int c = 0; c < channels; ++c) samples.push_back(uint8_t(word >> (24 - 8 * c)));
  }
  const bool written = png_image_write_to_file(&image, path.c_str(), 0, samples.data(), 0,
                                               palette.empty() ? nullptr : palette.data());
  png_image_free(&image);
  return written;
}
