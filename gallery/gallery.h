// The widget gallery: one screen with a widget of every kind, each with its
// value beside it. Every change of a value is also written to standard
// output, one "name value" line per change, for whoever ran it.
#pragma once

constexpr const char *GALLERY_CAPTION = "Quillary gallery";

// The whole program: returns 1 if the window could not come up, otherwise 0
// once Escape is pressed or the window is closed.
int gallery_main();
// Every value back to where the gallery starts it, none reported yet.
void gallery_reset();
// One frame: input, widgets, values reported, picture swapped. True while the
// gallery should go on.
bool gallery_frame();
