#pragma once
// What the command line asks for.

#include <string>
#include <vector>

struct Options {
    int button_id = 0;  // id_structure, id_go1..id_go4, or 0 for auto: each in turn until one is clean
    bool local = false;  // structure: every part in its own frame's space
    bool recursive = false;
    bool exact_text = false;  // the window's text byte for byte: no vertices-first rewrite
    bool help = false;
    bool version = false;
    std::vector<std::string> paths;  // models and folders, as named
};

// Fills options from argv. 1 on success; 0 on a usage error, with error set to
// the one-line reason.
int parse_options(int argc, char** argv, Options& options, std::string& error);

// The --help text.
extern const char help_text[];
