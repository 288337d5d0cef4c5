// The services page. Its values are written to standard output as they
// change, like the widgets' on the first page.
#include "gallery/services.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "files/directory.h"
#include "files/screenshot.h"
#include "gfx/gfx.h"
#include "gui/gui.h"
#include "input/input.h"
#include "video/video_mode.h"

namespace {

static_assert(KEY_COUNT <= KEY_NAME_SLOTS, "every key code has a name slot");

constexpr float LEFT = 20, LINE = 14;
constexpr int FILE_LIST = 0;
constexpr int SHOWN_JOYSTICKS = 4;  // two lines each
constexpr int FILE_COLUMNS = 3, FILE_ROWS = 10;
constexpr char START_PATTERN[] = "texture/*.png";
constexpr float GREY[4] = {0.7f, 0.7f, 0.75f, 1};
constexpr float WHITE[4] = {1, 1, 1, 1};

char pattern[64];
int32_t folders;  // 1: the listing shows folders
char listed_pattern[64];
int32_t listed_folders = -1;  // none listed yet
int32_t last_key;
bool screenshot_asked;

void ask_screenshot() {
  screenshot_asked = true;
  widgets[current_widget].pressed = 0;
}

// A key's display name, or its code for a key the table leaves unnamed.
const char *key_label(int key) {
  static char code[16];
  if (key_names[key][0] != '\0') return key_names[key];
  std::snprintf(code, sizeof code, "#%d", key);
  return code;
}

// A key that went down this frame; the highest code wins.
void note_last_key() {
  for (int key = 0; key < KEY_COUNT; ++key) {
    if (key_state[key] && !key_state_prev[key]) {
      last_key = key;
      std::printf("key %s\n", key_label(key));
    }
  }
}

void list_files_if_changed() {
  if (folders == listed_folders && std::strcmp(pattern, listed_pattern) == 0) return;
  file_list_directory(pattern, FILE_LIST, folders);
  std::memcpy(listed_pattern, pattern, sizeof pattern);
  listed_folders = folders;
  std::printf("listed %d %s\n", dir_lists[FILE_LIST].count, folders ? "folders" : "files");
}

void text(float x, float y, const char *line, const float (&color)[4] = GREY) {
  gfx_draw_plain_text(line, x, y, SERVICE_TEXT_SIZE, 0, color[0], color[1], color[2], color[3]);
}

// Appends to a line that never overflows: what does not fit is cut.
void append(char *line, size_t size, const char *piece) {
  const size_t used = std::strlen(line);
  std::snprintf(line + used, size - used, "%s", piece);
}

// "axes +0.50 -1.00  buttons 0100  hats U R- -": each device's state in a line.
void describe(const JoystickState &device, char *line, size_t size) {
  char piece[32];
  std::snprintf(line, size, "axes");
  for (int a = 0; a < device.axis_count && a < MAX_AXES; ++a) {
    std::snprintf(piece, sizeof piece, " %+.2f", double(device.axes[a]));
    append(line, size, piece);
  }
  append(line, size, "  buttons ");
  for (int b = 0; b < device.button_count && b < MAX_BUTTONS; ++b) {
    append(line, size, device.buttons[b] ? "1" : "0");
  }
  append(line, size, "  hats");
  for (int h = 0; h < device.hat_count && h < MAX_HATS; ++h) {
    const int32_t *hat = device.hats[h];
    std::snprintf(piece, sizeof piece, " %s%s%s%s%s", hat[0] ? "U" : "", hat[1] ? "D" : "",
                  hat[2] ? "L" : "", hat[3] ? "R" : "",
                  hat[0] || hat[1] || hat[2] || hat[3] ? "" : "-");
    append(line, size, piece);
  }
}

void draw_joysticks(float y) {
  text(LEFT, y, "Joysticks", WHITE);
  if (joystick_count == 0) {
    text(LEFT, y + LINE, "No joystick");
    return;
  }
  char line[256];
  for (int i = 0; i < joystick_count && i < SHOWN_JOYSTICKS; ++i) {
    text(LEFT, y + LINE * float(1 + 2 * i), joysticks[i].name, WHITE);
    describe(joysticks[i], line, sizeof line);
    text(LEFT + 10, y + LINE * float(2 + 2 * i), line);
  }
}

void draw_file_list(float y) {
  const DirList &list = dir_lists[FILE_LIST];
  char line[64];
  std::snprintf(line, sizeof line, "%d %s match", list.count, folders ? "folders" : "files");
  text(LEFT, y, line, WHITE);
  const int shown = FILE_COLUMNS * FILE_ROWS;
  for (int i = 0; i < list.count && i < shown; ++i) {
    text(LEFT + 200 * float(i / FILE_ROWS), y + LINE * float(1 + i % FILE_ROWS), list.names[i]);
  }
  if (list.count > shown) {
    std::snprintf(line, sizeof line, "and %d more", list.count - shown);
    text(LEFT, y + LINE * float(1 + FILE_ROWS), line);
  }
}

}  // namespace

void gallery_open_joysticks() {
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return;
  input_open_joysticks();
  joystick_enabled = 1;
}

void gallery_declare_services(bool shown) {
  gui_add_box("Screenshot (F12)", LEFT, 440, 150, 28, 14, 0, 0.6f, 1, 0.8f, 1);
  gui_set(PROP_ACTION, +[] { ask_screenshot(); });
  if (!shown) return;
  gui_add_box("Pattern", LEFT, 214, 300, 18, 16, 0, 0.9f, 0.9f, 1, 1);
  gui_set(PROP_FIELD_TEXT, pattern, int(sizeof pattern) - 1);
  gui_set(PROP_TEXT_POS, LEFT, 200.0f, SERVICE_TEXT_SIZE);
  gui_add_box("Folders", 330, 210, 90, 26, 14, 0, 1, 0.8f, 0.3f, 1);
  gui_set(PROP_TOGGLE, &folders, 1);  // sunken while folders are listed
}

void gallery_update_services() {
  input_read_joysticks();
  note_last_key();
  if (key_state[KEY_F12] && !key_state_prev[KEY_F12]) screenshot_asked = true;
  list_files_if_changed();
}

void gallery_draw_services(bool shown) {
  char line[64];
  std::snprintf(line, sizeof line, "Last key: %s", key_label(last_key));
  text(190, 448, line);
  if (!shown) return;
  draw_joysticks(50);
  draw_file_list(246);
}

void gallery_take_screenshot() {
  if (!screenshot_asked) return;
  screenshot_asked = false;
  file_screenshot();
  std::printf("screenshot %s\n", screenshot_name[0] ? screenshot_name : "not written");
}

void gallery_reset_services() {
  std::memcpy(pattern, START_PATTERN, sizeof START_PATTERN);
  folders = 0;
  listed_folders = -1;
  last_key = 0;
  screenshot_asked = false;
}
