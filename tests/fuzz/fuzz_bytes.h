// What every fuzz target shares: the input taken apart into typed values, and
// a check that stops the run when a promise of the engine is broken.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

struct FuzzBytes {
  const uint8_t *data;
  size_t size;
};

// The next sizeof(T) bytes as a T (zeros once the input runs out).
template <typename T>
T take(FuzzBytes &in) {
  T value{};
  const size_t n = in.size < sizeof value ? in.size : sizeof value;
  std::memcpy(&value, in.data, n);
  in.data += n, in.size -= n;
  return value;
}

// The next `length` bytes (or what is left) as a string.
inline std::string take_text(FuzzBytes &in, size_t length) {
  const size_t n = in.size < length ? in.size : length;
  std::string text(reinterpret_cast<const char *>(in.data), n);
  in.data += n, in.size -= n;
  return text;
}

inline void promise(bool kept, const char *what) {
  if (!kept) std::fprintf(stderr, "broken promise: %s\n", what), std::abort();
}

inline void write_file(const char *path, const FuzzBytes &in) {
  FILE *file = std::fopen(path, "wb");
  if (file) std::fwrite(in.data, 1, in.size, file), std::fclose(file);
}
