// The texture table: decoding real image files made here into bottom-row-first
// pixel words, refusals that keep a slot as it was, smaller levels, uploads and
// the subtexture cache.
#include "gfx/texture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <png.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/streams.h"
#include "tests/doubles/doubles.h"
#include "tests/support/png_writer.h"

namespace {

constexpr int SLOT = 7;
constexpr GLuint NAME_BASE = 500;  // slot n has GL name NAME_BASE + n
using Words = std::vector<uint32_t>;

// An asymmetric picture, 0xRRGGBBAA top row first: every pixel differs, so a
// flipped row order, a mirrored row or swapped channels all show.
Words pattern(int width, int height, uint32_t alpha = 0xFF) {
  Words words;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      words.push_back(uint32_t(x * 16 + 1) << 24 | (uint32_t(y * 32 + 2) & 0xFF) << 16 |
                      (uint32_t(0x80 ^ (x + 3 * y)) & 0xFF) << 8 | alpha);
    }
  }
  return words;
}

// A level of the slot read back from its bytes in memory, top row first, as
// 0xRRGGBBAA: the same whatever the host's byte order.
Words slot_words(int slot, int level = 0) {
  const TextureSlot &t = textures[slot];
  const int width = t.width >> level, height = t.height >> level;
  Words words;
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const auto *b = reinterpret_cast<const uint8_t *>(&t.pixels[level][y * width + x]);
      words.push_back(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]);
    }
  }
  return words;
}

std::string write_png(const std::string &name, int width, int height, const Words &words) {
  const std::string path = test_file_path(name);
  EXPECT_TRUE(png_write_rgba(path, width, height, words));
  return path;
}

std::string write_pattern(const std::string &name, int width, int height, uint32_t alpha = 0xFF) {
  return write_png(name, width, height, pattern(width, height, alpha));
}

void load(int slot, const std::string &path, int build_mips = 0) {
  gfx_load_texture(slot, path.c_str(), build_mips, GL_REPEAT, GL_CLAMP_TO_EDGE, GL_NEAREST,
                   GL_LINEAR_MIPMAP_LINEAR);
}

void clear_table() {
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
    for (uint32_t *level : textures[slot].pixels) {
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

// ---- decoding ----

TEST_F(TextureTest, ImageIsStoredBottomRowFirstAndUploadedWithItsParameters) {
  load(SLOT, write_pattern("pattern.png", 16, 16));
  const TextureSlot &t = textures[SLOT];
  EXPECT_EQ(pattern(16, 16), slot_words(SLOT));
  EXPECT_EQ((std::vector<int>{16, 16, 1, GL_RGBA, GL_RGBA, 0}),
            (std::vector<int>{t.width, t.height, t.level_count, t.format, t.internal_format,
                              t.translucent}));
  EXPECT_EQ((std::vector<std::string>{"glBindTexture(3553, 507)",  // then wrap s, wrap t, mag, min
                                      "glTexParameteri(3553, 10242, 10497)",
                                      "glTexParameteri(3553, 10243, 33071)",
                                      "glTexParameteri(3553, 10240, 9728)",
                                      "glTexParameteri(3553, 10241, 9987)",
                                      "glTexImage2D(3553, 0, 6408, 16, 16, 0, 6408, 5121)"}),
            call_texts());
  EXPECT_EQ(t.pixels[0], find_call("glTexImage2D")->data);
}

// The first `count` bytes of each 0xRRGGBBAA word, each `repeat` times.
std::vector<uint8_t> bytes_of(const Words &words, int count, int repeat = 1) {
  std::vector<uint8_t> bytes;
  for (uint32_t word : words) {
    for (int shift = 24; shift > 24 - 8 * count; shift -= 8) {
      bytes.insert(bytes.end(), repeat, uint8_t(word >> shift));
    }
  }
  return bytes;
}

// 4 by 2 pictures in the layouts SDL_image decodes differently: three or four
// bytes in either order, one or two bytes per pixel. Each must come out as the
// same colours.
TEST_F(TextureTest, EveryImageKindComesOutAsTheSameColours) {
  Words rgba = pattern(4, 2), translucent = pattern(4, 2, 0x99), opaque, opaque_555, greys;
  rgba[5] = (rgba[5] & ~0xFFu) | 254;  // one pixel of alpha 254
  for (uint32_t i = 0; i < 8; ++i) {
    opaque.push_back(rgba[i] | 0xFF);
    opaque_555.push_back(opaque[i] & 0xF8F8F8FF);  // 5-5-5 keeps these exactly
    greys.push_back((i * 0x25 + 0x10) % 256 * 0x01010100u | 0xFF);
  }
  const std::vector<uint8_t> indices = {0, 1, 2, 3, 3, 2, 1, 0};
  const std::vector<uint8_t> palette = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0x12, 0x34, 0x56};
  const struct {
    PngPicture png;  // or, with bmp_bits set, a BMP of the expected colours
    int bmp_bits;
    Words expected;  // 0xRRGGBBAA, top row first
    int translucent;
  } kinds[] = {
      {{4, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, bytes_of(rgba, 4), {}, {}}, 0, rgba, 1},
      {{4, 2, PNG_COLOR_TYPE_RGB, 8, bytes_of(opaque, 3), {}, {}}, 0, opaque, 0},
      {{4, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16, bytes_of(translucent, 4, 2), {}, {}}, 0, translucent,
       1},
      {{4, 2, PNG_COLOR_TYPE_PALETTE, 8, indices, palette, {}}, 0,
       {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0x123456FF, 0x123456FF, 0x0000FFFF, 0x00FF00FF,
        0xFF0000FF}, 0},
      {{4, 2, PNG_COLOR_TYPE_PALETTE, 8, indices, palette, {255, 255, 0}}, 0,  // entry 2 keyed
       {0xFF0000FF, 0x00FF00FF, 0, 0x123456FF, 0x123456FF, 0, 0x00FF00FF, 0xFF0000FF}, 1},
      {{4, 2, PNG_COLOR_TYPE_GRAY, 8, bytes_of(greys, 1), {}, {}}, 0, greys, 0},
      {{}, 24, opaque, 0},
      {{}, 16, opaque_555, 0},
  };
  for (const auto &kind : kinds) {
    SCOPED_TRACE(testing::Message() << "kind " << &kind - kinds);
    const std::string path = test_file_path("kind.img");
    Words rgb;
    for (uint32_t word : kind.expected) {
      rgb.push_back(word >> 8);
    }
    ASSERT_TRUE(kind.bmp_bits ? bmp_write(path, 4, 2, rgb, kind.bmp_bits)
                              : png_write(path, kind.png));
    clear_table();
    load(SLOT, path);
    ASSERT_EQ(4, textures[SLOT].width);
    EXPECT_EQ(kind.expected, slot_words(SLOT));
    EXPECT_EQ(kind.translucent, textures[SLOT].translucent);
    EXPECT_EQ(kind.translucent, textures[SLOT].ever_translucent);
    gfx_load_subtexture(SLOT + 1, path.c_str(), 0, 0, 4, 2);  // the cache decodes alike
    EXPECT_EQ(kind.expected, slot_words(SLOT + 1));
  }
}

TEST_F(TextureTest, BigEndianHostPacksRedIntoTheHighByte) {
  host_big_endian = 1;
  const std::string path = write_png("be.png", 2, 1, {0x11223344, 0x556677FF});
  load(SLOT, path);
  EXPECT_EQ(0x11223344u, textures[SLOT].pixels[0][0]);
  EXPECT_EQ(0x556677FFu, textures[SLOT].pixels[0][1]);
  EXPECT_EQ(1, textures[SLOT].translucent);  // 0x44 in the low byte, the alpha lane here
  load(SLOT, write_png("be.png", 2, 1, {0x112233FF, 0x000000FF}));
  EXPECT_EQ(0, textures[SLOT].translucent);  // the red byte of 0x11 is not alpha
}

// ---- refusals keep the slot ----

TEST_F(TextureTest, UnusableFilesAndSidesThatAreNotPowersOfTwoKeepTheSlot) {
  const std::string kept_path = write_pattern("kept.png", 4, 2);
  load(SLOT, kept_path);
  const uint32_t *kept = textures[SLOT].pixels[0];
  const Words kept_words = slot_words(SLOT);
  std::ifstream file(write_pattern("good.png", 16, 16), std::ios::binary);
  const std::vector<uint8_t> good{std::istreambuf_iterator<char>(file), {}};
  std::vector<uint8_t> corrupt = good;
  for (size_t i = 40; i < corrupt.size(); ++i) {
    corrupt[i] = uint8_t(corrupt[i] * 7 + 13);
  }
  const std::string words = "not an image at all, just words\n";
  const std::vector<std::pair<const char *, std::vector<uint8_t>>> files = {
      {"empty.png", {}}, {"signature.png", {good.begin(), good.begin() + 8}},
      {"truncated.png", {good.begin(), good.begin() + good.size() / 2}},
      {"corrupt.png", corrupt}, {"words.png", {words.begin(), words.end()}}};
  std::vector<std::string> paths = {"", test_file_path("missing.png"),
                                    write_pattern("wide.png", 100, 64),
                                    write_pattern("tall.png", 64, 100)};
  for (const auto &[name, bytes] : files) {
    paths.push_back(test_file_path(name));
    ASSERT_TRUE(write_bytes(paths.back(), bytes));
  }
  recorder_clear();
  gfx_load_texture(SLOT, nullptr, 0, 0, 0, 0, 0);
  for (const std::string &path : paths) {
    SCOPED_TRACE(path);
    load(SLOT, path, 1);
    EXPECT_EQ(kept, textures[SLOT].pixels[0]);
    EXPECT_EQ(kept_words, slot_words(SLOT));
    EXPECT_EQ(GL_REPEAT, textures[SLOT].wrap_s);
    EXPECT_EQ(0, recorded_count) << "no upload for a refused image";
  }
  for (int slot : {-1, TEXTURE_SLOT_COUNT}) {  // slots outside the table
    load(slot, kept_path, 1);
    gfx_load_subtexture(slot, kept_path.c_str(), 0, 0, 2, 2);
    gfx_build_mipmaps(slot);
    EXPECT_EQ(0, gfx_upload_texture(slot));
    EXPECT_EQ(0, recorded_count);
  }
}

// ---- smaller levels and uploads ----

TEST_F(TextureTest, LevelsHalveWhileBothSidesLastAndEachIsUploaded) {
  const struct {
    int width, height, levels;
  } cases[] = {{512, 512, 10}, {4, 4, 3}, {8, 2, 2}, {2, 8, 2}, {16, 1, 1}, {1, 1, 1}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    recorder_clear();
    load(SLOT, write_pattern("shape.png", c.width, c.height), 1);
    const TextureSlot &t = textures[SLOT];
    ASSERT_EQ(c.levels, t.level_count);
    const auto uploads = calls_named("glTexImage2D");
    ASSERT_EQ(size_t(c.levels), uploads.size());
    for (int level = 0; level < c.levels; ++level) {
      EXPECT_EQ((std::vector<double>{double(level), double(c.width >> level),
                                     double(c.height >> level)}),
                (std::vector<double>{uploads[level]->args[1], uploads[level]->args[3],
                                     uploads[level]->args[4]}));
      EXPECT_EQ(t.pixels[level], uploads[level]->data);
    }
  }
}

TEST_F(TextureTest, LevelsAverageEachByteLaneTruncating) {
  TextureSlot &t = textures[SLOT];
  t.width = t.height = 4;
  t.format = GL_RGBA;
  t.pixels[0] = static_cast<uint32_t *>(std::malloc(16 * 4));
  for (int i = 0; i < 16; ++i) {
    t.pixels[0][i] = 0x10203040u + uint32_t(i);
  }
  // The bottom left 2x2 block: 1, 2, 3, 4 in the low lane and 0xFC..0xFF in the
  // high one, whose sum would spill over a carrying lane.
  t.pixels[0][0] = 0xFC000001;
  t.pixels[0][1] = 0xFD000102;
  t.pixels[0][4] = 0xFE000203;
  t.pixels[0][5] = 0xFF000304;
  gfx_build_mipmaps(SLOT);
  ASSERT_EQ(3, t.level_count);
  EXPECT_EQ(0xFD000102u, t.pixels[1][0]);
  EXPECT_EQ(0x10203044u, t.pixels[1][1]);  // 0x42, 0x43, 0x46, 0x47: 68.5 truncated
  EXPECT_EQ(0x1020304Au, t.pixels[1][2]);
  EXPECT_EQ(0x1020304Cu, t.pixels[1][3]);
  EXPECT_EQ(0x4B182437u, t.pixels[2][0]);  // from level 1, lane by lane
  EXPECT_EQ(0, recorded_count) << "building levels does not upload";
  t.level_count = 1;
  t.format = GL_ALPHA;  // levels only for RGB or RGBA
  gfx_build_mipmaps(SLOT);
  EXPECT_EQ(1, t.level_count);
  t.format = GL_RGB;
  gfx_build_mipmaps(SLOT);
  EXPECT_EQ(3, t.level_count);
  gfx_build_mipmaps(SLOT + 1);
  EXPECT_EQ(0, textures[SLOT + 1].level_count) << "an empty slot";
}

TEST_F(TextureTest, UploadRescansRgbaOnlyAndANewLoadStartsAfresh) {
  load(SLOT, write_pattern("scan.png", 1, 1, 0x80));
  TextureSlot &t = textures[SLOT];
  t.pixels[0][0] |= gfx_alpha_mask();
  EXPECT_EQ(1, gfx_upload_texture(SLOT));
  EXPECT_EQ(0, t.translucent);
  EXPECT_EQ(1, t.ever_translucent);
  t.pixels[0][0] &= ~gfx_alpha_mask();
  t.format = GL_RGB;
  gfx_upload_texture(SLOT);
  EXPECT_EQ(0, t.translucent) << "another format is not scanned";
  EXPECT_EQ(GL_RGB, find_call("glTexImage2D", 2)->args[6]);
  load(SLOT, write_pattern("scan.png", 1, 1, 0xFF));
  EXPECT_EQ(0, t.ever_translucent);
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
  const Words picture = pattern(6, 5);
  const std::string path = write_png("sub.png", 6, 5, picture);
  gfx_load_subtexture(SLOT, path.c_str(), 1, 2, 3, 2);
  const TextureSlot &t = textures[SLOT];
  ASSERT_EQ(3, t.width);
  // Rows 2 and 3 counted from the bottom are rows 2 and 1 counted from the top.
  const Words expected = {picture[7], picture[8], picture[9], picture[13], picture[14],
                          picture[15]};
  EXPECT_EQ(expected, slot_words(SLOT));
  EXPECT_EQ((std::vector<int>{GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE, GL_LINEAR, GL_LINEAR, 1}),
            (std::vector<int>{t.wrap_s, t.wrap_t, t.mag_filter, t.min_filter, t.level_count}));
  EXPECT_EQ("glTexImage2D(3553, 0, 6408, 3, 2, 0, 6408, 5121)",
            call_text(*find_call("glTexImage2D")));

  // Outside the image: transparent black. A 2x2 window whose top left is the
  // image's bottom right pixel, then windows far away.
  gfx_load_subtexture(SLOT, path.c_str(), 5, -1, 2, 2);
  EXPECT_EQ((Words{picture[29], 0, 0, 0}), slot_words(SLOT));
  gfx_load_subtexture(SLOT, path.c_str(), 100000, -100000, 2, 2);
  EXPECT_EQ(Words(4, 0), slot_words(SLOT));
  gfx_load_subtexture(SLOT, path.c_str(), 0x7FFFFFFF, 0x7FFFFFFF, 2, 1);
  EXPECT_EQ(Words(2, 0), slot_words(SLOT));
}

TEST_F(TextureTest, SubtextureCacheDecodesEachNameOnceAndOnlyWholeNames) {
  const std::string path = write_png("cached.png", 1, 1, {0x11111111});
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 1, 1);
  write_png("cached.png", 1, 1, {0x22222222});
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 1, 1);
  EXPECT_EQ(Words{0x11111111}, slot_words(SLOT)) << "the file was read again";
  gfx_load_subtexture(SLOT, write_pattern("other.png", 1, 1).c_str(), 0, 0, 1, 1);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 1, 1);
  EXPECT_EQ(Words{0x22222222}, slot_words(SLOT));

  // A name too long for the cache is decoded every time, and its first 31
  // characters, another file's name, must not match it.
  const std::string long_path = test_file_path("a_name_far_too_long_for_the_cache.png");
  const std::string cut = long_path.substr(0, IMAGE_CACHE_NAME_SIZE - 1);
  ASSERT_GT(cut.size(), test_file_path("").size());
  for (uint32_t word : {0x33333333u, 0x44444444u}) {
    ASSERT_TRUE(png_write_rgba(long_path, 1, 1, {word}));
    gfx_load_subtexture(SLOT, long_path.c_str(), 0, 0, 1, 1);
    EXPECT_EQ(Words{word}, slot_words(SLOT));
  }
  ASSERT_TRUE(png_write_rgba(cut, 1, 1, {0x55555555}));
  gfx_load_subtexture(SLOT, cut.c_str(), 0, 0, 1, 1);
  EXPECT_EQ(Words{0x55555555}, slot_words(SLOT));
}

TEST_F(TextureTest, SubtextureRefusalsLeaveSlotAndCache) {
  const std::string path = write_pattern("keep_sub.png", 4, 4);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 2, 2);
  const uint32_t *kept = textures[SLOT].pixels[0];
  const std::string wide = test_file_path("too_wide.png");
  ASSERT_TRUE(png_write_rgba(wide, IMAGE_CACHE_SIDE + 1, 1, Words(IMAGE_CACHE_SIDE + 1, ~0u)));
  recorder_clear();
  gfx_load_subtexture(SLOT, test_file_path("missing_sub.png").c_str(), 0, 0, 2, 2);
  gfx_load_subtexture(SLOT, nullptr, 0, 0, 2, 2);
  gfx_load_subtexture(SLOT, "", 0, 0, 2, 2);
  gfx_load_subtexture(SLOT, wide.c_str(), 0, 0, 2, 1);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 0, 2);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, 2, -1);
  gfx_load_subtexture(SLOT, path.c_str(), 0, 0, IMAGE_CACHE_SIDE + 1, 1);
  EXPECT_EQ(kept, textures[SLOT].pixels[0]);
  EXPECT_EQ(2, textures[SLOT].width);
  EXPECT_STREQ(path.c_str(), image_cache_name);
  EXPECT_EQ(4, image_cache.width);
  EXPECT_EQ(0, recorded_count);

  Words row(IMAGE_CACHE_SIDE, 0x000000FF);  // the widest image the cache holds
  row.back() = 0xABCDEFFF;
  ASSERT_TRUE(png_write_rgba(wide, IMAGE_CACHE_SIDE, 1, row));
  gfx_load_subtexture(SLOT, wide.c_str(), IMAGE_CACHE_SIDE - 1, 0, 1, 1);
  EXPECT_EQ(Words{0xABCDEFFF}, slot_words(SLOT));
}

// ---- pixel buffers that cannot be allocated ----
//
// A child process caps its address space just above what it holds, so the
// next large buffer cannot be had. Sanitizer runtimes reserve address space of
// their own and cannot run under such a cap.

constexpr size_t MIB = 1024 * 1024;

void cap_address_space(size_t headroom) {
  unsigned long pages = 0;
  if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
    pages = std::fscanf(statm, "%lu", &pages) == 1 ? pages : 0;
    std::fclose(statm);
  }
  const rlimit limit = {size_t(pages) * size_t(sysconf(_SC_PAGESIZE)) + headroom, RLIM_INFINITY};
  setrlimit(RLIMIT_AS, &limit);
}

TEST_F(TextureTest, BuffersThatCannotBeAllocatedLeaveTheSlotUsable) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "address-space caps do not work under the sanitizers";
#endif
  // Each child runs this test alone in a fresh process; with a fixed mapping
  // threshold every large buffer is a mapping of its own.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  mallopt(M_MMAP_THRESHOLD, 64 * 1024);
  const std::string big = write_pattern("big.png", 1024, 1024);
  const std::string small = write_pattern("small.png", 2, 2);
  load(SLOT, small);
  gfx_load_subtexture(SLOT + 1, small.c_str(), 0, 0, 2, 2);
  const uint32_t *before = textures[SLOT].pixels[0], *sub_before = textures[SLOT + 1].pixels[0];
  // Decoding needs a 4 MiB surface; the slot's copy, 4 MiB more, finds no room.
  EXPECT_EXIT((cap_address_space(6 * MIB), load(SLOT, big),
               std::exit(textures[SLOT].pixels[0] == before && slot_words(SLOT) == pattern(2, 2)
                             ? 0 : 1)),
              testing::ExitedWithCode(0), "");
  EXPECT_EXIT((cap_address_space(MIB),
               gfx_load_subtexture(SLOT + 1, small.c_str(), 0, 0, 1024, 1024),
               std::exit(textures[SLOT + 1].pixels[0] == sub_before ? 0 : 1)),
              testing::ExitedWithCode(0), "");
  // Level 1 (1 MiB) fits under the cap, level 2 (256 KiB) does not: the chain
  // ends at two levels, which are then uploaded.
  load(SLOT, big);
  EXPECT_EXIT((cap_address_space(MIB + 128 * 1024), gfx_build_mipmaps(SLOT), recorder_clear(),
               std::exit(textures[SLOT].level_count == 2 && gfx_upload_texture(SLOT) == 2 &&
                                 call_count("glTexImage2D") == 2 ? 0 : 1)),
              testing::ExitedWithCode(0), "");
}

}  // namespace
