#pragma once
// Convenience: the layer under the name Windows code includes.
#include "winapi/winapi.h"
