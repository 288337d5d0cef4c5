// The interaction pass (hover, clicks, shortcuts, active state, highlight) and
// the action pass, once per frame between the input snapshot and drawing.
#pragma once

void gui_update();

// Built-in actions, installed by gui_set; each works on widgets[current_widget].
void gui_action_toggle();
void gui_action_radio();
void gui_action_slider();
