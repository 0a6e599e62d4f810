#pragma once
// The overlay objects belong to the editing core; kept here for older includes.
#include "edit/overlay_stack.h"
