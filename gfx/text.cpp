// Drawing one line of formatted text with the current font. The format is
// expanded into text_buffer first so the line can be measured and aligned
// before drawing; the characters then join the quad batch.
//
// Values arrive typed and counted, so an escape can tell a missing value from
// a present one: an escape with nothing left to take is shown as written, and
// a value of the wrong kind is converted as C would or, between strings and
// numbers, consumed without showing anything.
#include "gfx/text.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "gfx/batch.h"
#include "gfx/font.h"
#include "gfx/quads.h"
#include "gfx/texture.h"

char text_buffer[TEXT_BUFFER_SIZE];
char number_buffer[TEXT_BUFFER_SIZE];

namespace {

static_assert(TEXT_MAX_CHARS < TEXT_BUFFER_SIZE, "the cut text and its terminator fit the buffer");

constexpr int NUMBER_MAX_CHARS = TEXT_BUFFER_SIZE - 1;  // a longer /s string is cut here
constexpr int ALIGN_FLAGS = ALIGN_CENTER_X | ALIGN_RIGHT | ALIGN_CENTER_Y | ALIGN_BOTTOM;
constexpr int SOLID_GLYPH = 0;  // the font's white cell

// ---------------------------------------------------------------------------
// Value conversions. Integers wrap to 32 bits as C's conversions do; reals are
// truncated, and saturate where C would leave the result undefined.

int32_t value_as_int(const TextArg &value) {
  if (value.kind != TextArg::REAL) {
    return static_cast<int32_t>(value.integer);
  }
  const double real = value.real;
  if (std::isnan(real)) {
    return 0;
  }
  if (real <= std::numeric_limits<int32_t>::min()) {
    return std::numeric_limits<int32_t>::min();
  }
  if (real >= std::numeric_limits<int32_t>::max()) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(real);
}

uint32_t value_as_unsigned(const TextArg &value) {
  if (value.kind != TextArg::REAL) {
    return static_cast<uint32_t>(value.integer);
  }
  const double real = value.real;
  if (std::isnan(real) || real <= 0.0) {
    return 0;
  }
  if (real >= std::numeric_limits<uint32_t>::max()) {
    return std::numeric_limits<uint32_t>::max();
  }
  return static_cast<uint32_t>(real);
}

double value_as_real(const TextArg &value) {
  switch (value.kind) {
    case TextArg::REAL:
      return value.real;
    case TextArg::UNSIGNED:  // held in the signed field; the bits are the unsigned value
      return static_cast<double>(static_cast<uint64_t>(value.integer));
    default:
      return static_cast<double>(value.integer);
  }
}

// ---------------------------------------------------------------------------
// Conversions into number_buffer, one per escape.

// Signed on purpose: negative values fail both thresholds and print without
// commas. The leading group is not capped, so INT32_MAX gives 2147,483,647.
void format_grouped(int32_t v) {
  if (v >= 1000000) {
    std::snprintf(number_buffer, TEXT_BUFFER_SIZE, "%d,%.3d,%.3d", v / 1000000, v / 1000 % 1000,
                  v % 1000);
  } else if (v >= 1000) {
    std::snprintf(number_buffer, TEXT_BUFFER_SIZE, "%d,%.3d", v / 1000, v % 1000);
  } else {
    std::snprintf(number_buffer, TEXT_BUFFER_SIZE, "%d", v);
  }
}

// A character whose low byte is 0 leaves the buffer empty: a NUL inside
// text_buffer would end the text early.
void format_character(int32_t v) {
  number_buffer[0] = static_cast<char>(v & 0xFF);
  number_buffer[1] = '\0';
}

// The precision bounds the read as well as the write, so an overlong string
// is never scanned past the buffer's size.
void format_string(const char *string) {
  if (string == nullptr) {
    return;
  }
  std::snprintf(number_buffer, TEXT_BUFFER_SIZE, "%.*s", NUMBER_MAX_CHARS, string);
}

bool takes_value(char letter) {
  switch (letter) {
    case 'i': case 'u': case 'x': case 's': case 'f': case 'c': case 'I': case 'U':
      return true;
    default:
      return false;
  }
}

// Fills number_buffer with the insertion of one escape. A string given to a
// numeric escape, or a number given to /s, leaves it empty.
void format_value(char letter, const TextArg &value) {
  number_buffer[0] = '\0';
  const bool is_string = value.kind == TextArg::STRING;
  if (letter == 's') {
    if (is_string) {
      format_string(value.string);
    }
    return;
  }
  if (is_string) {
    return;
  }
  switch (letter) {
    case 'i':
      std::snprintf(number_buffer, TEXT_BUFFER_SIZE, "%d", value_as_int(value));
      break;
    case 'u':
      std::snprintf(number_buffer, TEXT_BUFFER_SIZE, "%u", value_as_unsigned(value));
      break;
    case 'x':
      std::snprintf(number_buffer, TEXT_BUFFER_SIZE, "%X", value_as_unsigned(value));
      break;
    case 'f':
      std::snprintf(number_buffer, TEXT_BUFFER_SIZE, "%f", value_as_real(value));
      break;
    case 'c':
      format_character(value_as_int(value));
      break;
    default:  // 'I' and 'U', both signed
      format_grouped(value_as_int(value));
      break;
  }
}

// Appends piece to text_buffer at length, never past TEXT_MAX_CHARS; returns
// the new length.
int append(int length, const char *piece) {
  while (*piece != '\0' && length < TEXT_MAX_CHARS) {
    text_buffer[length++] = *piece++;
  }
  return length;
}

// ---------------------------------------------------------------------------
// Layout and drawing.

// uv comes in Font::texcoord's corner order, clockwise from the top left.
void put_glyph(BatchVertex *corner, const float (&uv)[4][2], float left, float top, float right,
               float bottom, const float *rgba = batch_color) {
  gfx_put_corner(&corner[0], left, top, uv[0][0], uv[0][1], rgba);
  gfx_put_corner(&corner[1], right, top, uv[1][0], uv[1][1], rgba);
  gfx_put_corner(&corner[2], right, bottom, uv[2][0], uv[2][1], rgba);
  gfx_put_corner(&corner[3], left, bottom, uv[3][0], uv[3][1], rgba);
}

int drawn_length(const char *text) {
  int count = 0;
  while (count < TEXT_MAX_CHARS && text[count] != '\0') ++count;
  return count;
}

// The whole line is reserved at once: its glyphs fill the batch in one sweep.
void emit_glyphs(const Font &font, const char *text, float x, float y, float size,
                 bool solid) {
  const int count = drawn_length(text);
  BatchVertex *corner = gfx_reserve_quads(count);
  float pen = 0.0f;
  for (int i = 0; i < count; ++i, corner += 4) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    const float w = size * font.advance[ch];
    put_glyph(corner, font.texcoord[solid ? SOLID_GLYPH : ch], x + pen, y, x + pen + w, y + size);
    pen = pen + w;
  }
  gfx_commit_quads();
}

}  // namespace

int gfx_expand_text(const char *format, const TextArg *values, int value_count) {
  if (format == nullptr) {
    format = "";
  }
  if (values == nullptr) {
    value_count = 0;
  }
  int length = 0;
  int next_value = 0;
  int i = 0;
  while (format[i] != '\0' && length < TEXT_MAX_CHARS) {
    if (format[i] != '/') {
      text_buffer[length++] = format[i];
      i += 1;
      continue;
    }
    const char letter = format[i + 1];  // the terminator at worst
    if (letter == '/') {
      text_buffer[length++] = '/';
      i += 2;
    } else if (!takes_value(letter)) {
      i += 1;  // the slash vanishes; the letter is read as text on the next step
    } else if (next_value >= value_count) {
      const char as_written[3] = {'/', letter, '\0'};
      length = append(length, as_written);
      i += 2;
    } else {
      format_value(letter, values[next_value++]);
      length = append(length, number_buffer);
      i += 2;
    }
  }
  text_buffer[length] = '\0';
  return length;
}

float gfx_text_width(const char *text, float size) {
  if (text == nullptr) {
    return 0.0f;
  }
  const Font &font = *gfx_current_font();
  float width = 0.0f;
  for (int i = 0; i < TEXT_MAX_CHARS && text[i] != '\0'; ++i) {
    width += size * font.advance[static_cast<unsigned char>(text[i])];
  }
  return width;
}

// uv comes in Font::texcoord's corner order, clockwise from the top left.
void gfx_emit_glyph(const float (&uv)[4][2], float left, float top, float width, float height) {
  const float right = left + width, bottom = top + height;
  BatchVertex *corner = gfx_reserve_quads(1);
  put_glyph(corner, uv, left, top, right, bottom);
  gfx_commit_quads();
}

// A font without a usable texture slot has nothing to bind: nothing is drawn.
const Font *gfx_begin_glyphs() {
  const Font &font = *gfx_current_font();
  if (font.texture_slot < 0 || font.texture_slot >= TEXTURE_SLOT_COUNT) {
    return nullptr;
  }
  gfx_set_texturing(true);
  gfx_bind_texture(textures[font.texture_slot].gl_name);
  return &font;
}

namespace {

void draw_line(const char *text, float x, float y, float size, int flags, float r, float g,
               float b, float a) {
  const Font *font = gfx_begin_glyphs();
  if (font == nullptr) {
    return;
  }
  // Left-aligned text needs no width.
  const bool measured = (flags & (ALIGN_CENTER_X | ALIGN_RIGHT)) != 0;
  gfx_align(&x, &y, measured ? gfx_text_width(text, size) : 0, size, flags & ALIGN_FLAGS);
  gfx_quad_color(r, g, b, a);
  emit_glyphs(*font, text, x, y, size, (flags & TEXT_SOLID) != 0);
}

}  // namespace

void gfx_draw_text_values(const char *format, float x, float y, float size, int flags, float r,
                          float g, float b, float a, const TextArg *values, int value_count) {
  gfx_expand_text(format, values, value_count);
  draw_line(text_buffer, x, y, size, flags, r, g, b, a);
}

void gfx_draw_plain_text(const char *text, float x, float y, float size, int flags, float r,
                         float g, float b, float a) {
  draw_line(text != nullptr ? text : "", x, y, size, flags, r, g, b, a);
}

// Both copies come from one pass over the characters, the shadow's glyphs
// reserved ahead of the text's so that all of the shadow lies underneath.
void gfx_draw_shadowed_text(const char *text, float x, float y, float size, float shadow_x,
                            float shadow_y, const float (&shadow)[4], const float (&color)[4]) {
  const Font *font = gfx_begin_glyphs();
  if (font == nullptr || text == nullptr) {
    return;
  }
  const int count = drawn_length(text);
  BatchVertex *under = gfx_reserve_quads(2 * count), *over = under + 4 * count;
  float pen = 0.0f;
  for (int i = 0; i < count; ++i, under += 4, over += 4) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    const float w = size * font->advance[ch];
    put_glyph(under, font->texcoord[ch], shadow_x + pen, shadow_y, shadow_x + pen + w,
              shadow_y + size, shadow);
    put_glyph(over, font->texcoord[ch], x + pen, y, x + pen + w, y + size, color);
    pen = pen + w;
  }
  gfx_commit_quads();
}
