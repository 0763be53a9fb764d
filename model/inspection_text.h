#pragma once
// Pieces of the --inspect text that models and texture dictionaries share.

#include <string>

// Appends printf-formatted text, cut at 255 characters.
void append(std::string& out, const char* format, ...);

// Names as the file holds them, in quotes; bytes outside printable ASCII as \xNN.
std::string quoted(const std::string& text);
