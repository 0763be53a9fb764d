#pragma once
// Resource and menu ids, shared by resources.rc and the code. Plain macros,
// as the resource compiler reads this file too.

#define IDI_PROGRAM 5000

#define IDM_ABOUT 9069
#define IDM_OPEN 9070
#define IDM_EXIT 9071
