#pragma once
// The progress line's text: where the run is, how fast it goes, how long it
// has left, and the model at hand, fitted to the terminal's width.

#include <cstddef>
#include <string>

// "[3/10] 2.4 models/s, 3s left /path/to/model.dff" in fewer than width columns, the
// path losing its middle to "..." when it does not fit. done is the number of
// models finished, seconds the time they took.
std::string progress_line(std::size_t done, std::size_t total, double seconds, const std::string& path,
                          std::size_t width);

// Cuts text to at most columns characters (UTF-8 sequences count once),
// replacing its middle with "...".
std::string elide_middle(const std::string& text, std::size_t columns);
