#pragma once
// Runs a program of the build with a pseudo-terminal of a given width as its
// standard input, output and error, and gives back everything it wrote there.

#include <string>
#include <vector>

struct TerminalRun {
    int exit_status = -1;  // the exit code, or -1 when it did not exit normally
    std::string written;   // as the terminal received it (line ends as CR LF)
};

TerminalRun run_in_terminal(const std::string& program, const std::vector<std::string>& args,
                            const std::string& folder, unsigned short columns);
