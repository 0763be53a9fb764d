#pragma once
// The platform of the window program: Win32 boxes, the Open dialog and the
// main window's buttons. Declared without <windows.h> so callers stay free of it.

#include "control/platform.h"

extern const Platform win32_platform;
