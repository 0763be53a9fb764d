#include "driver_support.h"

#include <cstdio>
#include <cstring>

int failed_checks = 0;

void check(bool ok, const std::string& what) {
    if (ok) return;
    ++failed_checks;
    std::printf("FAIL: %s\n", what.c_str());
    std::fflush(stdout);
}

namespace {

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out + "\"";
}

}  // namespace

void check_equal(const std::string& actual, const std::string& expected, const std::string& what) {
    check(actual == expected, what + ": " + quoted(actual) + ", expected " + quoted(expected));
}

void check_equal(long long actual, long long expected, const std::string& what) {
    check(actual == expected,
          what + ": " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

std::string windows_path(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:" + path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

Program::~Program() {
    if (!process.hProcess) return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        std::printf("note: the program was still running and is ended\n");
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

bool start_program(Program& program, const std::string& exe, const std::string& arguments,
                   int show_command) {
    program.path = windows_path(exe);
    std::string command_line = "\"" + program.path + "\"";
    if (!arguments.empty()) command_line += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (show_command >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(show_command);
    }
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    if (!CreateProcessA(program.path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &program.process)) {
        check(false, "start " + program.path + ": error " + std::to_string(GetLastError()));
        return false;
    }
    bool found = wait_until([&] {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "MyWindowClass", nullptr))) {
            DWORD process_id = 0;
            GetWindowThreadProcessId(window, &process_id);
            if (process_id == program.process.dwProcessId) {
                program.window = window;
                return true;
            }
        }
        return false;
    });
    check(found, "a window of class MyWindowClass appears");
    return found;
}

long wait_for_exit(Program& program, int timeout_ms) {
    if (WaitForSingleObject(program.process.hProcess, timeout_ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(program.process.hProcess, &code);
    return static_cast<long>(code);
}

namespace {

std::string narrow(const wchar_t* text, int length) {
    if (length <= 0) return {};
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::string window_text(HWND window) {
    wchar_t buffer[2048] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return "<no answer>";
    return narrow(buffer, static_cast<int>(length));
}

std::string class_name(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

RECT rect_in_client(HWND child, HWND parent) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<HWND> child_windows(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::string list_line(HWND list, int index) {
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return "<no line>";
    std::vector<wchar_t> buffer(length + 1);
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    return narrow(buffer.data(), static_cast<int>(length));
}

std::string combo_line(HWND combo, int index) {
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return "<no line>";
    std::vector<wchar_t> buffer(length + 1);
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    return narrow(buffer.data(), static_cast<int>(length));
}

std::vector<HWND> dialogs_of(const Program& program) {
    std::vector<HWND> found;
    EnumThreadWindows(
        program.process.dwThreadId,
        [](HWND window, LPARAM list) -> BOOL {
            if (IsWindowVisible(window) && class_name(window) == "#32770")
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool is_message_box(HWND dialog) { return GetDlgItem(dialog, 0xFFFF) != nullptr; }

HWND find_message_box(const Program& program) {
    for (HWND dialog : dialogs_of(program))
        if (is_message_box(dialog)) return dialog;
    return nullptr;
}

HWND find_open_dialog(const Program& program) {
    for (HWND dialog : dialogs_of(program))
        if (GetDlgItem(dialog, 0x47C)) return dialog;
    return nullptr;
}

BoxSeen dismiss_box(HWND box) {
    BoxSeen seen;
    seen.caption = window_text(box);
    seen.text = window_text(GetDlgItem(box, 0xFFFF));
    seen.owner = GetWindow(box, GW_OWNER);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    wait_until([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
    return seen;
}

bool read_whole_file(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(windows_path(path).c_str(), "rb");
    if (!file) return false;
    text.clear();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    return true;
}

bool file_is_held_open(const std::string& path) {
    HANDLE file = CreateFileA(windows_path(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

std::string without_carriage_returns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

COLORREF ScreenPicture::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const unsigned char* p = &bgr[static_cast<size_t>(height - 1 - y) * row_bytes() + x * 3];
    return RGB(p[2], p[1], p[0]);
}

ScreenPicture capture_window(HWND window) {
    ScreenPicture picture;
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return picture;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up rows, as BMP files keep them
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    picture.width = width;
    picture.height = height;
    picture.bgr.resize(static_cast<size_t>(picture.row_bytes()) * height);
    int rows = GetDIBits(memory, bitmap, 0, height, picture.bgr.data(),
                         reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) picture = ScreenPicture{};
    return picture;
}

bool save_bmp(const ScreenPicture& picture, const std::string& path) {
    if (picture.width == 0) return false;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = picture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    BITMAPFILEHEADER file_header = {};
    file_header.bfType = 0x4D42;  // "BM"
    file_header.bfOffBits = sizeof file_header + sizeof header;
    file_header.bfSize = file_header.bfOffBits + static_cast<DWORD>(picture.bgr.size());
    std::FILE* file = std::fopen(windows_path(path).c_str(), "wb");
    if (!file) return false;
    std::fwrite(&file_header, sizeof file_header, 1, file);
    std::fwrite(&header, sizeof header, 1, file);
    std::fwrite(picture.bgr.data(), 1, picture.bgr.size(), file);
    return std::fclose(file) == 0;
}

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void post_command(const Program& program, int id) {
    PostMessageA(program.window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

HWND button(const Program& program, int n) { return GetDlgItem(program.window, 2 + n); }

void check_focus(const Program& program, const std::string& when) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    // The focus may take a moment to come back when a box or dialog has just closed.
    wait_until(
        [&] {
            GetGUIThreadInfo(program.process.dwThreadId, &info);
            return info.hwndFocus == GetDlgItem(program.window, 1001);
        },
        2000);
    check(info.hwndFocus == GetDlgItem(program.window, 1001),
          "the focus is in the focus edit " + when);
}

void take_picture(const Program& program, const char* picture) {
    if (!picture) return;
    // A moment to paint. (Without a window manager on the display, Wine draws
    // the title bar in its inactive colours.)
    Sleep(1000);
    check(save_bmp(capture_window(program.window), picture), std::string("picture ") + picture);
}

void exit_by_menu(Program& program) {
    post_command(program, id_exit);
    check_equal(wait_for_exit(program, 10000), 0, "exit code after File/Exit");
}
