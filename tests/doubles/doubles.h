// Everything a unit test needs of the doubles.
#pragma once

#include "tests/doubles/fake_gl.h"
#include "tests/doubles/fake_sdl.h"
#include "tests/doubles/recorder.h"

// Doubles and recorder back to the state of program start.
inline void doubles_reset() {
  fake::reset();
  fake::reset_gl();
  recorder_clear();
  recorder_enabled = true;
}
