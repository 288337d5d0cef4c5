// Vectors, matrices and intersection tests: sign conventions, zero lengths,
// aliasing of outputs with inputs, and which outputs each miss leaves alone.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <vector>

#include "math/vecmath.h"

namespace {

constexpr float PI = std::numbers::pi_v<float>;
constexpr float NAN_F = std::numeric_limits<float>::quiet_NaN();
constexpr float EPS = 1e-6f;
constexpr float R2 = 0.70710678f;  // 1 / sqrt(2)
// Values no test result can produce, to tell an untouched output.
constexpr Vec2 UNTOUCHED2{-777, 999};
constexpr Vec3 UNTOUCHED3{-777, 999, 555};
constexpr float UNTOUCHED_F = -12345;

::testing::AssertionResult near(const Vec3 &got, const Vec3 &want, float eps = EPS) {
  if (std::fabs(got.x - want.x) <= eps && std::fabs(got.y - want.y) <= eps &&
      std::fabs(got.z - want.z) <= eps)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << got.x << ", " << got.y << ", " << got.z
                                       << ") want (" << want.x << ", " << want.y << ", "
                                       << want.z << ")";
}

::testing::AssertionResult near(const Vec2 &got, const Vec2 &want, float eps = EPS) {
  return near(Vec3{got.x, got.y, 0}, Vec3{want.x, want.y, 0}, eps);
}

bool same(const Vec3 &a, const Vec3 &b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
bool same(const Vec2 &a, const Vec2 &b) { return a.x == b.x && a.y == b.y; }

template <typename V>
using Ops = std::vector<std::pair<const char *, std::function<void(V *, const V *, const V *)>>>;

// Each operation gives the same result whether its output is a separate
// object or the same object as either input.
template <typename V>
void expect_alias_safe(const Ops<V> &ops, const V &A, const V &B) {
  for (const auto &[name, op] : ops) {
    V want, a = A, b = B;
    op(&want, &A, &B);
    op(&a, &a, &b);
    EXPECT_TRUE(same(a, want)) << name << " with out == a";
    a = A;
    op(&b, &a, &b);
    EXPECT_TRUE(same(b, want)) << name << " with out == b";
  }
}

float &component(Vec3 &v, int i) { return i == 0 ? v.x : i == 1 ? v.y : v.z; }
float &component(Vec2 &v, int i) { return i == 0 ? v.x : v.y; }

// ---- three components ----

TEST(Vec3Ops, ArithmeticAndReturns) {
  const Vec3 a{1, -2, 3}, b{0.5f, 4, -8};
  Vec3 out;
  EXPECT_EQ(vec3_copy(&out, &a), &out);
  EXPECT_TRUE(same(out, a));
  vec3_sub(&out, &a, &b);
  EXPECT_TRUE(same(out, Vec3{0.5f, -6, 11}));
  EXPECT_EQ(vec3_scale(&out, &a, -2), &out);
  EXPECT_TRUE(same(out, Vec3{-2, 4, -6}));
  vec3_madd(&out, &a, &b, 2);
  EXPECT_TRUE(same(out, Vec3{2, 6, -13}));
  EXPECT_FLOAT_EQ(vec3_dot(&a, &b), -31.5f);
  const Vec3 c{2, -3, 6};
  EXPECT_FLOAT_EQ(vec3_length(&c), 7);
  // Summed wider than float: a float sum of squares would overflow to inf.
  const Vec3 big{2e38f, -2e38f, 1e38f};
  EXPECT_FLOAT_EQ(vec3_length(&big), 3e38f);
}

TEST(Vec3Ops, CrossIsBTimesA) {
  struct Case { Vec3 a, b, want; };
  const Case cases[] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}},
      {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},
      {{0, 1, 0}, {0, 0, 1}, {-1, 0, 0}},
      {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}},
      {{1, 2, 3}, {4, 5, 6}, {3, -6, 3}},
      {{1, 2, 3}, {2, 4, 6}, {0, 0, 0}},
  };
  for (const Case &c : cases) {
    Vec3 out;
    vec3_cross(&out, &c.a, &c.b);
    EXPECT_TRUE(same(out, c.want)) << c.a.x << c.a.y << c.a.z << " x " << c.b.x << c.b.y << c.b.z;
  }
}

// Zero stays zero; lengths whose float reciprocal would overflow or go
// denormal still come out as unit vectors.
TEST(Normalize, ZeroAndExtremeLengths) {
  struct Case { Vec3 in, want; };
  const Case cases[] = {
      {{3, 0, -4}, {0.6f, 0, -0.8f}},
      {{0, 0, 0}, {0, 0, 0}},
      {{-0.0f, 0, -0.0f}, {0, 0, 0}},
      {{1e-45f, 0, 0}, {1, 0, 0}},
      {{0, 1e-40f, -1e-40f}, {0, R2, -R2}},
      {{3e38f, -3e38f, 0}, {R2, -R2, 0}},
  };
  for (const Case &c : cases) {
    Vec3 out = UNTOUCHED3;
    EXPECT_EQ(vec3_normalize(&out, &c.in), &out);
    EXPECT_TRUE(near(out, c.want)) << "from (" << c.in.x << ", " << c.in.y << ", " << c.in.z << ")";
  }
  struct Case2 { Vec2 in, want; };
  const Case2 cases2[] = {
      {{3, -4}, {0.6f, -0.8f}},        {{0, 0}, {0, 0}},
      {{-0.0f, -0.0f}, {0, 0}},        {{0, 1e-45f}, {0, 1}},
      {{-1e-40f, 1e-40f}, {-R2, R2}},  {{3e38f, 3e38f}, {R2, R2}},
  };
  for (const Case2 &c : cases2) {
    Vec2 out = UNTOUCHED2;
    vec2_normalize(&out, &c.in);
    EXPECT_TRUE(near(out, c.want)) << "from (" << c.in.x << ", " << c.in.y << ")";
  }
}

TEST(Vec3Ops, MatrixMultipliesARowVector) {
  const Mat3 m{{{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}};
  const Vec3 a{1, -1, 2};
  Vec3 out;
  vec3_mul_mat3(&out, &a, &m);
  EXPECT_TRUE(same(out, Vec3{11, 13, 17}));  // a column vector would give (5, 11, 19)
  Mat3 id;
  EXPECT_EQ(mat3_identity(&id), &id);
  vec3_mul_mat3(&out, &a, &id);
  EXPECT_TRUE(same(out, a));
  // The output may be one of the matrix's own rows; a sum built up in the
  // output would read row 1 after overwriting it.
  Mat3 own = m;
  vec3_mul_mat3(&own.row[1], &a, &own);
  EXPECT_TRUE(same(own.row[1], Vec3{11, 13, 17}));
}

TEST(Vec3Ops, TriangleNormalFollowsWinding) {
  const Vec3 o{0, 0, 0}, x{5, 0, 0}, y{0, 3, 0}, x2{10, 0, 0};
  Vec3 out;
  EXPECT_EQ(vec3_triangle_normal(&out, &o, &x, &y), &out);
  EXPECT_TRUE(near(out, Vec3{0, 0, -1}));
  vec3_triangle_normal(&out, &o, &y, &x);
  EXPECT_TRUE(near(out, Vec3{0, 0, 1}));
  vec3_triangle_normal(&out, &o, &x, &x2);  // collinear
  EXPECT_TRUE(same(out, Vec3{0, 0, 0}));
  Vec3 p0 = o;  // output aliasing the first corner
  vec3_triangle_normal(&p0, &p0, &x, &y);
  EXPECT_TRUE(near(p0, Vec3{0, 0, -1}));
}

TEST(Vec3Ops, RotateAxisTurnsByMinusAngle) {
  struct Case { Vec3 v, axis; float angle; Vec3 want; };
  const Case cases[] = {
      {{1, 0, 0}, {0, 0, 1}, PI / 2, {0, -1, 0}},
      {{0, 1, 0}, {0, 0, 1}, PI / 2, {1, 0, 0}},
      {{1, 0, 0}, {0, 0, 1}, -PI / 2, {0, 1, 0}},
      {{1, 0, 0}, {0, 1, 0}, PI / 2, {0, 0, 1}},
      {{0, 0, 1}, {1, 0, 0}, PI / 2, {0, 1, 0}},
      {{1, 1, 0}, {0, 0, 1}, PI / 4, {1, 0, 0}},
      {{2, 0, 0}, {0, 0, 1}, PI, {-1, 0, 0}},   // renormalised
      {{0, 0, 3}, {0, 0, 1}, 1.0f, {0, 0, 1}},  // along the axis
      {{0, 3, 4}, {1, 0, 0}, 0, {0, 0.6f, 0.8f}},
      {{0, 0, 0}, {0, 0, 1}, 1.0f, {0, 0, 0}},
  };
  for (const Case &c : cases) {
    Vec3 v = c.v;
    EXPECT_EQ(vec3_rotate_axis(&v, &c.axis, c.angle), &v);
    EXPECT_TRUE(near(v, c.want)) << "v (" << c.v.x << ", " << c.v.y << ", " << c.v.z
                                 << ") angle " << c.angle;
  }
  const Vec3 axis{0.48f, 0.6f, 0.64f}, start{0.6f, -0.8f, 0};
  Vec3 v = start;
  vec3_rotate_axis(&v, &axis, 0.7f);
  vec3_rotate_axis(&v, &axis, -0.7f);
  EXPECT_TRUE(near(v, start, 1e-5f));
}

TEST(Vec3Ops, Mat3RotateAxisTurnsEachRow) {
  Mat3 m;
  mat3_identity(&m);
  const Vec3 z{0, 0, 1};
  EXPECT_EQ(mat3_rotate_axis(&m, &z, PI / 2), &m.row[2]);
  EXPECT_TRUE(near(m.row[0], Vec3{0, -1, 0}));
  EXPECT_TRUE(near(m.row[1], Vec3{1, 0, 0}));
  EXPECT_TRUE(near(m.row[2], Vec3{0, 0, 1}));
  // Rows are normalised one by one.
  Mat3 scaled{{{2, 0, 0}, {0, 3, 0}, {0, 0, 4}}};
  mat3_rotate_axis(&scaled, &z, 0);
  EXPECT_TRUE(near(scaled.row[1], Vec3{0, 1, 0}));
  EXPECT_TRUE(near(scaled.row[2], Vec3{0, 0, 1}));
  // The axis is read once, before row 0 (which it is) gets renormalised;
  // a non-unit axis makes a re-read visible in rows 1 and 2.
  const Mat3 start{{{0, 0, 2}, {1, 0, 0}, {0, 1, 0}}};
  Mat3 aliased = start, apart = start;
  const Vec3 axis = start.row[0];
  mat3_rotate_axis(&aliased, &aliased.row[0], PI / 4);
  mat3_rotate_axis(&apart, &axis, PI / 4);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(same(aliased.row[i], apart.row[i])) << "row " << i;
}

TEST(Vec3Ops, OutputMayAliasAnyInput) {
  const Mat3 m{{{1, 2, 3}, {-4, 5, 6}, {7, -8, 9}}};
  const Ops<Vec3> ops = {
      {"copy", [](Vec3 *o, const Vec3 *a, const Vec3 *) { vec3_copy(o, a); }},
      {"sub", vec3_sub},
      {"scale", [](Vec3 *o, const Vec3 *a, const Vec3 *) { vec3_scale(o, a, -1.5f); }},
      {"madd", [](Vec3 *o, const Vec3 *a, const Vec3 *b) { vec3_madd(o, a, b, 0.25f); }},
      {"cross", vec3_cross},
      {"normalize", [](Vec3 *o, const Vec3 *a, const Vec3 *) { vec3_normalize(o, a); }},
      {"mul_mat3", [&m](Vec3 *o, const Vec3 *a, const Vec3 *) { vec3_mul_mat3(o, a, &m); }},
  };
  expect_alias_safe(ops, Vec3{0.6f, 0, 0.8f}, Vec3{-2, 5, 7});
}

// ---- two components ----

TEST(Vec2Ops, ArithmeticAndReturns) {
  const Vec2 a{1, -2}, b{0.5f, 4};
  Vec2 out;
  vec2_add(&out, &a, &b);
  EXPECT_TRUE(same(out, Vec2{1.5f, 2}));
  vec2_sub(&out, &a, &b);
  EXPECT_TRUE(same(out, Vec2{0.5f, -6}));
  EXPECT_EQ(vec2_scale(&out, &a, -3), &out);
  EXPECT_TRUE(same(out, Vec2{-3, 6}));
  vec2_madd(&out, &a, &b, 2);
  EXPECT_TRUE(same(out, Vec2{2, 6}));
  EXPECT_FLOAT_EQ(vec2_dot(&a, &b), -7.5f);
  const Vec2 c{-5, 12}, big{2e38f, -1.5e38f};
  EXPECT_FLOAT_EQ(vec2_length(&c), 13);
  EXPECT_FLOAT_EQ(vec2_length(&big), 2.5e38f);
}

TEST(Vec2Ops, PerpAndRotateTurnCounterClockwise) {
  struct Case { Vec2 in, perp; };
  const Case perps[] = {{{1, 0}, {0, 1}}, {{0, 1}, {-1, 0}}, {{2, -3}, {3, 2}}};
  for (const Case &c : perps) {
    Vec2 out;
    vec2_perp(&out, &c.in);
    EXPECT_TRUE(same(out, c.perp));
  }
  struct Turn { Vec2 in; float angle; Vec2 want; };
  const Turn turns[] = {
      {{1, 0}, PI / 2, {0, 1}},  {{3, 4}, PI, {-3, -4}},
      {{0, 2}, -PI / 2, {2, 0}}, {{1, 0}, PI / 6, {0.8660254f, 0.5f}},
      {{1, 2}, 2 * PI, {1, 2}},
  };
  for (const Turn &t : turns) {
    Vec2 v = t.in;
    vec2_rotate(&v, t.angle);
    EXPECT_TRUE(near(v, t.want, 1e-6f)) << "angle " << t.angle;
  }
}

TEST(Vec2Ops, OutputMayAliasAnyInput) {
  const Ops<Vec2> ops = {
      {"add", vec2_add},
      {"sub", vec2_sub},
      {"scale", [](Vec2 *o, const Vec2 *a, const Vec2 *) { vec2_scale(o, a, -1.5f); }},
      {"madd", [](Vec2 *o, const Vec2 *a, const Vec2 *b) { vec2_madd(o, a, b, 0.25f); }},
      {"perp", [](Vec2 *o, const Vec2 *a, const Vec2 *) { vec2_perp(o, a); }},
      {"normalize", [](Vec2 *o, const Vec2 *a, const Vec2 *) { vec2_normalize(o, a); }},
  };
  expect_alias_safe(ops, Vec2{3, -4}, Vec2{-2, 7});
}

// ---- segment against plane and triangle ----

// Plane z = 5 facing +z: a hit needs the segment to go from z >= 5 to z <= 5.
TEST(SegmentPlane, HitsOnlyGoingFromFrontToBack) {
  enum Written { NOTHING, T_ONLY, ALL };
  struct Case { const char *name; Vec3 start, end; int hit; Written written; float t; Vec3 at; };
  const Case cases[] = {
      {"front to back", {1, 2, 8}, {1, 2, 4}, 1, ALL, 0.75f, {1, 2, 5}},
      {"starts on the plane", {2, 0, 5}, {2, -1, 1}, 1, ALL, 0, {2, 0, 5}},
      {"ends on the plane", {2, 0, 9}, {4, 0, 5}, 1, ALL, 1, {4, 0, 5}},
      {"back to front", {1, 2, 4}, {1, 2, 8}, 0, NOTHING, 0, {}},
      {"both in front", {0, 0, 9}, {0, 0, 6}, 0, NOTHING, 0, {}},
      {"both behind", {0, 0, 1}, {0, 0, 3}, 0, NOTHING, 0, {}},
      {"from the plane forward", {0, 0, 5}, {0, 0, 8}, 0, NOTHING, 0, {}},
      {"lies in the plane", {0, 0, 5}, {3, 1, 5}, 0, T_ONLY, 0, {}},
      {"a point on the plane", {1, 1, 5}, {1, 1, 5}, 0, T_ONLY, 0, {}},
  };
  const Vec3 n{0, 0, 1}, q{-3, 7, 5};
  for (const Case &c : cases) {
    Vec3 at = UNTOUCHED3;
    float t = UNTOUCHED_F;
    EXPECT_EQ(vec3_segment_plane(&at, &n, &t, &c.start, &c.end, &q), c.hit) << c.name;
    EXPECT_FLOAT_EQ(t, c.written == NOTHING ? UNTOUCHED_F : c.t) << c.name;
    EXPECT_TRUE(near(at, c.written == ALL ? c.at : UNTOUCHED3)) << c.name;
  }
}

TEST(SegmentPlane, TiltedPlaneAndDegenerateNormal) {
  const Vec3 n{R2, R2, 0}, q{1, 1, 0}, start{3, 3, 7}, end{-1, -1, 7};
  Vec3 want;
  float t;
  ASSERT_EQ(vec3_segment_plane(&want, &n, &t, &start, &end, &q), 1);
  EXPECT_NEAR(t, 0.5f, EPS);
  EXPECT_TRUE(near(want, Vec3{1, 1, 7}, 1e-5f));
  // The hit point may be written over the start it was computed from.
  Vec3 s = start;
  ASSERT_EQ(vec3_segment_plane(&s, &n, &t, &s, &end, &q), 1);
  EXPECT_TRUE(same(s, want));
  const Vec3 zero{0, 0, 0};
  Vec3 at = UNTOUCHED3;
  EXPECT_EQ(vec3_segment_plane(&at, &zero, &t, &start, &end, &q), 0);
  EXPECT_TRUE(same(at, UNTOUCHED3));
}

// Triangle in z = 0 with its normal from vec3_triangle_normal, crossed by
// vertical segments from z = -1 to z = 3 (t = 0.25).
TEST(SegmentTriangle, EdgesAndCornersCountAsInside) {
  const Vec3 p0{0, 0, 0}, p1{4, 0, 0}, p2{0, 2, 0};
  Vec3 n;
  vec3_triangle_normal(&n, &p0, &p1, &p2);
  struct Case { const char *name; float x, y; int hit; };
  const Case cases[] = {
      {"inside", 1, 0.5f, 1},          {"on edge p0 p1", 2, 0, 1},
      {"on edge p1 p2", 2, 1, 1},      {"on edge p2 p0", 0, 1, 1},
      {"on corner p1", 4, 0, 1},       {"on corner p2", 0, 2, 1},
      {"past edge p0 p1", 1, -0.5f, 0}, {"past edge p1 p2", 3, 1, 0},
      {"past edge p2 p0", -0.5f, 1, 0}, {"far away", 10, 10, 0},
  };
  for (const Case &c : cases) {
    const Vec3 start{c.x, c.y, -1}, end{c.x, c.y, 3};
    Vec3 at = UNTOUCHED3;
    float t = UNTOUCHED_F;
    EXPECT_EQ(vec3_segment_triangle(&at, &n, &t, &start, &end, &p0, &p1, &p2), c.hit) << c.name;
    // The plane crossing is written even when an edge rejects it.
    EXPECT_FLOAT_EQ(t, 0.25f) << c.name;
    EXPECT_TRUE(near(at, Vec3{c.x, c.y, 0})) << c.name;
  }
}

TEST(SegmentTriangle, DirectionWindingAndAliasing) {
  const Vec3 p0{0, 0, 0}, p1{4, 0, 0}, p2{0, 2, 0}, down{0, 0, -1}, up{0, 0, 1};
  const Vec3 below{1, 0.5f, -1}, above{1, 0.5f, 3};
  Vec3 at = UNTOUCHED3;
  float t = UNTOUCHED_F;
  EXPECT_EQ(vec3_segment_triangle(&at, &down, &t, &above, &below, &p0, &p1, &p2), 0);
  EXPECT_TRUE(same(at, UNTOUCHED3));
  EXPECT_EQ(t, UNTOUCHED_F);
  // Reversed winding with the matching normal is hit from the other side.
  EXPECT_EQ(vec3_segment_triangle(&at, &up, &t, &above, &below, &p0, &p2, &p1), 1);
  EXPECT_TRUE(near(at, Vec3{1, 0.5f, 0}));
  // A normal that disagrees with the winding rejects every inside point.
  EXPECT_EQ(vec3_segment_triangle(&at, &up, &t, &above, &below, &p0, &p1, &p2), 0);
  // The hit written over p0 must not move the corner the edges are tested
  // at: with p0 moved onto it, this point past edge p0 p1 would be inside.
  const Vec3 outside_start{1, -0.5f, -1}, outside_end{1, -0.5f, 3};
  Vec3 corner = p0;
  EXPECT_EQ(vec3_segment_triangle(&corner, &down, &t, &outside_start, &outside_end, &corner,
                                  &p1, &p2), 0);
  corner = p0;
  EXPECT_EQ(vec3_segment_triangle(&corner, &down, &t, &below, &above, &corner, &p1, &p2), 1);
}

// ---- 2D segment against segment ----

// Wall a = (0,0), b = (4,0): raw normal (0,4), unit normal (0,1).
TEST(SegmentSegment, CrossingFromTheNormalSide) {
  enum Written { N_RAW, N_ONLY, ALL };
  struct Case { const char *name; Vec2 start, end; int hit; Written written; float t; Vec2 at; };
  const Case cases[] = {
      {"down through", {1, 2}, {1, -2}, 1, ALL, 0.5f, {1, 0}},
      {"through corner a", {-1, 1}, {1, -1}, 1, ALL, 0.5f, {0, 0}},
      {"through corner b", {4, 2}, {4, -2}, 1, ALL, 0.5f, {4, 0}},
      {"ends on the wall", {1, 2}, {3, 0}, 1, ALL, 1, {3, 0}},
      {"starts on the wall", {2, 0}, {2, -1}, 1, ALL, 0, {2, 0}},
      {"up through", {1, -2}, {1, 2}, 0, N_RAW, 0, {}},
      {"stays above", {1, 2}, {3, 1}, 0, N_RAW, 0, {}},
      {"standing above", {2, 1}, {2, 1}, 0, N_RAW, 0, {}},
      {"past b", {5, 2}, {5, -2}, 0, ALL, 0.5f, {5, 0}},
      {"past a", {-1, 1}, {-1, -3}, 0, ALL, 0.25f, {-1, 0}},
      {"along the wall", {-1, 0}, {5, 0}, 0, N_ONLY, 0, {}},
      {"standing on the wall", {2, 0}, {2, 0}, 0, N_ONLY, 0, {}},
  };
  const Vec2 a{0, 0}, b{4, 0};
  for (const Case &c : cases) {
    Vec2 at = UNTOUCHED2, n = UNTOUCHED2;
    float t = UNTOUCHED_F;
    EXPECT_EQ(vec2_segment_segment(&at, &n, &t, &c.start, &c.end, &a, &b), c.hit) << c.name;
    EXPECT_TRUE(same(n, c.written == N_RAW ? Vec2{0, 4} : Vec2{0, 1})) << c.name;
    EXPECT_FLOAT_EQ(t, c.written == ALL ? c.t : UNTOUCHED_F) << c.name;
    EXPECT_TRUE(near(at, c.written == ALL ? c.at : UNTOUCHED2)) << c.name;
  }
}

TEST(SegmentSegment, TiltedWallDegenerateWallAndAliasing) {
  const Vec2 a{1, 1}, b{3, 3}, start{0, 4}, end{4, 0};
  Vec2 at, n;
  float t;
  ASSERT_EQ(vec2_segment_segment(&at, &n, &t, &start, &end, &a, &b), 1);
  EXPECT_TRUE(near(n, Vec2{-R2, R2}));
  EXPECT_NEAR(t, 0.5f, EPS);
  EXPECT_TRUE(near(at, Vec2{2, 2}));
  // a == b: no normal, so no crossing, even for a path straight through it.
  const Vec2 point{2, 0}, over{2, 1}, under{2, -1};
  at = UNTOUCHED2;
  t = UNTOUCHED_F;
  EXPECT_EQ(vec2_segment_segment(&at, &n, &t, &over, &under, &point, &point), 0);
  EXPECT_TRUE(same(n, Vec2{0, 0}));
  EXPECT_TRUE(same(at, UNTOUCHED2));
  EXPECT_EQ(t, UNTOUCHED_F);
  // Outputs written over the inputs they are computed from.
  Vec2 s = start, wall_a = a;
  ASSERT_EQ(vec2_segment_segment(&s, &wall_a, &t, &s, &end, &wall_a, &b), 1);
  EXPECT_TRUE(near(s, Vec2{2, 2}));
  EXPECT_TRUE(near(wall_a, Vec2{-R2, R2}));
}

// ---- 2D circle against segment ----

TEST(CircleSegment, HitsWithinRadiusOverTheSegment) {
  enum Written { NOTHING, N_ONLY, ALL };
  struct Case { const char *name; Vec2 c; float radius; int hit; Written written; Vec2 at; float ratio; };
  const Case cases[] = {
      {"above", {1, 0.5f}, 1, 1, ALL, {1, 0}, 0.5f},
      {"below", {3, -0.25f}, 0.5f, 1, ALL, {3, 0}, -0.5f},
      {"on the line", {2, 0}, 1, 1, ALL, {2, 0}, 0},
      {"at the radius", {1, 1}, 1, 1, ALL, {1, 0}, 1},
      {"at the radius below", {1, -1}, 1, 1, ALL, {1, 0}, -1},
      {"over corner a", {0, 0.5f}, 1, 1, ALL, {0, 0}, 0.5f},
      {"over corner b", {4, -0.5f}, 1, 1, ALL, {4, 0}, -0.5f},
      {"zero radius on the line", {2, 0}, 0, 1, ALL, {2, 0}, 0},
      {"beyond the radius", {1, 1.5f}, 1, 0, N_ONLY, {}, 0},
      {"zero radius off the line", {2, 0.001f}, 0, 0, N_ONLY, {}, 0},
      {"negative radius", {2, 0}, -1, 0, N_ONLY, {}, 0},
      {"past b", {5, 0.5f}, 1, 0, NOTHING, {}, 0},
      {"past a", {-0.1f, 0}, 1, 0, NOTHING, {}, 0},
  };
  const Vec2 a{0, 0}, b{4, 0};
  for (const Case &c : cases) {
    Vec2 at = UNTOUCHED2, n = UNTOUCHED2;
    float ratio = UNTOUCHED_F;
    EXPECT_EQ(vec2_circle_segment(&at, &n, &ratio, &c.c, &a, &b, c.radius), c.hit) << c.name;
    EXPECT_TRUE(same(n, c.written == NOTHING ? UNTOUCHED2 : Vec2{0, 1})) << c.name;
    EXPECT_TRUE(near(at, c.written == ALL ? c.at : UNTOUCHED2)) << c.name;
    EXPECT_FLOAT_EQ(ratio, c.written == ALL ? c.ratio : UNTOUCHED_F) << c.name;
  }
}

TEST(CircleSegment, TiltedDegenerateAndAliasing) {
  const Vec2 a{1, 1}, b{3, 3}, c{1, 3};
  Vec2 at, n;
  float ratio;
  ASSERT_EQ(vec2_circle_segment(&at, &n, &ratio, &c, &a, &b, 2), 1);
  EXPECT_TRUE(near(n, Vec2{-R2, R2}));
  EXPECT_TRUE(near(at, Vec2{2, 2}));
  EXPECT_NEAR(ratio, R2, EPS);
  // A zero-length segment is never hit, not even by a circle centred on it.
  at = n = UNTOUCHED2;
  ratio = UNTOUCHED_F;
  EXPECT_EQ(vec2_circle_segment(&at, &n, &ratio, &a, &a, &a, 1), 0);
  EXPECT_TRUE(same(at, UNTOUCHED2));
  EXPECT_TRUE(same(n, UNTOUCHED2));
  EXPECT_EQ(ratio, UNTOUCHED_F);
  // Outputs written over the inputs they are computed from.
  Vec2 centre = c, end_b = b;
  ASSERT_EQ(vec2_circle_segment(&centre, &end_b, &ratio, &centre, &a, &end_b, 2), 1);
  EXPECT_TRUE(near(centre, Vec2{2, 2}));
  EXPECT_TRUE(near(end_b, Vec2{-R2, R2}));
}

// ---- NaN never becomes a collision ----

TEST(Intersections, NaNInputIsNeverAHit) {
  // Each base configuration is a hit; a NaN in any one component undoes it.
  for (int slot = 0; slot < 4; ++slot)
    for (int i = 0; i < 3; ++i) {
      Vec3 in[4] = {{0, 0, 1}, {1, 2, 8}, {1, 2, 4}, {0, 0, 5}};  // n, start, end, q
      component(in[slot], i) = NAN_F;
      Vec3 at;
      float t;
      EXPECT_EQ(vec3_segment_plane(&at, &in[0], &t, &in[1], &in[2], &in[3]), 0)
          << "plane slot " << slot << " component " << i;
    }
  for (int slot = 0; slot < 4; ++slot)
    for (int i = 0; i < 2; ++i) {
      Vec2 in[4] = {{1, 2}, {1, -2}, {0, 0}, {4, 0}};  // start, end, a, b
      component(in[slot], i) = NAN_F;
      Vec2 at, n;
      float t;
      EXPECT_EQ(vec2_segment_segment(&at, &n, &t, &in[0], &in[1], &in[2], &in[3]), 0)
          << "segment slot " << slot << " component " << i;
    }
  for (int slot = 0; slot < 3; ++slot)
    for (int i = 0; i < 2; ++i) {
      Vec2 in[3] = {{1, 0.5f}, {0, 0}, {4, 0}};  // c, a, b
      component(in[slot], i) = NAN_F;
      Vec2 at, n;
      float ratio;
      EXPECT_EQ(vec2_circle_segment(&at, &n, &ratio, &in[0], &in[1], &in[2], 1), 0)
          << "circle slot " << slot << " component " << i;
    }
  {
    const Vec2 c{1, 0.5f}, a{0, 0}, b{4, 0};
    Vec2 at, n;
    float ratio;
    EXPECT_EQ(vec2_circle_segment(&at, &n, &ratio, &c, &a, &b, NAN_F), 0) << "circle radius";
  }
  // The triangle's normal picks which components count; a hit it still
  // reports comes from finite numbers only.
  for (int slot = 0; slot < 3; ++slot)
    for (int i = 0; i < 3; ++i) {
      Vec3 corner[3] = {{0, 0, 0}, {4, 0, 0}, {0, 2, 0}};
      component(corner[slot], i) = NAN_F;
      const Vec3 n{0, 0, -1}, start{1, 0.5f, -1}, end{1, 0.5f, 3};
      Vec3 at;
      float t;
      if (!vec3_segment_triangle(&at, &n, &t, &start, &end, &corner[0], &corner[1], &corner[2]))
        continue;
      EXPECT_TRUE(std::isfinite(t) && std::isfinite(at.x) && std::isfinite(at.y) &&
                  std::isfinite(at.z))
          << "triangle corner " << slot << " component " << i;
    }
}

}  // namespace
