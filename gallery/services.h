// The gallery's second page: the engine's services, each usable by hand:
// joysticks, the file listing, screenshots, and the name of the last key.
#pragma once

constexpr float SERVICE_TEXT_SIZE = 12;

// Starts SDL's joysticks, opens every device and turns polling on.
void gallery_open_joysticks();
// The Screenshot button (F12 works on either page) and, when `shown`, the
// widgets of the services page.
void gallery_declare_services(bool shown);
// After gui_update: polls the joysticks, notes the last key and F12, lists
// the files again when the pattern or the toggle changed.
void gallery_update_services();
// What the services page shows besides its widgets, and on either page the
// last key's name.
void gallery_draw_services(bool shown);
// After the buffer swap: the screenshot asked for, of the frame just shown.
void gallery_take_screenshot();
// Every service value back to where the gallery starts it.
void gallery_reset_services();
