// The rendering subsystem: textures, fonts, text, quads and view set-up.
#pragma once

#include "gfx/batch.h"
#include "gfx/field_text.h"
#include "gfx/font.h"
#include "gfx/quads.h"
#include "gfx/text.h"
#include "gfx/texture.h"
#include "gfx/view.h"
#include "gfx/window.h"
