// Vectors, matrices and intersection tests: values and sign conventions,
// zero lengths, outputs written over inputs, what a miss leaves alone, and
// NaN never hitting.
#include <cmath>

#include "math/vecmath.h"
#include "tests/support/engine_test.h"

namespace {

constexpr float PI = 3.14159265f;
constexpr float R2 = 0.70710678f;  // 1 / sqrt(2)
constexpr float U = -777;  // no result is this: an output still holding it was not written

Floats f(Vec2 v) { return {v.x, v.y}; }
Floats f(Vec3 v) { return {v.x, v.y, v.z}; }

// Each value within eps of the one wanted, or both NaN.
::testing::AssertionResult near(const Floats &got, const Floats &want, float eps = 1e-6f) {
  for (size_t i = 0; i < want.size(); ++i)
    if (!(std::fabs(got.at(i) - want[i]) <= eps) && !(std::isnan(got[i]) && std::isnan(want[i])))
      return ::testing::AssertionFailure() << ::testing::PrintToString(got);
  return ::testing::AssertionSuccess();
}

// out = op(a, b) for a = A, b = B gives `want` whether out is another object, a or b.
template <typename V, typename Op>
void expect_op(Op op, V A, V B, V want) {
  V out, a = A, b = B;
  op(&out, &A, &B);
  op(&a, &a, &B);
  op(&b, &A, &b);
  EXPECT_TRUE(near(f(out), f(want)) && near(f(a), f(out), 0) && near(f(b), f(out), 0));
}

// Values, also written over an input; turns; zero, tiny and huge lengths.
TEST(VecOps, ValuesTurnsAndLengths) {
  static const Mat3 m{{{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}};
  const Vec3 a{3, 0, -4}, b{0.5f, 4, -8};
  expect_op([](auto o, auto x, auto) { EXPECT_EQ(vec3_copy(o, x), o); }, a, b, a);
  expect_op(vec3_sub, a, b, {2.5f, -4, 4});
  expect_op([](auto o, auto x, auto) { EXPECT_EQ(vec3_scale(o, x, -2), o); }, a, b, {-6, 0, 8});
  expect_op([](auto o, auto x, auto y) { vec3_madd(o, x, y, 2); }, a, b, {4, 8, -20});
  expect_op(vec3_cross, a, b, {-16, -22, -12});  // b x a
  expect_op([](auto o, auto x, auto) { EXPECT_EQ(vec3_normalize(o, x), o); }, a, b, {0.6f, 0, -0.8f});
  // a row vector times m; a column vector would give (-9, -12, -19)
  expect_op([](auto o, auto x, auto) { vec3_mul_mat3(o, x, &m); }, a, b, {-25, -26, -31});
  expect_op([](auto o, auto x, auto y) { vec3_triangle_normal(o, x, y, &m.row[2]); }, a, b,
            {-0.9076024f, -0.1959596f, 0.3712919f});
  const Vec2 c{3, -4}, d{-2, 7};
  expect_op(vec2_add, c, d, {1, 3});
  expect_op(vec2_sub, c, d, {5, -11});
  expect_op([](auto o, auto x, auto) { EXPECT_EQ(vec2_scale(o, x, -2), o); }, c, d, {-6, 8});
  expect_op([](auto o, auto x, auto y) { vec2_madd(o, x, y, 2); }, c, d, {-1, 10});
  expect_op([](auto o, auto x, auto) { vec2_perp(o, x); }, c, d, {4, 3});  // counter-clockwise
  expect_op([](auto o, auto x, auto) { vec2_normalize(o, x); }, c, d, {0.6f, -0.8f});
  EXPECT_EQ(Floats({vec3_dot(&a, &b), vec3_length(&a), vec2_dot(&c, &d), vec2_length(&c)}),
            Floats({33.5f, 5, -34, 5}));
  Mat3 own = m;  // the output a row of the matrix: a sum built in it would reread row 1
  vec3_mul_mat3(&own.row[1], &b, &own);
  EXPECT_TRUE(near(f(own.row[1]), {-39.5f, -43, -54.5f}, 0));
  auto turn = [](Vec3 v, Vec3 axis, float angle) { return *vec3_rotate_axis(&v, &axis, angle); };
  auto turn2 = [](Vec2 v, float angle) { vec2_rotate(&v, angle); return Vec3{v.x, v.y, 0}; };
  auto unit = [](Vec3 v) { return *vec3_normalize(&v, &v); };
  auto unit2 = [](Vec2 v) { vec2_normalize(&v, &v); return Vec3{v.x, v.y, 0}; };
  const Vec3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, O{0, 0, 0};
  const std::pair<Vec3, Vec3> cases[] = {
      // turned by -angle, right-handed, about a unit axis; renormalised
      {turn(X, Z, PI / 2), {0, -1, 0}}, {turn(Z, X, PI / 2), Y}, {turn({1, 1, 0}, Z, PI / 4), X},
      // counter-clockwise, the length kept
      {turn2({0, 2}, -PI / 2), {2, 0, 0}}, {turn2({1, 0}, PI / 6), {0.8660254f, 0.5f, 0}},
      // zero stays zero; tiny and huge lengths still give unit vectors
      {unit(O), O}, {unit({0, 1e-40f, -1e-40f}), {0, R2, -R2}}, {unit({3e38f, 0, -3e38f}), {R2, 0, -R2}},
      {unit2({-0.0f, -0.0f}), O}, {unit2({0, 1e-45f}), Y}, {unit2({3e38f, 3e38f}), {R2, R2, 0}},
  };
  for (const auto &[got, want] : cases) EXPECT_TRUE(near(f(got), f(want))) << (&got - &cases[0].first) / 2;
  // Each row in turn. The axis is read once, before row 0, which it is, is
  // renormalised; its length of 2 shows in the turn.
  Mat3 rows{{{0, 0, 2}, {3, 0, 0}, {0, 1, 0}}};
  EXPECT_EQ(mat3_rotate_axis(&rows, &rows.row[0], PI / 4), &rows.row[2]);
  EXPECT_TRUE(near(f(rows.row[0]), f(Z)) && near(f(rows.row[1]), {0.8944272f, -0.4472136f, 0}) &&
              near(f(rows.row[2]), {0.4472136f, 0.8944272f, 0}));
  EXPECT_TRUE(near(f(mat3_identity(&rows)->row[1]), f(Y), 0));
}

// Plane z = 5 facing +z; outcomes: hit, t, the hit point. A hit goes from
// z >= 5 to z <= 5. A miss writes nothing, but t = d0 once the segment runs
// along the plane; a NaN anywhere never hits.
TEST(Intersect, SegmentPlaneAndTriangle) {
  const Vec3 Z{0, 0, 1}, q{-3, 1, 5};
  const Floats miss{0, U, U, U, U};
  const struct { Vec3 n, start, end; Floats want; } cases[] = {
      {Z, {1, 2, 8}, {1, 2, 4}, {1, 0.75f, 1, 2, 5}}, {Z, {2, 0, 5}, {2, -1, 1}, {1, 0, 2, 0, 5}},
      {Z, {2, 0, 9}, {4, 0, 5}, {1, 1, 4, 0, 5}}, {{0, R2, R2}, {3, 3, 7}, {3, -1, 3}, {1, 0.5f, 3, 1, 5}},
      {Z, {1, 2, 4}, {1, 2, 8}, miss}, {Z, {0, 0, 9}, {0, 0, 6}, miss}, {Z, {0, 0, 1}, {0, 0, 3}, miss},
      {Z, {0, 0, 5}, {3, 1, 5}, {0, 0, U, U, U}}, {{0, 0, 0}, {1, 2, 8}, {1, 2, 4}, {0, 0, U, U, U}},
      {{0, NAN, 1}, {1, 2, 8}, {1, 2, 4}, miss}, {Z, {1, NAN, 8}, {1, 2, 4}, miss},
      {Z, {1, 2, 8}, {1, NAN, 4}, miss},
  };
  for (const auto &c : cases) {
    Vec3 at{U, U, U}, start = c.start;
    float t = U;
    const int hit = vec3_segment_plane(&at, &c.n, &t, &c.start, &c.end, &q);
    EXPECT_TRUE(near({float(hit), t, at.x, at.y, at.z}, c.want, 1e-5f)) << &c - cases;
    vec3_segment_plane(&start, &c.n, &t, &start, &c.end, &q);  // the hit over the start
    EXPECT_TRUE(near(f(start), f(hit ? at : c.start), 0)) << &c - cases;
  }
  // A triangle in z = 0 crossed by vertical segments: a point on an edge is
  // inside; the crossing is written even when an edge rejects it, and a normal
  // that disagrees with the winding never hits.
  const Vec3 p0{0, 0, 0}, p1{4, 0, 0}, p2{0, 2, 0}, n{0, 0, -1};
  const float points[][3] = {{1, 1, 1}, {2, 0, 1}, {2, 1, 1}, {0, 1, 1}, {1, -1, 0}, {3, 1, 0}, {-1, 1, 0}};
  for (const auto &[x, y, hit] : points) {
    const Vec3 below{x, y, -1}, above{x, y, 3};
    Vec3 at{U, U, U}, corner = p0;
    float t = U;
    EXPECT_EQ(vec3_segment_triangle(&at, &n, &t, &below, &above, &p0, &p1, &p2), int(hit)) << x << ", " << y;
    EXPECT_TRUE(t == 0.25f && near(f(at), {x, y, 0}));
    EXPECT_EQ(vec3_segment_triangle(&corner, &n, &t, &below, &above, &corner, &p1, &p2), int(hit));
    EXPECT_EQ(vec3_segment_triangle(&at, &Z, &t, &above, &below, &p0, &p1, &p2), 0);
  }
}

// Against the wall (0,0)..b: the path start..end (outcomes: hit, n, t, the hit
// point), then a circle (outcomes: hit, n, the closest point, the ratio).
TEST(Intersect, PathAndCircleAgainstASegment) {
  const Vec2 a{0, 0}, B{4, 0};
  // The side tests' misses leave n unnormalised and write nothing else; a path
  // along the wall, or a wall of no length, writes only n.
  const struct { Vec2 start, end, b; Floats want; } paths[] = {
      {{1, 2}, {1, -2}, B, {1, 0, 1, 0.5f, 1, 0}}, {{-1, 1}, {1, -1}, B, {1, 0, 1, 0.5f, 0, 0}},
      {{4, 2}, {4, -2}, B, {1, 0, 1, 0.5f, 4, 0}}, {{2, 0}, {2, -1}, B, {1, 0, 1, 0, 2, 0}},
      {{0, 4}, {4, -4}, {4, 4}, {1, -R2, R2, 1.0f / 3, 4.0f / 3, 4.0f / 3}},
      {{1, -2}, {1, 2}, B, {0, 0, 4, U, U, U}}, {{1, 2}, {3, 1}, B, {0, 0, 4, U, U, U}},
      {{5, 2}, {5, -2}, B, {0, 0, 1, 0.5f, 5, 0}}, {{-1, 1}, {-1, -3}, B, {0, 0, 1, 0.25f, -1, 0}},
      {{-1, 0}, {5, 0}, B, {0, 0, 1, U, U, U}}, {{0, 1}, {0, -1}, a, {0, 0, 0, U, U, U}},
      {{NAN, 2}, {1, -2}, B, {0, 0, 4, U, U, U}}, {{1, 2}, {NAN, -2}, B, {0, 0, 4, U, U, U}},
      {{1, 2}, {1, -2}, {NAN, 0}, {0, 0, NAN, U, U, U}},
  };
  for (const auto &c : paths) {
    Vec2 at{U, U}, n{U, U}, start = c.start, wall_a = a;
    float t = U;
    const int hit = vec2_segment_segment(&at, &n, &t, &c.start, &c.end, &a, &c.b);
    EXPECT_TRUE(near({float(hit), n.x, n.y, t, at.x, at.y}, c.want)) << &c - paths;
    vec2_segment_segment(&start, &wall_a, &t, &start, &c.end, &wall_a, &c.b);  // outputs over inputs
    EXPECT_TRUE(near(f(start), f(at.x == U ? c.start : at), 0) && near(f(wall_a), f(n), 0)) << &c - paths;
  }
  // A centre beyond the ends, or a segment of no length, writes nothing; a
  // circle too far from the line writes only n.
  const Floats miss{0, U, U, U, U, U}, too_far{0, 0, 1, U, U, U};
  const struct { Vec2 c, b; float radius; Floats want; } circles[] = {
      {{1, 0.5f}, B, 1, {1, 0, 1, 1, 0, 0.5f}}, {{3, -0.25f}, B, 0.5f, {1, 0, 1, 3, 0, -0.5f}},
      {{1, -1}, B, 1, {1, 0, 1, 1, 0, -1}}, {{0, 0.5f}, B, 1, {1, 0, 1, 0, 0, 0.5f}},
      {{4, -0.5f}, B, 1, {1, 0, 1, 4, 0, -0.5f}}, {{2, 0}, B, 0, {1, 0, 1, 2, 0, 0}},
      {{0, 2}, {2, 2}, 2, {1, -R2, R2, 1, 1, R2}}, {{1, 1.5f}, B, 1, too_far}, {{2, 0.001f}, B, 0, too_far},
      {{5, 0.5f}, B, 1, miss}, {{-0.1f, 0}, B, 1, miss}, {a, a, 1, miss}, {{1, 0.5f}, B, NAN, too_far},
      {{1, NAN}, B, 1, miss}, {{1, 0.5f}, {4, NAN}, 1, miss},
  };
  for (const auto &c : circles) {
    Vec2 at{U, U}, n{U, U}, centre = c.c;
    float ratio = U;
    const int hit = vec2_circle_segment(&at, &n, &ratio, &c.c, &a, &c.b, c.radius);
    EXPECT_TRUE(near({float(hit), n.x, n.y, at.x, at.y, ratio}, c.want)) << &c - circles;
    vec2_circle_segment(&centre, &n, &ratio, &centre, &a, &c.b, c.radius);  // the hit over the centre
    EXPECT_TRUE(near(f(centre), f(hit ? at : c.c), 0)) << &c - circles;
  }
}

}  // namespace
