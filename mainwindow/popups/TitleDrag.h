#pragma once
// The title-band drag is shared with the home window's dialogs.
#include "widgets/TitleDrag.h"
