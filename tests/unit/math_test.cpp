// Vectors, matrices and intersection tests: sign conventions, zero lengths,
// outputs aliasing inputs, and which outputs each miss leaves alone.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <vector>

#include "math/vecmath.h"

namespace {

constexpr float PI = std::numbers::pi_v<float>;
constexpr float R2 = 0.70710678f;  // 1 / sqrt(2)
constexpr float NAN_F = std::numeric_limits<float>::quiet_NaN();
constexpr float U = -777;  // no result is this: an output still holding it was not written
constexpr Vec2 U2{U, U};
constexpr Vec3 U3{U, U, U};

::testing::AssertionResult near(const Vec3 &got, const Vec3 &want, float eps = 1e-6f) {
  const bool ok = std::fabs(got.x - want.x) <= eps && std::fabs(got.y - want.y) <= eps &&
                  std::fabs(got.z - want.z) <= eps;
  return (ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
         << "(" << got.x << ", " << got.y << ", " << got.z << ") for (" << want.x << ", "
         << want.y << ", " << want.z << ")";
}
::testing::AssertionResult near(const Vec2 &got, const Vec2 &want, float eps = 1e-6f) {
  return near(Vec3{got.x, got.y, 0}, Vec3{want.x, want.y, 0}, eps);
}
template <typename V>
auto same(const V &got, const V &want) { return near(got, want, 0); }

float &component(Vec3 &v, int i) { return i == 0 ? v.x : i == 1 ? v.y : v.z; }
float &component(Vec2 &v, int i) { return i == 0 ? v.x : v.y; }

// Each operation as out = f(a, b) with its result for a = A, b = B: the same
// whether out is a separate object, a or b.
template <typename V>
using Ops = std::vector<std::pair<std::function<void(V *, const V *, const V *)>, V>>;

template <typename V>
void expect_ops(const V &A, const V &B, const Ops<V> &ops) {
  for (size_t i = 0; i < ops.size(); ++i) {
    V out, a = A, b = B, a2 = A;
    ops[i].first(&out, &A, &B);
    ops[i].first(&a, &a, &b);
    ops[i].first(&b, &a2, &b);
    EXPECT_TRUE(near(out, ops[i].second)) << "operation " << i;
    EXPECT_TRUE(same(a, out)) << "operation " << i << " into a";
    EXPECT_TRUE(same(b, out)) << "operation " << i << " into b";
  }
}

TEST(VecOps, EveryOperationAlsoIntoItsInputs) {
  using P3 = const Vec3 *;
  using P2 = const Vec2 *;
  static const Mat3 m{{{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}};
  static Mat3 id;
  static constexpr Vec3 p2{5.5f, 4, -8};
  EXPECT_EQ(mat3_identity(&id), &id);
  expect_ops<Vec3>({3, 0, -4}, {0.5f, 4, -8}, {
      {[](Vec3 *o, P3 a, P3) { EXPECT_EQ(vec3_copy(o, a), o); }, {3, 0, -4}},
      {vec3_sub, {2.5f, -4, 4}},
      {[](Vec3 *o, P3 a, P3) { EXPECT_EQ(vec3_scale(o, a, -2), o); }, {-6, 0, 8}},
      {[](Vec3 *o, P3 a, P3 b) { vec3_madd(o, a, b, 2); }, {4, 8, -20}},
      {vec3_cross, {-16, -22, -12}},  // b x a
      {[](Vec3 *o, P3 a, P3) { EXPECT_EQ(vec3_normalize(o, a), o); }, {0.6f, 0, -0.8f}},
      // a row vector times m; a column vector would give (-9, -12, -19)
      {[](Vec3 *o, P3 a, P3) { vec3_mul_mat3(o, a, &m); }, {-25, -26, -31}},
      {[](Vec3 *o, P3 a, P3) { vec3_mul_mat3(o, a, &id); }, {3, 0, -4}},
      {[](Vec3 *o, P3 a, P3 b) { EXPECT_EQ(vec3_triangle_normal(o, a, b, &p2), o); }, {0, R2, R2}},
  });
  expect_ops<Vec2>({3, -4}, {-2, 7}, {
      {vec2_add, {1, 3}},
      {vec2_sub, {5, -11}},
      {[](Vec2 *o, P2 a, P2) { EXPECT_EQ(vec2_scale(o, a, -2), o); }, {-6, 8}},
      {[](Vec2 *o, P2 a, P2 b) { vec2_madd(o, a, b, 2); }, {-1, 10}},
      {[](Vec2 *o, P2 a, P2) { vec2_perp(o, a); }, {4, 3}},  // counter-clockwise
      {[](Vec2 *o, P2 a, P2) { vec2_normalize(o, a); }, {0.6f, -0.8f}},
  });
  const Vec3 a{3, 0, -4}, b{0.5f, 4, -8};
  const Vec2 c{3, -4}, d{-2, 7};
  EXPECT_TRUE(same(Vec3{vec3_dot(&a, &b), vec3_length(&a), 0}, Vec3{33.5f, 5, 0}));
  EXPECT_TRUE(same(Vec2{vec2_dot(&c, &d), vec2_length(&c)}, Vec2{-34, 5}));
  Mat3 own = m;  // the output a row of the matrix: a sum built in it would reread row 1
  vec3_mul_mat3(&own.row[1], &b, &own);
  EXPECT_TRUE(same(own.row[1], Vec3{-39.5f, -43, -54.5f}));
}

TEST(VecOps, SignConventionsAndZeroLengths) {
  auto cross = [](Vec3 a, Vec3 b) { vec3_cross(&a, &a, &b); return a; };
  auto normal = [](Vec3 p0, Vec3 p1, Vec3 p2) { return *vec3_triangle_normal(&p0, &p0, &p1, &p2); };
  auto turn = [](Vec3 v, Vec3 axis, float angle) { return *vec3_rotate_axis(&v, &axis, angle); };
  auto turn2 = [](Vec2 v, float angle) { vec2_rotate(&v, angle); return Vec3{v.x, v.y, 0}; };
  auto unit = [](Vec3 v) { return *vec3_normalize(&v, &v); };
  auto unit2 = [](Vec2 v) { vec2_normalize(&v, &v); return Vec3{v.x, v.y, 0}; };
  const Vec3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, O{0, 0, 0};
  const std::pair<Vec3, Vec3> cases[] = {
      {cross(X, Y), {0, 0, -1}}, {cross(Y, X), Z}, {cross({1, 2, 3}, {2, 4, 6}), O},
      {normal(O, {5, 0, 0}, {0, 3, 0}), {0, 0, -1}}, {normal(O, {0, 3, 0}, {5, 0, 0}), Z},
      {normal(O, {5, 0, 0}, {10, 0, 0}), O},  // collinear
      // turned by -angle, right-handed, about a unit axis; renormalised
      {turn(X, Z, PI / 2), {0, -1, 0}}, {turn(Y, Z, PI / 2), X}, {turn(X, Z, -PI / 2), Y},
      {turn(X, Y, PI / 2), Z}, {turn(Z, X, PI / 2), Y}, {turn({1, 1, 0}, Z, PI / 4), X},
      {turn({2, 0, 0}, Z, PI), {-1, 0, 0}}, {turn({0, 0, 3}, Z, 1), Z}, {turn(O, Z, 1), O},
      // counter-clockwise
      {turn2({1, 0}, PI / 2), Y}, {turn2({3, 4}, PI), {-3, -4, 0}},
      {turn2({0, 2}, -PI / 2), {2, 0, 0}}, {turn2({1, 0}, PI / 6), {0.8660254f, 0.5f, 0}},
      // zero stays zero; tiny and huge lengths still give unit vectors
      {unit(O), O}, {unit({-0.0f, 0, -0.0f}), O}, {unit({1e-45f, 0, 0}), X},
      {unit({0, 1e-40f, -1e-40f}), {0, R2, -R2}}, {unit({3e38f, 0, -3e38f}), {R2, 0, -R2}},
      {unit2({0, 0}), O}, {unit2({-0.0f, -0.0f}), O}, {unit2({0, 1e-45f}), Y},
      {unit2({-1e-40f, 1e-40f}), {-R2, R2, 0}}, {unit2({3e38f, 3e38f}), {R2, R2, 0}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_TRUE(near(cases[i].first, cases[i].second)) << "case " << i;
  }
  // Each row in turn, renormalised one by one. The axis is read once, before
  // row 0, which it is here, is renormalised; its length of 2 shows in the turn.
  Mat3 m{{{0, 0, 2}, {3, 0, 0}, {0, 1, 0}}};
  EXPECT_EQ(mat3_rotate_axis(&m, &m.row[0], PI / 4), &m.row[2]);
  EXPECT_TRUE(near(m.row[0], Z));
  EXPECT_TRUE(near(m.row[1], Vec3{0.8944272f, -0.4472136f, 0}));
  EXPECT_TRUE(near(m.row[2], Vec3{0.4472136f, 0.8944272f, 0}));
}

// Plane z = 5 facing +z: a hit needs the segment to go from z >= 5 to z <= 5.
// A miss writes nothing, except t = d0 once the segment runs along the plane.
TEST(Intersect, SegmentPlane) {
  struct Case { const char *name; Vec3 n, start, end; int hit; float t; Vec3 at; };
  const Case cases[] = {
      {"front to back", {0, 0, 1}, {1, 2, 8}, {1, 2, 4}, 1, 0.75f, {1, 2, 5}},
      {"starts on the plane", {0, 0, 1}, {2, 0, 5}, {2, -1, 1}, 1, 0, {2, 0, 5}},
      {"ends on the plane", {0, 0, 1}, {2, 0, 9}, {4, 0, 5}, 1, 1, {4, 0, 5}},
      {"tilted plane", {0, R2, R2}, {3, 3, 7}, {3, -1, 3}, 1, 0.5f, {3, 1, 5}},
      {"back to front", {0, 0, 1}, {1, 2, 4}, {1, 2, 8}, 0, U, U3},
      {"both in front", {0, 0, 1}, {0, 0, 9}, {0, 0, 6}, 0, U, U3},
      {"both behind", {0, 0, 1}, {0, 0, 1}, {0, 0, 3}, 0, U, U3},
      {"in the plane", {0, 0, 1}, {0, 0, 5}, {3, 1, 5}, 0, 0, U3},
      {"zero normal", {0, 0, 0}, {1, 2, 8}, {1, 2, 4}, 0, 0, U3},
  };
  const Vec3 q{-3, 1, 5};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Vec3 at = U3, s = c.start;
    float t = U;
    EXPECT_EQ(vec3_segment_plane(&at, &c.n, &t, &c.start, &c.end, &q), c.hit);
    EXPECT_NEAR(t, c.t, 1e-6f);
    EXPECT_TRUE(near(at, c.at, 1e-5f));
    vec3_segment_plane(&s, &c.n, &t, &s, &c.end, &q);  // the hit written over the start
    EXPECT_TRUE(same(s, c.hit ? at : c.start));
    for (int k = 0; c.hit && k < 9; ++k) {  // a NaN anywhere undoes a hit
      Vec3 in[] = {c.n, c.start, c.end};
      component(in[k / 3], k % 3) = NAN_F;
      EXPECT_EQ(vec3_segment_plane(&at, &in[0], &t, &in[1], &in[2], &q), 0) << "NaN " << k;
    }
  }
}

// A triangle in z = 0, crossed by vertical segments from z = -1 to 3; the
// plane's crossing (t 0.25) is written even when an edge rejects it.
TEST(Intersect, SegmentTriangle) {
  const Vec3 p0{0, 0, 0}, p1{4, 0, 0}, p2{0, 2, 0}, n{0, 0, -1};  // n as the winding gives it
  struct Case { const char *name; float x, y; int hit; };
  const Case cases[] = {
      {"inside", 1, 0.5f, 1},           {"on edge p0 p1", 2, 0, 1},
      {"on edge p1 p2", 2, 1, 1},       {"on edge p2 p0", 0, 1, 1},
      {"on corner p1", 4, 0, 1},        {"on corner p2", 0, 2, 1},
      {"past edge p0 p1", 1, -0.5f, 0}, {"past edge p1 p2", 3, 1, 0},
      {"past edge p2 p0", -0.5f, 1, 0}, {"far away", 10, 10, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const Vec3 start{c.x, c.y, -1}, end{c.x, c.y, 3};
    Vec3 at = U3, corner = p0;
    float t = U;
    EXPECT_EQ(vec3_segment_triangle(&at, &n, &t, &start, &end, &p0, &p1, &p2), c.hit);
    EXPECT_EQ(t, 0.25f);
    EXPECT_TRUE(near(at, Vec3{c.x, c.y, 0}));
    // The hit written over p0 must not move the corner the edges are tested at.
    EXPECT_EQ(vec3_segment_triangle(&corner, &n, &t, &start, &end, &corner, &p1, &p2), c.hit);
  }
  const Vec3 up{0, 0, 1}, below{1, 0.5f, -1}, above{1, 0.5f, 3};
  Vec3 at = U3;
  float t = U;
  EXPECT_EQ(vec3_segment_triangle(&at, &n, &t, &above, &below, &p0, &p1, &p2), 0);  // wrong way
  EXPECT_EQ(vec3_segment_triangle(&at, &up, &t, &above, &below, &p0, &p2, &p1), 1);  // rewound
  EXPECT_EQ(vec3_segment_triangle(&at, &up, &t, &above, &below, &p0, &p1, &p2), 0);  // n disagrees
}

// The path start..end against the wall a (0,0), b (4,0): raw normal (0,4),
// unit normal (0,1). Misses on the side tests leave n raw and write nothing
// else; a path along the line, or a wall of zero length, writes only n.
TEST(Intersect, SegmentSegment) {
  struct Case { const char *name; Vec2 start, end, b; int hit; Vec2 n; float t; Vec2 at; };
  const Vec2 a{0, 0}, B{4, 0};
  const Case cases[] = {
      {"down through", {1, 2}, {1, -2}, B, 1, {0, 1}, 0.5f, {1, 0}},
      {"through corner a", {-1, 1}, {1, -1}, B, 1, {0, 1}, 0.5f, {0, 0}},
      {"through corner b", {4, 2}, {4, -2}, B, 1, {0, 1}, 0.5f, {4, 0}},
      {"ends on the wall", {1, 2}, {3, 0}, B, 1, {0, 1}, 1, {3, 0}},
      {"starts on the wall", {2, 0}, {2, -1}, B, 1, {0, 1}, 0, {2, 0}},
      {"tilted wall", {0, 4}, {4, -4}, {4, 4}, 1, {-R2, R2}, 1.0f / 3, {4.0f / 3, 4.0f / 3}},
      {"up through", {1, -2}, {1, 2}, B, 0, {0, 4}, U, U2},
      {"stays above", {1, 2}, {3, 1}, B, 0, {0, 4}, U, U2},
      {"past b", {5, 2}, {5, -2}, B, 0, {0, 1}, 0.5f, {5, 0}},
      {"past a", {-1, 1}, {-1, -3}, B, 0, {0, 1}, 0.25f, {-1, 0}},
      {"along the wall", {-1, 0}, {5, 0}, B, 0, {0, 1}, U, U2},
      {"zero-length wall", {0, 1}, {0, -1}, a, 0, {0, 0}, U, U2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Vec2 at = U2, n = U2, s = c.start, wall_a = a;
    float t = U;
    EXPECT_EQ(vec2_segment_segment(&at, &n, &t, &c.start, &c.end, &a, &c.b), c.hit);
    EXPECT_TRUE(near(n, c.n));
    EXPECT_NEAR(t, c.t, 1e-6f);
    EXPECT_TRUE(near(at, c.at));
    vec2_segment_segment(&s, &wall_a, &t, &s, &c.end, &wall_a, &c.b);  // outputs over inputs
    EXPECT_TRUE(same(s, same(at, U2) ? c.start : at));
    EXPECT_TRUE(same(wall_a, n));
    for (int k = 0; c.hit && k < 6; ++k) {  // a NaN anywhere undoes a hit
      Vec2 in[] = {c.start, c.end, c.b};
      component(in[k / 2], k % 2) = NAN_F;
      EXPECT_EQ(vec2_segment_segment(&at, &n, &t, &in[0], &in[1], &a, &in[2]), 0) << "NaN " << k;
    }
  }
}

// A circle against the segment (0,0)..(4,0). A centre that does not project
// onto the segment, or a segment of zero length, writes nothing; a circle
// too far from the line writes only n.
TEST(Intersect, CircleSegment) {
  struct Case { const char *name; Vec2 c, b; float radius; int hit; Vec2 n, at; float ratio; };
  const Vec2 a{0, 0}, B{4, 0}, N{0, 1};
  const Case cases[] = {
      {"above", {1, 0.5f}, B, 1, 1, N, {1, 0}, 0.5f},
      {"below", {3, -0.25f}, B, 0.5f, 1, N, {3, 0}, -0.5f},
      {"on the line", {2, 0}, B, 1, 1, N, {2, 0}, 0},
      {"at the radius", {1, -1}, B, 1, 1, N, {1, 0}, -1},
      {"over corner a", {0, 0.5f}, B, 1, 1, N, {0, 0}, 0.5f},
      {"over corner b", {4, -0.5f}, B, 1, 1, N, {4, 0}, -0.5f},
      {"zero radius on the line", {2, 0}, B, 0, 1, N, {2, 0}, 0},
      {"tilted", {0, 2}, {2, 2}, 2, 1, {-R2, R2}, {1, 1}, R2},
      {"beyond the radius", {1, 1.5f}, B, 1, 0, N, U2, U},
      {"zero radius off the line", {2, 0.001f}, B, 0, 0, N, U2, U},
      {"past b", {5, 0.5f}, B, 1, 0, U2, U2, U},
      {"past a", {-0.1f, 0}, B, 1, 0, U2, U2, U},
      {"zero-length segment", a, a, 1, 0, U2, U2, U},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Vec2 at = U2, n = U2, centre = c.c, end_b = c.b;
    float ratio = U;
    EXPECT_EQ(vec2_circle_segment(&at, &n, &ratio, &c.c, &a, &c.b, c.radius), c.hit);
    EXPECT_TRUE(near(n, c.n));
    EXPECT_TRUE(near(at, c.at));
    EXPECT_NEAR(ratio, c.ratio, 1e-6f);
    // outputs over inputs
    vec2_circle_segment(&centre, &end_b, &ratio, &centre, &a, &end_b, c.radius);
    EXPECT_TRUE(same(centre, same(at, U2) ? c.c : at));
    EXPECT_TRUE(same(end_b, same(n, U2) ? c.b : n));
    for (int k = 0; c.hit && k < 5; ++k) {  // a NaN anywhere undoes a hit
      Vec2 in[] = {c.c, c.b};
      if (k < 4) component(in[k / 2], k % 2) = NAN_F;
      const float radius = k < 4 ? c.radius : NAN_F;
      EXPECT_EQ(vec2_circle_segment(&at, &n, &ratio, &in[0], &a, &in[1], radius), 0) << "NaN " << k;
    }
  }
}

}  // namespace
