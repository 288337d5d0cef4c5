// Widget text (captions, labels, values) is drawn as it stands, never read as
// a format: a user may type a slash into a field, and a caption is not meant
// to take values. Fields are drawn at the rectangle the declaration already
// aligned, with no flags, so background, value, outline, hit testing and the
// editing view all agree whatever alignment they were declared with.
#include "gui/draw.h"

#include <cmath>
#include <cstdio>

#include "gfx/batch.h"
#include "gfx/field_text.h"
#include "gfx/quads.h"
#include "gfx/text.h"
#include "gfx/texture.h"
#include "gui/widgets.h"

namespace {

constexpr float BACKGROUND_STEP = 0.0625f;  // a field's box is darker at rest than active
constexpr float CAPTION_GROWTH = 0.25f;     // caption size change per unit of highlight
constexpr float OUTLINE_ALPHA = 0.5f;
// How much each bevel strip (top, right, bottom, left) faces the light.
constexpr float STRIP_FACING[4] = {0.5f, -0.25f, -0.5f, 0.25f};

void put(BatchVertex *corner, const float (&point)[2]) {
  gfx_put_corner(corner, point[0], point[1], 0, 0);
}

// Copies at most SHOWN_TEXT_SIZE - 1 bytes, so a string without its
// terminator within reach still makes a terminated shown_text.
void show_text(const char *text) {
  int length = 0;
  for (; text != nullptr && length < SHOWN_TEXT_SIZE - 1 && text[length] != '\0'; ++length) {
    shown_text[length] = text[length];
  }
  shown_text[length] = '\0';
}

void show_value(const Widget &w) {
  if (w.target == nullptr) {
    shown_text[0] = '\0';
  } else if (w.value_kind == VALUE_INT) {
    std::snprintf(shown_text, SHOWN_TEXT_SIZE, "%d", *static_cast<const int32_t *>(w.target));
  } else if (w.value_kind == VALUE_UINT) {
    std::snprintf(shown_text, SHOWN_TEXT_SIZE, "%u", *static_cast<const uint32_t *>(w.target));
  } else if (w.value_kind == VALUE_FLOAT) {
    std::snprintf(shown_text, SHOWN_TEXT_SIZE, "%g",
                  static_cast<double>(*static_cast<const float *>(w.target)));
  } else {
    show_text(static_cast<const char *>(w.target));
  }
}

void mask_shown_text() {
  for (char *c = shown_text; *c != '\0'; ++c) *c = '*';
}

void draw_label(const Widget &w) {
  gfx_draw_plain_text(w.text, w.text_x, w.text_y, w.label_size, 0, w.color[0], w.color[1],
                      w.color[2], w.color[3]);
}

// A dark box in the widget's colour, twice as bright while active.
void draw_background(const Widget &w) {
  const float k = static_cast<float>(w.active + 1) * BACKGROUND_STEP;
  gfx_draw_quad(NO_TEXTURE, w.x, w.y, w.width, w.height, 0, w.color[0] * k, w.color[1] * k,
                w.color[2] * k, w.color[3]);
}

void draw_field(const Widget &w) {
  const float r = w.color[0], g = w.color[1], b = w.color[2], a = w.color[3];
  const bool area = w.type == WIDGET_TEXT_AREA;
  draw_background(w);
  // A field that Tab passes the edit back to, its turn in this pass gone,
  // begins the edit in the next: until then it shows its variable, not the
  // emptied buffer.
  if (w.pressed && w.was_pressed) {
    show_text(edit_text);
    if (w.masked) mask_shown_text();
    gfx_draw_field_text(area, edit_caret, edit_anchor, shown_text, w.x, w.y, w.width, w.height,
                        w.text_size, 0, r, g, b, a);
  } else {
    show_value(w);
    if (w.masked) mask_shown_text();
    if (area) {
      gfx_draw_wrapped_text(shown_text, w.x, w.y, w.width, w.height, w.text_size, 0, r, g, b, a);
    } else {
      gfx_draw_plain_text(shown_text, w.x, w.y, w.text_size, 0, r, g, b, a);
    }
  }
  draw_label(w);
}

// The knob is not kept on the track: a value outside min..max shows as such.
// With no range at all it sits at the track's start. The sums are worked in
// doubles, so no int32 difference can overflow.
void draw_slider(const Widget &w) {
  draw_background(w);
  const double value = *static_cast<const int32_t *>(w.target);
  const double span = static_cast<double>(w.max) - w.min;
  const double offset =
      span == 0 ? 0 : std::trunc((w.width - SLIDER_KNOB) * (value - w.min) / span);
  gfx_draw_quad(NO_TEXTURE, w.x + static_cast<float>(offset), w.y, SLIDER_KNOB, w.height, 0, 1,
                1, 1, 1);
  draw_label(w);
}

// A button given images shows the one for its state on its face: entry 0 at
// rest, 1 under the pointer, 2 active, 3 disabled.
void draw_face_image(const Widget &w) {
  const int entry = w.disabled ? 3 : w.active ? 2 : w.hover ? 1 : 0;
  const int slot = w.texture_slots[entry];
  if (slot < 0 || slot >= TEXTURE_SLOT_COUNT) return;
  gfx_draw_quad_uv(slot, w.x + BEVEL_WIDTH, w.y + BEVEL_WIDTH, w.width - 2 * BEVEL_WIDTH,
                   w.height - 2 * BEVEL_WIDTH, 0, 1, 1, 1, w.color[3], w.texture_uv);
}

// Raised at rest, sunken while active; the caption shrinks and whitens as the
// highlight eases from +1 to -1, over a black shadow.
void draw_button(const Widget &w) {
  const float a = w.color[3];
  gui_draw_bevel_box(w.x, w.y, w.width, w.height, w.highlight, 0, w.color[0], w.color[1],
                     w.color[2], a);
  draw_face_image(w);
  const float size = w.text_size + CAPTION_GROWTH * w.highlight;
  const float grey = 0.875f - 0.125f * w.highlight;
  // Centred on the caption's point, measured once for both.
  const float half_width = gfx_text_width(w.text, size) * 0.5f, half_height = size * 0.5f;
  const float shadow[4] = {0, 0, 0, a}, caption[4] = {grey, grey, grey, a};
  gfx_draw_shadowed_text(w.text, w.text_x - half_width, w.text_y - half_height, size,
                         (w.text_x + 1) - half_width, (w.text_y + 1) - half_height, shadow,
                         caption);
}

void draw_outline(const Widget &w) {
  gfx_draw_rect_outline(w.x, w.y, w.width, w.height, 0, w.color[0], w.color[1], w.color[2],
                        w.color[3] * OUTLINE_ALPHA);
}

}  // namespace

void gui_draw_widgets() {
  for (int i = 0; i < gui_declared_count(); ++i) {
    const Widget &w = widgets[i];
    if (w.type == WIDGET_FIELD || w.type == WIDGET_TEXT_AREA) {
      draw_field(w);
    } else if (w.type == WIDGET_SLIDER && w.target != nullptr) {
      draw_slider(w);
    } else if (w.type != WIDGET_SLIDER) {
      draw_button(w);
    }
  }
  for (int i = 0; i < gui_declared_count(); ++i) {
    if (widgets[i].hover) draw_outline(widgets[i]);
  }
}

// The strips go outer edge then inner edge, each strip's corners in turn; the
// face shades from its top edge to its bottom one. All five quads join the
// batch of plain quads.
void gui_draw_bevel_box(float x, float y, float width, float height, float tilt, int align,
                        float r, float g, float b, float a) {
  gfx_align(&x, &y, width, height, align);
  const float right = x + width, bottom = y + height, in = BEVEL_WIDTH;
  const float outer[4][2] = {{x, y}, {right, y}, {right, bottom}, {x, bottom}};
  const float inner[4][2] = {
      {x + in, y + in}, {right - in, y + in}, {right - in, bottom - in}, {x + in, bottom - in}};
  // (lean, facing) is the unit vector along (tilt, 1).
  const float facing = static_cast<float>(1.0 / std::sqrt(static_cast<double>(tilt) * tilt + 1));
  const float lean = tilt * facing;
  gfx_set_texturing(false);
  BatchVertex *corner = gfx_reserve_quads(5);
  for (int k = 0; k < 4; ++k, corner += 4) {
    const float shade = 0.5f * (STRIP_FACING[k] * lean + BEVEL_FACING * facing);
    gfx_quad_color(r * shade, g * shade, b * shade, a);
    put(&corner[0], outer[k]);
    put(&corner[1], outer[(k + 1) % 4]);
    put(&corner[2], inner[(k + 1) % 4]);
    put(&corner[3], inner[k]);
  }
  const float face_top = (0.375f + 0.125f * tilt) * BEVEL_FACING;
  const float face_bottom = (0.375f - 0.0625f * tilt) * BEVEL_FACING;
  gfx_quad_color(r * face_top, g * face_top, b * face_top, a);
  put(&corner[0], inner[0]);
  put(&corner[1], inner[1]);
  gfx_quad_color(r * face_bottom, g * face_bottom, b * face_bottom, a);
  put(&corner[2], inner[2]);
  put(&corner[3], inner[3]);
  gfx_commit_quads();
}
