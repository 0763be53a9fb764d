#pragma once
// A worker's own streams: its share of the models comes on standard input,
// its records go out on what was standard output, and what it would say on
// standard error is caught model by model, to go into the records.

#include <string>

// Reads standard input to its end. false on a read error.
bool read_whole_input(std::string& bytes);

// Standard error into a temporary file, standard output to the null device,
// the records' pipe kept apart. false when any of it fails.
bool start_catching_output();

// What went to standard error since the last call.
std::string take_caught_errors();

// Writes bytes to the records' pipe. false when the parent is gone.
bool send_records(const std::string& bytes);

// Ends this process at once, as a kill would (the tests' stand-in for a crash).
[[noreturn]] void stop_abruptly();
