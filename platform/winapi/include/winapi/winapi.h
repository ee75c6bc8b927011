#pragma once
// The whole Windows-shaped platform layer.
#include "winapi/wintypes.h"
#include "winapi/winuser.h"
#include "winapi/wingdi.h"
#include "winapi/winbase.h"
#include "winapi/commctrl.h"
#include "winapi/shell.h"
#include "winapi/ole.h"
#include "winapi/platform.h"
