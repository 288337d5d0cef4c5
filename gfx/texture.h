// The texture table: 1024 fixed slots, each keeping a CPU copy of its image
// (32-bit pixels, bottom row first) so the whole table can be uploaded again
// after the video mode is reset. Images are decoded with SDL_image.
#pragma once

#include <cstdint>

constexpr int TEXTURE_SLOT_COUNT = 1024;
constexpr int MAX_TEXTURE_LEVELS = 16;
constexpr int FONT_TEXTURE_SLOT = 1000;
constexpr int POINTER_TEXTURE_SLOT = 1008;  // pointer image n lives in slot 1008 + n
constexpr int IMAGE_CACHE_SIDE = 4096;      // largest image gfx_load_subtexture keeps
constexpr int IMAGE_CACHE_NAME_SIZE = 32;   // bytes, terminator included

// Pixel words: the bytes in memory are red, green, blue, alpha on either host.
struct TextureSlot {
  int32_t width;   // level 0, pixels; 0 means the slot holds nothing
  int32_t height;
  int32_t level_count;  // levels held and uploaded, from level 0
  int32_t format;       // GL enum, GL_RGBA from the loaders
  int32_t internal_format;
  int32_t wrap_s, wrap_t, mag_filter, min_filter;  // GL enums
  int32_t translucent;       // the last upload found alpha below 255
  int32_t ever_translucent;  // some upload since the last load did
  uint32_t gl_name;          // generated once at start-up
  uint32_t *pixels[MAX_TEXTURE_LEVELS];  // level n is (width >> n) by (height >> n)
};

struct ImageCache {
  int16_t width, height;
  uint32_t pixels[IMAGE_CACHE_SIDE * IMAGE_CACHE_SIDE];  // bottom row first, rows of `width`
};

extern TextureSlot textures[TEXTURE_SLOT_COUNT];
extern char image_cache_name[IMAGE_CACHE_NAME_SIZE];
extern ImageCache image_cache;

// Decodes the file into the slot, builds smaller levels when asked, uploads.
// A file that cannot be used leaves the slot as it was.
void gfx_load_texture(int slot, const char *path, int build_mips, int wrap_s, int wrap_t,
                      int mag_filter, int min_filter);
// Fills the slot with the w by h rectangle of the file whose lower-left pixel
// is (x, y), counted from the image's left and bottom edges.
void gfx_load_subtexture(int slot, const char *path, int x, int y, int w, int h);
void gfx_build_mipmaps(int slot);   // levels 1 and up from level 0; no upload
int gfx_upload_texture(int slot);   // returns the number of levels uploaded
void gfx_reload_textures();         // uploads every loaded slot again
// The alpha bits of a pixel word: the high byte, or the low one when
// host_big_endian is set.
uint32_t gfx_alpha_mask();
