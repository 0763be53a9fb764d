#pragma once
// Runs a program of the build as a child process and gives back what it did.

#include <string>
#include <vector>

struct ProgramRun {
    int exit_status = -1;  // the exit code, or -1 when it did not exit normally
    std::string out, err;  // its standard output and standard error
    bool could_not_start = false;  // the program could not be executed at all
};

struct RunSettings {
    std::string folder;         // current folder of the child (and its PWD); empty: ours
    bool unprivileged = false;  // a root parent runs the child as the user nobody
};

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const RunSettings& settings = {});
