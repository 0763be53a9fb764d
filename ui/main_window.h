#pragma once
// The main window: its class, its controls and its window procedure.

#include <windows.h>

// The program's instance, kept by WinMain before anything else happens.
extern HINSTANCE program_instance;

extern const char main_window_class[];  // "MyWindowClass"
extern const char main_window_title[];  // "- Pelvarin"

// Control ids besides the buttons' (control/commands.h has those).
constexpr int id_help_list = 1;
constexpr int id_label = 7;  // both labels
constexpr int id_focus_edit = 1001;

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// WM_CREATE: builds the focus edit, the help list, the labels and the four
// buttons, disabled, at places measured in the dialog base units.
void create_main_window_controls(HWND window);
