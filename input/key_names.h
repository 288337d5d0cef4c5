// Short display names for key codes, for showing key bindings.
#pragma once

constexpr int KEY_NAME_SLOTS = 512;
constexpr int KEY_NAME_LEN = 16;  // bytes, terminator included

extern char key_names[KEY_NAME_SLOTS][KEY_NAME_LEN];  // empty where a key has no name

void input_init_key_names();
