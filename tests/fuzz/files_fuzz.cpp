// The wildcard test and the folder listing on any pattern, in a folder of a
// few files and folders: listings are sorted, whole names, ended.
#include <sys/stat.h>

#include "files/directory.h"
#include "tests/fuzz/fuzz_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static bool made = [] {
    for (const char *name : {"alpha.png", "Zeta.txt", "a.b.png", ".hidden"}) std::fclose(std::fopen(name, "w"));
    return mkdir("folder", 0700) == 0 || true;
  }();
  (void)made;
  FuzzBytes in{data, size};
  const int list = take<int8_t>(in) % 10, directories = take<uint8_t>(in) & 1;
  const std::string pattern = take<std::string>(in, take<uint8_t>(in)), name = take<std::string>(in, in.size);
  const int match = file_match_wildcard(pattern.c_str(), name.c_str());
  promise(match == 0 || match == 1, "a match is 0 or 1");
  promise(file_match_wildcard("*", name.c_str()) == 1 && file_match_wildcard(pattern.c_str(), "") == 1, "either end ends it");
  file_list_directory(pattern.c_str(), list, directories);
  if (list < 0 || list >= DIR_LIST_COUNT) return 0;
  const DirList &out = dir_lists[list];
  promise(out.count >= 0 && out.count <= DIR_LIST_NAMES, "a list fits");
  promise(out.count == DIR_LIST_NAMES || out.names[out.count][0] == '\0', "a list ends");
  for (int i = 0; i < out.count; ++i)
    promise(out.names[i][0] && (i == 0 || std::strcmp(out.names[i - 1], out.names[i]) <= 0), "names sorted, none empty");
  return 0;
}
