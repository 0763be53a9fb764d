#include "support/run_in_terminal.h"

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

TerminalRun run_in_terminal(const std::string& program, const std::vector<std::string>& args,
                            const std::string& folder, unsigned short columns) {
    TerminalRun run;
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string pwd_entry = "PWD=" + folder;

    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    int master = -1;
    pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child < 0) return run;
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        putenv(pwd_entry.data());
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    // The terminal reports EIO once the child has closed its side.
    char buffer[4096];
    for (;;) {
        ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) {
            run.written.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    close(master);
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
    return run;
}
