// The input subsystem: snapshots, joysticks, the event pump, window control,
// key names.
#pragma once

#include "input/events.h"
#include "input/joystick.h"
#include "input/key_names.h"
#include "input/keyboard_mouse.h"
