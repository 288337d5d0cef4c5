// 3D vectors and 3x3 matrices. Each function computes into locals and writes
// its output last, which makes aliasing an input safe. Dot and cross products
// are summed in double to keep cancellation out of the floats.
#include <cmath>

#include "math/vecmath.h"

namespace {

// Summed in double so that lengths near the top of the float range stay finite.
double length_of(const Vec3 &a) {
  const double x = a.x, y = a.y, z = a.z;
  return std::sqrt(x * x + y * y + z * z);
}

// Divides rather than multiplies when 1 / len is not a normal float: lengths
// below about 3e-39 would turn the reciprocal into infinity (and 0 * inf into
// NaN), lengths above about 8e37 would shrink it to a denormal and lose bits.
Vec3 normalized(const Vec3 &a) {
  const double len = length_of(a);
  if (len == 0) return Vec3{0, 0, 0};
  const float inv = static_cast<float>(1.0 / len);
  if (std::isnormal(inv)) return Vec3{a.x * inv, a.y * inv, a.z * inv};
  return Vec3{static_cast<float>(a.x / len), static_cast<float>(a.y / len),
              static_cast<float>(a.z / len)};
}

}  // namespace

Vec3 *vec3_copy(Vec3 *out, const Vec3 *a) {
  *out = *a;
  return out;
}

void vec3_sub(Vec3 *out, const Vec3 *a, const Vec3 *b) {
  *out = Vec3{a->x - b->x, a->y - b->y, a->z - b->z};
}

Vec3 *vec3_scale(Vec3 *out, const Vec3 *a, float s) {
  *out = Vec3{a->x * s, a->y * s, a->z * s};
  return out;
}

void vec3_madd(Vec3 *out, const Vec3 *a, const Vec3 *b, float s) {
  *out = Vec3{a->x + b->x * s, a->y + b->y * s, a->z + b->z * s};
}

float vec3_dot(const Vec3 *a, const Vec3 *b) {
  return static_cast<float>(static_cast<double>(a->x) * b->x + static_cast<double>(a->y) * b->y +
                            static_cast<double>(a->z) * b->z);
}

float vec3_length(const Vec3 *a) { return static_cast<float>(length_of(*a)); }

// b x a: the intersection tests and the rotation's sign depend on this order.
void vec3_cross(Vec3 *out, const Vec3 *a, const Vec3 *b) {
  const double ax = a->x, ay = a->y, az = a->z;
  const double bx = b->x, by = b->y, bz = b->z;
  *out = Vec3{static_cast<float>(by * az - bz * ay), static_cast<float>(bz * ax - bx * az),
              static_cast<float>(bx * ay - by * ax)};
}

Vec3 *vec3_normalize(Vec3 *out, const Vec3 *a) {
  *out = normalized(*a);
  return out;
}

// Row vector times matrix. out may also be a row of m.
void vec3_mul_mat3(Vec3 *out, const Vec3 *a, const Mat3 *m) {
  const Vec3 v = *a;
  const Vec3 *r = m->row;
  *out = Vec3{v.x * r[0].x + v.y * r[1].x + v.z * r[2].x,
              v.x * r[0].y + v.y * r[1].y + v.z * r[2].y,
              v.x * r[0].z + v.y * r[1].z + v.z * r[2].z};
}

// Unit normal of the triangle: e2 x e1, zero for a degenerate triangle.
Vec3 *vec3_triangle_normal(Vec3 *out, const Vec3 *p0, const Vec3 *p1, const Vec3 *p2) {
  Vec3 e1, e2;
  vec3_sub(&e1, p1, p0);
  vec3_sub(&e2, p2, p0);
  vec3_cross(out, &e1, &e2);
  return vec3_normalize(out, out);
}

// Splits v into its part along k and the part turning about k; because the
// cross products run b x a, the turn is by -angle.
Vec3 *vec3_rotate_axis(Vec3 *v, const Vec3 *axis, float angle) {
  const Vec3 k = *axis;
  const double c = std::cos(static_cast<double>(angle));
  const double s = std::sin(static_cast<double>(angle));
  Vec3 w, u;
  vec3_cross(&w, &k, v);
  vec3_cross(&u, &w, &k);
  vec3_scale(v, &k, vec3_dot(&k, v));
  vec3_madd(v, v, &u, static_cast<float>(c));
  vec3_madd(v, v, &w, static_cast<float>(s));
  return vec3_normalize(v, v);
}

// The axis may be one of m's rows, so it is copied before any row turns.
Vec3 *mat3_rotate_axis(Mat3 *m, const Vec3 *axis, float angle) {
  const Vec3 k = *axis;
  for (Vec3 &row : m->row) vec3_rotate_axis(&row, &k, angle);
  return &m->row[2];
}

Mat3 *mat3_identity(Mat3 *m) {
  *m = Mat3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  return m;
}
