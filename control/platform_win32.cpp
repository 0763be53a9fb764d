// The platform operations of the window program, as plain Win32 calls in their
// ANSI forms. Only the window program links this file.
#include "control/platform_win32.h"

#include <cstddef>

#include <windows.h>
#include <commdlg.h>

namespace {

HWND as_window(WindowHandle handle) { return static_cast<HWND>(handle); }

void win32_message_box(WindowHandle owner, const char* text, const char* caption) {
    MessageBoxA(as_window(owner), text, caption, 0);
}

WindowHandle win32_active_window() { return GetActiveWindow(); }

void win32_module_path(char* path, unsigned capacity) {
    if (capacity == 0) return;
    // A path that does not fit comes back cut and, on older systems, unterminated.
    DWORD length = GetModuleFileNameA(nullptr, path, capacity);
    path[length < capacity ? length : capacity - 1] = '\0';
}

// The request as the oldest Explorer-style dialogs know it: 76 bytes on 32-bit
// Windows, without the members that later versions added.
#if !defined(_WIN64)
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76);
#endif

void win32_open_dialog(WindowHandle owner, char* path, unsigned capacity) {
    OPENFILENAMEA request = {};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = as_window(owner);
    request.lpstrFilter = "Vorlund models (*.dff)\0*.dff\0All Files (*.*)\0*.*\0";
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = capacity;
    request.lpstrTitle = " load *.dff";
    // Without OFN_NOCHANGEDIR: the chosen file's folder becomes the current
    // directory, where the OBJ file is created and the model is opened.
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    static_assert((OFN_EXPLORER | OFN_FILEMUSTEXIST) == 0x81000);
    // Cancel or failure leaves path as it was, and the caller sees nothing chosen.
    if (!GetOpenFileNameA(&request)) return;
    // Not every dialog moves the current directory when a full path is typed
    // into its file-name box (Wine's stays in the folder it showed), so the
    // chosen file's folder is made current here as well.
    const unsigned folder_length = request.nFileOffset;
    if (folder_length == 0 || folder_length >= capacity) return;
    char folder[MAX_PATH + 1];
    if (folder_length >= sizeof folder) return;
    for (unsigned i = 0; i < folder_length; ++i) folder[i] = path[i];
    folder[folder_length] = '\0';
    SetCurrentDirectoryA(folder);
}

void win32_enable_button(WindowHandle main_window, int id, int enable) {
    EnableWindow(GetDlgItem(as_window(main_window), id), enable ? TRUE : FALSE);
}

void win32_post_close(WindowHandle main_window) {
    PostMessageA(as_window(main_window), WM_CLOSE, 0, 0);
}

void win32_destroy_window(WindowHandle main_window) { DestroyWindow(as_window(main_window)); }

}  // namespace

const Platform win32_platform = {
    win32_message_box,   win32_active_window, win32_module_path,    win32_open_dialog,
    win32_enable_button, win32_post_close,    win32_destroy_window,
};
