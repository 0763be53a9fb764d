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
};

// The platform in use; the console platform until a program installs another.
const Platform& platform();
void set_platform(const Platform* p);

// The console platform: boxes become lines on stderr.
extern const Platform console_platform;
