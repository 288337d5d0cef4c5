// The fixture every unit test starts from, with the engine's headers: the engine's global tables as at
// program start (texture buffers freed), the video mode and font 0's view as
// start-up leaves them, texture names 1 to 1024 in slot order, fresh doubles,
// and an empty working folder of the test's own, removed afterwards with the
// old working folder restored.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The whole engine, as the tests see it.
#include "app/game_loop.h"
#include "app/startup.h"
#include "app/world.h"
#include "files/directory.h"
#include "files/streams.h"
#include "gfx/gfx.h"
#include "gui/gui.h"
#include "input/input.h"
#include "math/vecmath.h"
#include "tests/doubles/fake_gl.h"
#include "tests/doubles/fake_sdl.h"
#include "video/video_mode.h"

using fake::platform;
using Ints = std::vector<int>;
using Floats = std::vector<float>;

void reset_engine_state();

// Left, top, right and bottom in window pixels, rounded to a hundredth: of a
// quad drawn, or as expected.
Floats span(const fake::GlQuad &quad);
Floats span(float left, float top, float right, float bottom);

// One frame of the widgets: a new input snapshot, the last becoming the
// previous as the readers do, with the pointer, the left button and the keys
// given; then the widget pass.
void frame(int x, int y, bool left, const Ints &keys = {});

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  std::string work_dir_, previous_dir_;
};

// A PNG file for the loaders, from 0xRRGGBBAA words, top row first, in the
// sample layout given (PNG_FORMAT_RGBA, _RGB, _GRAY from the red byte, or
// _RGBA_COLORMAP, paletted).
bool write_png(const std::string &path, int width, int height, const std::vector<uint32_t> &words,
               unsigned png_format = 3 /* PNG_FORMAT_RGBA */);
