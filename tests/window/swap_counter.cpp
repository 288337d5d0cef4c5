// Loaded with LD_PRELOAD into a program under test: counts the program's
// buffer swaps and keeps the running count, in decimal, in the file named by
// SWAP_COUNT_FILE, so that a test can see frames being presented. The count
// is written to a side file and renamed over the target, so a reader never
// sees half a number.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using SwapBuffers = void (*)();

unsigned long swap_count = 0;

void publish_count(const char *path) {
  const std::string side_path = std::string(path) + ".part";
  std::FILE *file = std::fopen(side_path.c_str(), "w");
  if (file == nullptr) return;
  std::fprintf(file, "%lu\n", swap_count);
  if (std::fclose(file) == 0) std::rename(side_path.c_str(), path);
}

}  // namespace

extern "C" void SDL_GL_SwapBuffers() {
  static const auto real_swap = reinterpret_cast<SwapBuffers>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
  if (real_swap == nullptr) return;  // nothing presented, nothing to count
  real_swap();
  ++swap_count;
  if (const char *path = std::getenv("SWAP_COUNT_FILE")) publish_count(path);
}
