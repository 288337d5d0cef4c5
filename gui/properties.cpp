// The property setter. Every code checks the values it was handed (count and
// kind) before it writes anything, so a short or mistyped call leaves the
// widget exactly as it was.
#include "gui/properties.h"

#include <cstdint>
#include <cstring>
#include <iterator>

#include "gui/interaction.h"
#include "gui/text_entry.h"
#include "gui/widgets.h"

namespace {

struct Values {
  const PropArg *args;
  int count;
};

// An integer that fits in 32 bits, signed or unsigned, taken as its 32-bit
// pattern: toggle masks are naturally written as unsigned constants.
bool int_value(const Values &values, int index, int32_t *out) {
  if (index >= values.count || values.args[index].kind != PropArg::INTEGER) {
    return false;
  }
  const int64_t number = values.args[index].integer;
  if (number < INT32_MIN || number > static_cast<int64_t>(UINT32_MAX)) {
    return false;
  }
  *out = static_cast<int32_t>(static_cast<uint32_t>(number));
  return true;
}

// Real-valued properties also take integers, which convert exactly.
bool real_value(const Values &values, int index, double *out) {
  if (index >= values.count) {
    return false;
  }
  const PropArg &arg = values.args[index];
  if (arg.kind == PropArg::REAL) {
    *out = arg.real;
    return true;
  }
  if (arg.kind == PropArg::INTEGER) {
    *out = static_cast<double>(arg.integer);
    return true;
  }
  return false;
}

bool pointer_value(const Values &values, int index, PropArg::Kind kind, const void **out) {
  if (index >= values.count || values.args[index].kind != kind) {
    return false;
  }
  *out = values.args[index].pointer;
  return true;
}

// The caption stands one text size above the box's left edge.
void place_label_above(Widget &widget) {
  widget.text_x = widget.x;
  widget.text_y = widget.y - widget.text_size;
}

struct FieldCode {
  int code;
  int32_t type;
  int32_t value_kind;
  PropArg::Kind target_kind;
};

constexpr FieldCode FIELD_CODES[] = {
    {PROP_FIELD_TEXT, WIDGET_FIELD, VALUE_TEXT, PropArg::TEXT_BUFFER},
    {PROP_AREA_TEXT, WIDGET_TEXT_AREA, VALUE_TEXT, PropArg::TEXT_BUFFER},
    {PROP_FIELD_INT, WIDGET_FIELD, VALUE_INT, PropArg::INT_POINTER},
    {PROP_FIELD_UINT, WIDGET_FIELD, VALUE_UINT, PropArg::UINT_POINTER},
    {PROP_FIELD_FLOAT, WIDGET_FIELD, VALUE_FLOAT, PropArg::FLOAT_POINTER},
};

constexpr bool field_codes_in_order() {
  for (int i = 0; i < static_cast<int>(std::size(FIELD_CODES)); ++i) {
    if (FIELD_CODES[i].code != PROP_FIELD_TEXT + i) {
      return false;
    }
  }
  return std::size(FIELD_CODES) == PROP_FIELD_FLOAT - PROP_FIELD_TEXT + 1;
}
static_assert(field_codes_in_order(), "the field table is indexed by code - PROP_FIELD_TEXT");

void set_field(Widget &widget, const Values &values, const FieldCode &field) {
  const void *target = nullptr;
  int32_t max_length = 0;
  if (!pointer_value(values, 0, field.target_kind, &target) || !int_value(values, 1, &max_length)) {
    return;
  }
  widget.type = field.type;
  widget.value_kind = field.value_kind;
  widget.target = const_cast<void *>(target);
  widget.max_length = max_length;
  widget.action = gui_action_text_field;
  place_label_above(widget);
}

// Toggle and radio: an int32 variable and the bits or value it is compared with.
void set_choice(Widget &widget, const Values &values, int32_t type, WidgetAction action) {
  const void *target = nullptr;
  int32_t value = 0;
  if (!pointer_value(values, 0, PropArg::INT_POINTER, &target) || !int_value(values, 1, &value)) {
    return;
  }
  widget.type = type;
  widget.target = const_cast<void *>(target);
  widget.value = value;
  widget.action = action;
}

void set_slider(Widget &widget, const Values &values) {
  const void *target = nullptr;
  int32_t min = 0, max = 0, step = 0;
  if (!pointer_value(values, 0, PropArg::INT_POINTER, &target) || !int_value(values, 1, &min) ||
      !int_value(values, 2, &max) || !int_value(values, 3, &step)) {
    return;
  }
  widget.type = WIDGET_SLIDER;
  widget.value_kind = VALUE_INT;
  widget.target = const_cast<void *>(target);
  widget.min = min;
  widget.max = max;
  widget.step = step;
  widget.action = gui_action_slider;
  place_label_above(widget);
}

// Entry 0 sets all four slots; an entry outside the four is ignored.
void set_texture(Widget &widget, const Values &values) {
  int32_t entry = 0, slot = 0;
  if (!int_value(values, 0, &entry) || !int_value(values, 1, &slot) || entry < 0 || entry > 3) {
    return;
  }
  widget.texture_slots[entry] = slot;
  if (entry == 0) {
    for (int32_t &other : widget.texture_slots) {
      other = slot;
    }
  }
}

void set_texture_uv(Widget &widget, const Values &values) {
  const void *uv = nullptr;
  // Only a whole TextureUv: a plain float pointer is a field's one variable,
  // and eight floats read from it would run past it.
  if (!pointer_value(values, 0, PropArg::TEXTURE_UV, &uv)) {
    return;
  }
  if (uv == nullptr) {
    return;
  }
  std::memcpy(widget.texture_uv, uv, sizeof widget.texture_uv);
}

void set_text_pos(Widget &widget, const Values &values) {
  double x = 0, y = 0, size = 0;
  if (!real_value(values, 0, &x) || !real_value(values, 1, &y) || !real_value(values, 2, &size)) {
    return;
  }
  widget.text_x = static_cast<float>(x);
  widget.text_y = static_cast<float>(y);
  widget.label_size = static_cast<float>(size);
}

void set_action(Widget &widget, const Values &values) {
  if (values.count < 1 || values.args[0].kind != PropArg::ACTION) {
    return;
  }
  widget.action = values.args[0].action;
}

// For the codes whose one value is an int32 field.
void set_int_field(int32_t *field, const Values &values) {
  int32_t value = 0;
  if (int_value(values, 0, &value)) {
    *field = value;
  }
}

// The record gui_set acts on, or null before the frame's first declaration
// and after a declaration that found the table full.
Widget *last_declared() {
  if (declaration_dropped || widget_count <= 0 || widget_count > MAX_WIDGETS) {
    return nullptr;
  }
  return &widgets[widget_count - 1];
}

}  // namespace

void gui_set_args(int code, const PropArg *args, int value_count) {
  Widget *widget = last_declared();
  if (widget == nullptr) {
    return;
  }
  const Values values = {args, args == nullptr || value_count < 0 ? 0 : value_count};
  switch (code) {
    case PROP_KEY: set_int_field(&widget->key, values); break;
    case PROP_MODIFIER_KEY: set_int_field(&widget->modifier_key, values); break;
    case PROP_FIELD_TEXT:
    case PROP_AREA_TEXT:
    case PROP_FIELD_INT:
    case PROP_FIELD_UINT:
    case PROP_FIELD_FLOAT: set_field(*widget, values, FIELD_CODES[code - PROP_FIELD_TEXT]); break;
    case PROP_ACTION: set_action(*widget, values); break;
    case PROP_TOGGLE: set_choice(*widget, values, WIDGET_TOGGLE, gui_action_toggle); break;
    case PROP_RADIO: set_choice(*widget, values, WIDGET_RADIO, gui_action_radio); break;
    case PROP_REPEAT: widget->repeat = 1; break;
    case PROP_TEXTURE: set_texture(*widget, values); break;
    case PROP_POINTER_IMAGE: set_int_field(&widget->pointer_image, values); break;
    case PROP_TAG: set_int_field(&widget->tag, values); break;
    case PROP_MASKED: widget->masked = 1; break;
    case PROP_TEXTURE_UV: set_texture_uv(*widget, values); break;
    case PROP_SLIDER: set_slider(*widget, values); break;
    case PROP_TEXT_POS: set_text_pos(*widget, values); break;
    case PROP_DISABLED: widget->disabled = 1; break;
    default: break;  // 13, 19 and unknown codes
  }
}
