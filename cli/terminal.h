#pragma once
// What the command line needs to know about the terminal behind stderr.

#include <cstddef>

// True when stderr is a terminal (a progress line can be taken back there).
bool stderr_is_terminal();

// The terminal's width in columns; 80 when it cannot be told.
std::size_t terminal_columns();
