// 2D vectors, written like the 3D ones: compute into locals and store last,
// so the output may alias an input.
#include <cmath>

#include "math/vecmath.h"

namespace {

double length_of(const Vec2 &a) {
  const double x = a.x, y = a.y;
  return std::sqrt(x * x + y * y);
}

}  // namespace

void vec2_add(Vec2 *out, const Vec2 *a, const Vec2 *b) { *out = Vec2{a->x + b->x, a->y + b->y}; }

void vec2_sub(Vec2 *out, const Vec2 *a, const Vec2 *b) { *out = Vec2{a->x - b->x, a->y - b->y}; }

Vec2 *vec2_scale(Vec2 *out, const Vec2 *a, float s) {
  *out = Vec2{a->x * s, a->y * s};
  return out;
}

void vec2_madd(Vec2 *out, const Vec2 *a, const Vec2 *b, float s) {
  *out = Vec2{a->x + b->x * s, a->y + b->y * s};
}

void vec2_perp(Vec2 *out, const Vec2 *a) { *out = Vec2{-a->y, a->x}; }

float vec2_dot(const Vec2 *a, const Vec2 *b) {
  return static_cast<float>(static_cast<double>(a->x) * b->x + static_cast<double>(a->y) * b->y);
}

float vec2_length(const Vec2 *a) { return static_cast<float>(length_of(*a)); }

// Same rule as vec3_normalize: multiply by the float reciprocal unless it is
// not a normal float, where dividing keeps extreme lengths finite and exact.
void vec2_normalize(Vec2 *out, const Vec2 *a) {
  const double len = length_of(*a);
  if (len == 0) {
    *out = Vec2{0, 0};
    return;
  }
  const float inv = static_cast<float>(1.0 / len);
  if (std::isnormal(inv)) {
    *out = Vec2{a->x * inv, a->y * inv};
    return;
  }
  *out = Vec2{static_cast<float>(a->x / len), static_cast<float>(a->y / len)};
}

// v * cos + perp(v) * sin, with perp(v) = (-y, x) taken from the unturned v.
void vec2_rotate(Vec2 *v, float angle) {
  const double c = std::cos(static_cast<double>(angle));
  const double s = std::sin(static_cast<double>(angle));
  const double x = v->x, y = v->y;
  *v = Vec2{static_cast<float>(x * c - y * s), static_cast<float>(y * c + x * s)};
}
