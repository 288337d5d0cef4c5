// Each block below declares one kind of widget in a few lines, the way a game
// would: declared anew every frame, configured with gui_set, values held in
// the program's own variables. The values beside the widgets are drawn after
// gui_update, so they show this frame's changes.
#include "gallery/gallery.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "gallery/services.h"
#include "gfx/gfx.h"
#include "gui/gui.h"
#include "input/input.h"

namespace {

constexpr uint32_t FRAME_MS = 10;  // a frame at most every 10 ms: held keys repeat at 100 Hz
constexpr float LEFT = 20, RIGHT = 330, VALUE_GAP = 12, ROW = 40;
constexpr float POINTER_HALF_SIZE = 16;
constexpr float GREY[4] = {0.7f, 0.7f, 0.75f, 1};

// The values the widgets change.
struct GalleryValues {
  int32_t presses, repeats, textured_presses;
  int32_t bits, choice, slider;
  char text[32], password[32], area[256];
  int32_t number;
  uint32_t count;
  float ratio;
  int32_t page;  // 0 the widgets, 1 the services
};

constexpr GalleryValues START_VALUES = {
    0, 0, 0, 5, 1, 35, "hello", "secret",
    "A text area wraps a long line inside its box, breaking after spaces.", -12, 7, 0.5f, 0};

GalleryValues values = START_VALUES;
GalleryValues reported = START_VALUES;  // as last written to standard output

// The arrow of the pointer image, mirrored: the lower half of the image, from
// column 26 back to column 14 of its 32.
constexpr TextureUv MIRRORED_ARROW_UV = {0.8125f, 0.5f, 0.4375f, 0.5f, 0.4375f, 0, 0.8125f, 0};

void press_counted(int32_t *counter) {
  ++*counter;
  widgets[current_widget].pressed = 0;  // a plain button stays pressed until the next click
}

void declare_buttons(float y) {
  gui_add_box("Press (P)", LEFT, y, 120, 28, 16, 0, 0.4f, 0.6f, 1, 1);
  gui_set(PROP_KEY, 'p');
  gui_set(PROP_ACTION, +[] { press_counted(&values.presses); });

  gui_add_box("Hold R", LEFT, y + ROW, 120, 28, 16, 0, 0.4f, 1, 0.6f, 1);
  gui_set(PROP_KEY, 'r');
  gui_set(PROP_REPEAT);  // fires in every frame the key is down
  gui_set(PROP_ACTION, +[] { press_counted(&values.repeats); });

  gui_add_box("Disabled", LEFT, y + 2 * ROW, 120, 28, 16, 0, 0.6f, 0.6f, 0.6f, 0.5f);
  gui_set(PROP_DISABLED);
}

void declare_choices(float y) {
  const char *bit_names[4] = {"1", "2", "4", "8"};
  for (int bit = 0; bit < 4; ++bit) {
    gui_add_box(bit_names[bit], LEFT + 34 * float(bit), y, 30, 28, 16, 0, 1, 0.8f, 0.3f, 1);
    gui_set(PROP_TOGGLE, &values.bits, 1 << bit);
  }
  const char *choice_names[3] = {"A", "B", "C"};
  for (int choice = 0; choice < 3; ++choice) {
    gui_add_box(choice_names[choice], LEFT + 44 * float(choice), y + ROW, 40, 28, 16, 0, 1, 0.5f,
                0.8f, 1);
    gui_set(PROP_RADIO, &values.choice, choice);
  }
  gui_add_box("Slider", LEFT, y + 2 * ROW + 12, 140, 20, 16, 0, 0.5f, 0.9f, 1, 1);
  gui_set(PROP_SLIDER, &values.slider, 0, 100, 5);  // Shift snaps it to steps of 5
  gui_set(PROP_TEXT_POS, LEFT, y + 2 * ROW - 2, 12.0f);
}

void declare_textured_button(float y) {
  gui_add_box("", LEFT, y, 48, 48, 16, 0, 1, 1, 1, 1);
  gui_set(PROP_TEXTURE, 0, POINTER_TEXTURE_SLOT);
  gui_set(PROP_TEXTURE_UV, &MIRRORED_ARROW_UV);
  gui_set(PROP_ACTION, +[] { press_counted(&values.textured_presses); });
}

// A box made a field shows its caption as a label above it; PROP_TEXT_POS,
// set after the field's own property, moves it and makes it smaller.
void field(const char *label, float y, float width, float height) {
  gui_add_box(label, RIGHT, y, width, height, 16, 0, 0.9f, 0.9f, 1, 1);
}

void label_above(float y) { gui_set(PROP_TEXT_POS, RIGHT, y - 14, 12.0f); }

void declare_fields(float y) {
  field("Text", y, 150, 18);
  gui_set(PROP_FIELD_TEXT, values.text, int(sizeof values.text) - 1);
  label_above(y);
  field("Password", y + ROW, 150, 18);
  gui_set(PROP_FIELD_TEXT, values.password, int(sizeof values.password) - 1);
  gui_set(PROP_MASKED);
  label_above(y + ROW);
  field("Int", y + 2 * ROW, 150, 18);
  gui_set(PROP_FIELD_INT, &values.number, 11);
  label_above(y + 2 * ROW);
  field("Unsigned", y + 3 * ROW, 150, 18);
  gui_set(PROP_FIELD_UINT, &values.count, 10);
  label_above(y + 3 * ROW);
  field("Float", y + 4 * ROW, 150, 18);
  gui_set(PROP_FIELD_FLOAT, &values.ratio, 12);
  label_above(y + 4 * ROW);
  field("Text area", y + 5 * ROW, 150, 84);  // five lines of 16 and a little
  gui_set(PROP_AREA_TEXT, values.area, int(sizeof values.area) - 1);
  label_above(y + 5 * ROW);
}

// Two radio choices over one int make the page tabs.
void declare_tabs() {
  const char *names[2] = {"Widgets", "Services"};
  for (int page = 0; page < 2; ++page) {
    gui_add_box(names[page], 470 + 82 * float(page), 8, 78, 24, 14, 0, 0.6f, 0.8f, 1, 1);
    gui_set(PROP_RADIO, &values.page, page);
  }
}

void declare_frame() {
  widget_count = 0;
  gui_add_box("Quit (Esc)", 640 - LEFT, 480 - 20, 110, 28, 16, ALIGN_RIGHT | ALIGN_BOTTOM, 1,
              0.4f, 0.4f, 1);
  gui_set(PROP_KEY, KEY_ESCAPE);
  declare_tabs();
  gallery_declare_services(values.page == 1);
  if (values.page == 0) {
    declare_buttons(50);
    declare_choices(170);
    declare_textured_button(310);
    declare_fields(50);
  }
}

void value(float x, float y, const char *format, auto... shown) {
  gfx_draw_text(format, x, y, 14, ALIGN_CENTER_Y, GREY[0], GREY[1], GREY[2], GREY[3], shown...);
}

// Beside each widget: what it holds now.
void draw_values() {
  gfx_draw_text("Widget gallery", 20, 8, 24, 0, 1, 1, 1, 1);
  gallery_draw_services(values.page == 1);
  if (values.page != 0) return;
  const float left = LEFT + 120 + VALUE_GAP, right = RIGHT + 150 + VALUE_GAP;
  value(left, 64, "presses: /i", values.presses);
  value(left, 64 + ROW, "count: /i", values.repeats);
  value(left, 64 + 2 * ROW, "never pressed");
  value(LEFT + 136 + VALUE_GAP, 184, "bits: /i", values.bits);
  value(LEFT + 136 + VALUE_GAP, 184 + ROW, "choice: /s", values.choice == 0 ? "A"
                                                          : values.choice == 1 ? "B" : "C");
  value(LEFT + 140 + VALUE_GAP, 272, "/i", values.slider);
  value(LEFT + 48 + VALUE_GAP, 334, "presses: /i", values.textured_presses);
  value(right, 59, "/i chars", int(std::strlen(values.text)));
  value(right, 59 + ROW, "/i chars", int(std::strlen(values.password)));
  value(right, 59 + 2 * ROW, "/i", values.number);
  value(right, 59 + 3 * ROW, "/u", values.count);
  char ratio[32];  // as the field shows it
  std::snprintf(ratio, sizeof ratio, "%g", double(values.ratio));
  value(right, 59 + 4 * ROW, "/s", ratio);
  value(right, 59 + 5 * ROW, "/i chars", int(std::strlen(values.area)));
}

template <typename Number>
void report_number(const char *name, Number now, Number *last) {
  if (now == *last) return;
  *last = now;
  std::printf("%s %lld\n", name, static_cast<long long>(now));
}

// Text is written out as it stands; a password only by its length.
void report_text(const char *name, const char *now, char *last, size_t size, bool secret) {
  if (std::strncmp(now, last, size) == 0) return;
  std::memcpy(last, now, size);
  if (secret) {
    std::printf("%s %zu\n", name, std::strlen(now));
  } else {
    std::printf("%s %s\n", name, now);
  }
}

void report_changes() {
  report_number("button", values.presses, &reported.presses);
  report_number("repeat", values.repeats, &reported.repeats);
  report_number("textured", values.textured_presses, &reported.textured_presses);
  report_number("bits", values.bits, &reported.bits);
  report_number("choice", values.choice, &reported.choice);
  report_number("slider", values.slider, &reported.slider);
  report_text("text", values.text, reported.text, sizeof reported.text, false);
  report_text("password", values.password, reported.password, sizeof reported.password, true);
  report_number("int", values.number, &reported.number);
  report_number("uint", values.count, &reported.count);
  if (values.ratio != reported.ratio) {
    reported.ratio = values.ratio;
    std::printf("float %g\n", double(values.ratio));
  }
  report_text("area", values.area, reported.area, sizeof reported.area, false);
  report_number("page", values.page, &reported.page);
}

void draw_picture() {
  glClearColor(0.16f, 0.18f, 0.22f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  gfx_begin_overlay();
  gui_draw_widgets();
  draw_values();
  gfx_draw_pointer(float(mouse.x), float(mouse.y), POINTER_HALF_SIZE, 1, 1, 1, 1);
  gfx_flush_quads();
  SDL_GL_SwapBuffers();
  gallery_take_screenshot();
  std::fflush(stdout);
}

}  // namespace

void gallery_reset() {
  values = START_VALUES;
  reported = START_VALUES;
  gallery_reset_services();
}

bool gallery_frame() {
  const uint32_t start = SDL_GetTicks();
  declare_frame();
  input_pump_events();
  input_read_keyboard();
  input_read_mouse();
  gui_update();
  gallery_update_services();
  report_changes();
  draw_picture();
  const uint32_t spent = SDL_GetTicks() - start;
  if (spent < FRAME_MS) SDL_Delay(FRAME_MS - spent);
  return !widgets[0].pressed && !quit_requested;
}

int gallery_main() {
  if (const int failed = gfx_open_window(GALLERY_CAPTION, GALLERY_CAPTION)) {
    return failed;
  }
  input_init_key_names();
  gallery_open_joysticks();
  gallery_reset();
  gui_clear_presses();
  while (gallery_frame()) {
  }
  gfx_close_window();
  return 0;
}
