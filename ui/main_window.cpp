// The main window's procedure. Commands and close requests belong to the
// conversion control; everything else is handled here or by the system.
#include "ui/main_window.h"

#include "control/commands.h"

HINSTANCE program_instance;

const char main_window_class[] = "MyWindowClass";
const char main_window_title[] = "- Pelvarin";

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        create_main_window_controls(window);
        return 0;
    case WM_SIZE:
        // The controls keep their places whatever the window's size.
        return 0;
    case WM_SETFOCUS:
        // Keys typed into the window go to the invisible edit, which swallows them.
        SetFocus(GetDlgItem(window, id_focus_edit));
        return 0;
    case WM_PAINT: {
        // The background and the controls are all there is to see.
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        handle_command(window, wparam);
        return 0;
    case WM_CLOSE:
        handle_close(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}
