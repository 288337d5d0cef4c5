// Byte-order probe and the swapping stream functions, called directly on this
// little-endian host.
#include "files/streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// A temporary file holding the given bytes, rewound for reading.
FILE *file_with(const std::vector<unsigned char> &bytes) {
  FILE *file = std::tmpfile();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return file;
}

std::vector<unsigned char> contents(FILE *file) {
  std::rewind(file);
  std::vector<unsigned char> bytes;
  for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
  return bytes;
}

TEST(ByteOrder, LittleEndianHostSelectsTheLibraryFunctions) {
  host_big_endian = 7;
  file_select_byte_order();
  EXPECT_EQ(host_big_endian, 0);
  EXPECT_EQ(stream_read, static_cast<StreamReadFunction>(fread));
  EXPECT_EQ(stream_write, static_cast<StreamWriteFunction>(fwrite));

  FILE *file = file_with({0x01, 0x00, 0x00, 0x00});
  int32_t value = 0;
  EXPECT_EQ(stream_read(&value, 4, 1, file), 1u);
  EXPECT_EQ(value, 1);
  std::fclose(file);
}

TEST(SwappedRead, ReversesTheBytesOfEachElement) {
  FILE *file = file_with({0x01, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0x11, 0x22, 0x7F});
  unsigned char words[8] = {};
  EXPECT_EQ(file_read_swapped(words, 4, 2, file), 2u);
  const unsigned char expected_words[8] = {0x00, 0x00, 0x00, 0x01, 0xDD, 0xCC, 0xBB, 0xAA};
  EXPECT_EQ(0, std::memcmp(words, expected_words, 8));

  unsigned char halves[2] = {};
  EXPECT_EQ(file_read_swapped(halves, 2, 1, file), 1u);
  EXPECT_EQ(halves[0], 0x22);
  EXPECT_EQ(halves[1], 0x11);

  unsigned char byte = 0;
  EXPECT_EQ(file_read_swapped(&byte, 1, 1, file), 1u);
  EXPECT_EQ(byte, 0x7F);
  std::fclose(file);
}

// A short file must behave as fread does: whole elements only, and the count
// of them; what lies beyond keeps its earlier value.
TEST(SwappedRead, StopsAtTheEndOfAShortFile) {
  FILE *file = file_with({0x05, 0x00, 0x00, 0x00, 0x06, 0x00});
  int32_t tiles[3] = {-7, -7, -7};
  unsigned char before[sizeof tiles];
  std::memcpy(before, tiles, sizeof tiles);
  EXPECT_EQ(file_read_swapped(tiles, 4, 3, file), 1u);
  unsigned char first[4];
  std::memcpy(first, tiles, 4);
  const unsigned char expected_first[4] = {0x00, 0x00, 0x00, 0x05};
  EXPECT_EQ(0, std::memcmp(first, expected_first, 4));
  EXPECT_EQ(0, std::memcmp(reinterpret_cast<unsigned char *>(tiles) + 4, before + 4, 8))
      << "the partial and missing elements keep their bytes";
  std::fclose(file);
}

TEST(SwappedRead, EmptyFileReadsNothing) {
  FILE *file = file_with({});
  int16_t value = 42;
  EXPECT_EQ(file_read_swapped(&value, 2, 5, file), 0u);
  EXPECT_EQ(value, 42);
  std::fclose(file);
}

TEST(SwappedStreams, UnsupportedElementSizeMovesNothingAndSaysSo) {
  FILE *file = file_with({1, 2, 3, 4, 5, 6, 7, 8});
  unsigned char buffer[8] = {};
  EXPECT_EQ(file_read_swapped(buffer, 8, 1, file), 0u);
  EXPECT_EQ(std::ftell(file), 0);
  EXPECT_EQ(file_write_swapped(buffer, 3, 2, file), 0u);
  EXPECT_EQ(contents(file).size(), 8u);
  std::fclose(file);
}

TEST(SwappedWrite, IsTheMirrorOfTheRead) {
  FILE *file = std::tmpfile();
  const unsigned char words[8] = {0x00, 0x00, 0x00, 0x01, 0x12, 0x34, 0x56, 0x78};
  const unsigned char halves[4] = {0xAB, 0xCD, 0x01, 0x02};
  const unsigned char bytes[2] = {0x10, 0x20};
  EXPECT_EQ(file_write_swapped(words, 4, 2, file), 2u);
  EXPECT_EQ(file_write_swapped(halves, 2, 2, file), 2u);
  EXPECT_EQ(file_write_swapped(bytes, 1, 2, file), 2u);
  const std::vector<unsigned char> expected = {0x01, 0x00, 0x00, 0x00, 0x78, 0x56, 0x34, 0x12,
                                               0xCD, 0xAB, 0x02, 0x01, 0x10, 0x20};
  EXPECT_EQ(contents(file), expected);

  std::rewind(file);
  unsigned char round_trip[8] = {};
  EXPECT_EQ(file_read_swapped(round_trip, 4, 2, file), 2u);
  EXPECT_EQ(0, std::memcmp(round_trip, words, 8));
  std::fclose(file);
}

TEST(SwappedWrite, ReportsTheElementsActuallyWritten) {
  FILE *file = std::fopen("/dev/full", "wb");
  if (file == nullptr) GTEST_SKIP() << "no /dev/full here";
  std::setvbuf(file, nullptr, _IONBF, 0);  // unbuffered, so the first byte already fails
  const int32_t values[4] = {1, 2, 3, 4};
  EXPECT_EQ(file_write_swapped(values, 4, 4, file), 0u);
  std::fclose(file);
}

}  // namespace
