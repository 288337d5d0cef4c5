// Vectors, matrices and intersection tests: values and sign conventions,
// zero lengths, outputs written over inputs, what a miss leaves alone, and
// NaN never hitting.
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

Vec3 v3(Vec2 v) { return {v.x, v.y, 0}; }
Vec3 v3(Vec3 v) { return v; }

::testing::AssertionResult near(const Vec3 &got, const Vec3 &want, float eps = 1e-6f) {
  if (std::fabs(got.x - want.x) <= eps && std::fabs(got.y - want.y) <= eps && std::fabs(got.z - want.z) <= eps)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << ")";
}

// out = f(a, b) for a = A, b = B gives `want` whether out is another object, a or b.
template <typename V>
void expect_op(const std::function<void(V *, const V *, const V *)> &f, V A, V B, V want) {
  V out, a = A, b = B;
  f(&out, &A, &B);
  EXPECT_TRUE(near(v3(out), v3(want)));
  f(&a, &a, &B);
  f(&b, &A, &b);
  EXPECT_TRUE(near(v3(a), v3(out), 0) && near(v3(b), v3(out), 0));
}

TEST(VecOps, ValuesAlsoWrittenOverTheirInputs) {
  using P3 = const Vec3 *;
  static const Mat3 m{{{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}};
  const Vec3 a{3, 0, -4}, b{0.5f, 4, -8};
  expect_op<Vec3>([](Vec3 *o, P3 x, P3) { EXPECT_EQ(vec3_copy(o, x), o); }, a, b, a);
  expect_op<Vec3>(vec3_sub, a, b, {2.5f, -4, 4});
  expect_op<Vec3>([](Vec3 *o, P3 x, P3) { EXPECT_EQ(vec3_scale(o, x, -2), o); }, a, b, {-6, 0, 8});
  expect_op<Vec3>([](Vec3 *o, P3 x, P3 y) { vec3_madd(o, x, y, 2); }, a, b, {4, 8, -20});
  expect_op<Vec3>(vec3_cross, a, b, {-16, -22, -12});  // b x a
  expect_op<Vec3>([](Vec3 *o, P3 x, P3) { EXPECT_EQ(vec3_normalize(o, x), o); }, a, b, {0.6f, 0, -0.8f});
  // a row vector times m; a column vector would give (-9, -12, -19)
  expect_op<Vec3>([](Vec3 *o, P3 x, P3) { vec3_mul_mat3(o, x, &m); }, a, b, {-25, -26, -31});
  expect_op<Vec3>([](Vec3 *o, P3 x, P3 y) { vec3_triangle_normal(o, x, y, &m.row[2]); }, a, b,
                  {-0.9076024f, -0.1959596f, 0.3712919f});
  using P2 = const Vec2 *;
  const Vec2 c{3, -4}, d{-2, 7};
  expect_op<Vec2>(vec2_add, c, d, {1, 3});
  expect_op<Vec2>(vec2_sub, c, d, {5, -11});
  expect_op<Vec2>([](Vec2 *o, P2 x, P2) { EXPECT_EQ(vec2_scale(o, x, -2), o); }, c, d, {-6, 8});
  expect_op<Vec2>([](Vec2 *o, P2 x, P2 y) { vec2_madd(o, x, y, 2); }, c, d, {-1, 10});
  expect_op<Vec2>([](Vec2 *o, P2 x, P2) { vec2_perp(o, x); }, c, d, {4, 3});  // counter-clockwise
  expect_op<Vec2>([](Vec2 *o, P2 x, P2) { vec2_normalize(o, x); }, c, d, {0.6f, -0.8f});
  EXPECT_EQ(std::vector<float>({vec3_dot(&a, &b), vec3_length(&a), vec2_dot(&c, &d), vec2_length(&c)}),
            std::vector<float>({33.5f, 5, -34, 5}));
  Mat3 own = m;  // the output a row of the matrix: a sum built in it would reread row 1
  vec3_mul_mat3(&own.row[1], &b, &own);
  EXPECT_TRUE(near(own.row[1], {-39.5f, -43, -54.5f}, 0));
}

TEST(VecOps, SignConventionsAndZeroLengths) {
  auto cross = [](Vec3 a, Vec3 b) { vec3_cross(&a, &a, &b); return a; };
  auto normal = [](Vec3 p0, Vec3 p1, Vec3 p2) { return *vec3_triangle_normal(&p0, &p0, &p1, &p2); };
  auto turn = [](Vec3 v, Vec3 axis, float angle) { return *vec3_rotate_axis(&v, &axis, angle); };
  auto turn2 = [](Vec2 v, float angle) { vec2_rotate(&v, angle); return v3(v); };
  auto unit = [](Vec3 v) { return *vec3_normalize(&v, &v); };
  auto unit2 = [](Vec2 v) { vec2_normalize(&v, &v); return v3(v); };
  const Vec3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, O{0, 0, 0};
  const std::pair<Vec3, Vec3> cases[] = {
      {cross(X, Y), {0, 0, -1}}, {cross({1, 2, 3}, {2, 4, 6}), O},
      {normal(O, {5, 0, 0}, {0, 3, 0}), {0, 0, -1}}, {normal(O, {5, 0, 0}, {10, 0, 0}), O},
      // turned by -angle, right-handed, about a unit axis; renormalised
      {turn(X, Z, PI / 2), {0, -1, 0}}, {turn(X, Z, -PI / 2), Y}, {turn(Z, X, PI / 2), Y},
      {turn({1, 1, 0}, Z, PI / 4), X}, {turn({2, 0, 0}, Z, PI), {-1, 0, 0}}, {turn(O, Z, 1), O},
      {turn2({1, 0}, PI / 2), Y}, {turn2({0, 2}, -PI / 2), {2, 0, 0}},  // counter-clockwise
      {turn2({1, 0}, PI / 6), {0.8660254f, 0.5f, 0}},
      // zero stays zero; tiny and huge lengths still give unit vectors
      {unit(O), O}, {unit({1e-45f, 0, 0}), X}, {unit({0, 1e-40f, -1e-40f}), {0, R2, -R2}},
      {unit({3e38f, 0, -3e38f}), {R2, 0, -R2}}, {unit2({-0.0f, -0.0f}), O}, {unit2({0, 1e-45f}), Y},
      {unit2({3e38f, 3e38f}), {R2, R2, 0}},
  };
  for (const auto &[got, want] : cases) EXPECT_TRUE(near(got, want)) << &got - &cases[0].first;
  // Each row in turn. The axis is read once, before row 0, which it is, is
  // renormalised; its length of 2 shows in the turn.
  Mat3 m{{{0, 0, 2}, {3, 0, 0}, {0, 1, 0}}};
  EXPECT_EQ(mat3_rotate_axis(&m, &m.row[0], PI / 4), &m.row[2]);
  EXPECT_TRUE(near(m.row[0], Z) && near(m.row[1], {0.8944272f, -0.4472136f, 0}) &&
              near(m.row[2], {0.4472136f, 0.8944272f, 0}));
  EXPECT_TRUE(near(mat3_identity(&m)->row[1], Y, 0));
}

// Plane z = 5 facing +z: a hit goes from z >= 5 to z <= 5. A miss writes
// nothing, but t = d0 once the segment runs along the plane.
TEST(Intersect, SegmentPlaneAndTriangle) {
  const struct { Vec3 n, start, end; int hit; float t; Vec3 at; } cases[] = {
      {{0, 0, 1}, {1, 2, 8}, {1, 2, 4}, 1, 0.75f, {1, 2, 5}}, {{0, 0, 1}, {2, 0, 5}, {2, -1, 1}, 1, 0, {2, 0, 5}},
      {{0, 0, 1}, {2, 0, 9}, {4, 0, 5}, 1, 1, {4, 0, 5}}, {{0, R2, R2}, {3, 3, 7}, {3, -1, 3}, 1, 0.5f, {3, 1, 5}},
      {{0, 0, 1}, {1, 2, 4}, {1, 2, 8}, 0, U, U3}, {{0, 0, 1}, {0, 0, 9}, {0, 0, 6}, 0, U, U3},
      {{0, 0, 1}, {0, 0, 1}, {0, 0, 3}, 0, U, U3}, {{0, 0, 1}, {0, 0, 5}, {3, 1, 5}, 0, 0, U3},
      {{0, 0, 0}, {1, 2, 8}, {1, 2, 4}, 0, 0, U3},
  };
  const Vec3 q{-3, 1, 5};
  for (const auto &c : cases) {
    Vec3 at = U3, start = c.start;
    float t = U;
    EXPECT_EQ(vec3_segment_plane(&at, &c.n, &t, &c.start, &c.end, &q), c.hit) << &c - cases;
    EXPECT_NEAR(t, c.t, 1e-6f);
    EXPECT_TRUE(near(at, c.at, 1e-5f)) << &c - cases;
    vec3_segment_plane(&start, &c.n, &t, &start, &c.end, &q);  // the hit over the start
    EXPECT_TRUE(near(start, c.hit ? at : c.start, 0));
    for (int k = 0; c.hit && k < 3; ++k) {  // a NaN anywhere undoes a hit
      Vec3 in[] = {c.n, c.start, c.end};
      in[k].y = NAN_F;
      EXPECT_EQ(vec3_segment_plane(&at, &in[0], &t, &in[1], &in[2], &q), 0);
    }
  }
  // A triangle in z = 0 crossed by vertical segments; edges and corners are
  // inside; the crossing is written even when an edge rejects it.
  const Vec3 p0{0, 0, 0}, p1{4, 0, 0}, p2{0, 2, 0}, n{0, 0, -1};
  const float points[][3] = {{1, 0.5f, 1}, {2, 0, 1}, {2, 1, 1}, {0, 1, 1}, {4, 0, 1}, {0, 2, 1},
                             {1, -0.5f, 0}, {3, 1, 0}, {-0.5f, 1, 0}};
  for (const auto &[x, y, hit] : points) {
    const Vec3 start{x, y, -1}, end{x, y, 3};
    Vec3 at = U3, corner = p0;
    float t = U;
    EXPECT_EQ(vec3_segment_triangle(&at, &n, &t, &start, &end, &p0, &p1, &p2), int(hit)) << x << ", " << y;
    EXPECT_TRUE(t == 0.25f && near(at, {x, y, 0}));
    EXPECT_EQ(vec3_segment_triangle(&corner, &n, &t, &start, &end, &corner, &p1, &p2), int(hit));
  }
  const Vec3 up{0, 0, 1}, below{1, 0.5f, -1}, above{1, 0.5f, 3};
  Vec3 at = U3;
  float t = U;
  EXPECT_EQ(vec3_segment_triangle(&at, &up, &t, &above, &below, &p0, &p2, &p1), 1);
  EXPECT_EQ(vec3_segment_triangle(&at, &up, &t, &above, &below, &p0, &p1, &p2), 0);  // n disagrees
}

// The path start..end against the wall (0,0)..b. The side tests' misses leave
// n unnormalised and write nothing else; a path along the wall, or a wall of
// no length, writes only n.
TEST(Intersect, SegmentSegment) {
  const Vec2 a{0, 0}, B{4, 0};
  const struct { Vec2 start, end, b; int hit; Vec2 n; float t; Vec2 at; } cases[] = {
      {{1, 2}, {1, -2}, B, 1, {0, 1}, 0.5f, {1, 0}}, {{-1, 1}, {1, -1}, B, 1, {0, 1}, 0.5f, {0, 0}},
      {{4, 2}, {4, -2}, B, 1, {0, 1}, 0.5f, {4, 0}}, {{2, 0}, {2, -1}, B, 1, {0, 1}, 0, {2, 0}},
      {{0, 4}, {4, -4}, {4, 4}, 1, {-R2, R2}, 1.0f / 3, {4.0f / 3, 4.0f / 3}},
      {{1, -2}, {1, 2}, B, 0, {0, 4}, U, U2}, {{1, 2}, {3, 1}, B, 0, {0, 4}, U, U2},
      {{5, 2}, {5, -2}, B, 0, {0, 1}, 0.5f, {5, 0}}, {{-1, 1}, {-1, -3}, B, 0, {0, 1}, 0.25f, {-1, 0}},
      {{-1, 0}, {5, 0}, B, 0, {0, 1}, U, U2}, {{0, 1}, {0, -1}, a, 0, {0, 0}, U, U2},
  };
  for (const auto &c : cases) {
    Vec2 at = U2, n = U2, start = c.start, wall_a = a;
    float t = U;
    EXPECT_EQ(vec2_segment_segment(&at, &n, &t, &c.start, &c.end, &a, &c.b), c.hit) << &c - cases;
    EXPECT_NEAR(t, c.t, 1e-6f);
    EXPECT_TRUE(near(v3(n), v3(c.n)) && near(v3(at), v3(c.at))) << &c - cases;
    vec2_segment_segment(&start, &wall_a, &t, &start, &c.end, &wall_a, &c.b);  // outputs over inputs
    EXPECT_TRUE(near(v3(start), v3(c.t == U ? c.start : at), 0) && near(v3(wall_a), v3(n), 0));
    for (int k = 0; c.hit && k < 3; ++k) {  // a NaN anywhere undoes a hit
      Vec2 in[] = {c.start, c.end, c.b};
      in[k].x = NAN_F;
      EXPECT_EQ(vec2_segment_segment(&at, &n, &t, &in[0], &in[1], &a, &in[2]), 0);
    }
  }
}

// A circle against (0,0)..(4,0). A centre beyond the ends, or a segment of
// no length, writes nothing; a circle too far from the line writes only n.
TEST(Intersect, CircleSegment) {
  const Vec2 a{0, 0}, B{4, 0}, N{0, 1};
  const struct { Vec2 c, b; float radius; int hit; Vec2 n, at; float ratio; } cases[] = {
      {{1, 0.5f}, B, 1, 1, N, {1, 0}, 0.5f}, {{3, -0.25f}, B, 0.5f, 1, N, {3, 0}, -0.5f},
      {{1, -1}, B, 1, 1, N, {1, 0}, -1}, {{0, 0.5f}, B, 1, 1, N, {0, 0}, 0.5f},
      {{4, -0.5f}, B, 1, 1, N, {4, 0}, -0.5f}, {{2, 0}, B, 0, 1, N, {2, 0}, 0},
      {{0, 2}, {2, 2}, 2, 1, {-R2, R2}, {1, 1}, R2}, {{1, 1.5f}, B, 1, 0, N, U2, U},
      {{2, 0.001f}, B, 0, 0, N, U2, U}, {{5, 0.5f}, B, 1, 0, U2, U2, U}, {{-0.1f, 0}, B, 1, 0, U2, U2, U},
      {a, a, 1, 0, U2, U2, U}, {{1, 0.5f}, B, NAN_F, 0, N, U2, U},
  };
  for (const auto &c : cases) {
    Vec2 at = U2, n = U2, centre = c.c;
    float ratio = U;
    EXPECT_EQ(vec2_circle_segment(&at, &n, &ratio, &c.c, &a, &c.b, c.radius), c.hit) << &c - cases;
    EXPECT_NEAR(ratio, c.ratio, 1e-6f);
    EXPECT_TRUE(near(v3(n), v3(c.n)) && near(v3(at), v3(c.at))) << &c - cases;
    vec2_circle_segment(&centre, &n, &ratio, &centre, &a, &c.b, c.radius);  // the hit over the centre
    EXPECT_TRUE(near(v3(centre), v3(c.hit ? at : c.c), 0));
    for (int k = 0; c.hit && k < 2; ++k) {  // a NaN anywhere undoes a hit
      Vec2 in[] = {c.c, c.b};
      in[k].y = NAN_F;
      EXPECT_EQ(vec2_circle_segment(&at, &n, &ratio, &in[0], &a, &in[1], c.radius), 0);
    }
  }
}

}  // namespace
