// The folder search on POSIX: readdir over one open folder, names matched by
// fnmatch as the shell would. A symbolic link counts as what it points to, as
// a file manager shows it; a broken one as a file.
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include "files/directory.h"

namespace {

DIR *search_dir = nullptr;
const char *search_wildcard = nullptr;  // the caller's, kept until file_search_end

}  // namespace

int file_search_begin(const char *folder, const char *wildcard) {
  file_search_end();
  search_dir = opendir(folder);
  search_wildcard = wildcard;
  return search_dir != nullptr;
}

const char *file_search_next(int *is_directory) {
  while (const dirent *entry = readdir(search_dir)) {
    if (fnmatch(search_wildcard, entry->d_name, 0) != 0) {
      continue;
    }
    *is_directory = entry->d_type == DT_DIR;
    // Some file systems leave the type unknown; a link's type is its target's.
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      struct stat info;
      *is_directory = fstatat(dirfd(search_dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
    }
    return entry->d_name;
  }
  return nullptr;
}

void file_search_end() {
  if (search_dir != nullptr) {
    closedir(search_dir);
  }
  search_dir = nullptr;
}
