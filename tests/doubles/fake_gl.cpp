#include "tests/doubles/fake_gl.h"

#include <algorithm>
#include <cstring>

namespace fake {

GlState gl;
GlQuad quads[GL_QUAD_CAPACITY];
int quad_count;
GlLine lines[GL_LINE_CAPACITY];
int line_count;
GlTextureObject gl_textures[GL_NAME_CAPACITY];
bool gl_recording = true;
int window_height = 600;

float GlQuad::left() const { return std::min({corner[0].x, corner[1].x, corner[2].x, corner[3].x}); }
float GlQuad::right() const { return std::max({corner[0].x, corner[1].x, corner[2].x, corner[3].x}); }
float GlQuad::top() const { return std::min({corner[0].y, corner[1].y, corner[2].y, corner[3].y}); }
float GlQuad::bottom() const { return std::max({corner[0].y, corner[1].y, corner[2].y, corner[3].y}); }

namespace {

GLenum primitive;           // of the open glBegin, 0 outside one
double transform[16];       // projection * modelview, taken at glBegin
GlCorner pending[4];        // corners of the primitive being built
int pending_count;

int matrix_index(GLenum mode) { return mode == GL_PROJECTION ? 1 : mode == GL_TEXTURE ? 2 : 0; }
double *current() { return gl.matrix[matrix_index(gl.matrix_mode)]; }

void identity(double *m) {
  for (int i = 0; i < 16; ++i) m[i] = i % 5 == 0 ? 1 : 0;
}

// out = a * b, all column-major.
void multiply(double *out, const double *a, const double *b) {
  double r[16];
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row) {
      r[c * 4 + row] = 0;
      for (int k = 0; k < 4; ++k) r[c * 4 + row] += a[k * 4 + row] * b[c * 4 + k];
    }
  std::memcpy(out, r, sizeof r);
}

void multiply_current(const double *m) { multiply(current(), current(), m); }

GlCorner land(double x, double y, double z) {
  double clip[4];
  for (int row = 0; row < 4; ++row)
    clip[row] = transform[row] * x + transform[4 + row] * y + transform[8 + row] * z + transform[12 + row];
  const double wx = gl.viewport[0] + (clip[0] / clip[3] + 1) * 0.5 * gl.viewport[2];
  const double wy = gl.viewport[1] + (clip[1] / clip[3] + 1) * 0.5 * gl.viewport[3];
  return {float(wx), float(window_height - wy), gl.texcoord[0], gl.texcoord[1],
          {gl.color[0], gl.color[1], gl.color[2], gl.color[3]}};
}

void finish_quad() {
  ++gl.quads_total;
  if (quad_count >= GL_QUAD_CAPACITY) return;
  GlQuad &q = quads[quad_count++];
  std::copy(pending, pending + 4, q.corner);
  std::copy(gl.color, gl.color + 4, q.color);
  q.texture = enabled(GL_TEXTURE_2D) ? gl.bound_texture : 0;
  q.blend = enabled(GL_BLEND);
  q.blend_src = gl.blend_src;
  q.blend_dst = gl.blend_dst;
}

void finish_line() {
  if (line_count >= GL_LINE_CAPACITY) return;
  GlLine &l = lines[line_count++];
  l.end[0] = pending[0];
  l.end[1] = pending[1];
  std::copy(gl.color, gl.color + 4, l.color);
  l.textured = enabled(GL_TEXTURE_2D);
  l.quads_before = quad_count;
}

void vertex(double x, double y, double z) {
  if (!gl_recording || primitive == 0) return;
  pending[pending_count++] = land(x, y, z);
  const int needed = primitive == GL_QUADS ? 4 : 2;
  if (pending_count < needed) return;
  pending_count = 0;
  if (primitive == GL_QUADS) finish_quad();
  if (primitive == GL_LINES) finish_line();
}

void begin(GLenum mode) {
  primitive = mode;
  pending_count = 0;
  if (gl_recording) multiply(transform, gl.matrix[1], gl.matrix[0]);
}

}  // namespace

void reset_gl() {
  gl = GlState{};
  for (double *m : gl.matrix) identity(m);
  std::memset(gl_textures, 0, sizeof gl_textures);
  quad_count = line_count = pending_count = 0;
  primitive = 0;
  gl_recording = true;
  window_height = 600;
}

}  // namespace fake

using namespace fake;

void glGenTextures(GLsizei n, GLuint *names) {
  for (GLsizei i = 0; i < n; ++i) names[i] = GLuint(++gl.names_generated);
}

void glBindTexture(GLenum, GLuint texture) { gl.bound_texture = texture; }

void glTexParameteri(GLenum, GLenum pname, GLint param) {
  if (gl.bound_texture >= GL_NAME_CAPACITY) return;
  GlTextureObject &t = gl_textures[gl.bound_texture];
  if (pname == GL_TEXTURE_WRAP_S) t.wrap_s = param;
  if (pname == GL_TEXTURE_WRAP_T) t.wrap_t = param;
  if (pname == GL_TEXTURE_MAG_FILTER) t.mag_filter = param;
  if (pname == GL_TEXTURE_MIN_FILTER) t.min_filter = param;
}

void glTexImage2D(GLenum, GLint level, GLint internal_format, GLsizei width, GLsizei height,
                  GLint, GLenum format, GLenum, const GLvoid *pixels) {
  if (gl.bound_texture >= GL_NAME_CAPACITY || level < 0 || level >= 16) return;
  GlTextureObject &t = gl_textures[gl.bound_texture];
  ++t.uploads;
  t.level[level] = {width, height, internal_format, int(format), pixels};
}

void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}

// A colour clear starts a new picture.
void glClear(GLbitfield mask) {
  if (mask & GL_COLOR_BUFFER_BIT) quad_count = line_count = 0;
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  const int viewport[4] = {x, y, width, height};
  std::copy(viewport, viewport + 4, gl.viewport);
}

void glMatrixMode(GLenum mode) { gl.matrix_mode = mode; }

void glLoadIdentity(void) { identity(current()); }

void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  const double m[16] = {2 * n / (r - l), 0, 0, 0, 0, 2 * n / (t - b), 0, 0,
                        (r + l) / (r - l), (t + b) / (t - b), -(f + n) / (f - n), -1,
                        0, 0, -2 * f * n / (f - n), 0};
  multiply_current(m);
}

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  const double m[16] = {2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, -2 / (f - n), 0,
                        -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
  multiply_current(m);
}

void glMultMatrixf(const GLfloat *m) {
  double d[16];
  std::copy(m, m + 16, d);
  multiply_current(d);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  const double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
  multiply_current(m);
}

void glEnable(GLenum cap) { gl.capability[cap & 0xFFFF] = true; }
void glDisable(GLenum cap) { gl.capability[cap & 0xFFFF] = false; }
void glBlendFunc(GLenum src, GLenum dst) { gl.blend_src = src, gl.blend_dst = dst; }
void glDepthMask(GLboolean flag) { gl.depth_mask = flag; }

void glBegin(GLenum mode) {
  ++gl.draw_calls;
  begin(mode);
}

void glEnd(void) { primitive = 0; }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  const float color[4] = {r, g, b, a};
  std::copy(color, color + 4, gl.color);
}

void glTexCoord2f(GLfloat s, GLfloat t) { gl.texcoord[0] = s, gl.texcoord[1] = t; }

// Vertex arrays of floats, read back vertex by vertex as if sent one at a time.
namespace {
struct ClientArray { GLint size; GLsizei stride; const GLfloat *data; } vertex_array, texcoord_array, color_array;
const GLfloat *element(const ClientArray &a, GLint i) {
  return a.data + i * (a.stride ? a.stride / GLsizei(sizeof(GLfloat)) : a.size);
}
}  // namespace

void glEnableClientState(GLenum array) { gl.capability[array & 0xFFFF] = true; }
void glVertexPointer(GLint size, GLenum, GLsizei stride, const GLvoid *p) {
  vertex_array = {size, stride, static_cast<const GLfloat *>(p)};
}
void glTexCoordPointer(GLint size, GLenum, GLsizei stride, const GLvoid *p) {
  texcoord_array = {size, stride, static_cast<const GLfloat *>(p)};
}
void glColorPointer(GLint size, GLenum, GLsizei stride, const GLvoid *p) {
  color_array = {size, stride, static_cast<const GLfloat *>(p)};
}
void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  ++gl.draw_calls;
  if (!gl_recording || !enabled(GL_VERTEX_ARRAY)) return;
  begin(mode);
  for (GLint i = first; i < first + count; ++i) {
    if (enabled(GL_COLOR_ARRAY)) std::copy_n(element(color_array, i), 4, gl.color);
    if (enabled(GL_TEXTURE_COORD_ARRAY)) std::copy_n(element(texcoord_array, i), 2, gl.texcoord);
    vertex(element(vertex_array, i)[0], element(vertex_array, i)[1], 0);
  }
  glEnd();
}
void glVertex2f(GLfloat x, GLfloat y) { vertex(x, y, 0); }

void glReadBuffer(GLenum mode) { gl.read_buffer = mode; }
void glPixelStorei(GLenum, GLint) {}
void glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum, GLenum, GLvoid *pixels) {
  auto *out = static_cast<GLubyte *>(pixels);
  for (GLint row = y; row < y + h; ++row)
    for (GLint col = x; col < x + w; ++col, out += 4) out[0] = GLubyte(col), out[1] = GLubyte(row), out[2] = GLubyte(col ^ row), out[3] = 255;
}
