// Declaring widgets: box, label and blank. Each fills every per-frame field of
// the next record and leaves the state that belongs to the index (highlight,
// pressed, was_pressed, the slider's range) as the last frame left it.
#include "gui/declare.h"

#include <cstring>

#include "gfx/font.h"
#include "gfx/quads.h"
#include "gui/widgets.h"

namespace {

constexpr int CAPTION_MAX = WIDGET_TEXT_SIZE - 1;  // characters kept and measured
constexpr float DEFAULT_UV[8] = {0, 1, 1, 1, 1, 0, 0, 0};

// The record the next declaration fills, or null when the table is full: the
// declaration is then dropped, and the flag keeps gui_set from reaching the
// last record that did fit.
Widget *next_record() {
  if (widget_count < 0 || widget_count >= MAX_WIDGETS) {
    declaration_dropped = 1;
    return nullptr;
  }
  declaration_dropped = 0;
  return &widgets[widget_count];
}

// Copies at most CAPTION_MAX characters and zero-fills the rest of the field;
// returns the length kept. A null caption is empty.
int32_t copy_caption(Widget &widget, const char *text) {
  std::memset(widget.text, 0, sizeof widget.text);
  if (text == nullptr) {
    return 0;
  }
  int32_t length = 0;
  while (length < CAPTION_MAX && text[length] != '\0') {
    widget.text[length] = text[length];
    ++length;
  }
  return length;
}

// Summed in single precision, one rounding per character, as text drawing
// advances its pen.
float measure_label(const char *text, float size) {
  const Font &font = *gfx_current_font();
  float width = 0.0f;
  for (int i = 0; text != nullptr && i < CAPTION_MAX && text[i] != '\0'; ++i) {
    width += size * font.advance[static_cast<unsigned char>(text[i])];
  }
  return width;
}

void clear_per_frame_state(Widget &widget) {
  widget.type = WIDGET_BUTTON;
  widget.key = 0;
  widget.modifier_key = 0;
  widget.repeat = 0;
  widget.disabled = 0;
  widget.hover = 0;
  widget.active = 0;
  widget.value = 0;
  widget.value_kind = VALUE_TEXT;
  widget.masked = 0;
  for (int32_t &slot : widget.texture_slots) {
    slot = NO_TEXTURE;
  }
  widget.pointer_image = 0;
  widget.tag = 0;
  widget.target = nullptr;
  widget.action = nullptr;
}

// What box and label share: rectangle, colour, caption and the defaults.
void fill_declared(Widget &widget, const char *text, float x, float y, float width, float height,
                   float text_size, float r, float g, float b, float a) {
  clear_per_frame_state(widget);
  widget.max_length = copy_caption(widget, text);
  widget.x = x;
  widget.y = y;
  widget.width = width;
  widget.height = height;
  widget.text_size = text_size;
  widget.label_size = text_size;
  widget.color[0] = r;
  widget.color[1] = g;
  widget.color[2] = b;
  widget.color[3] = a;
  std::memcpy(widget.texture_uv, DEFAULT_UV, sizeof widget.texture_uv);
}

}  // namespace

void gui_add_box(const char *text, float x, float y, float width, float height, float text_size,
                 int align, float r, float g, float b, float a) {
  Widget *widget = next_record();
  if (widget == nullptr) {
    return;
  }
  gfx_align(&x, &y, width, height, align);
  fill_declared(*widget, text, x, y, width, height, text_size, r, g, b, a);
  widget->align = align;
  widget->text_x = x + 0.5f * width;
  widget->text_y = y + 0.5f * height;
  ++widget_count;
}

// The alignment shows only in the position: align is stored as 0.
void gui_add_label(const char *text, float x, float y, float size, int align, float r, float g,
                   float b, float a) {
  Widget *widget = next_record();
  if (widget == nullptr) {
    return;
  }
  const float width = measure_label(text, size);
  gfx_align(&x, &y, width, size, align);
  fill_declared(*widget, text, x, y, width, size, size, r, g, b, a);
  widget->align = 0;
  widget->text_x = x;
  widget->text_y = y;
  ++widget_count;
}

// Caption position, label size and texture coordinates keep what the record
// held, as do the states that belong to the index.
void gui_add_blank() {
  Widget *widget = next_record();
  if (widget == nullptr) {
    return;
  }
  clear_per_frame_state(*widget);
  std::memset(widget->text, 0, sizeof widget->text);
  widget->x = 0;
  widget->y = 0;
  widget->text_size = 0;
  widget->align = 0;
  for (float &channel : widget->color) {
    channel = 0;
  }
  widget->width = 0;
  widget->height = 0;
  widget->max_length = 0;
  ++widget_count;
}
