// The texture table: decoding real PNG (and BMP) files made here, packing into
// bottom-row-first pixel words, refusals that keep a slot as it was, smaller
// levels, uploads and the subtexture cache.
#include "gfx/texture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <string>
#include <vector>

#include "files/streams.h"
#include "tests/doubles/doubles.h"
#include "tests/support/png_writer.h"

namespace {

constexpr int SLOT = 7;
constexpr GLuint NAME_BASE = 500;  // slot n is given GL name NAME_BASE + n

// Words as the loader packs them on a little-endian host: bytes r, g, b, a.
uint32_t little(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return a << 24 | b << 16 | g << 8 | r;
}

uint32_t rgba_to_little(uint32_t rrggbbaa) {
  return little(rrggbbaa >> 24, rrggbbaa >> 16 & 0xFF, rrggbbaa >> 8 & 0xFF, rrggbbaa & 0xFF);
}

// An asymmetric picture, top row first: every pixel differs, so a flipped
// row order, a mirrored row or swapped channels all show.
std::vector<uint32_t> pattern_rgba(int width, int height, uint32_t alpha = 0xFF) {
  std::vector<uint32_t> words;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t r = uint32_t(x * 16 + 1) & 0xFF, g = uint32_t(y * 32 + 2) & 0xFF;
      const uint32_t b = uint32_t(0x80 ^ (x + 3 * y)) & 0xFF;
      words.push_back(r << 24 | g << 16 | b << 8 | alpha);
    }
  }
  return words;
}

std::vector<uint32_t> drop_alpha(const std::vector<uint32_t> &rgba) {
  std::vector<uint32_t> rgb;
  for (uint32_t word : rgba) {
    rgb.push_back(word >> 8);
  }
  return rgb;
}

// The slot's level 0 read back in file order (top row first) as 0xRRGGBBAA.
std::vector<uint32_t> slot_as_rgba(int slot) {
  const TextureSlot &t = textures[slot];
  std::vector<uint32_t> words;
  for (int y = t.height - 1; y >= 0; --y) {
    for (int x = 0; x < t.width; ++x) {
      uint8_t bytes[4];
      std::memcpy(bytes, &t.pixels[0][y * t.width + x], 4);
      words.push_back(uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 |
                      uint32_t(bytes[2]) << 8 | bytes[3]);
    }
  }
  return words;
}

std::string write_pattern(const std::string &name, int width, int height, uint32_t alpha = 0xFF) {
  const std::string path = test_file_path(name);
  EXPECT_TRUE(png_write_rgba(path, width, height, pattern_rgba(width, height, alpha)));
  return path;
}

std::vector<uint8_t> file_bytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void load(int slot, const std::string &path, int build_mips = 0) {
  gfx_load_texture(slot, path.c_str(), build_mips, GL_REPEAT, GL_CLAMP_TO_EDGE, GL_NEAREST,
                   GL_LINEAR_MIPMAP_LINEAR);
}

void clear_table() {
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
    for (uint32_t *&level : textures[slot].pixels) {
      std::free(level);
    }
    textures[slot] = TextureSlot{};
    textures[slot].gl_name = NAME_BASE + slot;
  }
  image_cache_name[0] = '\0';
  image_cache.width = image_cache.height = 0;
}

class TextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doubles_reset();
    host_big_endian = 0;
    clear_table();
  }
  void TearDown() override {
    host_big_endian = 0;
    clear_table();
  }
};

// ---- decoding and packing ----

TEST_F(TextureTest, RgbaImageIsStoredBottomRowFirstAndUploaded) {
  std::vector<uint32_t> picture = pattern_rgba(16, 16);
  picture[0] = 0xFF0000FF;  // top left: opaque red
  const std::string path = test_file_path("red_corner.png");
  ASSERT_TRUE(png_write_rgba(path, 16, 16, picture));
  load(SLOT, path);

  const TextureSlot &t = textures[SLOT];
  const uint8_t red[4] = {0xFF, 0x00, 0x00, 0xFF};
  EXPECT_EQ(0, std::memcmp(&t.pixels[0][15 * 16 + 0], red, 4));
  EXPECT_EQ(picture, slot_as_rgba(SLOT));
  EXPECT_EQ(16, t.width);
  EXPECT_EQ(16, t.height);
  EXPECT_EQ(1, t.level_count);
  EXPECT_EQ(GL_RGBA, t.format);
  EXPECT_EQ(GL_RGBA, t.internal_format);
  EXPECT_EQ(0, t.translucent);
  EXPECT_EQ(0, t.ever_translucent);

  const std::vector<std::string> expected = {
      "glBindTexture(3553, 507)",
      "glTexParameteri(3553, 10242, 10497)",  // wrap s: GL_REPEAT
      "glTexParameteri(3553, 10243, 33071)",  // wrap t: GL_CLAMP_TO_EDGE
      "glTexParameteri(3553, 10240, 9728)",   // mag: GL_NEAREST
      "glTexParameteri(3553, 10241, 9987)",   // min: GL_LINEAR_MIPMAP_LINEAR
      "glTexImage2D(3553, 0, 6408, 16, 16, 0, 6408, 5121)",
  };
  EXPECT_EQ(expected, call_texts());
  EXPECT_EQ(t.pixels[0], find_call("glTexImage2D")->data);
}

TEST_F(TextureTest, RgbImageGetsOpaqueAlpha) {
  const std::vector<uint32_t> picture = pattern_rgba(8, 4);
  const std::string path = test_file_path("rgb.png");
  ASSERT_TRUE(png_write_rgb(path, 8, 4, drop_alpha(picture)));
  load(SLOT, path);
  EXPECT_EQ(picture, slot_as_rgba(SLOT));
  EXPECT_EQ(0, textures[SLOT].translucent);
}

TEST_F(TextureTest, OnePixelOfAlpha254MakesTheSlotTranslucent) {
  std::vector<uint32_t> picture = pattern_rgba(4, 4);
  picture[9] = (picture[9] & 0xFFFFFF00) | 254;
  const std::string path = test_file_path("alpha254.png");
  ASSERT_TRUE(png_write_rgba(path, 4, 4, picture));
  load(SLOT, path);
  EXPECT_EQ(picture, slot_as_rgba(SLOT));
  EXPECT_EQ(1, textures[SLOT].translucent);
  EXPECT_EQ(1, textures[SLOT].ever_translucent);
}

TEST_F(TextureTest, OnePixelImageLoads) {
  const std::string path = test_file_path("one.png");
  ASSERT_TRUE(png_write_rgba(path, 1, 1, {0x11223344}));
  load(SLOT, path, 1);
  EXPECT_EQ(1, textures[SLOT].width);
  EXPECT_EQ(1, textures[SLOT].level_count);
  EXPECT_EQ(std::vector<uint32_t>{0x11223344}, slot_as_rgba(SLOT));
  EXPECT_EQ(1, call_count("glTexImage2D"));
}

TEST_F(TextureTest, BigEndianHostPacksRedIntoTheHighByte) {
  host_big_endian = 1;
  const std::string path = test_file_path("be.png");
  ASSERT_TRUE(png_write_rgba(path, 2, 1, {0x11223344, 0x556677FF}));
  load(SLOT, path);
  const TextureSlot &t = textures[SLOT];
  EXPECT_EQ(0x11223344u, t.pixels[0][0]);
  EXPECT_EQ(0x556677FFu, t.pixels[0][1]);
  EXPECT_EQ(1, t.translucent);  // 0x44 in the low byte, the alpha lane here

  ASSERT_TRUE(png_write_rgba(path, 2, 1, {0x112233FF, 0x000000FF}));
  load(SLOT, path);
  EXPECT_EQ(0, textures[SLOT].translucent);  // the red byte of 0x11 is not alpha
}

// Pictures SDL_image decodes into surfaces of fewer than three bytes per
// pixel, or with 16-bit samples: each must come out as the same colours.
struct KindCase {
  const char *name;
  PngPicture picture;
  std::vector<uint32_t> expected;  // 0xRRGGBBAA, top row first
};

// Two rows of four: top row indices 0 1 2 3, bottom row 3 2 1 0.
const std::vector<uint8_t> PALETTE_INDICES = {0, 1, 2, 3, 3, 2, 1, 0};
const std::vector<uint8_t> PALETTE = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0x12, 0x34, 0x56};
const std::vector<uint32_t> PALETTE_RGBA = {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0x123456FF};

std::vector<uint32_t> palette_expected(const std::vector<uint32_t> &colours) {
  std::vector<uint32_t> words;
  for (uint8_t index : PALETTE_INDICES) {
    words.push_back(colours[index]);
  }
  return words;
}

std::vector<uint8_t> wide_samples(const std::vector<uint8_t> &bytes) {
  std::vector<uint8_t> samples;
  for (uint8_t byte : bytes) {  // v * 257: truncating and rounding to 8 bits agree
    samples.push_back(byte);
    samples.push_back(byte);
  }
  return samples;
}

std::vector<KindCase> kind_cases() {
  const std::vector<uint8_t> greys = {0x00, 0x40, 0x80, 0xFF, 0x10, 0x20, 0x30, 0xEE};
  std::vector<uint32_t> grey_words;
  for (uint8_t grey : greys) {
    grey_words.push_back(uint32_t(grey) * 0x01010100u | 0xFF);
  }
  std::vector<uint8_t> grey_alpha;
  std::vector<uint32_t> grey_alpha_words;
  for (size_t i = 0; i < greys.size(); ++i) {
    grey_alpha.push_back(greys[i]);
    grey_alpha.push_back(uint8_t(i * 30));
    grey_alpha_words.push_back(uint32_t(greys[i]) * 0x01010100u | uint32_t(i * 30));
  }
  const std::vector<uint32_t> colour = pattern_rgba(4, 2, 0x99);
  std::vector<uint8_t> rgba_bytes, rgb_bytes;
  std::vector<uint32_t> rgb_words;
  for (uint32_t word : colour) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      rgba_bytes.push_back(uint8_t(word >> shift));
      if (shift) {
        rgb_bytes.push_back(uint8_t(word >> shift));
      }
    }
    rgb_words.push_back(word | 0xFF);
  }
  std::vector<uint32_t> keyed = PALETTE_RGBA;
  keyed[2] = 0;  // the one transparent entry becomes transparent black
  std::vector<uint32_t> partial = PALETTE_RGBA;
  partial[0] = 0xFF000080;
  partial[1] = 0x00FF0040;
  return {
      {"paletted", {4, 2, PNG_COLOR_TYPE_PALETTE, 8, PALETTE_INDICES, PALETTE, {}},
       palette_expected(PALETTE_RGBA)},
      {"paletted_one_transparent",
       {4, 2, PNG_COLOR_TYPE_PALETTE, 8, PALETTE_INDICES, PALETTE, {0xFF, 0xFF, 0x00, 0xFF}},
       palette_expected(keyed)},
      {"paletted_partial_alpha",
       {4, 2, PNG_COLOR_TYPE_PALETTE, 8, PALETTE_INDICES, PALETTE, {0x80, 0x40}},
       palette_expected(partial)},
      {"paletted_2bit", {4, 2, PNG_COLOR_TYPE_PALETTE, 2, {0x1B, 0xE4}, PALETTE, {}},
       palette_expected(PALETTE_RGBA)},
      {"grey8", {4, 2, PNG_COLOR_TYPE_GRAY, 8, greys, {}, {}}, grey_words},
      {"grey16", {4, 2, PNG_COLOR_TYPE_GRAY, 16, wide_samples(greys), {}, {}}, grey_words},
      {"grey1",
       {4, 2, PNG_COLOR_TYPE_GRAY, 1, {0xA0, 0x50}, {}, {}},
       {0xFFFFFFFF, 0x000000FF, 0xFFFFFFFF, 0x000000FF, 0x000000FF, 0xFFFFFFFF, 0x000000FF,
        0xFFFFFFFF}},
      {"grey_alpha8", {4, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, grey_alpha, {}, {}},
       grey_alpha_words},
      {"rgb16", {4, 2, PNG_COLOR_TYPE_RGB, 16, wide_samples(rgb_bytes), {}, {}}, rgb_words},
      {"rgba16", {4, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16, wide_samples(rgba_bytes), {}, {}}, colour},
  };
}

TEST_F(TextureTest, EveryPngKindComesOutAsTheSameColours) {
  for (const KindCase &kind : kind_cases()) {
    SCOPED_TRACE(kind.name);
    const std::string path = test_file_path(std::string(kind.name) + ".png");
    ASSERT_TRUE(png_write(path, kind.picture));
    textures[SLOT].width = 0;
    load(SLOT, path);
    ASSERT_EQ(4, textures[SLOT].width);
    ASSERT_EQ(2, textures[SLOT].height);
    EXPECT_EQ(kind.expected, slot_as_rgba(SLOT));
  }
}

TEST_F(TextureTest, TwoBytePixelsAreConvertedBeforeReading) {
  // 5-5-5 channels: values with their low three bits clear survive exactly.
  const std::vector<uint32_t> picture = {0xF80800, 0x0080F8, 0x484848, 0x000000,
                                         0x100820, 0xF8F8F8, 0x800000, 0x000088};
  const std::string path = test_file_path("555.bmp");
  ASSERT_TRUE(bmp_write_555(path, 4, 2, picture));
  load(SLOT, path);
  std::vector<uint32_t> expected;
  for (uint32_t word : picture) {
    expected.push_back(word << 8 | 0xFF);
  }
  EXPECT_EQ(expected, slot_as_rgba(SLOT));
}

// ---- refusals keep the slot ----

struct BadFile {
  const char *name;
  std::vector<uint8_t> bytes;  // empty with `missing` set: no file at all
  bool missing;
};

std::vector<BadFile> bad_files(const std::vector<uint8_t> &good_png) {
  const std::vector<uint8_t> truncated(good_png.begin(), good_png.begin() + good_png.size() / 2);
  std::vector<uint8_t> corrupt = good_png;
  for (size_t i = 40; i < corrupt.size(); ++i) {
    corrupt[i] = uint8_t(corrupt[i] * 7 + 13);
  }
  const std::vector<uint8_t> signature_only(good_png.begin(), good_png.begin() + 8);
  const std::string words = "not an image at all, just words\n";
  return {
      {"missing.png", {}, true},
      {"empty.png", {}, false},
      {"signature.png", signature_only, false},
      {"truncated.png", truncated, false},
      {"corrupt.png", corrupt, false},
      {"words.png", std::vector<uint8_t>(words.begin(), words.end()), false},
  };
}

class TextureKeptTest : public TextureTest {
 protected:
  void SetUp() override {
    TextureTest::SetUp();
    load(SLOT, write_pattern("kept.png", 4, 2));
    kept_pixels = textures[SLOT].pixels[0];
    kept_words = slot_as_rgba(SLOT);
    recorder_clear();
  }
  void expect_kept() {
    EXPECT_EQ(4, textures[SLOT].width);
    EXPECT_EQ(2, textures[SLOT].height);
    EXPECT_EQ(kept_pixels, textures[SLOT].pixels[0]);
    EXPECT_EQ(kept_words, slot_as_rgba(SLOT));
    EXPECT_EQ(GL_REPEAT, textures[SLOT].wrap_s);
    EXPECT_EQ(0, recorded_count) << "no upload for a refused image";
  }
  uint32_t *kept_pixels = nullptr;
  std::vector<uint32_t> kept_words;
};

TEST_F(TextureKeptTest, FilesThatAreNotUsableImagesChangeNothing) {
  const std::vector<uint8_t> good = file_bytes(write_pattern("good.png", 16, 16));
  ASSERT_GT(good.size(), 60u);
  for (const BadFile &bad : bad_files(good)) {
    SCOPED_TRACE(bad.name);
    const std::string path = test_file_path(bad.name);
    if (!bad.missing) {
      ASSERT_TRUE(write_bytes(path, bad.bytes));
    }
    gfx_load_texture(SLOT, path.c_str(), 1, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE, GL_LINEAR,
                     GL_LINEAR);
    expect_kept();
  }
  gfx_load_texture(SLOT, nullptr, 0, 0, 0, 0, 0);
  gfx_load_texture(SLOT, "", 0, 0, 0, 0, 0);
  expect_kept();
}

TEST_F(TextureKeptTest, SidesThatAreNotPowersOfTwoAreRefused) {
  const int sides[][2] = {{100, 64}, {64, 100}, {3, 4}, {4, 3}, {6, 6}};
  for (const auto &side : sides) {
    SCOPED_TRACE(testing::Message() << side[0] << " x " << side[1]);
    load(SLOT, write_pattern("npot.png", side[0], side[1]), 1);
    expect_kept();
  }
}

TEST_F(TextureTest, SlotsOutsideTheTableAreIgnored) {
  const std::string path = write_pattern("outside.png", 4, 4);
  for (int slot : {-1, TEXTURE_SLOT_COUNT, -100000, 1 << 30}) {
    SCOPED_TRACE(slot);
    load(slot, path, 1);
    gfx_load_subtexture(slot, path.c_str(), 0, 0, 2, 2);
    gfx_build_mipmaps(slot);
    EXPECT_EQ(0, gfx_upload_texture(slot));
    EXPECT_EQ(0, recorded_count);
  }
}

// ---- smaller levels ----

TEST_F(TextureTest, MipmapsOfFourByFourAverageEachByteLane) {
  TextureSlot &t = textures[SLOT];
  t.width = t.height = 4;
  t.format = GL_RGBA;
  t.pixels[0] = static_cast<uint32_t *>(std::malloc(16 * 4));
  // The top left 2x2 block holds 1, 2, 3, 4 in the low lane and 0xFC..0xFF in
  // the high lane, so no lane's sum spills into its neighbour.
  const uint32_t block[4] = {0xFC000001, 0xFD000102, 0xFE000203, 0xFF000304};
  for (int i = 0; i < 16; ++i) {
    t.pixels[0][i] = 0x10203040u + uint32_t(i);
  }
  t.pixels[0][0] = block[0];
  t.pixels[0][1] = block[1];
  t.pixels[0][4] = block[2];
  t.pixels[0][5] = block[3];
  gfx_build_mipmaps(SLOT);

  ASSERT_EQ(3, t.level_count);
  EXPECT_EQ(0xFD000102u, t.pixels[1][0]);  // (1+2+3+4)/4 = 2, (0xFC+..+0xFF)/4 = 0xFD
  // Bottom right block: 0x...4A, 4B, 4E, 4F average to 0x4C, truncating.
  EXPECT_EQ(0x1020304Cu, t.pixels[1][3]);
  EXPECT_EQ(0x10203044u, t.pixels[1][1]);  // 0x42, 0x43, 0x46, 0x47: 68.5 truncated
  EXPECT_EQ(0x1020304Au, t.pixels[1][2]);
  // Level 2 from level 1, lane by lane: 0x4B, 0x18, 0x24, 0x37.
  EXPECT_EQ(0x4B182437u, t.pixels[2][0]);
  EXPECT_EQ(0, recorded_count) << "building levels does not upload";
}

TEST_F(TextureTest, MipmapLevelsHalveAndAreAllUploaded) {
  load(SLOT, write_pattern("mips.png", 8, 8), 1);
  const TextureSlot &t = textures[SLOT];
  ASSERT_EQ(4, t.level_count);
  const auto uploads = calls_named("glTexImage2D");
  ASSERT_EQ(4u, uploads.size());
  for (int level = 0; level < 4; ++level) {
    SCOPED_TRACE(level);
    EXPECT_EQ(level, uploads[level]->args[1]);
    EXPECT_EQ(8 >> level, uploads[level]->args[3]);
    EXPECT_EQ(8 >> level, uploads[level]->args[4]);
    EXPECT_EQ(t.pixels[level], uploads[level]->data);
  }
}

TEST_F(TextureTest, MipmapCountFollowsTheWidthUntilTheHeightRunsOut) {
  const struct {
    int width, height, levels;
  } cases[] = {{512, 512, 10}, {2, 8, 2}, {8, 2, 2}, {16, 1, 1}, {1, 16, 1}, {4, 4, 3}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    load(SLOT, write_pattern("shape.png", c.width, c.height), 1);
    const TextureSlot &t = textures[SLOT];
    ASSERT_EQ(c.levels, t.level_count);
    for (int level = 0; level < t.level_count; ++level) {
      EXPECT_GT(t.width >> level, 0);
      EXPECT_GT(t.height >> level, 0);
    }
  }
}

TEST_F(TextureTest, MipmapsAreBuiltOnlyForRgbOrRgba) {
  TextureSlot &t = textures[SLOT];
  load(SLOT, write_pattern("format.png", 4, 4));
  t.format = GL_ALPHA;
  gfx_build_mipmaps(SLOT);
  EXPECT_EQ(1, t.level_count);
  EXPECT_EQ(nullptr, t.pixels[1]);
  t.format = GL_RGB;
  gfx_build_mipmaps(SLOT);
  EXPECT_EQ(3, t.level_count);
}

TEST_F(TextureTest, MipmapsOfAnEmptySlotDoNothing) {
  gfx_build_mipmaps(SLOT);
  EXPECT_EQ(0, textures[SLOT].level_count);
  EXPECT_EQ(nullptr, textures[SLOT].pixels[1]);
}

// ---- uploads ----

TEST_F(TextureTest, UploadRescansTranslucencyButKeepsEverTranslucent) {
  load(SLOT, write_pattern("scan.png", 2, 2, 0x80));
  TextureSlot &t = textures[SLOT];
  ASSERT_EQ(1, t.translucent);
  for (int i = 0; i < 4; ++i) {
    t.pixels[0][i] |= 0xFF000000u;
  }
  EXPECT_EQ(1, gfx_upload_texture(SLOT));
  EXPECT_EQ(0, t.translucent);
  EXPECT_EQ(1, t.ever_translucent);

  load(SLOT, write_pattern("scan.png", 2, 2, 0xFF));
  EXPECT_EQ(0, t.ever_translucent) << "a new load starts afresh";
}

TEST_F(TextureTest, UploadOfAnotherFormatLeavesTheFlags) {
  load(SLOT, write_pattern("flags.png", 2, 2, 0x80));
  TextureSlot &t = textures[SLOT];
  t.format = GL_RGB;
  t.translucent = 0;
  gfx_upload_texture(SLOT);
  EXPECT_EQ(0, t.translucent);
  t.translucent = 1;
  for (int i = 0; i < 4; ++i) {
    t.pixels[0][i] |= 0xFF000000u;
  }
  gfx_upload_texture(SLOT);
  EXPECT_EQ(1, t.translucent);
  EXPECT_EQ(GL_RGB, find_call("glTexImage2D", 1)->args[6]);
}

TEST_F(TextureTest, ReloadUploadsLoadedSlotsOnlyInSlotOrder) {
  const std::string path = write_pattern("reload.png", 2, 2);
  load(POINTER_TEXTURE_SLOT, path);
  load(FONT_TEXTURE_SLOT, path, 1);
  recorder_clear();
  gfx_reload_textures();
  const auto binds = calls_named("glBindTexture");
  ASSERT_EQ(2u, binds.size());
  EXPECT_EQ(NAME_BASE + FONT_TEXTURE_SLOT, binds[0]->args[1]);
  EXPECT_EQ(NAME_BASE + POINTER_TEXTURE_SLOT, binds[1]->args[1]);
  EXPECT_EQ(3, call_count("glTexImage2D"));  // two levels of the font, one of the pointer
}

// ---- subtextures ----

TEST_F(TextureTest, SubtextureCopiesTheRectangleCountedFromTheBottomLeft) {
  const std::vector<uint32_t> picture = pattern_rgba(6, 5);
  const std::string path = test_file_path("sub.png");
  ASSERT_TRUE(png_write_rgba(path, 6, 5, picture));
  gfx_load_subtexture(SLOT, path.c_str(), 1, 2, 3, 2);

  const TextureSlot &t = textures[SLOT];
  ASSERT_EQ(3, t.width);
  ASSERT_EQ(2, t.height);
  // Rows 2 and 3 from the bottom are file rows 2 and 1 from the top.
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) {
      EXPECT_EQ(rgba_to_little(picture[(4 - (2 + i)) * 6 + 1 + j]), t.pixels[0][i * 3 + j])
          << i << ", " << j;
    }
  }
  EXPECT_EQ(GL_CLAMP_TO_EDGE, t.wrap_s);
  EXPECT_EQ(GL_CLAMP_TO_EDGE, t.wrap_t);
  EXPECT_EQ(GL_LINEAR, t.mag_filter);
  EXPECT_EQ(GL_LINEAR, t.min_filter);
  EXPECT_EQ(1, t.level_count);
  EXPECT_STREQ(path.c_str(), image_cache_name);
  EXPECT_EQ(6, image_cache.width);
  EXPECT_EQ(5, image_cache.height);
  EXPECT_EQ("glTexImage2D(3553, 0, 6408, 3, 2, 0, 6408, 5121)",
            call_text(*find_call("glTexImage2D")));
}

TEST_F(TextureTest, SubtextureDecodesTheSameNameOnce) {
  const std::string path = test_file_path("cached.png");
  ASSERT_TRUE(png_write_rgba(path, 2, 2, {0x11111111, 0x22222222, 0x33333333, 0x44444444}));
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 2, 2);
  ASSERT_TRUE(png_write_rgba(path, 2, 2, {0x55555555, 0x66666666, 0x77777777, 0x88888888}));
  gfx_load_subtexture(SLOT + 1, path.c_str(), 0, 0, 2, 2);
  EXPECT_EQ(slot_as_rgba(SLOT), slot_as_rgba(SLOT + 1)) << "the file was read again";

  const std::string other = write_pattern("other.png", 2, 2);
  gfx_load_subtexture(SLOT + 2, other.c_str(), 0, 0, 2, 2);
  gfx_load_subtexture(SLOT + 3, path.c_str(), 0, 0, 2, 2);
  EXPECT_EQ((std::vector<uint32_t>{0x55555555, 0x66666666, 0x77777777, 0x88888888}),
            slot_as_rgba(SLOT + 3));
}

TEST_F(TextureTest, SubtextureOfALongNameIsDecodedEveryTime) {
  const std::string path = test_file_path("a_name_far_too_long_for_the_cache.png");
  ASSERT_GE(path.size(), size_t(IMAGE_CACHE_NAME_SIZE));
  ASSERT_TRUE(png_write_rgba(path, 1, 1, {0x11223344}));
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 1, 1);
  EXPECT_EQ(std::vector<uint32_t>{0x11223344}, slot_as_rgba(SLOT));
  EXPECT_STREQ("", image_cache_name);
  ASSERT_TRUE(png_write_rgba(path, 1, 1, {0x55667788}));
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 1, 1);
  EXPECT_EQ(std::vector<uint32_t>{0x55667788}, slot_as_rgba(SLOT));
}

TEST_F(TextureTest, SubtexturePixelsOutsideTheImageAreTransparentBlack) {
  const std::vector<uint32_t> picture = pattern_rgba(2, 2);
  const std::string path = test_file_path("edge.png");
  ASSERT_TRUE(png_write_rgba(path, 2, 2, picture));
  // One pixel in from the left and below the bottom: a 2x2 window whose top
  // left lies on the image's bottom right pixel.
  gfx_load_subtexture(SLOT, path.c_str(), 1, -1, 2, 2);
  const uint32_t *p = textures[SLOT].pixels[0];
  EXPECT_EQ(0u, p[0]);
  EXPECT_EQ(0u, p[1]);
  EXPECT_EQ(rgba_to_little(picture[3]), p[2]);  // bottom right of the image
  EXPECT_EQ(0u, p[3]);

  gfx_load_subtexture(SLOT, path.c_str(), 100000, -100000, 3, 3);
  EXPECT_EQ(std::vector<uint32_t>(9, 0), std::vector<uint32_t>(textures[SLOT].pixels[0],
                                                               textures[SLOT].pixels[0] + 9));
  gfx_load_subtexture(SLOT, path.c_str(), 0x7FFFFFFF, 0x7FFFFFFF, 2, 1);
  EXPECT_EQ(2, textures[SLOT].width);
  EXPECT_EQ(0u, textures[SLOT].pixels[0][1]);
}

TEST_F(TextureTest, SubtextureRefusalsLeaveSlotAndCache) {
  const std::string path = write_pattern("keep_sub.png", 4, 4);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 2, 2);
  uint32_t *kept = textures[SLOT].pixels[0];
  recorder_clear();

  const std::string missing = test_file_path("missing_sub.png");
  gfx_load_subtexture(SLOT, missing.c_str(), 0, 0, 2, 2);
  gfx_load_subtexture(SLOT, nullptr, 0, 0, 2, 2);
  gfx_load_subtexture(SLOT, "", 0, 0, 2, 2);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 0, 2);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 2, -1);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, IMAGE_CACHE_SIDE + 1, 1);
  EXPECT_EQ(kept, textures[SLOT].pixels[0]);
  EXPECT_EQ(2, textures[SLOT].width);
  EXPECT_STREQ(path.c_str(), image_cache_name);
  EXPECT_EQ(4, image_cache.width);
  EXPECT_EQ(0, recorded_count);
}

TEST_F(TextureTest, SubtextureRefusesImagesWiderThanTheCache) {
  const std::string small = write_pattern("small.png", 2, 2);
  gfx_load_subtexture(SLOT, small.c_str(), 0, 0, 2, 2);
  const std::vector<uint32_t> kept = slot_as_rgba(SLOT);

  const std::string wide = test_file_path("wide.png");
  ASSERT_TRUE(png_write_rgba(wide, IMAGE_CACHE_SIDE + 1, 1,
                             std::vector<uint32_t>(IMAGE_CACHE_SIDE + 1, 0xFFFFFFFF)));
  gfx_load_subtexture(SLOT, wide.c_str(), 0, 0, 2, 1);
  EXPECT_EQ(kept, slot_as_rgba(SLOT));
  EXPECT_STREQ(small.c_str(), image_cache_name);
  EXPECT_EQ(2, image_cache.width);

  // The largest side the cache holds is accepted.
  std::vector<uint32_t> row(IMAGE_CACHE_SIDE, 0x000000FF);
  row.back() = 0xABCDEFFF;
  ASSERT_TRUE(png_write_rgba(wide, IMAGE_CACHE_SIDE, 1, row));
  gfx_load_subtexture(SLOT, wide.c_str(), IMAGE_CACHE_SIDE - 1, 0, 1, 1);
  EXPECT_EQ(std::vector<uint32_t>{0xABCDEFFF}, slot_as_rgba(SLOT));
}

TEST_F(TextureTest, SubtextureOfAPalettedImageIsConverted) {
  const std::string path = test_file_path("sub_pal.png");
  ASSERT_TRUE(png_write(path, {4, 2, PNG_COLOR_TYPE_PALETTE, 8, PALETTE_INDICES, PALETTE, {}}));
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 4, 2);
  EXPECT_EQ(palette_expected(PALETTE_RGBA), slot_as_rgba(SLOT));
}

// ---- pixel buffers that cannot be allocated ----
//
// A child process caps its address space just above what it holds, so the
// next large buffer cannot be had. Sanitizer runtimes reserve address space
// of their own and cannot run under such a cap.

#if defined(__SANITIZE_ADDRESS__)
constexpr bool ADDRESS_SPACE_CAP_WORKS = false;
#else
constexpr bool ADDRESS_SPACE_CAP_WORKS = true;
#endif

size_t address_space_in_use() {
  unsigned long pages = 0;
  FILE *statm = std::fopen("/proc/self/statm", "r");
  if (statm) {
    if (std::fscanf(statm, "%lu", &pages) != 1) {
      pages = 0;
    }
    std::fclose(statm);
  }
  return size_t(pages) * size_t(sysconf(_SC_PAGESIZE));
}

void cap_address_space(size_t headroom) {
  const rlimit limit = {address_space_in_use() + headroom, RLIM_INFINITY};
  setrlimit(RLIMIT_AS, &limit);
}

constexpr size_t MIB = 1024 * 1024;

class TextureMemoryTest : public TextureTest {
 protected:
  void SetUp() override {
    if (!ADDRESS_SPACE_CAP_WORKS) {
      GTEST_SKIP() << "address-space caps do not work under the sanitizers";
    }
    // The child runs this test alone in a fresh process; with a fixed mapping
    // threshold every large buffer is a mapping of its own, so none can come
    // from memory an earlier buffer left behind.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    TextureTest::SetUp();
  }
};

// Decoding a 1024x1024 image needs its 4 MiB surface; the slot's copy needs
// 4 MiB more, which the cap leaves no room for.
void load_without_room(const std::string &big) {
  cap_address_space(6 * MIB);
  uint32_t *before = textures[SLOT].pixels[0];
  load(SLOT, big);
  const TextureSlot &t = textures[SLOT];
  std::exit(t.width == 2 && t.pixels[0] == before && slot_as_rgba(SLOT) == pattern_rgba(2, 2)
                ? 0
                : 1);
}

TEST_F(TextureMemoryTest, LoadWithoutRoomForPixelsKeepsTheSlot) {
  const std::string big = write_pattern("big.png", 1024, 1024);
  load(SLOT, write_pattern("before.png", 2, 2));
  EXPECT_EXIT(load_without_room(big), testing::ExitedWithCode(0), "");
}

// Level 1 (1 MiB) fits under the cap, level 2 (256 KiB) does not: the chain
// ends at two levels, which are then uploaded.
void mipmaps_without_room() {
  cap_address_space(MIB + 128 * 1024);
  gfx_build_mipmaps(SLOT);
  const TextureSlot &t = textures[SLOT];
  const bool chain_ends = t.level_count == 2 && t.pixels[1] != nullptr;
  recorder_clear();
  const bool uploads_two = gfx_upload_texture(SLOT) == 2 && call_count("glTexImage2D") == 2;
  std::exit(chain_ends && uploads_two ? 0 : 1);
}

TEST_F(TextureMemoryTest, MipmapsWithoutRoomEndTheChain) {
  load(SLOT, write_pattern("mip_big.png", 1024, 1024));
  EXPECT_EXIT(mipmaps_without_room(), testing::ExitedWithCode(0), "");
}

void subtexture_without_room(const std::string &path) {
  cap_address_space(MIB);
  uint32_t *before = textures[SLOT].pixels[0];
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 1024, 1024);
  std::exit(textures[SLOT].width == 2 && textures[SLOT].pixels[0] == before ? 0 : 1);
}

TEST_F(TextureMemoryTest, SubtextureWithoutRoomKeepsTheSlot) {
  const std::string path = write_pattern("sub_room.png", 4, 4);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 2, 2);
  EXPECT_EXIT(subtexture_without_room(path), testing::ExitedWithCode(0), "");
}

}  // namespace
