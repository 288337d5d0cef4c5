// The texture table: image files made here decoded into bottom-row-first
// pixel words, refusals that keep a slot as it was, smaller levels, uploads
// as the GL double keeps them, and the subtexture cache.
#include <arpa/inet.h>
#include <png.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/support/engine_test.h"

namespace {

constexpr int SLOT = 7, PIECE = 8;  // where the tests load images, and where sub() cuts pieces
using Words = std::vector<uint32_t>;
using namespace std::string_literals;
const fake::GlTextureObject &uploaded(int slot) { return fake::gl_textures[textures[slot].gl_name]; }

// Every pixel differs, so a flipped row order, a mirrored row or swapped
// channels all show. 0xRRGGBBAA, top row first.
Words pattern(int width, int height) {
  Words words;
  for (uint32_t y = 0; y < uint32_t(height); ++y)
    for (uint32_t x = 0; x < uint32_t(width); ++x)
      words.push_back((x * 16 + 1) << 24 | (y * 32 + 2) % 256 << 16 | (0x80 ^ (x + 3 * y)) % 256 << 8 | 0xFF);
  return words;
}

// A level of the slot read back from its bytes in memory, top row first, as
// 0xRRGGBBAA (the bytes read as a big-endian number): the same on any host.
Words slot_words(int slot, int level = 0) {
  const TextureSlot &t = textures[slot];
  const int width = t.width >> level;
  Words words;
  for (int row = (t.height >> level) - 1; row >= 0; --row)
    for (int x = 0; x < width; ++x) words.push_back(ntohl(t.pixels[level][row * width + x]));
  return words;
}

std::string png(const std::string &name, int width, int height, const Words &words) {
  EXPECT_TRUE(write_png(name, width, height, words));
  return name;
}

void load(int slot, const std::string &path, int build_mips = 0) {
  gfx_set_texturing(false);  // as after a plain quad: the upload binds its texture all the same
  gfx_load_texture(slot, path.c_str(), build_mips, GL_REPEAT, GL_CLAMP_TO_EDGE, GL_NEAREST,
                   GL_LINEAR_MIPMAP_LINEAR);
}

// The slot's words after cutting the piece at (x, y), counted from the bottom left, out of the file.
Words sub(const std::string &path, int x = 0, int y = 0, int w = 1, int h = 1) {
  gfx_load_subtexture(PIECE, path.c_str(), x, y, w, h);
  return slot_words(PIECE);
}

using Textures = EngineTest;

// The layouts SDL_image decodes differently (four or three bytes, paletted
// with a transparent entry, grey) all give the same colours, bottom row
// first, through the loader and through the subtexture cache alike.
// The slot keeps the load's parameters, and level 0 goes to GL under its name.
TEST_F(Textures, EveryImageKindComesOutAsTheSameColoursAndIsUploaded) {
  Words rgba = pattern(4, 2), opaque = rgba, greys;
  rgba[5] -= 1;  // alpha 254
  for (uint32_t i = 0; i < 8; ++i) greys.push_back((i * 0x25 + 0x10) % 256 * 0x01010100u | 0xFF);
  const Words palette = {0xFF0000FF, 0x00FF00FF, 0, 0x123456FF, 0x123456FF, 0, 0x00FF00FF, 0xFF0000FF};
  const struct { std::string path; unsigned png_format; Words words; int translucent; } kinds[] = {
      {"rgba.png", PNG_FORMAT_RGBA, rgba, 1}, {"rgb.png", PNG_FORMAT_RGB, opaque, 0},
      {"paletted.png", PNG_FORMAT_RGBA_COLORMAP, palette, 1}, {"grey.png", PNG_FORMAT_GRAY, greys, 0}};
  for (const auto &[path, format, words, translucent] : kinds) {
    ASSERT_TRUE(write_png(path, 4, 2, words, format));
    load(SLOT, path);
    EXPECT_EQ(slot_words(SLOT), words) << path;
    EXPECT_EQ(textures[SLOT].translucent + textures[SLOT].ever_translucent, 2 * translucent) << path;
    EXPECT_EQ(sub(path, 0, 0, 4, 2), words) << path;
  }
  const fake::GlTextureObject &object = uploaded(SLOT);
  EXPECT_EQ(Ints({textures[SLOT].level_count, object.wrap_s, object.wrap_t, object.mag_filter,
                  object.min_filter, object.level[0].width, object.level[0].height, object.level[0].format}),
            Ints({1, GL_REPEAT, GL_CLAMP_TO_EDGE, GL_NEAREST, GL_LINEAR_MIPMAP_LINEAR, 4, 2, GL_RGBA}));
  EXPECT_EQ(object.level[0].pixels, textures[SLOT].pixels[0]);
}

// The words' bytes in memory are still red, green, blue, alpha.
TEST_F(Textures, BigEndianHostPacksRedIntoTheHighByte) {
  host_big_endian = 1;
  load(SLOT, png("be.png", 2, 1, {0x112233FF, 0x556677FF}));
  EXPECT_EQ(Words(textures[SLOT].pixels[0], textures[SLOT].pixels[0] + 2), Words({0x112233FF, 0x556677FF}));
  EXPECT_EQ(textures[SLOT].translucent, 0);  // alpha is the low byte here
}

// Images are PNG alone, checked whole before decoding: no name, a missing,
// empty or wordy file, the seed files that once hung or crashed the decoders,
// a PNG cut inside its pixels or its last chunk, a BMP and a FIFO are refused
// at once by the loader and the cache; so are sides that are not powers of
// two by the loader, and slots outside the table. Both slots keep their
// pictures and nothing is uploaded; the small valid seeds decode.
TEST_F(Textures, UnusableFilesAndSlotsChangeNothing) {
  const std::string seeds = SOURCE_DIR "/tests/fuzz/seeds/image_fuzz/";
  load(SLOT, png("kept.png", 4, 2, pattern(4, 2)));
  sub("kept.png", 0, 0, 4, 2);
  const uint32_t *kept = textures[SLOT].pixels[0];
  const int uploads = uploaded(SLOT).uploads;
  std::ofstream("empty.png"), std::ofstream("words.png") << "not an image at all";
  for (const char *name : {"cut.png", "tail.png"}) png(name, 16, 16, pattern(16, 16));
  std::filesystem::resize_file("cut.png", std::filesystem::file_size("cut.png") / 2);     // inside the pixels
  std::filesystem::resize_file("tail.png", std::filesystem::file_size("tail.png") - 2);  // inside IEND's CRC
  ASSERT_EQ(mkfifo("fifo.png", 0600), 0);
  for (const std::string &path : {""s, "missing.png"s, "empty.png"s, "words.png"s,
       seeds + "png-trns-claims-134217730-bytes.png", "cut.png"s, seeds + "bmp-4x2.bmp",
       seeds + "png-srgb-claims-9473-bytes.png", seeds + "gif-zero-size-named-png.png",
       seeds + "gif-hangs-the-reader-named-png.png", "tail.png"s, "fifo.png"s}) {
    load(SLOT, path, 1);
    EXPECT_EQ(sub(path, 0, 0, 4, 2), pattern(4, 2)) << path;
    EXPECT_TRUE(textures[SLOT].pixels[0] == kept && slot_words(SLOT) == pattern(4, 2)) << path;
  }
  load(SLOT, png("wide.png", 100, 64, pattern(100, 64)), 1);
  gfx_load_texture(SLOT, nullptr, 0, 0, 0, 0, 0);
  EXPECT_TRUE(textures[SLOT].pixels[0] == kept && slot_words(SLOT) == pattern(4, 2) && uploaded(SLOT).uploads == uploads);
  for (int slot : {-1, TEXTURE_SLOT_COUNT}) {
    load(slot, "kept.png", 1);
    gfx_load_subtexture(slot, "kept.png", 0, 0, 2, 2);
    gfx_build_mipmaps(slot);
    EXPECT_EQ(gfx_upload_texture(slot), 0);
  }
  const struct { const char *name; int width, height; uint32_t top_right; } good[] = {
      {"grey-1x1.png", 1, 1, 0x808080FF}, {"rgba-3x2.png", 3, 2, 0x0000FF00},
      {"paletted-trns-2x2.png", 2, 2, 0x00FF0080}, {"rgb16-5x3.png", 5, 3, 0x3E00FEFF}};
  for (const auto &[name, width, height, top_right] : good)
    EXPECT_EQ(sub(seeds + name, 0, 0, width, height).at(width - 1), top_right) << name;
}

// Levels halve while both sides last, and every one is uploaded. Each byte
// lane is the truncated mean of the four; levels are built for RGB or RGBA only.
TEST_F(Textures, LevelsHalveWhileBothSidesLastAveragingEachByteLane) {
  const int cases[][5] = {{512, 512, 10, 1, 1}, {8, 2, 2, 4, 1}, {2, 8, 2, 1, 4}, {16, 1, 1, 16, 1}};
  for (const auto &[width, height, levels, last_width, last_height] : cases) {
    reset_engine_state();
    load(SLOT, png("shape.png", width, height, pattern(width, height)), 1);
    const fake::GlTextureLevel &last = uploaded(SLOT).level[levels - 1];
    EXPECT_EQ(Ints({textures[SLOT].level_count, uploaded(SLOT).uploads, last.width, last.height}),
              Ints({levels, levels, last_width, last_height})) << width << " x " << height;
    EXPECT_EQ(last.pixels, textures[SLOT].pixels[levels - 1]);
  }
  load(SLOT, png("box.png", 4, 4, {0xFC000001, 0xFD000102, 0x10203042, 0x10203043,  // lanes that spill over
                                   0xFE000203, 0xFF000304, 0x10203046, 0x10203047,
                                   0x10203048, 0x10203049, 0x1020304A, 0x1020304B,
                                   0x1020304C, 0x1020304D, 0x1020304E, 0x1020304F}), 1);
  EXPECT_EQ(slot_words(SLOT, 1), Words({0xFD000102, 0x10203044, 0x1020304A, 0x1020304C}));
  EXPECT_EQ(slot_words(SLOT, 2), Words({0x4B182437}));
  TextureSlot &t = textures[SLOT];
  t.level_count = 1;
  t.format = GL_ALPHA;
  gfx_build_mipmaps(SLOT);
  EXPECT_EQ(t.level_count, 1);
}

// An upload scans RGBA images for translucency again; a new load forgets
// that an earlier upload found some. Reloading uploads the loaded slots only.
TEST_F(Textures, UploadsScanForTranslucencyAndReloadTakesLoadedSlotsOnly) {
  load(SLOT, png("scan.png", 1, 1, {0x80}));
  TextureSlot &t = textures[SLOT];
  t.pixels[0][0] |= gfx_alpha_mask();
  EXPECT_EQ(gfx_upload_texture(SLOT), 1);
  EXPECT_EQ(Ints({t.translucent, t.ever_translucent}), Ints({0, 1}));
  load(SLOT, png("scan.png", 1, 1, {0xFF}));
  EXPECT_EQ(t.ever_translucent, 0);
  load(POINTER_TEXTURE_SLOT, "scan.png");
  gfx_reload_textures();
  EXPECT_EQ(Ints({uploaded(SLOT).uploads, uploaded(POINTER_TEXTURE_SLOT).uploads, uploaded(PIECE).uploads}),
            Ints({4, 2, 0}));
}

// The rectangle counts from the image's bottom left; what lies outside the
// image is transparent black.
TEST_F(Textures, SubtextureCopiesTheRectangleFromTheBottomLeft) {
  const Words p = pattern(6, 5);
  png("sub.png", 6, 5, p);
  EXPECT_EQ(sub("sub.png", 1, 2, 3, 2), Words({p[7], p[8], p[9], p[13], p[14], p[15]}));
  EXPECT_EQ(Ints({textures[PIECE].wrap_s, textures[PIECE].min_filter, uploaded(PIECE).level[0].width}),
            Ints({GL_CLAMP_TO_EDGE, GL_LINEAR, 3}));
  EXPECT_EQ(sub("sub.png", 5, -1, 2, 2), Words({p[29], 0, 0, 0}));
  EXPECT_EQ(sub("sub.png", 0x7FFFFFFF, 0x7FFFFFFF, 2, 1), Words(2, 0));
}

// Each name is decoded once; a name too long for the cache is decoded every
// time, and its first 31 characters, another file's name, never match it.
TEST_F(Textures, SubtextureCacheKeepsOneWholeName) {
  EXPECT_EQ(sub(png("cached.png", 1, 1, {0x11111111})), Words{0x11111111});
  EXPECT_EQ(sub(png("cached.png", 1, 1, {0x22222222})), Words{0x11111111});
  const std::string cut(IMAGE_CACHE_NAME_SIZE - 1, 'n'), long_name = cut + "nnnnn";
  for (uint32_t word : {0x33333333u, 0x44444444u}) EXPECT_EQ(sub(png(long_name, 1, 1, {word})), Words{word});
  EXPECT_EQ(sub(png(cut, 1, 1, {0x55555555})), Words{0x55555555});
  // Refusals leave slot and cache: a missing or empty name, no area, or an
  // image or rectangle larger than the cache holds.
  png("wide.png", IMAGE_CACHE_SIDE + 1, 1, Words(IMAGE_CACHE_SIDE + 1, ~0u));
  const uint32_t *kept = textures[PIECE].pixels[0];
  const std::pair<const char *, int> refused[] = {{"missing.png", 1}, {nullptr, 1}, {"", 1}, {"wide.png", 1},
      {cut.c_str(), 0}, {cut.c_str(), -1}, {cut.c_str(), IMAGE_CACHE_SIDE + 1}};
  for (const auto &[name, width] : refused) gfx_load_subtexture(PIECE, name, 0, 0, width, 1);
  EXPECT_EQ(textures[PIECE].pixels[0], kept);
  EXPECT_EQ(std::string(image_cache_name), cut);
}

}  // namespace
