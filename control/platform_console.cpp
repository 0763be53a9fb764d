// The console platform: the command line has no windows, so a box is one line
// on stderr, "vorlund-obj: " and the text, each line break in it a blank.
#include <cstdio>

#include "control/platform.h"

#if defined(__linux__)
#include <unistd.h>
#endif

namespace {

void console_message_box(WindowHandle, const char* text, const char*) {
    std::fputs("vorlund-obj: ", stderr);
    for (const char* c = text; *c; ++c) std::fputc(*c == '\n' ? ' ' : *c, stderr);
    std::fputc('\n', stderr);
}

WindowHandle console_active_window() { return nullptr; }

void console_module_path(char* path, unsigned capacity) {
    if (capacity == 0) return;
    path[0] = '\0';
#if defined(__linux__)
    ssize_t n = readlink("/proc/self/exe", path, capacity - 1);
    path[n > 0 ? n : 0] = '\0';
#endif
}

// No dialog on a console: the caller names the model itself.
void console_open_dialog(WindowHandle, char*, unsigned) {}
void console_enable_button(WindowHandle, int, int) {}
void console_post_close(WindowHandle) {}
void console_destroy_window(WindowHandle) {}

}  // namespace

const Platform console_platform = {
    console_message_box,  console_active_window, console_module_path,    console_open_dialog,
    console_enable_button, console_post_close,   console_destroy_window,
};
