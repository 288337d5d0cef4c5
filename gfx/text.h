// One line of text in the current font. The format has escapes of its own: a
// slash and a letter takes the next value and inserts it (//, /i, /u, /x, /s,
// /f, /c, /I, /U). Values are passed as typed arguments and handed on with
// their count, so an escape never reads a value that was not passed.
#pragma once

#include <cstdint>
#include <type_traits>

constexpr int TEXT_BUFFER_SIZE = 1024;
constexpr int TEXT_MAX_CHARS = 1000;  // expansion, measuring and drawing stop here
constexpr int TEXT_SOLID = 16;        // every character drawn as a solid block

extern char text_buffer[TEXT_BUFFER_SIZE];    // the expanded text of the last call
extern char number_buffer[TEXT_BUFFER_SIZE];  // one conversion before it is appended

// One value for an escape.
struct TextArg {
  enum Kind : int32_t { INTEGER, UNSIGNED, REAL, STRING } kind;
  int64_t integer;     // INTEGER and UNSIGNED
  double real;         // REAL
  const char *string;  // STRING
};

template <typename T>
constexpr TextArg text_arg(T value) {
  if constexpr (std::is_same_v<T, bool>) {
    return {TextArg::INTEGER, value ? 1 : 0, 0.0, nullptr};
  } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
    return {TextArg::INTEGER, static_cast<int64_t>(value), 0.0, nullptr};
  } else if constexpr (std::is_integral_v<T>) {
    return {TextArg::UNSIGNED, static_cast<int64_t>(value), 0.0, nullptr};
  } else if constexpr (std::is_floating_point_v<T>) {
    return {TextArg::REAL, 0, static_cast<double>(value), nullptr};
  } else {
    static_assert(std::is_convertible_v<T, const char *>, "text values are numbers or strings");
    return {TextArg::STRING, 0, 0.0, value};
  }
}

// Expands format into text_buffer with the given values; returns its length.
int gfx_expand_text(const char *format, const TextArg *values, int value_count);
// Width of text (at most TEXT_MAX_CHARS characters) at the given size.
float gfx_text_width(const char *text, float size);

void gfx_draw_text_values(const char *format, float x, float y, float size, int flags, float r,
                          float g, float b, float a, const TextArg *values, int value_count);
// Draws the text as it stands, escapes and all, with no expansion: for text
// a user typed, which is no format.
void gfx_draw_plain_text(const char *text, float x, float y, float size, int flags, float r,
                         float g, float b, float a);

// Plain text at (x, y), left-aligned, over a copy of it at (shadow_x,
// shadow_y) in the shadow's colour.
void gfx_draw_shadowed_text(const char *text, float x, float y, float size, float shadow_x,
                            float shadow_y, const float (&shadow)[4], const float (&color)[4]);

// Building blocks of every text drawer. gfx_begin_glyphs sets the quad batch
// to the current font's texture and returns the font, or returns null (and
// sets nothing) when the font has no usable texture slot. gfx_emit_glyph adds
// one glyph with the given texture corners, in the batch's current colour.
struct Font;
const Font *gfx_begin_glyphs();
void gfx_emit_glyph(const float (&uv)[4][2], float left, float top, float width, float height);

template <typename... Values>
void gfx_draw_text(const char *format, float x, float y, float size, int flags, float r, float g,
                   float b, float a, Values... values) {
  const TextArg args[sizeof...(Values) + 1] = {text_arg(values)...};
  gfx_draw_text_values(format, x, y, size, flags, r, g, b, a, args,
                       static_cast<int>(sizeof...(Values)));
}
