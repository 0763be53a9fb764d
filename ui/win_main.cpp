// The program's entry: registers the window class, creates the main window and
// runs the message loop until the window is gone. The exit code is 0 on every path.
#include <windows.h>

#include "control/commands.h"
#include "control/platform_win32.h"
#include "ui/main_window.h"
#include "ui/resource_ids.h"

static_assert(IDM_ABOUT == id_about && IDM_OPEN == id_open && IDM_EXIT == id_exit,
              "the menu and the commands must agree on the ids");

namespace {

// Warnings that stay in front of everything, as no window of ours exists yet.
constexpr UINT start_failure_box = MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL;
static_assert(start_failure_box == 0x1030);

ATOM register_main_window_class() {
    WNDCLASSEXA window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.style = 0;
    window_class.lpfnWndProc = main_window_procedure;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = program_instance;
    window_class.hIcon = LoadIconA(program_instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszMenuName = "MAINMENU";
    window_class.lpszClassName = main_window_class;
    window_class.hIconSm = LoadIconA(program_instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    return RegisterClassExA(&window_class);
}

HWND create_main_window() {
    // No menu handle: the class menu MAINMENU serves.
    return CreateWindowExA(WS_EX_CLIENTEDGE, main_window_class, main_window_title,
                           WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 280, nullptr,
                           nullptr, program_instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    program_instance = instance;
    set_platform(&win32_platform);

    if (!register_main_window_class()) {
        MessageBoxA(nullptr, "Window Registration Failed!", "Error!", start_failure_box);
        return 0;
    }
    HWND window = create_main_window();
    if (!window) {
        MessageBoxA(nullptr, "Window Creation Failed!", "Error!", start_failure_box);
        return 0;
    }
    ShowWindow(window, show_command);
    UpdateWindow(window);

    MSG message;
    while (BOOL got = GetMessageA(&message, nullptr, 0, 0)) {
        if (got == -1) return 0;  // cannot happen without a window filter
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // WM_DESTROY posts the quit message with code 0.
    return static_cast<int>(message.wParam);
}
