// The texture table: 1024 fixed slots, filled from PNG files with SDL_image.
// Each slot keeps its pixels in RAM (32-bit words, bottom row first) because
// resetting the video mode can lose the GL copies, and gfx_reload_textures
// must resend them.
#pragma once

#include <cstdint>

constexpr int TEXTURE_SLOT_COUNT = 1024;
constexpr int MAX_TEXTURE_LEVELS = 16;
constexpr int FONT_TEXTURE_SLOT = 1000;
constexpr int POINTER_TEXTURE_SLOT = 1008;  // pointer image n lives in slot 1008 + n
constexpr int IMAGE_CACHE_SIDE = 4096;      // largest image gfx_load_subtexture keeps
constexpr int IMAGE_CACHE_NAME_SIZE = 32;   // bytes, terminator included

// Pixel words are packed so that, byte by byte in memory, they read R, G, B, A
// on any host: the layout GL_RGBA with GL_UNSIGNED_BYTE uploads as is.
struct TextureSlot {
  int32_t width;   // level 0, pixels; 0 means the slot holds nothing
  int32_t height;
  int32_t level_count;  // levels held and uploaded, from level 0
  int32_t format;       // GL enum, GL_RGBA from the loaders
  int32_t internal_format;
  int32_t wrap_s, wrap_t, mag_filter, min_filter;  // GL enums
  int32_t translucent;       // the last upload found alpha below 255
  int32_t ever_translucent;  // sticky: any upload since the slot was last loaded
  uint32_t gl_name;          // generated once at start-up
  uint32_t *pixels[MAX_TEXTURE_LEVELS];  // [n]: mip level n, each side shifted right n times
};

struct ImageCache {
  int16_t width, height;
  uint32_t pixels[IMAGE_CACHE_SIDE * IMAGE_CACHE_SIDE];  // bottom row first, rows of `width`
};

extern TextureSlot textures[TEXTURE_SLOT_COUNT];
extern char image_cache_name[IMAGE_CACHE_NAME_SIZE];
extern ImageCache image_cache;

// Decodes the file into the slot, builds smaller levels when asked, uploads.
// A file that cannot be used leaves the slot as it was: anything but a
// regular file holding a whole PNG, whatever its name.
void gfx_load_texture(int slot, const char *path, int build_mips, int wrap_s, int wrap_t,
                      int mag_filter, int min_filter);
// Copies a w by h piece of an image into the slot; (x, y) is the piece's
// lower-left pixel, with y measured up from the bottom as the rows are stored.
// The decoded image is cached, so cutting many pieces from one sheet decodes
// it once.
void gfx_load_subtexture(int slot, const char *path, int x, int y, int w, int h);
void gfx_build_mipmaps(int slot);   // fills the smaller levels from level 0; does not upload
int gfx_upload_texture(int slot);   // result: how many levels went to GL
void gfx_reload_textures();         // uploads every loaded slot again
// The alpha bits of a pixel word: the high byte, or the low one when
// host_big_endian is set.
uint32_t gfx_alpha_mask();
