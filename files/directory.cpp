// Folder listings: which entries a list takes, the end marker, the sort; and
// the wildcard test.
#include "files/directory.h"

#include <cstdlib>
#include <cstring>

DirList dir_lists[DIR_LIST_COUNT];

namespace {

constexpr int DIR_PATH_SIZE = 4096;  // the longest folder part a pattern may have
char search_folder[DIR_PATH_SIZE];

// Puts the pattern's folder part into search_folder and returns its last
// component; nullptr when the folder part does not fit.
const char *split_pattern(const char *pattern) {
  const char *slash = std::strrchr(pattern, '/');
  if (slash == nullptr) {
    std::strcpy(search_folder, ".");
    return pattern;
  }
  const size_t length = slash == pattern ? 1 : size_t(slash - pattern);  // "/x" searches the root
  if (length >= sizeof search_folder) {
    return nullptr;
  }
  std::memcpy(search_folder, pattern, length);
  search_folder[length] = '\0';
  return slash + 1;
}

bool taken(const char *name, int is_directory, int want_directories) {
  if (std::strlen(name) >= DIR_NAME_SIZE) {
    return false;  // cut short it would name something else
  }
  return want_directories ? is_directory && name[0] != '.' : !is_directory;
}

}  // namespace

void file_list_directory(const char *pattern, int list, int want_directories) {
  if (list < 0 || list >= DIR_LIST_COUNT) {
    return;
  }
  DirList &out = dir_lists[list];
  out.count = 0;
  const char *wildcard = pattern ? split_pattern(pattern) : nullptr;
  if (wildcard && file_search_begin(search_folder, wildcard)) {
    const char *name;
    int is_directory = 0;
    while (out.count < DIR_LIST_NAMES && (name = file_search_next(&is_directory)) != nullptr) {
      if (taken(name, is_directory, want_directories)) {
        std::strcpy(out.names[out.count++], name);
      }
    }
    file_search_end();
  }
  if (out.count < DIR_LIST_NAMES) {
    out.names[out.count][0] = '\0';
  }
  std::qsort(out.names, size_t(out.count), DIR_NAME_SIZE, file_compare_names);
}

int file_compare_names(const void *a, const void *b) {
  return std::strcmp(static_cast<const char *>(a), static_cast<const char *>(b));
}

int file_match_wildcard(const char *pattern, const char *name) {
  for (int p = 0, i = 0;; ++i) {
    if (pattern[p] == '\0' || name[i] == '\0') {
      return 1;
    }
    if (pattern[p] == name[i]) {
      p += 1;
    } else if (pattern[p] != '*') {
      return 0;
    } else if (pattern[p + 1] == name[i]) {
      p += 2;  // the '*' ends here; this character matched the one after it
    }
  }
}
