// gui_update handles hover, clicks, shortcuts and highlight for the widgets
// declared so far, then lets pressed widgets run their actions. Call it once
// a frame, after reading input and before drawing the widgets.
#pragma once

void gui_update();

// Built-in actions, installed by gui_set; each works on widgets[current_widget].
void gui_action_toggle();
void gui_action_radio();
void gui_action_slider();
