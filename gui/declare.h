// Widget declarations. Each call fills widgets[widget_count], resetting every
// per-frame field so nothing of last frame's widget there leaks through, and
// bumps the count. All start as buttons; gui_set makes them anything else.
#pragma once

// A widget with the caller's rectangle; the caption sits at its centre.
void gui_add_box(const char *text, float x, float y, float width, float height, float text_size,
                 int align, float r, float g, float b, float a);
// A widget whose rectangle is its text's extent in the current font.
void gui_add_label(const char *text, float x, float y, float size, int align, float r, float g,
                   float b, float a);
// Holds an index with an empty widget: no caption, zero size, transparent.
void gui_add_blank();
