// Image loading and font building on any file: a slot either keeps what it
// had or holds a whole image, and a font built from it measures sanely.
#include <cmath>

#include "gfx/font.h"
#include "gfx/texture.h"
#include "tests/fuzz/fuzz_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const uint8_t piece = size ? data[size - 1] : 0;  // the whole input is the file: seeds are images
  write_file("image.png", {data, size});
  gfx_load_texture(3, "image.png", piece & 1, 0, 0, 0, 0);
  const TextureSlot &slot = textures[3];
  promise(slot.width == 0 || (slot.width > 0 && slot.height > 0 && slot.pixels[0]), "a slot is empty or whole");
  gfx_load_font(FONT_TEXTURE_SLOT, "image.png");
  for (float advance : fonts[0].advance) promise(std::isfinite(advance) && advance >= 0, "advances are sane");
  image_cache_name[0] = '\0';
  gfx_load_subtexture(4, "image.png", piece % 5, piece / 5 % 5, 1 + piece / 25 % 4, 2);
  return 0;
}
