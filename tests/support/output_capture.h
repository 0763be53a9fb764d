#pragma once
// Points the conversion's output stream at a temporary file for one test and
// gives back the OBJ text written to it.

#include <cstdio>
#include <string>

struct OutputCapture {
    std::FILE* file;
    OutputCapture();   // output := a fresh temporary file, output_open := 1, had_errors := 0
    ~OutputCapture();  // closes it and leaves output null, output_open 0
    std::string text();  // everything written so far
};
