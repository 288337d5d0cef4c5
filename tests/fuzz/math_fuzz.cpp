// The intersection tests on any floats, NaN and infinities included: a hit
// never comes back with a ratio or a point that is not a number.
#include <cmath>

#include "math/vecmath.h"
#include "tests/fuzz/fuzz_bytes.h"

static bool real(float v) { return !std::isnan(v); }
static bool real(const Vec3 &v) { return real(v.x) && real(v.y) && real(v.z); }
static bool real(const Vec2 &v) { return real(v.x) && real(v.y); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzBytes in{data, size};
  const Vec3 n = take<Vec3>(in), a = take<Vec3>(in), b = take<Vec3>(in), p0 = take<Vec3>(in),
             p1 = take<Vec3>(in), p2 = take<Vec3>(in);
  Vec3 hit{};
  float t = 0;
  if (vec3_segment_plane(&hit, &n, &t, &a, &b, &p0)) promise(real(t) && real(hit), "plane hit is a number");
  if (vec3_segment_triangle(&hit, &n, &t, &a, &b, &p0, &p1, &p2))
    promise(real(t) && real(hit), "triangle hit is a number");
  const Vec2 s = take<Vec2>(in), e = take<Vec2>(in), c = take<Vec2>(in), d = take<Vec2>(in);
  const float radius = take<float>(in);
  Vec2 hit2{}, normal{};
  if (vec2_segment_segment(&hit2, &normal, &t, &s, &e, &c, &d)) promise(real(t) && real(hit2), "segment hit is a number");
  if (vec2_circle_segment(&hit2, &normal, &t, &s, &c, &d, radius)) promise(real(t) && real(hit2), "circle hit is a number");
  return 0;
}
