// Start-up and shut-down.
#pragma once

constexpr const char *WINDOW_CAPTION = "Quillary";
constexpr const char *ICON_CAPTION = "SDL";

// The whole program, called from main. Returns the exit status: 1 if SDL or
// the window failed to come up, otherwise 0 once the player has quit.
int game_main();
