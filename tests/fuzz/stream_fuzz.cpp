// The byte-order streams on any file: the swapping reader and writer give
// back the bytes they read, element by element, for every element size.
#include "files/streams.h"
#include "tests/fuzz/fuzz_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in{data, size};
  const size_t element = size_t(1) << (take<uint8_t>(in) % 4);  // 1, 2, 4 or 8
  write_file("stream.bin", in);
  uint8_t read_back[4096] = {}, written[4096] = {};
  const size_t count = in.size / element < sizeof read_back / element ? in.size / element : sizeof read_back / element;
  FILE *file = std::fopen("stream.bin", "rb");
  const size_t got = file ? file_read_swapped(read_back, element, count, file) : 0;
  if (file) std::fclose(file);
  promise(got <= count && (element <= 4 || got == 0), "no more elements than asked, none of size 8");
  file = std::fopen("stream.out", "wb");
  if (file) file_write_swapped(read_back, element, got, file), std::fclose(file);
  file = std::fopen("stream.out", "rb");
  const size_t back = file ? std::fread(written, 1, sizeof written, file) : 0;
  if (file) std::fclose(file);
  promise(back == got * element && std::memcmp(written, in.data, back) == 0, "a swap and its mirror give the bytes back");
  return 0;
}
