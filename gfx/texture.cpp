// The texture table, PNG decoding into 32-bit pixel words, box-filtered
// smaller levels and uploads. A load that cannot be completed leaves its slot
// exactly as it was.
#include "gfx/texture.h"

#include <GL/gl.h>
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/streams.h"
#include "gfx/batch.h"

TextureSlot textures[TEXTURE_SLOT_COUNT];
char image_cache_name[IMAGE_CACHE_NAME_SIZE];
ImageCache image_cache;

static_assert(sizeof(uint32_t) == 4, "pixel words are four bytes");
static_assert(IMAGE_CACHE_SIDE <= INT16_MAX, "the cache keeps its sides in 16-bit fields");

namespace {

bool valid_slot(int slot) { return slot >= 0 && slot < TEXTURE_SLOT_COUNT; }

bool power_of_two(int n) { return n > 0 && ((n - 1) & n) == 0; }

// Packs the channels so the word's memory bytes come out R, G, B, A whatever
// the host's byte order.
uint32_t pack_pixel(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  if (host_big_endian) {
    return r << 24 | g << 16 | b << 8 | a;
  }
  return a << 24 | b << 16 | g << 8 | r;
}

size_t pixel_bytes(int width, int height) { return size_t(width) * size_t(height) * 4; }

uint32_t *allocate_pixels(int width, int height) {
  return static_cast<uint32_t *>(std::malloc(pixel_bytes(width, height)));
}

// ---- decoding ----

// Shift of the channel held in byte `index` of a pixel of `bytes` bytes, as
// SDL's masks describe it on this host.
int byte_shift(int index, int bytes) {
  return SDL_BYTEORDER == SDL_LIL_ENDIAN ? 8 * index : 8 * (bytes - 1 - index);
}

bool channel_in_byte(Uint32 mask, int index, int bytes) {
  return mask == Uint32(0xFF) << byte_shift(index, bytes);
}

// True when every pixel's bytes are red, green, blue (and alpha for four
// bytes), as SDL_image gives 8-bit truecolour PNG images; these are read
// byte by byte.
bool bytes_are_rgba(const SDL_PixelFormat *format) {
  const int bytes = format->BytesPerPixel;
  if (bytes != 3 && bytes != 4) {
    return false;
  }
  return channel_in_byte(format->Rmask, 0, bytes) && channel_in_byte(format->Gmask, 1, bytes) &&
         channel_in_byte(format->Bmask, 2, bytes) &&
         (bytes == 3 || channel_in_byte(format->Amask, 3, bytes));
}

// Paletted, greyscale and other packed surfaces are turned into 32-bit
// red-green-blue-alpha bytes first; reading them byte by byte would run past
// their smaller pixels. Colour-keyed pixels come out with alpha 0.
SDL_Surface *convert_to_rgba(SDL_Surface *surface) {
  const bool little = SDL_BYTEORDER == SDL_LIL_ENDIAN;
  SDL_Surface *model = SDL_CreateRGBSurface(
      SDL_SWSURFACE, 1, 1, 32, little ? 0x000000FF : 0xFF000000, little ? 0x0000FF00 : 0x00FF0000,
      little ? 0x00FF0000 : 0x0000FF00, little ? 0xFF000000 : 0x000000FF);
  if (!model) {
    return nullptr;
  }
  SDL_Surface *converted = SDL_ConvertSurface(surface, model->format, SDL_SWSURFACE);
  SDL_FreeSurface(model);
  return converted;
}

constexpr unsigned char PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr long long PNG_CHUNK_FRAME = 12;  // bytes of length, type and CRC around a chunk's data

uint32_t big_endian_word(const unsigned char *bytes) {
  return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// True when the file is a PNG whose chunks all lie within it, IHDR first, up
// to IEND; the file is then rewound. SDL_image's reader ignores short reads,
// and libpng loops for ever on a chunk that claims more than the file holds,
// so no decoder may see a file that has not passed this walk.
bool png_chunks_fit(FILE *file) {
  if (std::fseek(file, 0, SEEK_END) != 0) {
    return false;
  }
  const long long size = std::ftell(file);
  std::rewind(file);
  unsigned char header[8];
  if (std::fread(header, 1, 8, file) != 8 || std::memcmp(header, PNG_SIGNATURE, 8) != 0) {
    return false;
  }
  for (long long at = 8;; at += big_endian_word(header) + PNG_CHUNK_FRAME) {
    if (std::fseek(file, at, SEEK_SET) != 0 || std::fread(header, 1, 8, file) != 8) {
      return false;
    }
    const bool first = at == 8, ihdr = std::memcmp(header + 4, "IHDR", 4) == 0;
    if (big_endian_word(header) + PNG_CHUNK_FRAME > size - at || first != ihdr) {
      return false;
    }
    if (std::memcmp(header + 4, "IEND", 4) == 0) {
      std::rewind(file);
      return true;
    }
  }
}

// The PNG reader by name: letting SDL_image pick a decoder by content would
// hand a GIF under a .png name to its GIF reader, which crashes or hangs on
// some files.
SDL_Surface *read_png(FILE *file) {
  SDL_RWops *stream = SDL_RWFromFP(file, 0);
  if (!stream) {
    return nullptr;
  }
  SDL_Surface *surface = IMG_LoadPNG_RW(stream);
  SDL_RWclose(stream);
  return surface;
}

// Decodes the PNG file into a surface whose bytes are red, green, blue (,
// alpha); null when the file cannot be used.
SDL_Surface *decode_image(const char *path) {
  if (!path || !*path) {
    return nullptr;
  }
  current_file = file_open_regular(path);
  if (!current_file) {
    return nullptr;
  }
  SDL_Surface *surface = png_chunks_fit(current_file) ? read_png(current_file) : nullptr;
  std::fclose(current_file);
  current_file = nullptr;
  if (!surface) {
    return nullptr;
  }
  if (surface->w <= 0 || surface->h <= 0) {
    SDL_FreeSurface(surface);
    return nullptr;
  }
  if (bytes_are_rgba(surface->format)) {
    return surface;
  }
  SDL_Surface *converted = convert_to_rgba(surface);
  SDL_FreeSurface(surface);
  if (converted && !bytes_are_rgba(converted->format)) {
    SDL_FreeSurface(converted);
    return nullptr;
  }
  return converted;
}

// True when a packed word lies in memory as the bytes it was packed from, as
// it does on every host whose byte order host_big_endian tells truly.
bool packing_keeps_bytes() {
  const uint32_t word = pack_pixel(1, 2, 3, 4);
  return std::memcmp(&word, "\1\2\3\4", 4) == 0;
}

// Four-byte pixels lie in memory as R, G, B, A, so their rows are copied
// whole when packing would give the same bytes; three-byte ones get an opaque
// alpha.
void copy_row(const Uint8 *row, int bytes, int width, uint32_t *dest) {
  if (bytes == 4 && packing_keeps_bytes()) {
    std::memcpy(dest, row, size_t(width) * 4);
    return;
  }
  for (int c = 0; c < width; ++c) {
    const Uint8 *p = row + bytes * c;
    dest[c] = pack_pixel(p[0], p[1], p[2], bytes == 4 ? p[3] : 255);
  }
}

// Packs every pixel of the surface into `out`, which holds surface->w by
// surface->h words, bottom row first. False when the surface cannot be read.
bool copy_surface_pixels(SDL_Surface *surface, uint32_t *out) {
  if (SDL_LockSurface(surface) < 0) {
    return false;
  }
  const int width = surface->w;
  const int height = surface->h;
  const int bytes = surface->format->BytesPerPixel;
  const Uint16 pitch = surface->pitch;
  const Uint8 *base = static_cast<const Uint8 *>(surface->pixels);
  for (int r = 0; r < height; ++r) {
    const Uint8 *row = base + size_t(pitch) * size_t(r);
    copy_row(row, bytes, width, out + size_t(height - 1 - r) * size_t(width));
  }
  SDL_UnlockSurface(surface);
  return true;
}

// ---- slot bookkeeping ----

// Level 0 takes over `pixels`; the parameters are those of a fresh load.
void fill_slot(TextureSlot &slot, uint32_t *pixels, int width, int height, int wrap_s,
               int wrap_t, int mag_filter, int min_filter) {
  std::free(slot.pixels[0]);
  slot.pixels[0] = pixels;
  slot.width = width;
  slot.height = height;
  slot.level_count = 1;
  slot.format = GL_RGBA;
  slot.internal_format = GL_RGBA;
  slot.ever_translucent = 0;
  slot.wrap_s = wrap_s;
  slot.wrap_t = wrap_t;
  slot.mag_filter = mag_filter;
  slot.min_filter = min_filter;
}

// Surfaces this large cannot come from SDL 1.2, which refuses sides of 16384
// and more; the check keeps the level arithmetic within the table all the same.
bool fits_level_table(int width, int height) {
  return width < (1 << (MAX_TEXTURE_LEVELS - 1)) && height < (1 << (MAX_TEXTURE_LEVELS - 1));
}

// ---- the subtexture cache ----

bool cache_holds(const char *path) {
  return image_cache_name[0] != '\0' && std::strcmp(image_cache_name, path) == 0;
}

// Decodes the file into the cache; an image too large for it leaves the cache
// as it was. Names that do not fit the cache's name are decoded every time: a
// cut name could match a different file later.
bool fill_cache(const char *path) {
  SDL_Surface *surface = decode_image(path);
  if (!surface) {
    return false;
  }
  const bool copied = surface->w <= IMAGE_CACHE_SIDE && surface->h <= IMAGE_CACHE_SIDE &&
                      copy_surface_pixels(surface, image_cache.pixels);
  if (copied) {
    image_cache.width = static_cast<int16_t>(surface->w);
    image_cache.height = static_cast<int16_t>(surface->h);
    const bool name_fits = std::strlen(path) < IMAGE_CACHE_NAME_SIZE;
    std::strcpy(image_cache_name, name_fits ? path : "");
  }
  SDL_FreeSurface(surface);
  return copied;
}

// Pixel (column, row) of the cached image, bottom row first; transparent
// black outside it.
uint32_t cache_pixel(long long column, long long row) {
  if (column < 0 || row < 0 || column >= image_cache.width || row >= image_cache.height) {
    return 0;
  }
  return image_cache.pixels[row * image_cache.width + column];
}

void copy_from_cache(uint32_t *out, int x, int y, int w, int h) {
  for (int i = 0; i < h; ++i) {
    for (int j = 0; j < w; ++j) {
      out[size_t(i) * size_t(w) + size_t(j)] = cache_pixel(0LL + x + j, 0LL + y + i);
    }
  }
}

// ---- smaller levels ----

// Each byte lane of the result is the truncated mean of that lane in the four.
uint32_t box_filter(uint32_t p0, uint32_t p1, uint32_t p2, uint32_t p3) {
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t sum = (p0 >> shift & 0xFF) + (p1 >> shift & 0xFF) + (p2 >> shift & 0xFF) +
                         (p3 >> shift & 0xFF);
    result |= (sum >> 2) << shift;
  }
  return result;
}

// Levels while both sides are at least one pixel: the count follows the width
// and stops early only when the height runs out first.
int mipmap_level_count(int width, int height) {
  int n = 1;
  while (n < MAX_TEXTURE_LEVELS && (width >> n) != 0 && (height >> n) != 0) {
    ++n;
  }
  return n;
}

void shrink_level(const uint32_t *source, int source_width, uint32_t *out, int width,
                  int height) {
  for (int k = 0; k < height; ++k) {
    const uint32_t *low = source + size_t(2 * k) * size_t(source_width);
    const uint32_t *high = low + source_width;
    for (int l = 0; l < width; ++l) {
      out[size_t(k) * size_t(width) + size_t(l)] =
          box_filter(low[2 * l], low[2 * l + 1], high[2 * l], high[2 * l + 1]);
    }
  }
}

// ---- upload ----

void set_parameters(const TextureSlot &slot) {
  gfx_bind_texture(slot.gl_name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, slot.wrap_s);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, slot.wrap_t);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, slot.mag_filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, slot.min_filter);
}

void scan_translucency(TextureSlot &slot) {
  slot.translucent = 0;
  if (!slot.pixels[0]) {
    return;
  }
  const uint32_t mask = gfx_alpha_mask();
  const size_t count = size_t(slot.width) * size_t(slot.height);
  for (size_t i = 0; i < count; ++i) {
    if ((slot.pixels[0][i] & mask) != mask) {
      slot.translucent = 1;
      slot.ever_translucent = 1;
      return;
    }
  }
}

}  // namespace

uint32_t gfx_alpha_mask() { return host_big_endian ? 0x000000FFu : 0xFF000000u; }

void gfx_load_texture(int slot, const char *path, int build_mips, int wrap_s, int wrap_t,
                      int mag_filter, int min_filter) {
  if (!valid_slot(slot)) {
    return;
  }
  SDL_Surface *surface = decode_image(path);
  if (!surface) {
    return;
  }
  const int width = surface->w;
  const int height = surface->h;
  uint32_t *pixels = nullptr;
  if (power_of_two(width) && power_of_two(height) && fits_level_table(width, height)) {
    pixels = allocate_pixels(width, height);
  }
  if (pixels && !copy_surface_pixels(surface, pixels)) {
    std::free(pixels);
    pixels = nullptr;
  }
  SDL_FreeSurface(surface);
  if (!pixels) {
    return;
  }
  fill_slot(textures[slot], pixels, width, height, wrap_s, wrap_t, mag_filter, min_filter);
  if (build_mips) {
    gfx_build_mipmaps(slot);
  }
  gfx_upload_texture(slot);
}

// No rectangle larger than the largest cached image can lie inside one; parts
// of a rectangle outside the image come out transparent black.
void gfx_load_subtexture(int slot, const char *path, int x, int y, int w, int h) {
  if (!valid_slot(slot) || !path || w <= 0 || h <= 0 || w > IMAGE_CACHE_SIDE ||
      h > IMAGE_CACHE_SIDE) {
    return;
  }
  if (!cache_holds(path) && !fill_cache(path)) {
    return;
  }
  uint32_t *pixels = allocate_pixels(w, h);
  if (!pixels) {
    return;
  }
  copy_from_cache(pixels, x, y, w, h);
  fill_slot(textures[slot], pixels, w, h, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE, GL_LINEAR,
            GL_LINEAR);
  gfx_upload_texture(slot);
}

// A level that cannot be allocated ends the chain there: the levels before it
// stay valid and level_count says how many there are.
void gfx_build_mipmaps(int slot) {
  if (!valid_slot(slot)) {
    return;
  }
  TextureSlot &t = textures[slot];
  if ((t.format != GL_RGBA && t.format != GL_RGB) || !t.pixels[0] || t.width <= 0 ||
      t.height <= 0) {
    return;
  }
  const int wanted = mipmap_level_count(t.width, t.height);
  t.level_count = 1;
  for (int level = 1; level < wanted; ++level) {
    const int width = t.width >> level;
    const int height = t.height >> level;
    uint32_t *pixels = allocate_pixels(width, height);
    if (!pixels) {
      return;
    }
    shrink_level(t.pixels[level - 1], t.width >> (level - 1), pixels, width, height);
    std::free(t.pixels[level]);
    t.pixels[level] = pixels;
    t.level_count = level + 1;
  }
}

int gfx_upload_texture(int slot) {
  if (!valid_slot(slot)) {
    return 0;
  }
  TextureSlot &t = textures[slot];
  set_parameters(t);
  if (t.format == GL_RGBA) {
    scan_translucency(t);
  }
  for (int level = 0; level < t.level_count; ++level) {
    glTexImage2D(GL_TEXTURE_2D, level, t.internal_format, t.width >> level, t.height >> level, 0,
                 t.format, GL_UNSIGNED_BYTE, t.pixels[level]);
  }
  return t.level_count;
}

// Called when the window's GL context was made anew, which knows nothing of
// what was set in the old one.
void gfx_reload_textures() {
  gfx_forget_gl_state();
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
    if (textures[slot].width != 0) {
      gfx_upload_texture(slot);
    }
  }
}
