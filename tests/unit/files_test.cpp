// Byte-order-neutral streams: the probe, and the swapping functions a
// big-endian host uses, called directly on this little-endian one; folder
// listings of the test's own folder, and the wildcard test.
#include "tests/support/engine_test.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

// A list's names up to its count, then its end marker when there is room.
Names listed(int list) {
  Names names;
  for (int i = 0; i <= dir_lists[list].count && i < DIR_LIST_NAMES; ++i)
    names.emplace_back(dir_lists[list].names[i], strnlen(dir_lists[list].names[i], DIR_NAME_SIZE));
  return names;
}

// Lists start from stale bytes, so that every slot a listing writes shows.
bool untouched(int list) {
  const char *bytes = reinterpret_cast<const char *>(&dir_lists[list]);
  return std::all_of(bytes, bytes + sizeof(DirList), [](char c) { return c == 'x'; });
}

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

// Files alone, or folders without the dot-named ones (a link counts as what
// it points to); a name one byte too long for its slot is left out.
TEST_F(EngineTest, ListingsTakeFilesOrVisibleFoldersSortedByByte) {
  const std::string kept(63, 'k'), too_long(64, 'l');
  for (const char *dir : {"sub", ".hidden", "Maps"}) std::filesystem::create_directory(dir);
  for (const std::string &file : Names{"Zeta", "alpha", "b.png", "a.b.png", ".dot", "sub/x", kept, too_long})
    std::ofstream{file};
  std::filesystem::create_directory_symlink("sub", "link");
  const struct { const char *pattern; int directories; Names names; } cases[] = {
      {"*", 0, {".dot", "Zeta", "a.b.png", "alpha", "b.png", kept, ""}},
      {"*", 1, {"Maps", "link", "sub", ""}},
      {"*.png", 0, {"a.b.png", "b.png", ""}},
      {"sub/*", 0, {"x", ""}},
      {"sub/*", 1, {""}},
      {"missing/*", 0, {""}},
  };
  for (const auto &[pattern, directories, names] : cases) {
    std::memset(dir_lists, 'x', sizeof dir_lists);
    file_list_directory(pattern, 3, directories);
    EXPECT_EQ(listed(3), names) << pattern << ' ' << directories;
  }
}

// A full list has no end marker, which would land in the next list; list
// numbers outside the table write nothing, and no pattern lists nothing.
TEST_F(EngineTest, ListingsStopAtTheirSizeAndWriteOnlyTheirOwnList) {
  for (int i = 0; i < DIR_LIST_NAMES + 6; ++i) std::ofstream{std::to_string(i)};
  std::memset(dir_lists, 'x', sizeof dir_lists);
  for (int outside : {-1, DIR_LIST_COUNT}) file_list_directory("*", outside, 0);
  file_list_directory(nullptr, 5, 0);
  file_list_directory("*", 6, 0);
  EXPECT_EQ(listed(5), Names{""});
  const Names names = listed(6);
  EXPECT_EQ(names.size(), size_t(DIR_LIST_NAMES));
  EXPECT_TRUE(std::adjacent_find(names.begin(), names.end(), std::greater_equal<>()) == names.end());
  for (int list : {0, 1, 2, 3, 4, 7}) EXPECT_TRUE(untouched(list)) << list;
}

TEST(Wildcards, StarRunsToTheNextCharacterAndEitherEndMatches) {
  const struct { const char *pattern, *name; int matches; } cases[] = {
      {"font", "font01.png", 1}, {"*.png", "a.png", 1}, {"*.png", "a.b.png", 0},
      {"*", "anything", 1},      {"abc", "", 1},        {"b*", "abc", 0},
  };
  for (const auto &[pattern, name, matches] : cases)
    EXPECT_EQ(file_match_wildcard(pattern, name), matches) << pattern << ' ' << name;
}

}  // namespace
