// gui_set configures the widget declared last: kind, shortcut, action and the
// rest. Arguments travel with their count and types, so a code given too few
// or the wrong kind of values is ignored instead of reading garbage.
#pragma once

#include <cstdint>
#include <type_traits>

#include "gui/widgets.h"

enum PropertyCode : int {
  PROP_KEY = 1,            // int key code
  PROP_MODIFIER_KEY = 2,   // int key code, held along with the shortcut
  PROP_FIELD_TEXT = 3,     // char buffer, int max length
  PROP_AREA_TEXT = 4,      // char buffer, int max length
  PROP_FIELD_INT = 5,      // int32 pointer, int max length
  PROP_FIELD_UINT = 6,     // uint32 pointer, int max length
  PROP_FIELD_FLOAT = 7,    // float pointer, int max length
  PROP_ACTION = 8,         // void (*)() callback
  PROP_TOGGLE = 9,         // int32 pointer, int bits
  PROP_RADIO = 10,         // int32 pointer, int value
  PROP_REPEAT = 11,        // none
  PROP_TEXTURE = 12,       // int entry 0..3, int slot
  PROP_POINTER_IMAGE = 14, // int
  PROP_TAG = 15,           // int
  PROP_MASKED = 16,        // none
  PROP_TEXTURE_UV = 17,    // const TextureUv *
  PROP_SLIDER = 18,        // int32 pointer, int min, int max, int step
  PROP_TEXT_POS = 20,      // x, y, size
  PROP_DISABLED = 21,      // none
};

// A set of texture coordinates for PROP_TEXTURE_UV: s, t of the four corners
// in drawing order. It is passed as a pointer to the whole array, so its
// length is part of its type, and a read-only array is never mistaken for a
// field's variable.
using TextureUv = float[8];

// One argument of gui_set, with the kind it was passed as.
struct PropArg {
  enum Kind : int32_t {
    INTEGER,
    REAL,
    TEXT_BUFFER,    // char *
    INT_POINTER,    // int32_t *
    UINT_POINTER,   // uint32_t *
    FLOAT_POINTER,  // float *
    TEXTURE_UV,     // const TextureUv * or TextureUv *, only ever read
    ACTION,         // void (*)()
  } kind;
  int64_t integer;
  double real;
  const void *pointer;
  WidgetAction action;
};

// What gui_set takes. A pointer to const data is refused at compile time,
// except the texture coordinates: the text entry writes through every other
// pointer it is given.
template <typename T>
concept PropValue =
    std::is_integral_v<T> || std::is_enum_v<T> || std::is_floating_point_v<T> ||
    std::is_same_v<T, char *> || std::is_same_v<T, int32_t *> || std::is_same_v<T, uint32_t *> ||
    std::is_same_v<T, float *> || std::is_same_v<T, const TextureUv *> ||
    std::is_same_v<T, TextureUv *> || std::is_convertible_v<T, WidgetAction>;

template <PropValue T>
constexpr PropArg prop_arg(T value) {
  if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    return {PropArg::INTEGER, static_cast<int64_t>(value), 0.0, nullptr, nullptr};
  } else if constexpr (std::is_floating_point_v<T>) {
    return {PropArg::REAL, 0, static_cast<double>(value), nullptr, nullptr};
  } else if constexpr (std::is_same_v<T, char *>) {
    return {PropArg::TEXT_BUFFER, 0, 0.0, value, nullptr};
  } else if constexpr (std::is_same_v<T, int32_t *>) {
    return {PropArg::INT_POINTER, 0, 0.0, value, nullptr};
  } else if constexpr (std::is_same_v<T, uint32_t *>) {
    return {PropArg::UINT_POINTER, 0, 0.0, value, nullptr};
  } else if constexpr (std::is_same_v<T, float *>) {
    return {PropArg::FLOAT_POINTER, 0, 0.0, value, nullptr};
  } else if constexpr (std::is_same_v<T, const TextureUv *> || std::is_same_v<T, TextureUv *>) {
    return {PropArg::TEXTURE_UV, 0, 0.0, value, nullptr};
  } else {
    return {PropArg::ACTION, 0, 0.0, nullptr, value};
  }
}

// Applies one property code to widgets[widget_count - 1]. Does nothing before
// the frame's first declaration, for an unknown code, or when the values
// passed are too few or of the wrong kinds for the code.
void gui_set_args(int code, const PropArg *values, int value_count);

template <PropValue... Values>
void gui_set(int code, Values... values) {
  const PropArg args[sizeof...(Values) + 1] = {prop_arg(values)...};
  gui_set_args(code, args, static_cast<int>(sizeof...(Values)));
}
