// Folder listings into fixed name tables, and the engine's own wildcard test.
// The folder search itself is the platform's (files/directory_posix.cpp here):
// another platform brings its own file with the three file_search_ functions.
#pragma once

#include <cstdint>

constexpr int DIR_LIST_COUNT = 8;
constexpr int DIR_LIST_NAMES = 1024;
constexpr int DIR_NAME_SIZE = 64;  // bytes, terminator included

struct DirList {
  int32_t count;
  // Sorted; an empty name follows the last when there is room for it.
  char names[DIR_LIST_NAMES][DIR_NAME_SIZE];
};

static_assert(sizeof(DirList) == sizeof(int32_t) + DIR_LIST_NAMES * DIR_NAME_SIZE,
              "the names follow the count unpadded");

extern DirList dir_lists[DIR_LIST_COUNT];

// Lists the folder of the pattern ("." when it has no '/') into dir_lists[list]:
// the entries matching its last component, files alone or, with
// want_directories, folders whose names do not begin with '.'. Names that do
// not fit a slot are skipped; at most DIR_LIST_NAMES are kept. A missing
// folder or null pattern lists nothing; a list number outside the table does
// nothing.
void file_list_directory(const char *pattern, int list, int want_directories);
// strcmp of two name slots, for qsort: byte order, so "Zeta" before "alpha".
int file_compare_names(const void *a, const void *b);
// A quick, loose test, not the shell's: a '*' stands for anything up to the
// character after it, and the match succeeds as soon as either string ends
// ("font" matches "font01.png", "abc" the empty name).
int file_match_wildcard(const char *pattern, const char *name);

// The platform's folder search. begin opens the folder and keeps the wildcard
// (matched as the platform's shell would) until end; 0 when the folder cannot
// be opened. next gives the next matching entry's name, valid until the next
// call, and whether it is a folder; nullptr after the last.
int file_search_begin(const char *folder, const char *wildcard);
const char *file_search_next(int *is_directory);
void file_search_end();
