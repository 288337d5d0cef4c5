// Intersection tests for collision queries. Inputs are copied before any
// output is written, so outputs may alias inputs. Every test is written so
// that a comparison with NaN fails towards "no hit": a NaN never comes back
// as a collision.
#include <cmath>

#include "math/vecmath.h"

namespace {

// p lies on the edge from `from` to `to` or to its inner side, as seen along n.
bool inside_edge(const Vec3 &from, const Vec3 &to, const Vec3 &p, const Vec3 &n) {
  Vec3 edge, rel, c;
  vec3_sub(&edge, &to, &from);
  vec3_sub(&rel, &p, &from);
  vec3_cross(&c, &edge, &rel);
  return vec3_dot(&c, &n) >= 0;
}

// p projects onto the segment a..b, ends included.
bool between_ends(const Vec2 &p, const Vec2 &a, const Vec2 &b) {
  Vec2 rel, along;
  vec2_sub(&rel, &p, &a);
  vec2_sub(&along, &b, &a);
  if (!(vec2_dot(&rel, &along) >= 0)) return false;
  vec2_sub(&rel, &p, &b);
  vec2_sub(&along, &a, &b);
  return vec2_dot(&rel, &along) >= 0;
}

// Left-hand normal of a..b, not normalised; zero when a == b.
Vec2 segment_normal(const Vec2 &a, const Vec2 &b) { return Vec2{a.y - b.y, b.x - a.x}; }

}  // namespace

int vec3_segment_plane(Vec3 *hit, const Vec3 *n, float *t, const Vec3 *start, const Vec3 *end,
                       const Vec3 *q) {
  const Vec3 normal = *n, from = *start, to = *end, on_plane = *q;
  Vec3 rel;
  vec3_sub(&rel, &on_plane, &to);
  if (!(vec3_dot(&rel, &normal) >= 0)) return 0;  // the end is in front
  vec3_sub(&rel, &on_plane, &from);
  const float d0 = vec3_dot(&rel, &normal);
  if (!(d0 <= 0)) return 0;  // the start is behind
  *t = d0;
  Vec3 dir;
  vec3_sub(&dir, &to, &from);
  const float den = vec3_dot(&dir, &normal);
  if (den == 0) return 0;  // the segment lies in the plane, or n is zero
  const float along = d0 / den;
  Vec3 at;
  vec3_madd(&at, &from, &dir, along);
  // Dot products of huge or infinite coordinates overflow into NaN: no hit.
  if (!std::isfinite(along) || !std::isfinite(at.x) || !std::isfinite(at.y) ||
      !std::isfinite(at.z)) {
    return 0;
  }
  *t = along;
  *hit = at;
  return 1;
}

int vec3_segment_triangle(Vec3 *hit, const Vec3 *n, float *t, const Vec3 *start, const Vec3 *end,
                          const Vec3 *p0, const Vec3 *p1, const Vec3 *p2) {
  const Vec3 normal = *n;
  const Vec3 corner[3] = {*p0, *p1, *p2};
  if (!vec3_segment_plane(hit, &normal, t, start, end, &corner[0])) return 0;
  const Vec3 at = *hit;
  for (int i = 0; i < 3; ++i) {
    if (!inside_edge(corner[i], corner[(i + 1) % 3], at, normal)) return 0;
  }
  return 1;
}

int vec2_segment_segment(Vec2 *hit, Vec2 *n, float *t, const Vec2 *start, const Vec2 *end,
                         const Vec2 *a, const Vec2 *b) {
  const Vec2 from = *start, to = *end, pa = *a, pb = *b;
  Vec2 normal = segment_normal(pa, pb);
  Vec2 rel;
  vec2_sub(&rel, &from, &pa);
  const float side_from = vec2_dot(&rel, &normal);
  vec2_sub(&rel, &to, &pa);
  const float side_to = vec2_dot(&rel, &normal);
  if (!(side_from >= 0) || !(side_to <= 0)) {
    *n = normal;  // this miss leaves n unnormalised
    return 0;
  }
  vec2_normalize(&normal, &normal);
  *n = normal;
  Vec2 dir;
  vec2_sub(&dir, &to, &from);
  const float den = vec2_dot(&dir, &normal);
  // Zero when the path runs along the line (or stands still on it) or when
  // a == b leaves no normal: there is no single crossing point to report.
  if (den == 0) return 0;
  vec2_sub(&rel, &pa, &from);
  const float along = vec2_dot(&rel, &normal) / den;
  Vec2 at;
  vec2_madd(&at, &from, &dir, along);
  *t = along;
  *hit = at;
  return between_ends(at, pa, pb) ? 1 : 0;
}

int vec2_circle_segment(Vec2 *closest, Vec2 *n, float *ratio, const Vec2 *c, const Vec2 *a,
                        const Vec2 *b, float radius) {
  const Vec2 centre = *c, pa = *a, pb = *b;
  // A zero-length segment has no normal; without this every circle would
  // "hit" it at distance 0.
  if (pa.x == pb.x && pa.y == pb.y) return 0;
  if (!between_ends(centre, pa, pb)) return 0;
  Vec2 normal = segment_normal(pa, pb);
  vec2_normalize(&normal, &normal);
  *n = normal;
  Vec2 rel;
  vec2_sub(&rel, &centre, &pa);
  const float dist = vec2_dot(&rel, &normal);
  if (!(std::fabs(dist) <= radius)) return 0;
  Vec2 at;
  vec2_madd(&at, &centre, &normal, -dist);
  *closest = at;
  *ratio = dist == 0 ? 0.0f : dist / radius;  // a zero radius only gets here with dist 0
  return 1;
}
