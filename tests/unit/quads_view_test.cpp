// Quads, outlines and the pointer as GL call sequences; the viewport mapping,
// projections, camera and object matrices and the overlay set-up.
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

// The calls recorded since the last look, without their "gl" prefix, each
// after a space: " Begin(7) Vertex2f(1, 2) End()". With a name, only those.
std::string trace(const std::string &only = "") {
  std::string out;
  for (const std::string &text : call_texts()) {
    if (text.compare(2, only.size(), only) == 0) {
      out += " " + text.substr(2);
    }
  }
  recorder_clear();
  return out;
}

class GfxCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset_gl();
    recorder_clear();
    recorder_enabled = true;
    video = VIDEO_DEFAULTS;  // 800 by 600
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

TEST_F(GfxCallTest, PrimitivesEmitTheirCornersInOrderAndLeaveTexturingOn) {
  gfx_draw_quad(NO_TEXTURE, 10, 20, 30, 40, 0, 0.25f, 0.5f, 0.75f, 1);
  EXPECT_EQ(" Disable(3553) Begin(7) Color4f(0.25, 0.5, 0.75, 1) Vertex2f(10, 20) Vertex2f(40, 20)"
            " Vertex2f(40, 60) Vertex2f(10, 60) End() Enable(3553)",
            trace());
  // The whole image upright: t = 1, the image's top row, along the top edge.
  gfx_draw_quad(12, 100, 200, 30, 40, ALIGN_CENTER_X | ALIGN_BOTTOM, 1, 1, 1, 0.5f);
  EXPECT_EQ(" BindTexture(3553, 2012) Begin(7) Color4f(1, 1, 1, 0.5) TexCoord2f(0, 1)"
            " Vertex2f(85, 160) TexCoord2f(1, 1) Vertex2f(115, 160) TexCoord2f(1, 0)"
            " Vertex2f(115, 200) TexCoord2f(0, 0) Vertex2f(85, 200) End()",
            trace());
  const float uv[8] = {0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f, 1};
  gfx_draw_quad_uv(3, 10, 10, 4, 2, ALIGN_CENTER_Y, 1, 0, 0, 1, uv);
  EXPECT_EQ(" BindTexture(3553, 2003) Begin(7) Color4f(1, 0, 0, 1) TexCoord2f(0.125, 0.25)"
            " Vertex2f(10, 9) TexCoord2f(0.375, 0.5) Vertex2f(14, 9) TexCoord2f(0.625, 0.75)"
            " Vertex2f(14, 11) TexCoord2f(0.875, 1) Vertex2f(10, 11) End()",
            trace());
  gfx_draw_rect_outline(100, 200, 30, 40, ALIGN_RIGHT, 0, 1, 0, 0.5f);
  EXPECT_EQ(" Disable(3553) Begin(1) Color4f(0, 1, 0, 0.5) Vertex2f(70, 200) Vertex2f(100, 200)"
            " Vertex2f(100, 200) Vertex2f(100, 240) Vertex2f(100, 240) Vertex2f(70, 240)"
            " Vertex2f(70, 240) Vertex2f(70, 200) End() Enable(3553)",
            trace());
  fonts[0].pointer_image = 3;
  gfx_draw_pointer(320, 240, 8, 1, 1, 1, 1);
  EXPECT_EQ(" BindTexture(3553, 3011) Begin(7) Color4f(1, 1, 1, 1) TexCoord2f(0, 1)"
            " Vertex2f(312, 232) TexCoord2f(1, 1) Vertex2f(328, 232) TexCoord2f(1, 0)"
            " Vertex2f(328, 248) TexCoord2f(0, 0) Vertex2f(312, 248) End()",
            trace());
}

TEST_F(GfxCallTest, DegenerateAndOutOfRangeQuads) {
  gfx_draw_quad(NO_TEXTURE, 5, 6, 0, 0, 5, 1, 1, 1, 1);  // still submitted
  EXPECT_EQ(" Vertex2f(5, 6) Vertex2f(5, 6) Vertex2f(5, 6) Vertex2f(5, 6)", trace("Vertex"));
  gfx_draw_quad_uv(3, 0, 0, 1, 1, 0, 1, 1, 1, 1, nullptr);  // the whole image
  EXPECT_EQ(" TexCoord2f(0, 1) TexCoord2f(1, 1) TexCoord2f(1, 0) TexCoord2f(0, 0)",
            trace("TexCoord"));
  // Slots outside the table, and pointer images past it, draw plain.
  const float uv[8] = {};
  const int outside[][2] = {{-2, -1},
                            {TEXTURE_SLOT_COUNT, TEXTURE_SLOT_COUNT - POINTER_TEXTURE_SLOT}};
  for (const auto &[slot, image] : outside) {
    fonts[0].pointer_image = image;
    gfx_draw_quad(slot, 0, 0, 1, 1, 0, 1, 1, 1, 1);
    gfx_draw_quad_uv(slot, 0, 0, 1, 1, 0, 1, 1, 1, 1, uv);
    gfx_draw_pointer(0, 0, 1, 1, 1, 1, 1);
    EXPECT_EQ(0, call_count("glBindTexture")) << slot;
    EXPECT_EQ(3, call_count("glDisable")) << slot;
    EXPECT_EQ("glEnable(3553)", call_texts().back()) << slot;
    EXPECT_EQ(" Enable(3553) Enable(3553) Enable(3553)", trace("Enable")) << slot;
  }
  current_font = 1;  // the pointer image is the current font's
  fonts[1].pointer_image = 15;
  gfx_draw_pointer(0, 0, 1, 1, 1, 1, 1);
  EXPECT_EQ(" BindTexture(3553, 3023)", trace("Bind"));
}

TEST_F(GfxCallTest, ViewRectanglesMapOntoWindowPixelsTruncating) {
  const struct {
    int window_w, window_h, view_w, view_h, x, y, w, h;
    const char *viewport;
  } cases[] = {
      {800, 600, 640, 480, 320, 0, 320, 240, " Viewport(400, 300, 400, 300)"},
      {800, 600, 640, 480, 1, 0, 10, 480, " Viewport(1, 0, 12, 600)"},
      {800, 600, 640, 480, 1, 1, 1, 1, " Viewport(1, 597, 1, 1)"},
      {1024, 768, 640, 480, 100, 50, 200, 100, " Viewport(160, 528, 320, 160)"},
      {800, 600, 320, 240, 0, 240, 320, 0, " Viewport(0, 0, 800, 0)"},
      // Products beyond 32 bits whose quotients fit.
      {800, 600, 640, 480, 3000000, -3000000, 640, 480, " Viewport(3750000, 3750000, 800, 600)"},
      // No view size to divide by: view units are window pixels.
      {800, 600, 0, 0, 10, 20, 30, 40, " Viewport(10, 540, 30, 40)"},
      {800, 600, 640, 0, 64, 20, 64, 40, " Viewport(80, 540, 80, 40)"},
  };
  for (const auto &c : cases) {
    video.width = c.window_w;
    video.height = c.window_h;
    fonts[0].view_width = c.view_w;
    fonts[0].view_height = c.view_h;
    gfx_set_perspective(c.x, c.y, c.w, c.h, 1, 2);
    gfx_set_ortho(c.x, c.y, c.w, c.h, 1, 1, 1);
    EXPECT_EQ(std::string(c.viewport) + c.viewport, trace("Viewport"));
  }
}

TEST_F(GfxCallTest, ProjectionsLeaveIdentityTextureAndModelviewMatrices) {
  const std::string reset = " MatrixMode(5890) LoadIdentity() MatrixMode(5888) LoadIdentity()";
  gfx_set_perspective(0, 0, 640, 480, 0.25f, 1024);
  EXPECT_EQ(" Viewport(0, 0, 800, 600) MatrixMode(5889) LoadIdentity()"
            " Frustum(-0.25, 0.25, -0.1875, 0.1875, 0.25, 1024)" + reset,
            trace());
  gfx_set_ortho(0, 0, 640, 480, 12, 9, 50);
  EXPECT_EQ(" Viewport(0, 0, 800, 600) MatrixMode(5889) LoadIdentity()"
            " Ortho(-12, 12, -9, 9, -50, 50)" + reset,
            trace());
  // The frustum follows the rectangle's shape; one of no width is square.
  gfx_set_perspective(0, 0, 320, 480, 2, 100);
  gfx_set_perspective(0, 0, 0, 480, 2, 100);
  EXPECT_EQ(" Frustum(-2, 2, -3, 3, 2, 100) Frustum(-2, 2, -2, 2, 2, 100)", trace("Frustum"));
}

TEST_F(GfxCallTest, CameraRotatesThenTranslatesAndObjectDoesTheInverse) {
  const Mat3 m = {{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}};
  const Vec3 p = {1.5f, -2, 12};
  const struct {
    decltype(&gfx_apply_camera) apply;
    const Vec3 *position;
    const Mat3 *orientation;
    const char *calls;
    std::vector<float> matrix;  // column-major, as glMultMatrixf takes it
  } cases[] = {
      {gfx_apply_camera, &p, &m, " MatrixMode(5888) MultMatrixf() Translatef(-1.5, 2, -12)",
       {1, 4, 7, 0, 2, 5, 8, 0, 3, 6, 9, 0, 0, 0, 0, 1}},
      {gfx_apply_camera, &p, nullptr, " MatrixMode(5888) Translatef(-1.5, 2, -12)", {}},
      {gfx_apply_camera, nullptr, nullptr, " MatrixMode(5888)", {}},
      {gfx_apply_object, &p, &m, " MatrixMode(5888) Translatef(1.5, -2, 12) MultMatrixf()",
       {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1}},
      {gfx_apply_object, nullptr, nullptr, " MatrixMode(5888)", {}},
  };
  for (const auto &c : cases) {
    c.apply(c.position, c.orientation);
    const RecordedCall *mult = find_call("glMultMatrixf");
    const float *matrix = mult ? static_cast<const float *>(mult->data) : nullptr;
    EXPECT_EQ(c.matrix, matrix ? std::vector<float>(matrix, matrix + 16) : std::vector<float>{});
    EXPECT_EQ(c.calls, trace());
  }
}

TEST_F(GfxCallTest, OverlaySetsStateAndMatricesForTheCurrentFontsViewSize) {
  gfx_begin_overlay();
  EXPECT_EQ(" Enable(3553) Enable(3042) BlendFunc(770, 771) Disable(2929) DepthMask(0)"
            " Viewport(0, 0, 800, 600) MatrixMode(5889) LoadIdentity()"
            " Ortho(0, 640, 480, 0, -16, 16) MatrixMode(5888) LoadIdentity() MatrixMode(5890)"
            " LoadIdentity()",
            trace());
  current_font = 2;
  gfx_set_view_size(100, 50);
  EXPECT_EQ(640, fonts[0].view_width);
  gfx_begin_overlay();
  fonts[2].view_width = fonts[2].view_height = 0;  // none: window pixels
  gfx_begin_overlay();
  EXPECT_EQ(" Ortho(0, 100, 50, 0, -16, 16) Ortho(0, 800, 600, 0, -16, 16)", trace("Ortho"));
}

}  // namespace
