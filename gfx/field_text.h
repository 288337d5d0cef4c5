// Text as fields show it: unformatted, wrapped inside a width for text areas,
// and, while a field is edited, with its caret and selection.
#pragma once

#include <cstdint>

constexpr int MAX_LINES = 1024;
constexpr int CARET_GLYPH = '_';

// After gfx_wrap_lines, line_ends[k] is the index of the last character of
// line k; the last entry is the index of the text's terminator.
extern int32_t line_ends[MAX_LINES];
extern int32_t line_count;

// Breaks the text into lines no wider than `width` at `size` in the current
// font, after spaces and newlines, inside a word only when it fills a line
// alone. Every line takes at least one character, so a character wider than
// the whole width still ends the wrapping; past MAX_LINES - 1 breaks the rest
// of the text is the last line. `height` and `flags` are not used.
void gfx_wrap_lines(const char *text, float width, float height, float size, int flags);
// The wrapped text line by line from (x, y), as many whole lines as `height` holds.
void gfx_draw_wrapped_text(const char *text, float x, float y, float width, float height,
                           float size, int flags, float r, float g, float b, float a);
// The editing view: the text (wrapped when `wrap` is set) with an underscore
// over the character at `caret`, or after the last, and the characters between
// `anchor` and `caret` covered by solid blocks at half alpha; all in one batch.
void gfx_draw_field_text(bool wrap, int caret, int anchor, const char *text, float x, float y,
                         float width, float height, float size, int flags, float r, float g,
                         float b, float a);
