// Byte-order-neutral streams: the probe, and the swapping functions a
// big-endian host uses, called directly on this little-endian one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "files/streams.h"
#include "tests/support/engine_test.h"

namespace {

using Bytes = std::vector<unsigned char>;

FILE *file_with(const Bytes &bytes) {
  FILE *file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return file;
}

Bytes contents(FILE *file) {
  std::rewind(file);
  Bytes bytes;
  for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
  return bytes;
}

Bytes bytes_of(const void *data, size_t size) {
  const auto *p = static_cast<const unsigned char *>(data);
  return Bytes(p, p + size);
}

TEST_F(EngineTest, LittleEndianHostReadsAndWritesThroughTheLibrary) {
  host_big_endian = 7;
  file_select_byte_order();
  EXPECT_EQ(host_big_endian, 0);
  EXPECT_EQ(stream_read, static_cast<StreamReadFunction>(fread));
  EXPECT_EQ(stream_write, static_cast<StreamWriteFunction>(fwrite));
}

// Each element's bytes reversed; at the end of the file, whole elements only
// and their count, as fread gives, the rest keeping their bytes.
TEST(SwappedStreams, ReadReversesEachElementAndStopsAtTheEnd) {
  FILE *file = file_with({0x01, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0x11, 0x22, 0x7F, 0x05, 0x06, 0x07});
  unsigned char words[8] = {}, halves[2] = {}, byte = 0;
  EXPECT_EQ(file_read_swapped(words, 4, 2, file), 2u);
  EXPECT_EQ(bytes_of(words, 8), Bytes({0x00, 0x00, 0x00, 0x01, 0xDD, 0xCC, 0xBB, 0xAA}));
  EXPECT_EQ(file_read_swapped(halves, 2, 1, file), 1u);
  EXPECT_EQ(bytes_of(halves, 2), Bytes({0x22, 0x11}));
  EXPECT_EQ(file_read_swapped(&byte, 1, 1, file), 1u);
  EXPECT_EQ(byte, 0x7F);
  unsigned char rest[8];
  std::memset(rest, 0xEE, sizeof rest);
  EXPECT_EQ(file_read_swapped(rest, 4, 2, file), 0u);
  EXPECT_EQ(bytes_of(rest, 8), Bytes(8, 0xEE));
  std::fclose(file);
  file = file_with({1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(file_read_swapped(rest, 8, 1, file), 0u) << "only sizes 1, 2 and 4";
  EXPECT_EQ(std::ftell(file), 0);
  EXPECT_EQ(file_write_swapped(rest, 3, 2, file), 0u);
  EXPECT_EQ(contents(file).size(), 8u);
  std::fclose(file);
}

// The mirror of the read, and the count of elements really written.
TEST(SwappedStreams, WriteIsTheMirrorOfTheRead) {
  FILE *file = std::tmpfile();
  const unsigned char words[8] = {0x00, 0x00, 0x00, 0x01, 0x12, 0x34, 0x56, 0x78};
  const unsigned char halves[4] = {0xAB, 0xCD, 0x01, 0x02};
  EXPECT_EQ(file_write_swapped(words, 4, 2, file), 2u);
  EXPECT_EQ(file_write_swapped(halves, 2, 2, file), 2u);
  EXPECT_EQ(file_write_swapped("\x10\x20", 1, 2, file), 2u);
  EXPECT_EQ(contents(file), Bytes({0x01, 0x00, 0x00, 0x00, 0x78, 0x56, 0x34, 0x12, 0xCD, 0xAB, 0x02,
                                   0x01, 0x10, 0x20}));
  std::fclose(file);
  FILE *full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  std::setvbuf(full, nullptr, _IONBF, 0);  // so that the first byte already fails
  EXPECT_EQ(file_write_swapped(words, 4, 2, full), 0u);
  std::fclose(full);
}

}  // namespace
