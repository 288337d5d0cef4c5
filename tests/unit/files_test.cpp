// Byte-order-neutral streams: the probe, and the swapping functions a
// big-endian host uses, called directly on this little-endian one.
#include "tests/support/engine_test.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes contents(FILE *file) {
  Bytes bytes(64);
  std::rewind(file);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  return bytes;
}

TEST_F(EngineTest, LittleEndianHostReadsAndWritesThroughTheLibrary) {
  host_big_endian = 7;
  file_select_byte_order();
  EXPECT_TRUE(host_big_endian == 0 && stream_read == fread && stream_write == fwrite);
}

// Each element's bytes reversed on the way out and back in, and the count of
// elements moved, as fwrite and fread give.
TEST(SwappedStreams, WriteAndReadReverseEachElement) {
  const struct { size_t size, count; Bytes memory, file; } cases[] = {
      {4, 2, {0, 0, 0, 1, 0xDD, 0xCC, 0xBB, 0xAA}, {1, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD}},
      {2, 2, {0x22, 0x11, 0x02, 0x01}, {0x11, 0x22, 0x01, 0x02}},
      {1, 2, {0x7F, 0x10}, {0x7F, 0x10}},
  };
  for (const auto &[size, count, memory, bytes] : cases) {
    FILE *file = std::tmpfile();
    EXPECT_EQ(file_write_swapped(memory.data(), size, count, file), count);
    EXPECT_EQ(contents(file), bytes);
    Bytes back(memory.size(), 0xEE);
    std::rewind(file);
    EXPECT_EQ(file_read_swapped(back.data(), size, count, file), count);
    EXPECT_EQ(back, memory);
    std::fclose(file);
  }
}

// At the end of the file, whole elements only, a partial one keeping the
// buffer's bytes; other sizes move nothing; a failing write counts only the
// elements that went out.
TEST(SwappedStreams, EndOfFileOtherSizesAndFailingWrites) {
  FILE *file = std::tmpfile();
  std::fputs("\1\2\3\4\5\6\7\10\11\12", file);
  std::rewind(file);
  Bytes memory(12, 0xEE);
  EXPECT_EQ(file_read_swapped(memory.data(), 4, 3, file), 2u);
  std::rewind(file);
  EXPECT_EQ(file_read_swapped(memory.data(), 8, 1, file), 0u);
  EXPECT_EQ(file_write_swapped(memory.data(), 3, 2, file), 0u);
  EXPECT_EQ(memory, Bytes({4, 3, 2, 1, 8, 7, 6, 5, 0xEE, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(contents(file), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  std::fclose(file);
  file = std::fopen("/dev/null", "rb");  // where every byte written fails
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file_write_swapped(memory.data(), 4, 2, file), 0u);
  std::fclose(file);
}

}  // namespace
