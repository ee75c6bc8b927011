#pragma once
// The rounded window outline is shared with the home window's dialogs.
#include "widgets/RoundedMask.h"
