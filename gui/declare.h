// Declaring widgets: each declaration fills widgets[widget_count] with a
// complete set of per-frame values and adds 1 to widget_count. A declaration
// always makes a WIDGET_BUTTON; gui_set turns it into something else.
#pragma once

// A widget with the caller's rectangle; the caption sits at its centre.
void gui_add_box(const char *text, float x, float y, float width, float height, float text_size,
                 int align, float r, float g, float b, float a);
// A widget whose rectangle is its text's extent in the current font.
void gui_add_label(const char *text, float x, float y, float size, int align, float r, float g,
                   float b, float a);
// A widget with every per-frame field at its blank value.
void gui_add_blank();
