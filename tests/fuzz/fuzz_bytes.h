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

// The next sizeof(T) bytes as a T, or `length` bytes as a string; zeros or
// less once the input runs out.
template <typename T>
T take(FuzzBytes &in, size_t length = sizeof(T)) {
  T value{};
  const size_t n = in.size < length ? in.size : length;
  if constexpr (std::is_same_v<T, std::string>) value.assign(reinterpret_cast<const char *>(in.data), n);
  else std::memcpy(&value, in.data, n);
  return in.data += n, in.size -= n, value;
}

inline void promise(bool kept, const char *what) {
  if (!kept) std::fprintf(stderr, "broken promise: %s\n", what), std::abort();
}

inline void write_file(const char *path, const FuzzBytes &in) {
  if (FILE *file = std::fopen(path, "wb")) std::fwrite(in.data, 1, in.size, file), std::fclose(file);
}
