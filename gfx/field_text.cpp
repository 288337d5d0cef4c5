// Line breaking and the drawing of field text. All widths are summed in
// single precision, as the text drawer advances its pen.
#include "gfx/field_text.h"

#include <GL/gl.h>

#include "gfx/batch.h"
#include "gfx/font.h"
#include "gfx/text.h"

int32_t line_ends[MAX_LINES];
int32_t line_count;

namespace {

constexpr int SOLID_GLYPH = 0;  // the font's white cell

float advance(const Font &font, char ch, float size) {
  return size * font.advance[static_cast<unsigned char>(ch)];
}

// The last entry is kept for the terminator, so breaks stop one short of the table.
void end_line(int32_t index) {
  if (line_count < MAX_LINES - 1) line_ends[line_count++] = index;
}

bool is_break(char ch) { return ch == '\0' || ch == '\n' || ch == ' '; }

// Draws from the top left, `size` per line, while whole lines fit in `height`;
// `each` runs after every glyph with the character's index and place.
template <typename AfterGlyph>
int draw_lines(const Font &font, const char *text, bool wrap, float x, float y, float height,
               float size, float *pen_x, float *pen_y, AfterGlyph each) {
  int i = 0, line = 0;
  for (; text[i] != '\0' && i < TEXT_MAX_CHARS && *pen_y + size <= height; ++i) {
    const float w = advance(font, text[i], size);
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    gfx_emit_glyph(font.texcoord[ch], x + *pen_x, y + *pen_y, w, size);
    each(i, x + *pen_x, y + *pen_y, w);
    *pen_x += w;
    if (wrap && line < line_count && i == line_ends[line]) {
      *pen_x = 0;
      *pen_y += size;
      ++line;
    }
  }
  return i;
}

}  // namespace

void gfx_wrap_lines(const char *text, float width, float, float size, int) {
  const Font &font = *gfx_current_font();
  line_count = 0;
  float line_w = 0;  // the complete words on the line, their spaces included
  int start = 0, i = 0;
  while (text[start] != '\0') {
    float word_w = 0;
    while (!is_break(text[i]) && line_w + word_w + advance(font, text[i], size) < width) {
      word_w += advance(font, text[i], size);
      ++i;
    }
    if (text[i] == '\0') {
      start = i;
    } else if (text[i] == '\n') {
      end_line(i);
      line_w = 0;
      start = ++i;
    } else if (text[i] == ' ') {
      line_w += word_w + advance(font, ' ', size);  // a space stays on its line, fitting or not
      start = i++;
    } else if (line_w > 0) {  // the word does not fit: measure it again on the next line
      end_line(start);
      line_w = 0;
      i = ++start;
    } else {  // a word wider than the line breaks before the character that does not fit
      if (i == start) ++i;  // but every line takes at least one character
      end_line(i - 1);
      start = i;
    }
  }
  line_ends[line_count++] = start;
}

void gfx_draw_wrapped_text(const char *text, float x, float y, float width, float height,
                           float size, int flags, float r, float g, float b, float a) {
  gfx_wrap_lines(text, width, height, size, flags);
  const Font *font = gfx_begin_glyphs();
  if (font == nullptr) return;
  gfx_quad_color(r, g, b, a);
  float pen_x = 0, pen_y = 0;
  draw_lines(*font, text, true, x, y, height, size, &pen_x, &pen_y,
             [](int, float, float, float) {});
}

void gfx_draw_field_text(bool wrap, int caret, int anchor, const char *text, float x, float y,
                         float width, float height, float size, int flags, float r, float g,
                         float b, float a) {
  if (wrap) gfx_wrap_lines(text, width, height, size, flags);
  const Font *font = gfx_begin_glyphs();
  if (font == nullptr) return;
  const float caret_w = advance(*font, CARET_GLYPH, size);
  auto caret_glyph = [&](float left, float top) {
    gfx_emit_glyph(font->texcoord[CARET_GLYPH], left, top, caret_w, size);
  };
  gfx_quad_color(r, g, b, a);
  float pen_x = 0, pen_y = 0;
  const int end = draw_lines(*font, text, wrap, x, y, height, size, &pen_x, &pen_y,
                             [&](int i, float left, float top, float w) {
                               if (i == caret) caret_glyph(left, top);
                               if ((anchor <= i && i < caret) || (caret <= i && i < anchor)) {
                                 gfx_quad_color(r, g, b, a * 0.5f);
                                 gfx_emit_glyph(font->texcoord[SOLID_GLYPH], left, top, w, size);
                                 gfx_quad_color(r, g, b, a);
                               }
                             });
  if (end == caret) caret_glyph(x + pen_x, y + pen_y);
}
