#pragma once
// What the window driver needs to run the program in another process and look
// at its windows from outside, through their handles and messages alone.

#include <windows.h>

#include <string>
#include <vector>

// ---- checks: every failure is printed; the driver's exit code counts them.
extern int failed_checks;
void check(bool ok, const std::string& what);
void check_equal(const std::string& actual, const std::string& expected, const std::string& what);
void check_equal(long long actual, long long expected, const std::string& what);

// ---- paths: the tests hand over Unix paths, the program sees them under drive Z:.
std::string windows_path(const std::string& path);

// ---- the program in its own process.
struct Program {
    PROCESS_INFORMATION process = {};
    std::string path;  // the executable, as a Windows path
    HWND window = nullptr;
    ~Program();        // ends a program that is still running
};

// Starts the program (show command only when show_command >= 0) and waits for
// its main window, found by class name. False when no window came.
bool start_program(Program& program, const std::string& exe, const std::string& arguments,
                   int show_command);
// Waits for the process to end; its exit code, or -1 when it did not end in time.
long wait_for_exit(Program& program, int timeout_ms);

// Polls every 50 ms until done() or the timeout; the last done().
template <class Done>
bool wait_until(Done done, int timeout_ms = 10000) {
    for (int waited = 0;; waited += 50) {
        if (done()) return true;
        if (waited >= timeout_ms) return false;
        Sleep(50);
    }
}

// ---- looking at windows of another process.
std::string window_text(HWND window);   // WM_GETTEXT
std::string class_name(HWND window);
RECT rect_in_client(HWND child, HWND parent);  // the child's outer rectangle, parent client coordinates
std::vector<HWND> child_windows(HWND parent);  // direct children, in creation (Z) order
std::string list_line(HWND list, int index);   // LB_GETTEXT, read as UTF-16 (a Wine quirk)
std::string combo_line(HWND combo, int index); // CB_GETLBTEXT, likewise

// Visible dialog-class windows ("#32770") of the program's thread: message boxes and the Open dialog.
std::vector<HWND> dialogs_of(const Program& program);
bool is_message_box(HWND dialog);   // has the static 0xFFFF that holds the text
HWND find_message_box(const Program& program);
HWND find_open_dialog(const Program& program);

struct BoxSeen {
    std::string caption, text;
    HWND owner;
};
// Reads the box and presses OK.
BoxSeen dismiss_box(HWND box);

// ---- steps of every scenario.
constexpr int id_about = 9069, id_open = 9070, id_exit = 9071;  // the menu's commands
std::string lower(std::string text);
void post_command(const Program& program, int id);  // WM_COMMAND, posted: it may open a box
HWND button(const Program& program, int n);         // go1 to go4
// The keyboard focus is in the invisible focus edit (waits briefly for it).
void check_focus(const Program& program, const std::string& when);
// The window with its title bar as a BMP file; nothing without a path.
void take_picture(const Program& program, const char* picture);
// File/Exit, and the process ends with code 0.
void exit_by_menu(Program& program);

// ---- files.
bool read_whole_file(const std::string& path, std::string& text);
// True when the file exists and another handle keeps it from exclusive opening.
bool file_is_held_open(const std::string& path);
std::string without_carriage_returns(const std::string& text);

// ---- pictures: what the screen shows of a window, title bar included.
struct ScreenPicture {
    int width = 0, height = 0;
    std::vector<unsigned char> bgr;  // bottom-up rows of 24-bit pixels, 4-byte aligned
    int row_bytes() const { return (width * 3 + 3) & ~3; }
    COLORREF at(int x, int y) const;  // x, y from the window's top-left corner
};
ScreenPicture capture_window(HWND window);
bool save_bmp(const ScreenPicture& picture, const std::string& path);
