// Scripted state behind the OpenGL test doubles.
#pragma once

#include <GL/gl.h>

namespace fake {

extern GLuint next_texture_name;  // glGenTextures hands out names from here, counting up
extern const void *read_pixels_source;  // glReadPixels copies from here when set

void reset_gl();

}  // namespace fake
