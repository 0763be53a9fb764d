#pragma once
// Why a model file cannot be converted, found before its OBJ file is opened,
// so that a model bound to fail leaves no OBJ file behind.

#include <string>
#include <system_error>

// The reason in plain words ("empty file", "permission denied", "too large:
// ...", "not a model file (first bytes ...)", "is a folder", ...), or an empty
// string for a file the engine will load. window_box, when given, is set to
// the box the window shows for such a file (too large, not a model file), or
// to null when it shows none.
std::string model_file_problem(const std::string& path, const char** window_box = nullptr);

// The system's text for an errno value, starting in lower case: "permission denied".
std::string system_error_text(int error);

// The same for an error code of the file system library.
std::string plain_error(const std::error_code& ec);

// n with a comma between thousands: 126,999,999.
std::string grouped_number(unsigned long long n);
