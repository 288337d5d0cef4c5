// Start-up and shut-down.
#pragma once

constexpr const char *WINDOW_CAPTION = "Quillary";
constexpr const char *ICON_CAPTION = "SDL";

// Brings the program up, runs the game until the player ends it and shuts SDL
// down. The program's main calls it; returns the exit status: 0, or 1 when
// SDL cannot start or the window cannot be opened.
int game_main();
