// Small float vector and 3x3 matrix maths, plus the intersection tests the
// collision code relies on.
//
// All arguments are pointers to the caller's values; the output is the first
// one. Every input is read before the output is written, so passing the same
// object as input and output is safe.
#pragma once

struct Vec2 {
  float x, y;
};

struct Vec3 {
  float x, y, z;
};

// Row-major: row 0 is elements 0..2. Also used as an orientation basis of
// three rows, each a Vec3.
struct Mat3 {
  Vec3 row[3];
};

static_assert(sizeof(Vec2) == 2 * sizeof(float), "Vec2 is two packed floats");
static_assert(sizeof(Vec3) == 3 * sizeof(float), "Vec3 is three packed floats");
static_assert(sizeof(Mat3) == 9 * sizeof(float), "Mat3 is nine packed floats");

// ---- three components ----
Vec3 *vec3_copy(Vec3 *out, const Vec3 *a);
void vec3_sub(Vec3 *out, const Vec3 *a, const Vec3 *b);
Vec3 *vec3_scale(Vec3 *out, const Vec3 *a, float s);
void vec3_madd(Vec3 *out, const Vec3 *a, const Vec3 *b, float s);  // a + b * s
float vec3_dot(const Vec3 *a, const Vec3 *b);
float vec3_length(const Vec3 *a);
void vec3_cross(Vec3 *out, const Vec3 *a, const Vec3 *b);  // b x a, i.e. -(a x b)
Vec3 *vec3_normalize(Vec3 *out, const Vec3 *a);           // zero stays zero
void vec3_mul_mat3(Vec3 *out, const Vec3 *a, const Mat3 *m);  // row vector times matrix
Vec3 *vec3_triangle_normal(Vec3 *out, const Vec3 *p0, const Vec3 *p1, const Vec3 *p2);
// Turns v in place by -angle about the unit axis (right-handed), then
// renormalises it.
Vec3 *vec3_rotate_axis(Vec3 *v, const Vec3 *axis, float angle);
// vec3_rotate_axis on each row; returns the last row.
Vec3 *mat3_rotate_axis(Mat3 *m, const Vec3 *axis, float angle);
Mat3 *mat3_identity(Mat3 *m);

// ---- two components ----
void vec2_add(Vec2 *out, const Vec2 *a, const Vec2 *b);
void vec2_sub(Vec2 *out, const Vec2 *a, const Vec2 *b);
Vec2 *vec2_scale(Vec2 *out, const Vec2 *a, float s);
void vec2_madd(Vec2 *out, const Vec2 *a, const Vec2 *b, float s);  // a + b * s
void vec2_perp(Vec2 *out, const Vec2 *a);  // (-a.y, a.x): a quarter turn counter-clockwise
float vec2_dot(const Vec2 *a, const Vec2 *b);
float vec2_length(const Vec2 *a);
void vec2_normalize(Vec2 *out, const Vec2 *a);  // zero stays zero
void vec2_rotate(Vec2 *v, float angle);         // counter-clockwise, radians

// ---- intersection tests: 1 for a hit, 0 otherwise ----
// Segment start..end against the plane through q with normal n. Only a
// segment going from the side n points to, to the other side, hits.
int vec3_segment_plane(Vec3 *hit, const Vec3 *n, float *t, const Vec3 *start, const Vec3 *end,
                       const Vec3 *q);
// Segment start..end against triangle (p0, p1, p2); n must be that
// triangle's plane normal. A hit exactly on an edge counts.
int vec3_segment_triangle(Vec3 *hit, const Vec3 *n, float *t, const Vec3 *start, const Vec3 *end,
                          const Vec3 *p0, const Vec3 *p1, const Vec3 *p2);
// Path of a moving point, start..end, against the line segment a..b; n gets
// the segment's normal.
int vec2_segment_segment(Vec2 *hit, Vec2 *n, float *t, const Vec2 *start, const Vec2 *end,
                         const Vec2 *a, const Vec2 *b);
// Circle at c with the given radius against the line segment a..b.
int vec2_circle_segment(Vec2 *closest, Vec2 *n, float *ratio, const Vec2 *c, const Vec2 *a,
                        const Vec2 *b, float radius);
