// The main loop: one frame drawn with that frame's input, then the fixed
// 10 ms simulation steps the clock calls for.
#pragma once

#include <cstdint>

constexpr uint32_t TICK_MS = 10;  // game time per simulation step
constexpr int MAX_STEPS_PER_FRAME = 4;

// Plays the game: builds the world, reads the level file, then keeps drawing
// frames until Escape or a quit event.
void game_run();

// Runs the simulation steps the clock calls for after a frame, at most
// MAX_STEPS_PER_FRAME, advancing last_tick; returns how many ran.
int game_run_steps(uint32_t *last_tick);
