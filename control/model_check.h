#pragma once
// Why a model file cannot be converted, found before its OBJ file is opened,
// so that a model bound to fail leaves no OBJ file behind.

#include <cstdint>
#include <string>
#include <vector>
#include <system_error>

// The reason in plain words ("empty file", "permission denied", "too large:
// ...", "not a model file (first bytes ...)", "is a folder", ...), or an empty
// string for a file the engine will load. window_box, when given, is set to
// the box the window shows for such a file (too large, not a model file), or
// to null when it shows none.
std::string model_file_problem(const std::string& path, const char** window_box = nullptr);

// The same for a model's bytes that have no file (an archive's entry).
std::string model_bytes_problem(const unsigned char* bytes, unsigned long long size);

// An archive entry's bytes, read by offset, without the zeros padding its last
// sector; empty with them in bytes, else the reason it is no model to load.
std::string read_model_entry(const std::string& archive_data, std::uint64_t start, std::uint64_t length,
                             std::vector<std::uint8_t>& bytes);

// The system's text for an errno value, starting in lower case: "permission denied".
std::string system_error_text(int error);

// The same for an error code of the file system library.
std::string plain_error(const std::error_code& ec);

// n with a comma between thousands: 126,999,999.
std::string grouped_number(unsigned long long n);
