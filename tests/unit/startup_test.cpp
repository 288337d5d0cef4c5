// Start-up and shut-down against the SDL and OpenGL doubles.
#include "app/startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "gfx/font.h"
#include "gfx/texture.h"
#include "gui/widgets.h"
#include "input/events.h"
#include "input/key_names.h"
#include "tests/doubles/doubles.h"

namespace {

class StartUp : public ::testing::Test {
 protected:
  void SetUp() override {
    doubles_reset();
    quit_requested = 0;
    widgets[0].pressed = 0;
    fake::push_quit();  // the game ends after its first frame
  }
};

TEST_F(StartUp, BringsThePlatformUpInOrder) {
  EXPECT_EQ(game_main(), 0);
  const char *order[] = {"SDL_Init",          "SDL_ShowCursor", "SDL_WM_SetCaption",
                         "SDL_GL_SetAttribute", "SDL_SetVideoMode", "glGenTextures",
                         "SDL_GL_SwapBuffers", "SDL_WM_IconifyWindow", "SDL_Quit"};
  int previous = -1;
  for (const char *name : order) {
    int index = call_index(name);
    ASSERT_GE(index, 0) << name;
    EXPECT_GT(index, previous) << name << " comes after what precedes it";
    previous = index;
  }
  EXPECT_EQ(find_call("SDL_Init")->args[0], 0x21);
  EXPECT_EQ(find_call("SDL_ShowCursor")->args[0], 0);
  EXPECT_EQ(std::string(static_cast<const char *>(find_call("SDL_WM_SetCaption")->data)),
            "Quillary");
  EXPECT_EQ(std::string(static_cast<const char *>(find_call("SDL_WM_SetCaption.icon")->data)),
            "SDL");
  EXPECT_EQ(call_text(*find_call("SDL_SetVideoMode")), "SDL_SetVideoMode(800, 600, 32, 2)");
  EXPECT_EQ(call_index("SDL_Quit"), recorded_count - 1) << "SDL shuts down last";
}

TEST_F(StartUp, FillsTheVideoSettings) {
  game_main();
  const VideoSettings expected = {800, 600, 32, 24, 8, 0};
  for (const VideoSettings *settings : {&video_defaults, &video}) {
    EXPECT_EQ(settings->width, expected.width);
    EXPECT_EQ(settings->height, expected.height);
    EXPECT_EQ(settings->bpp, expected.bpp);
    EXPECT_EQ(settings->depth_bits, expected.depth_bits);
    EXPECT_EQ(settings->stencil_bits, expected.stencil_bits);
    EXPECT_EQ(settings->fullscreen, expected.fullscreen);
  }
  EXPECT_EQ(joystick_enabled, 0);
  const auto requests = calls_named("SDL_GL_SetAttribute");
  ASSERT_EQ(requests.size(), 8u);
  EXPECT_EQ(call_text(*requests[0]), "SDL_GL_SetAttribute(0, 8)");
  EXPECT_EQ(call_text(*requests[4]), "SDL_GL_SetAttribute(6, 24)") << "depth bits from the mode";
  EXPECT_EQ(call_text(*requests[5]), "SDL_GL_SetAttribute(7, 8)") << "stencil bits from the mode";
}

std::vector<std::string> attribute_requests() {
  std::vector<std::string> texts;
  for (const RecordedCall *call : calls_named("SDL_GL_SetAttribute")) {
    texts.push_back(call_text(*call));
  }
  return texts;
}

// Only exactly 16 bits per pixel selects 5-6-5 colour without alpha.
TEST(GlAttributes, ChannelSizesFollowTheColourDepth) {
  struct Depth {
    int bpp;
    int red, green, blue, alpha;
  };
  for (const Depth &d : {Depth{32, 8, 8, 8, 8}, Depth{16, 5, 6, 5, 0}, Depth{15, 8, 8, 8, 8},
                         Depth{24, 8, 8, 8, 8}}) {
    doubles_reset();
    video = VIDEO_DEFAULTS;
    video.bpp = d.bpp;
    video.depth_bits = 16;
    video.stencil_bits = 0;
    game_request_gl_attributes();
    const std::vector<std::string> expected = {
        "SDL_GL_SetAttribute(0, " + std::to_string(d.red) + ")",
        "SDL_GL_SetAttribute(1, " + std::to_string(d.green) + ")",
        "SDL_GL_SetAttribute(2, " + std::to_string(d.blue) + ")",
        "SDL_GL_SetAttribute(3, " + std::to_string(d.alpha) + ")",
        "SDL_GL_SetAttribute(6, 16)",
        "SDL_GL_SetAttribute(7, 0)",
        "SDL_GL_SetAttribute(5, 1)",
        "SDL_GL_SetAttribute(16, 1)"};
    EXPECT_EQ(attribute_requests(), expected) << d.bpp << " bits per pixel";
  }
}

TEST(VideoMode, FullScreenAddsItsFlag) {
  doubles_reset();
  video = VIDEO_DEFAULTS;
  video.fullscreen = 1;
  EXPECT_TRUE(game_set_video_mode());
  EXPECT_EQ(find_call("SDL_SetVideoMode")->args[3], double(0x80000002u));
  recorder_clear();
  video.fullscreen = 0;
  game_set_video_mode();
  EXPECT_EQ(find_call("SDL_SetVideoMode")->args[3], 2);
}

TEST_F(StartUp, GeneratesOneTextureNamePerSlotInSlotOrder) {
  game_main();
  auto generated = calls_named("glGenTextures");
  ASSERT_EQ(generated.size(), size_t(TEXTURE_SLOT_COUNT));
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
    EXPECT_EQ(generated[slot]->args[0], 1) << "one name per call";
    EXPECT_EQ(textures[slot].gl_name, unsigned(slot + 1)) << "slot " << slot;
  }
  int first_bind = call_index("glBindTexture");
  if (first_bind >= 0) {
    EXPECT_LT(call_index("glGenTextures", TEXTURE_SLOT_COUNT - 1), first_bind)
        << "every name exists before any image is loaded";
  }
}

TEST_F(StartUp, FontZeroGetsItsViewSizeAndTheKeyNamesAreFilled) {
  game_main();
  EXPECT_EQ(current_font, 0);
  EXPECT_EQ(fonts[0].view_width, 640);
  EXPECT_EQ(fonts[0].view_height, 480);
  EXPECT_EQ(fonts[0].pointer_image, 0);
  EXPECT_EQ(fonts[0].texture_slot, FONT_TEXTURE_SLOT);
  EXPECT_STREQ(key_names[275], "Right");
}

TEST_F(StartUp, MissingImagesLeaveTheirSlotsEmptyAndTheGameRuns) {
  char folder[] = "/tmp/quillary-empty-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  ASSERT_EQ(chdir(folder), 0) << "a folder without the game's images";
  EXPECT_EQ(game_main(), 0);
  EXPECT_EQ(textures[FONT_TEXTURE_SLOT].width, 0);
  EXPECT_EQ(textures[POINTER_TEXTURE_SLOT].width, 0);
  EXPECT_EQ(call_count("SDL_GL_SwapBuffers"), 1);
}

TEST_F(StartUp, LoadsTheShippedFontAndPointerAndUploadsThemAgainOnActivation) {
  ASSERT_EQ(chdir(SOURCE_DIR "/data"), 0);
  doubles_reset();
  fake::push_active(1, SDL_APPACTIVE | SDL_APPINPUTFOCUS);
  fake::push_quit();
  EXPECT_EQ(game_main(), 0);
  EXPECT_EQ(textures[FONT_TEXTURE_SLOT].width, 512);
  EXPECT_EQ(textures[FONT_TEXTURE_SLOT].height, 512);
  EXPECT_GT(textures[POINTER_TEXTURE_SLOT].width, 0);

  int reset = call_index("SDL_SetVideoMode", 1);
  ASSERT_GT(reset, 0) << "the activation sets the mode again";
  std::vector<double> bound;
  for (int i = reset; i < recorded_count; ++i) {
    if (std::string(recorded_calls[i].name) == "glTexImage2D") {
      // The name bound last before this upload.
      for (int j = i; j >= reset; --j) {
        if (std::string(recorded_calls[j].name) == "glBindTexture") {
          bound.push_back(recorded_calls[j].args[1]);
          break;
        }
      }
    }
  }
  const std::vector<double> expected = {double(textures[FONT_TEXTURE_SLOT].gl_name),
                                        double(textures[POINTER_TEXTURE_SLOT].gl_name)};
  EXPECT_EQ(bound, expected);
}

TEST(StartUpFailure, WithoutSdlTheProgramStopsWithStatusOne) {
  doubles_reset();
  fake::init_result = -1;
  EXPECT_EQ(game_main(), 1);
  EXPECT_EQ(call_count("SDL_SetVideoMode"), 0);
  EXPECT_EQ(call_count("SDL_GL_SwapBuffers"), 0);
  EXPECT_EQ(call_count("SDL_Quit"), 1);
}

TEST(StartUpFailure, WithoutAWindowTheProgramStopsWithStatusOne) {
  doubles_reset();
  fake::video_mode_fails = true;
  EXPECT_EQ(game_main(), 1);
  EXPECT_EQ(call_count("glGenTextures"), 0);
  EXPECT_EQ(call_count("SDL_GL_SwapBuffers"), 0);
  EXPECT_EQ(call_count("SDL_Quit"), 1);
}

}  // namespace
