#include "cli/terminal.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {
constexpr std::size_t fallback_columns = 80;
}

#ifdef _WIN32

bool stderr_is_terminal() { return _isatty(_fileno(stderr)) != 0; }

std::size_t terminal_columns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return fallback_columns;
    int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? static_cast<std::size_t>(columns) : fallback_columns;
}

#else

bool stderr_is_terminal() { return isatty(fileno(stderr)) != 0; }

std::size_t terminal_columns() {
    winsize size{};
    if (ioctl(fileno(stderr), TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return fallback_columns;
    return size.ws_col;
}

#endif
