// The widget layer: the table, declarations, properties and interaction.
#pragma once

#include "gui/declare.h"
#include "gui/draw.h"
#include "gui/interaction.h"
#include "gui/properties.h"
#include "gui/text_entry.h"
#include "gui/widgets.h"
