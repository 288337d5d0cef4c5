// Byte-order-neutral binary I/O. Files are little-endian; stream_read and
// stream_write are fread/fwrite, or byte-swapping versions on big-endian hosts.
// Always pass the real element size: it is the unit the swap reverses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

using StreamReadFunction = size_t (*)(void *buffer, size_t size, size_t count, FILE *file);
using StreamWriteFunction = size_t (*)(const void *buffer, size_t size, size_t count, FILE *file);

extern int32_t host_big_endian;            // 1 on a big-endian host
extern StreamReadFunction stream_read;
extern StreamWriteFunction stream_write;
extern FILE *current_file;  // the one shared handle: opened, used and closed within one call

// Opens the file for reading only when it is a regular file, without ever
// waiting: a FIFO, a device or a folder gives nullptr, as a missing file does.
// The platform's part, in its own file (files/open_regular_posix.cpp here).
FILE *file_open_regular(const char *path);

// Probes the byte order and selects the stream functions. Called first at start-up.
void file_select_byte_order();

// Reads count elements of size 1, 2 or 4 bytes, reversing the bytes of each.
// Stops at the end of the file and returns the number of whole elements read,
// as fread does; a partial last element leaves its buffer bytes untouched.
// Any other size reads nothing and returns 0.
size_t file_read_swapped(void *buffer, size_t size, size_t count, FILE *file);
// The mirror image. Returns the number of whole elements written, as fwrite
// does; any other size writes nothing and returns 0.
size_t file_write_swapped(const void *buffer, size_t size, size_t count, FILE *file);
