// Quads, outlines and the pointer as exact GL call sequences; the viewport
// mapping, projections, camera and object matrices and the overlay set-up.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/startup.h"
#include "gfx/font.h"
#include "gfx/quads.h"
#include "gfx/texture.h"
#include "gfx/view.h"
// Not doubles.h: the SDL doubles bring in X11's own type named Font.
#include "tests/doubles/fake_gl.h"
#include "tests/doubles/recorder.h"

namespace {

using Calls = std::vector<std::string>;

class GfxCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset_gl();
    recorder_clear();
    recorder_enabled = true;
    video = VIDEO_DEFAULTS;
    for (Font &font : fonts) {
      font = Font{};
    }
    current_font = 0;
    fonts[0].view_width = 640;
    fonts[0].view_height = 480;
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
      textures[slot].gl_name = 2000 + slot;
    }
  }
  void TearDown() override { current_font = 0; }
};

// ---- alignment ----

TEST(AlignTest, FlagsMoveTheAnchorAndCentringWins) {
  const struct {
    int flags;
    float x, y;
  } cases[] = {
      {0, 100, 200},  {ALIGN_CENTER_X, 85, 200}, {ALIGN_RIGHT, 70, 200},
      {3, 85, 200},   {ALIGN_CENTER_Y, 100, 180}, {ALIGN_BOTTOM, 100, 160},
      {12, 100, 180}, {5, 85, 180},              {10, 70, 160},
      {15, 85, 180},  {16, 100, 200},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.flags);
    float x = 100, y = 200;
    gfx_align(&x, &y, 30, 40, c.flags);
    EXPECT_EQ(c.x, x);
    EXPECT_EQ(c.y, y);
  }
}

// ---- quads ----

// A plain quad maps no texture, so its vertices go without texture coordinates.
TEST_F(GfxCallTest, PlainQuadSwitchesTexturingOffForItself) {
  gfx_draw_quad(NO_TEXTURE, 10, 20, 30, 40, 0, 0.25f, 0.5f, 0.75f, 1);
  const Calls expected = {
      "glDisable(3553)",    "glBegin(7)",         "glColor4f(0.25, 0.5, 0.75, 1)",
      "glVertex2f(10, 20)", "glVertex2f(40, 20)", "glVertex2f(40, 60)",
      "glVertex2f(10, 60)", "glEnd()",            "glEnable(3553)",
  };
  EXPECT_EQ(expected, call_texts());
}

TEST_F(GfxCallTest, TexturedQuadBindsTheSlotAndLeavesTexturingAlone) {
  gfx_draw_quad(12, 100, 200, 30, 40, ALIGN_CENTER_X | ALIGN_BOTTOM, 1, 1, 1, 0.5f);
  const Calls expected = {
      "glBindTexture(3553, 2012)", "glBegin(7)",          "glColor4f(1, 1, 1, 0.5)",
      "glTexCoord2f(0, 1)",        "glVertex2f(85, 160)", "glTexCoord2f(1, 1)",
      "glVertex2f(115, 160)",      "glTexCoord2f(1, 0)",  "glVertex2f(115, 200)",
      "glTexCoord2f(0, 0)",        "glVertex2f(85, 200)", "glEnd()",
  };
  EXPECT_EQ(expected, call_texts());
}

TEST_F(GfxCallTest, ZeroSizedQuadIsStillSubmitted) {
  gfx_draw_quad(NO_TEXTURE, 5, 6, 0, 0, 5, 1, 1, 1, 1);
  const auto vertices = calls_named("glVertex2f");
  ASSERT_EQ(4u, vertices.size());
  for (const RecordedCall *vertex : vertices) {
    EXPECT_EQ("glVertex2f(5, 6)", call_text(*vertex));
  }
  EXPECT_EQ(1, call_count("glEnd"));
}

TEST_F(GfxCallTest, SlotsOutsideTheTableDrawPlain) {
  for (int slot : {-2, TEXTURE_SLOT_COUNT, 1 << 30}) {
    SCOPED_TRACE(slot);
    recorder_clear();
    gfx_draw_quad(slot, 0, 0, 1, 1, 0, 1, 1, 1, 1);
    const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    gfx_draw_quad_uv(slot, 0, 0, 1, 1, 0, 1, 1, 1, 1, uv);
    EXPECT_EQ(0, call_count("glBindTexture"));
    EXPECT_EQ(2, call_count("glDisable"));
    EXPECT_EQ(2, call_count("glEnable"));
    EXPECT_EQ("glEnable(3553)", call_texts().back());
  }
}

TEST_F(GfxCallTest, QuadUvTakesEachCornersCoordinatesInOrder) {
  const float uv[8] = {0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f, 1};
  gfx_draw_quad_uv(3, 10, 10, 4, 2, ALIGN_CENTER_Y, 1, 0, 0, 1, uv);
  const Calls expected = {
      "glBindTexture(3553, 2003)", "glBegin(7)",         "glColor4f(1, 0, 0, 1)",
      "glTexCoord2f(0.125, 0.25)", "glVertex2f(10, 9)",  "glTexCoord2f(0.375, 0.5)",
      "glVertex2f(14, 9)",         "glTexCoord2f(0.625, 0.75)", "glVertex2f(14, 11)",
      "glTexCoord2f(0.875, 1)",    "glVertex2f(10, 11)", "glEnd()",
  };
  EXPECT_EQ(expected, call_texts());
}

TEST_F(GfxCallTest, QuadUvWithoutCoordinatesMapsTheWholeImage) {
  gfx_draw_quad_uv(3, 0, 0, 1, 1, 0, 1, 1, 1, 1, nullptr);
  const auto coordinates = calls_named("glTexCoord2f");
  ASSERT_EQ(4u, coordinates.size());
  EXPECT_EQ("glTexCoord2f(0, 1)", call_text(*coordinates[0]));
  EXPECT_EQ("glTexCoord2f(0, 0)", call_text(*coordinates[3]));
}

// ---- outline ----

TEST_F(GfxCallTest, OutlineDrawsFourSegmentsAndLeavesTexturingOn) {
  gfx_draw_rect_outline(100, 200, 30, 40, ALIGN_RIGHT, 0, 1, 0, 0.5f);
  const Calls expected = {
      "glDisable(3553)",      "glBegin(1)",           "glColor4f(0, 1, 0, 0.5)",
      "glVertex2f(70, 200)",  "glVertex2f(100, 200)", "glVertex2f(100, 200)",
      "glVertex2f(100, 240)", "glVertex2f(100, 240)", "glVertex2f(70, 240)",
      "glVertex2f(70, 240)",  "glVertex2f(70, 200)",  "glEnd()",
      "glEnable(3553)",
  };
  EXPECT_EQ(expected, call_texts());
}

// ---- pointer ----

TEST_F(GfxCallTest, PointerDrawsThisFramesImageCentredOnThePoint) {
  fonts[0].pointer_image = 3;
  gfx_draw_pointer(320, 240, 8, 1, 1, 1, 1);
  const Calls expected = {
      "glBindTexture(3553, 3011)", "glBegin(7)",           "glColor4f(1, 1, 1, 1)",
      "glTexCoord2f(0, 1)",        "glVertex2f(312, 232)", "glTexCoord2f(1, 1)",
      "glVertex2f(328, 232)",      "glTexCoord2f(1, 0)",   "glVertex2f(328, 248)",
      "glTexCoord2f(0, 0)",        "glVertex2f(312, 248)", "glEnd()",
  };
  EXPECT_EQ(expected, call_texts());
}

TEST_F(GfxCallTest, PointerReadsTheCurrentFont) {
  current_font = 1;
  fonts[1].pointer_image = 15;
  gfx_draw_pointer(0, 0, 1, 1, 1, 1, 1);
  EXPECT_EQ("glBindTexture(3553, 3023)", call_texts().front());
}

TEST_F(GfxCallTest, PointerImagePastTheTableDrawsPlain) {
  for (int image : {-1, TEXTURE_SLOT_COUNT - POINTER_TEXTURE_SLOT, 1 << 30}) {
    SCOPED_TRACE(image);
    recorder_clear();
    fonts[0].pointer_image = image;
    gfx_draw_pointer(0, 0, 1, 1, 1, 1, 1);
    EXPECT_EQ(0, call_count("glBindTexture"));
    EXPECT_EQ("glDisable(3553)", call_texts().front());
    EXPECT_EQ("glEnable(3553)", call_texts().back());
    EXPECT_EQ(4, call_count("glVertex2f"));
  }
}

// ---- viewport and projections ----

const Calls RESET_TEXTURE_AND_MODELVIEW = {"glMatrixMode(5890)", "glLoadIdentity()",
                                           "glMatrixMode(5888)", "glLoadIdentity()"};

Calls concat(Calls head, const Calls &tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST_F(GfxCallTest, GamePerspectiveFillsTheWindow) {
  gfx_set_perspective(0, 0, 640, 480, 0.25f, 1024);
  const Calls expected = concat({"glViewport(0, 0, 800, 600)", "glMatrixMode(5889)",
                                 "glLoadIdentity()",
                                 "glFrustum(-0.25, 0.25, -0.1875, 0.1875, 0.25, 1024)"},
                                RESET_TEXTURE_AND_MODELVIEW);
  EXPECT_EQ(expected, call_texts());
}

TEST_F(GfxCallTest, ViewRectanglesMapOntoWindowPixelsTruncating) {
  const struct {
    int window_w, window_h, view_w, view_h;
    int x, y, w, h;
    const char *viewport;
  } cases[] = {
      {800, 600, 640, 480, 320, 0, 320, 240, "glViewport(400, 300, 400, 300)"},
      {800, 600, 640, 480, 1, 0, 10, 480, "glViewport(1, 0, 12, 600)"},
      {800, 600, 640, 480, 1, 1, 1, 1, "glViewport(1, 597, 1, 1)"},
      {1024, 768, 640, 480, 100, 50, 200, 100, "glViewport(160, 528, 320, 160)"},
      {640, 480, 640, 480, 7, 9, 11, 13, "glViewport(7, 458, 11, 13)"},
      {800, 600, 320, 240, 0, 240, 320, 0, "glViewport(0, 0, 800, 0)"},
      // No view size to divide by: view units are window pixels.
      {800, 600, 0, 0, 10, 20, 30, 40, "glViewport(10, 540, 30, 40)"},
      {800, 600, 640, 0, 64, 20, 64, 40, "glViewport(80, 540, 80, 40)"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.viewport);
    video.width = c.window_w;
    video.height = c.window_h;
    fonts[0].view_width = c.view_w;
    fonts[0].view_height = c.view_h;
    recorder_clear();
    gfx_set_perspective(c.x, c.y, c.w, c.h, 1, 2);
    EXPECT_EQ(c.viewport, call_texts().front());
    recorder_clear();
    gfx_set_ortho(c.x, c.y, c.w, c.h, 1, 1, 1);
    EXPECT_EQ(c.viewport, call_texts().front());
  }
}

TEST_F(GfxCallTest, MappingProductsBeyondThirtyTwoBitsStayExact) {
  // 3,000,000 * 800 does not fit 32 bits; the quotient does.
  gfx_set_ortho(3000000, -3000000, 640, 480, 1, 1, 1);
  EXPECT_EQ("glViewport(3750000, 3750000, 800, 600)", call_texts().front());
}

TEST_F(GfxCallTest, FrustumFollowsTheRectanglesShape) {
  gfx_set_perspective(0, 0, 320, 480, 2, 100);
  EXPECT_EQ("glFrustum(-2, 2, -3, 3, 2, 100)", call_text(*find_call("glFrustum")));
  recorder_clear();
  gfx_set_perspective(0, 0, 0, 480, 2, 100);  // no width: a square frustum, not a division
  EXPECT_EQ("glFrustum(-2, 2, -2, 2, 2, 100)", call_text(*find_call("glFrustum")));
}

TEST_F(GfxCallTest, OrthoIsSymmetric) {
  gfx_set_ortho(0, 0, 640, 480, 12, 9, 50);
  const Calls expected =
      concat({"glViewport(0, 0, 800, 600)", "glMatrixMode(5889)", "glLoadIdentity()",
              "glOrtho(-12, 12, -9, 9, -50, 50)"},
             RESET_TEXTURE_AND_MODELVIEW);
  EXPECT_EQ(expected, call_texts());
}

// ---- camera and object ----

// Column-major 4 by 4 product a * b.
std::vector<float> multiply(const float *a, const float *b) {
  std::vector<float> out(16, 0.0f);
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      for (int k = 0; k < 4; ++k) {
        out[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
      }
    }
  }
  return out;
}

const Mat3 ORIENTATION = {{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}};

std::vector<float> recorded_matrix(int nth = 0) {
  const RecordedCall *call = find_call("glMultMatrixf", nth);
  const float *m = static_cast<const float *>(call ? call->data : nullptr);
  return m ? std::vector<float>(m, m + 16) : std::vector<float>{};
}

TEST_F(GfxCallTest, CameraRotatesThenTranslatesByTheNegatedPosition) {
  const Vec3 position = {1.5f, -2, 12};
  gfx_apply_camera(&position, &ORIENTATION);
  EXPECT_EQ((Calls{"glMatrixMode(5888)", "glMultMatrixf()", "glTranslatef(-1.5, 2, -12)"}),
            call_texts());
  EXPECT_EQ((std::vector<float>{1, 4, 7, 0, 2, 5, 8, 0, 3, 6, 9, 0, 0, 0, 0, 1}),
            recorded_matrix());
}

TEST_F(GfxCallTest, CameraAndObjectSkipWhatIsNull) {
  const Vec3 position = {1, 2, 3};
  gfx_apply_camera(&position, nullptr);
  EXPECT_EQ((Calls{"glMatrixMode(5888)", "glTranslatef(-1, -2, -3)"}), call_texts());
  recorder_clear();
  gfx_apply_camera(nullptr, nullptr);
  EXPECT_EQ((Calls{"glMatrixMode(5888)"}), call_texts());
  recorder_clear();
  gfx_apply_camera(nullptr, &ORIENTATION);
  EXPECT_EQ((Calls{"glMatrixMode(5888)", "glMultMatrixf()"}), call_texts());
  recorder_clear();
  gfx_apply_object(nullptr, nullptr);
  EXPECT_EQ((Calls{"glMatrixMode(5888)"}), call_texts());
  recorder_clear();
  gfx_apply_object(&position, nullptr);
  EXPECT_EQ((Calls{"glMatrixMode(5888)", "glTranslatef(1, 2, 3)"}), call_texts());
}

TEST_F(GfxCallTest, ObjectTranslatesThenAppliesTheTranspose) {
  const Vec3 position = {1, 2, 3};
  gfx_apply_object(&position, &ORIENTATION);
  EXPECT_EQ((Calls{"glMatrixMode(5888)", "glTranslatef(1, 2, 3)", "glMultMatrixf()"}),
            call_texts());
  EXPECT_EQ((std::vector<float>{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1}),
            recorded_matrix());
}

TEST_F(GfxCallTest, ObjectUndoesTheCameraForAnOrthonormalOrientation) {
  // A cyclic exchange of the axes: its rows are unit and orthogonal, and it is
  // not its own inverse, so using it untransposed twice would not cancel.
  const Mat3 turn = {{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}};
  gfx_apply_camera(nullptr, &turn);
  gfx_apply_object(nullptr, &turn);
  const std::vector<float> camera = recorded_matrix(0), object = recorded_matrix(1);
  ASSERT_EQ(16u, camera.size());
  ASSERT_EQ(16u, object.size());
  const std::vector<float> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  EXPECT_EQ(identity, multiply(camera.data(), object.data()));
}

// ---- overlay ----

TEST_F(GfxCallTest, OverlaySetsStateAndMatricesInOrder) {
  gfx_begin_overlay();
  const Calls expected = {
      "glEnable(3553)",     "glEnable(3042)",   "glBlendFunc(770, 771)",
      "glDisable(2929)",    "glDepthMask(0)",   "glViewport(0, 0, 800, 600)",
      "glMatrixMode(5889)", "glLoadIdentity()", "glOrtho(0, 640, 480, 0, -16, 16)",
      "glMatrixMode(5888)", "glLoadIdentity()", "glMatrixMode(5890)",
      "glLoadIdentity()",
  };
  EXPECT_EQ(expected, call_texts());
}

// Where a view point lands in window pixels (y up, as GL counts), from the
// recorded orthographic projection and viewport.
void window_position(double x, double y, double *px, double *py) {
  const RecordedCall *ortho = find_call("glOrtho");
  const RecordedCall *viewport = find_call("glViewport");
  ASSERT_NE(nullptr, ortho);
  ASSERT_NE(nullptr, viewport);
  const double ndc_x = 2 * (x - ortho->args[0]) / (ortho->args[1] - ortho->args[0]) - 1;
  const double ndc_y = 2 * (y - ortho->args[2]) / (ortho->args[3] - ortho->args[2]) - 1;
  *px = viewport->args[0] + (ndc_x + 1) / 2 * viewport->args[2];
  *py = viewport->args[1] + (ndc_y + 1) / 2 * viewport->args[3];
}

TEST_F(GfxCallTest, OverlayCornersLandOnTheWindowsCorners) {
  video.width = 1024;
  video.height = 768;
  gfx_set_view_size(320, 200);
  EXPECT_EQ(320, fonts[0].view_width);
  EXPECT_EQ(200, fonts[0].view_height);
  gfx_begin_overlay();
  double px = 0, py = 0;
  window_position(320, 200, &px, &py);
  EXPECT_DOUBLE_EQ(1024, px);
  EXPECT_DOUBLE_EQ(0, py);  // bottom right: GL counts rows from the bottom
  window_position(0, 0, &px, &py);
  EXPECT_DOUBLE_EQ(0, px);
  EXPECT_DOUBLE_EQ(768, py);  // top left
}

TEST_F(GfxCallTest, ViewSizeBelongsToTheCurrentFont) {
  current_font = 2;
  gfx_set_view_size(100, 50);
  EXPECT_EQ(100, fonts[2].view_width);
  EXPECT_EQ(640, fonts[0].view_width);
  gfx_begin_overlay();
  EXPECT_EQ("glOrtho(0, 100, 50, 0, -16, 16)", call_text(*find_call("glOrtho")));
}

TEST_F(GfxCallTest, OverlayWithoutAViewSizeUsesWindowPixels) {
  fonts[0].view_width = 0;
  fonts[0].view_height = 0;
  gfx_begin_overlay();
  EXPECT_EQ("glOrtho(0, 800, 600, 0, -16, 16)", call_text(*find_call("glOrtho")));
}

}  // namespace
