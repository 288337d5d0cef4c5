// The texture table: image files made here decoded into bottom-row-first
// pixel words, refusals that keep a slot as it was, smaller levels, uploads
// as the GL double keeps them, and the subtexture cache.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/streams.h"
#include "gfx/texture.h"
#include "tests/support/engine_test.h"

namespace {

constexpr int SLOT = 7;
using Words = std::vector<uint32_t>;
const fake::GlTextureObject &uploaded(int slot) { return fake::gl_textures[textures[slot].gl_name]; }

// Every pixel differs, so a flipped row order, a mirrored row or swapped
// channels all show. 0xRRGGBBAA, top row first.
Words pattern(int width, int height, uint32_t alpha = 0xFF) {
  Words words;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      words.push_back(uint32_t(x * 16 + 1) << 24 | (uint32_t(y * 32 + 2) & 0xFF) << 16 |
                      (uint32_t(0x80 ^ (x + 3 * y)) & 0xFF) << 8 | alpha);
  return words;
}

// A level of the slot read back from its bytes in memory, top row first, as
// 0xRRGGBBAA: the same whatever the host's byte order.
Words slot_words(int slot, int level = 0) {
  const TextureSlot &t = textures[slot];
  const int width = t.width >> level, height = t.height >> level;
  Words words;
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x) {
      const auto *b = reinterpret_cast<const uint8_t *>(&t.pixels[level][y * width + x]);
      words.push_back(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]);
    }
  return words;
}

std::string png(const std::string &name, int width, int height, const Words &words) {
  EXPECT_TRUE(write_png(name, width, height, words));
  return name;
}

void load(int slot, const std::string &path, int build_mips = 0) {
  gfx_load_texture(slot, path.c_str(), build_mips, GL_REPEAT, GL_CLAMP_TO_EDGE, GL_NEAREST,
                   GL_LINEAR_MIPMAP_LINEAR);
}

using Textures = EngineTest;

TEST_F(Textures, ImageIsKeptBottomRowFirstAndUploadedUnderItsSlotsName) {
  load(SLOT, png("pattern.png", 16, 8, pattern(16, 8)));
  const TextureSlot &t = textures[SLOT];
  EXPECT_EQ(slot_words(SLOT), pattern(16, 8));
  EXPECT_EQ(Ints({t.width, t.height, t.level_count, t.format, t.translucent}),
            Ints({16, 8, 1, GL_RGBA, 0}));
  const fake::GlTextureObject &object = uploaded(SLOT);
  EXPECT_EQ(Ints({object.wrap_s, object.wrap_t, object.mag_filter, object.min_filter}),
            Ints({GL_REPEAT, GL_CLAMP_TO_EDGE, GL_NEAREST, GL_LINEAR_MIPMAP_LINEAR}));
  EXPECT_EQ(Ints({object.level[0].width, object.level[0].height, object.level[0].format}),
            Ints({16, 8, GL_RGBA}));
  EXPECT_EQ(object.level[0].pixels, t.pixels[0]);
}

// The layouts SDL_image decodes differently (four or three bytes, paletted
// with a transparent entry, grey, blue-green-red) all give the same colours,
// through the loader and through the subtexture cache alike.
TEST_F(Textures, EveryImageKindComesOutAsTheSameColours) {
  Words rgba = pattern(4, 2), opaque, greys;
  rgba[5] = (rgba[5] & ~0xFFu) | 254;
  for (uint32_t i = 0; i < 8; ++i) {
    opaque.push_back(rgba[i] | 0xFF);
    greys.push_back((i * 0x25 + 0x10) % 256 * 0x01010100u | 0xFF);
  }
  const Words palette = {0xFF0000FF, 0x00FF00FF, 0, 0x123456FF, 0x123456FF, 0, 0x00FF00FF, 0xFF0000FF};
  const struct {
    unsigned format;  // 0: BMP
    Words words;
    int translucent;
  } kinds[] = {{PNG_FORMAT_RGBA, rgba, 1}, {PNG_FORMAT_RGB, opaque, 0},
               {PNG_FORMAT_RGBA_COLORMAP, palette, 1}, {PNG_FORMAT_GRAY, greys, 0}, {0, opaque, 0}};
  for (const auto &kind : kinds) {
    reset_engine_state();
    const std::string path = kind.format ? "kind.png" : "kind.bmp";
    ASSERT_TRUE(kind.format ? write_png(path, 4, 2, kind.words, kind.format) : write_bmp(path, 4, 2, kind.words));
    load(SLOT, path);
    EXPECT_EQ(slot_words(SLOT), kind.words) << kind.format;
    EXPECT_EQ(textures[SLOT].translucent + textures[SLOT].ever_translucent, 2 * kind.translucent);
    gfx_load_subtexture(SLOT + 1, path.c_str(), 0, 0, 4, 2);
    EXPECT_EQ(slot_words(SLOT + 1), kind.words) << kind.format;
  }
}

TEST_F(Textures, BigEndianHostPacksRedIntoTheHighByte) {
  host_big_endian = 1;
  load(SLOT, png("be.png", 2, 1, {0x11223344, 0x556677FF}));
  EXPECT_EQ(Words(textures[SLOT].pixels[0], textures[SLOT].pixels[0] + 2), Words({0x11223344, 0x556677FF}));
  EXPECT_EQ(textures[SLOT].translucent, 1);  // 0x44, the low byte, is alpha here
  load(SLOT, png("be.png", 2, 1, {0x112233FF, 0x000000FF}));
  EXPECT_EQ(textures[SLOT].translucent, 0);
}

// Missing, empty, cut or wordy files, sides that are not powers of
// two and slots outside the table keep the slot as it was and upload nothing.
TEST_F(Textures, UnusableFilesKeepTheSlot) {
  load(SLOT, png("kept.png", 4, 2, pattern(4, 2)));
  const uint32_t *kept = textures[SLOT].pixels[0];
  std::ifstream file(png("good.png", 16, 16, pattern(16, 16)), std::ios::binary);
  const std::vector<char> good{std::istreambuf_iterator<char>(file), {}};
  std::ofstream("empty.png", std::ios::binary);
  std::ofstream("cut.png", std::ios::binary).write(good.data(), long(good.size() / 2));
  std::ofstream("words.png", std::ios::binary) << "not an image at all";
  png("wide.png", 100, 64, pattern(100, 64));
  const int uploads = uploaded(SLOT).uploads;
  for (const char *path : {"", "missing.png", "empty.png", "cut.png", "words.png", "wide.png"}) {
    load(SLOT, path, 1);
    EXPECT_EQ(textures[SLOT].pixels[0], kept) << path;
    EXPECT_EQ(slot_words(SLOT), pattern(4, 2)) << path;
  }
  gfx_load_texture(SLOT, nullptr, 0, 0, 0, 0, 0);
  EXPECT_EQ(uploaded(SLOT).uploads, uploads);
  for (int slot : {-1, TEXTURE_SLOT_COUNT}) {
    load(slot, "kept.png", 1);
    gfx_load_subtexture(slot, "kept.png", 0, 0, 2, 2);
    gfx_build_mipmaps(slot);
    EXPECT_EQ(gfx_upload_texture(slot), 0);
  }
}

// Levels halve while both sides last, and every one is uploaded.
TEST_F(Textures, LevelsHalveWhileBothSidesLastAndEachIsUploaded) {
  const int cases[][3] = {{512, 512, 10}, {4, 4, 3}, {8, 2, 2}, {2, 8, 2}, {16, 1, 1}};
  for (const auto &[width, height, levels] : cases) {
    reset_engine_state();
    load(SLOT, png("shape.png", width, height, pattern(width, height)), 1);
    ASSERT_EQ(textures[SLOT].level_count, levels) << width << " x " << height;
    EXPECT_EQ(uploaded(SLOT).uploads, levels);
    const fake::GlTextureLevel &last = uploaded(SLOT).level[levels - 1];
    EXPECT_EQ(Ints({last.width, last.height}), Ints({width >> (levels - 1), height >> (levels - 1)}));
    EXPECT_EQ(last.pixels, textures[SLOT].pixels[levels - 1]);
  }
}

// Each byte lane is the truncated mean of the four; levels are built for RGB
// or RGBA only, and building uploads nothing.
TEST_F(Textures, LevelsAverageEachByteLaneTruncating) {
  TextureSlot &t = textures[SLOT];
  t.width = t.height = 4;
  t.format = GL_RGBA;
  t.pixels[0] = static_cast<uint32_t *>(std::malloc(16 * 4));
  for (int i = 0; i < 16; ++i) t.pixels[0][i] = 0x10203040u + uint32_t(i);
  t.pixels[0][0] = 0xFC000001, t.pixels[0][1] = 0xFD000102;  // high lanes whose sum spills over
  t.pixels[0][4] = 0xFE000203, t.pixels[0][5] = 0xFF000304;
  gfx_build_mipmaps(SLOT);
  ASSERT_EQ(t.level_count, 3);
  EXPECT_EQ(Words(t.pixels[1], t.pixels[1] + 4), Words({0xFD000102u, 0x10203044u, 0x1020304Au, 0x1020304Cu}));
  EXPECT_EQ(t.pixels[2][0], 0x4B182437u);
  EXPECT_EQ(uploaded(SLOT).uploads, 0);
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
  load(POINTER_TEXTURE_SLOT, "scan.png", 0);
  const int before = uploaded(SLOT).uploads;
  gfx_reload_textures();
  EXPECT_EQ(uploaded(SLOT).uploads, before + 1);
  EXPECT_EQ(uploaded(POINTER_TEXTURE_SLOT).uploads, 2);
  EXPECT_EQ(uploaded(SLOT + 1).uploads, 0);
}

// The rectangle counts from the image's bottom left; what lies outside the
// image is transparent black.
TEST_F(Textures, SubtextureCopiesTheRectangleFromTheBottomLeft) {
  const Words picture = pattern(6, 5);
  png("sub.png", 6, 5, picture);
  gfx_load_subtexture(SLOT, "sub.png", 1, 2, 3, 2);
  const TextureSlot &t = textures[SLOT];
  EXPECT_EQ(slot_words(SLOT), Words({picture[7], picture[8], picture[9], picture[13], picture[14], picture[15]}));
  EXPECT_EQ(Ints({t.wrap_s, t.min_filter, uploaded(SLOT).level[0].width}),
            Ints({GL_CLAMP_TO_EDGE, GL_LINEAR, 3}));
  gfx_load_subtexture(SLOT, "sub.png", 5, -1, 2, 2);
  EXPECT_EQ(slot_words(SLOT), Words({picture[29], 0, 0, 0}));
  gfx_load_subtexture(SLOT, "sub.png", 0x7FFFFFFF, 0x7FFFFFFF, 2, 1);
  EXPECT_EQ(slot_words(SLOT), Words(2, 0));
}

// Each name is decoded once; a name too long for the cache is decoded every
// time, and its first 31 characters, another file's name, never match it.
TEST_F(Textures, SubtextureCacheKeepsOneWholeName) {
  png("cached.png", 1, 1, {0x11111111});
  gfx_load_subtexture(SLOT, "cached.png", 0, 0, 1, 1);
  png("cached.png", 1, 1, {0x22222222});
  gfx_load_subtexture(SLOT, "cached.png", 0, 0, 1, 1);
  EXPECT_EQ(slot_words(SLOT), Words{0x11111111});
  const std::string long_name(IMAGE_CACHE_NAME_SIZE + 4, 'n'), cut = long_name.substr(0, IMAGE_CACHE_NAME_SIZE - 1);
  for (uint32_t word : {0x33333333u, 0x44444444u}) {
    gfx_load_subtexture(SLOT, png(long_name, 1, 1, {word}).c_str(), 0, 0, 1, 1);
    EXPECT_EQ(slot_words(SLOT), Words{word});
  }
  gfx_load_subtexture(SLOT, png(cut, 1, 1, {0x55555555}).c_str(), 0, 0, 1, 1);
  EXPECT_EQ(slot_words(SLOT), Words{0x55555555});
  // Refusals leave slot and cache: a missing or empty name, no area, or an
  // image or rectangle larger than the cache holds.
  png("wide.png", IMAGE_CACHE_SIDE + 1, 1, Words(IMAGE_CACHE_SIDE + 1, ~0u));
  const uint32_t *kept = textures[SLOT].pixels[0];
  const std::pair<const char *, int> refused[] = {{"missing.png", 1}, {nullptr, 1}, {"", 1}, {"wide.png", 1},
                                                  {cut.c_str(), 0}, {cut.c_str(), -1}, {cut.c_str(), IMAGE_CACHE_SIDE + 1}};
  for (const auto &[name, width] : refused) gfx_load_subtexture(SLOT, name, 0, 0, width, 1);
  EXPECT_EQ(textures[SLOT].pixels[0], kept);
  EXPECT_EQ(std::string(image_cache_name), cut);
}

}  // namespace
