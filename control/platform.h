#pragma once
// The few operations the commands and the error box need from the platform.
// Win32 implements them with the window, a console build with stdio, tests
// with a recording fake. Nothing else in control/ or engine/ talks to the OS
// user interface.

using WindowHandle = void*;

struct Platform {
    // A modal box with one OK button; returns when dismissed. owner may be null.
    void (*message_box)(WindowHandle owner, const char* text, const char* caption);
    // The calling thread's active window, or null when the program is not active.
    WindowHandle (*active_window)();
    // The program's own executable path, cut to capacity - 1 characters and terminated.
    void (*module_path)(char* path, unsigned capacity);
    // The Open dialog for a model file, owned by owner. On OK it writes the full
    // path of an existing file into path (capacity bytes with the terminator) and
    // leaves that file's folder as the current directory; on cancel it writes nothing.
    void (*open_dialog)(WindowHandle owner, char* path, unsigned capacity);
    // Enables (1) or disables (0) the control with this id in the main window.
    void (*enable_button)(WindowHandle main_window, int id, int enable);
    // Queues a close request to the main window, handled after the current command.
    void (*post_close)(WindowHandle main_window);
    // Destroys the main window, which ends the program's message loop.
    void (*destroy_window)(WindowHandle main_window);
};

// The platform in use; the console platform until a program installs another.
const Platform& platform();
void set_platform(const Platform* p);

// The console platform: boxes become lines on stderr; it has no dialog and no window.
extern const Platform console_platform;
