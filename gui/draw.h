// Drawing the widget table, once a frame after gui_update and the overlay
// set-up: every widget in declaration order, then an outline over each one
// the pointer is on, so no later widget can hide it.
#pragma once

constexpr float BEVEL_WIDTH = 2.0f;    // how far a bevelled box's face is inset
constexpr float BEVEL_FACING = 0.83f;  // weight of the light falling straight on the box

void gui_draw_widgets();
// A shaded box: four strips round a face. tilt +1 is lit from the upper left
// (raised), 0 flat, -1 lit from the lower right (sunken).
void gui_draw_bevel_box(float x, float y, float width, float height, float tilt, int align,
                        float r, float g, float b, float a);
