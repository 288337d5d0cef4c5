// Test doubles of the OpenGL 1.1 functions the engine calls: each records its
// name and arguments. Enums and sizes are recorded as numbers.
#include "tests/doubles/fake_gl.h"

#include <cstring>

#include "tests/doubles/recorder.h"

namespace fake {
GLuint next_texture_name = 1;
const void *read_pixels_source = nullptr;

void reset_gl() {
  next_texture_name = 1;
  read_pixels_source = nullptr;
}
}  // namespace fake

using fake::next_texture_name;

void glGenTextures(GLsizei n, GLuint *textures) {
  record_call("glGenTextures", {double(n), double(next_texture_name)});
  for (GLsizei i = 0; i < n; ++i) {
    textures[i] = next_texture_name++;
  }
}

void glBindTexture(GLenum target, GLuint texture) {
  record_call("glBindTexture", {double(target), double(texture)});
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
  record_call("glTexParameteri", {double(target), double(pname), double(param)});
}

void glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width,
                  GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid *pixels) {
  record_call("glTexImage2D", {double(target), double(level), double(internal_format),
                               double(width), double(height), double(border), double(format),
                               double(type)},
              pixels);
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  record_call("glClearColor", {r, g, b, a});
}

void glClear(GLbitfield mask) { record_call("glClear", {double(mask)}); }

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  record_call("glViewport", {double(x), double(y), double(width), double(height)});
}

void glMatrixMode(GLenum mode) { record_call("glMatrixMode", {double(mode)}); }

void glLoadIdentity(void) { record_call("glLoadIdentity", {}); }

void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble z_near,
               GLdouble z_far) {
  record_call("glFrustum", {left, right, bottom, top, z_near, z_far});
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble z_near,
             GLdouble z_far) {
  record_call("glOrtho", {left, right, bottom, top, z_near, z_far});
}

// The sixteen values do not fit the argument list: the call keeps a copy.
void glMultMatrixf(const GLfloat *m) {
  static GLfloat copies[64][16];
  static int next = 0;
  GLfloat *copy = copies[next++ % 64];
  std::memcpy(copy, m, sizeof copies[0]);
  record_call("glMultMatrixf", {}, copy);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { record_call("glTranslatef", {x, y, z}); }

void glEnable(GLenum cap) { record_call("glEnable", {double(cap)}); }

void glDisable(GLenum cap) { record_call("glDisable", {double(cap)}); }

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
  record_call("glBlendFunc", {double(sfactor), double(dfactor)});
}

void glDepthMask(GLboolean flag) { record_call("glDepthMask", {double(flag)}); }

void glBegin(GLenum mode) { record_call("glBegin", {double(mode)}); }

void glEnd(void) { record_call("glEnd", {}); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  record_call("glColor4f", {r, g, b, a});
}

void glTexCoord2f(GLfloat s, GLfloat t) { record_call("glTexCoord2f", {s, t}); }

void glVertex2f(GLfloat x, GLfloat y) { record_call("glVertex2f", {x, y}); }

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { record_call("glVertex3f", {x, y, z}); }

void glReadBuffer(GLenum mode) { record_call("glReadBuffer", {double(mode)}); }

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  GLvoid *pixels) {
  record_call("glReadPixels",
              {double(x), double(y), double(width), double(height), double(format), double(type)},
              pixels);
  if (fake::read_pixels_source && pixels && width > 0 && height > 0) {
    std::memcpy(pixels, fake::read_pixels_source, size_t(width) * size_t(height) * 4);
  }
}
