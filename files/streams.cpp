// Byte-order probe and the swapping stream functions of a big-endian host.
#include "files/streams.h"

#include <cstring>

int32_t host_big_endian = 0;
StreamReadFunction stream_read = nullptr;
StreamWriteFunction stream_write = nullptr;
FILE *current_file = nullptr;

namespace {

// Elements of these sizes are swapped; any other size moves nothing.
bool swappable_size(size_t size) { return size == 1 || size == 2 || size == 4; }

}  // namespace

void file_select_byte_order() {
  const uint32_t probe = 0x12345678;
  unsigned char first_byte;
  std::memcpy(&first_byte, &probe, 1);
  host_big_endian = first_byte == 0x12 ? 1 : 0;
  stream_read = host_big_endian ? file_read_swapped : fread;
  stream_write = host_big_endian ? file_write_swapped : fwrite;
}

size_t file_read_swapped(void *buffer, size_t size, size_t count, FILE *file) {
  if (!swappable_size(size)) {
    return 0;
  }
  auto *bytes = static_cast<unsigned char *>(buffer);
  for (size_t element = 0; element < count; ++element) {
    // Read into a scratch element first, so that a partial element at the end
    // of the file leaves the caller's bytes as they were.
    unsigned char scratch[4];
    for (size_t i = 0; i < size; ++i) {
      int c = fgetc(file);
      if (c == EOF) {
        return element;
      }
      scratch[size - 1 - i] = static_cast<unsigned char>(c);
    }
    std::memcpy(bytes + element * size, scratch, size);
  }
  return count;
}

size_t file_write_swapped(const void *buffer, size_t size, size_t count, FILE *file) {
  if (!swappable_size(size)) {
    return 0;
  }
  const auto *bytes = static_cast<const unsigned char *>(buffer);
  for (size_t element = 0; element < count; ++element) {
    const unsigned char *source = bytes + element * size;
    for (size_t i = 0; i < size; ++i) {
      if (fputc(source[size - 1 - i], file) == EOF) {
        return element;
      }
    }
  }
  return count;
}
