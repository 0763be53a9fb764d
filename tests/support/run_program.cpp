#include "support/run_program.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "support/process_guards.h"

namespace {

constexpr int cannot_exec_status = 127;
const char cannot_exec_mark[] = "run_program: cannot execute\n";

void write_all(int fd, const char* text) {
    for (std::size_t left = std::strlen(text); left > 0;) {
        ssize_t n = write(fd, text, left);
        if (n <= 0) return;
        text += n;
        left -= static_cast<std::size_t>(n);
    }
}

// In the forked child: only async-signal-safe calls up to exec.
[[noreturn]] void start_child(const std::string& program, char** argv, const RunSettings& settings,
                              int out_fd, int err_fd, const char* pwd_entry) {
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd >= 0) dup2(null_fd, 0);
    if (!settings.folder.empty()) {
        if (chdir(settings.folder.c_str()) != 0) _exit(cannot_exec_status);
        putenv(const_cast<char*>(pwd_entry));
    }
    if (settings.unprivileged && geteuid() == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(unprivileged_gid) != 0 || setuid(unprivileged_uid) != 0)
            _exit(cannot_exec_status);
    }
    execv(program.c_str(), argv);
    write_all(2, cannot_exec_mark);
    _exit(cannot_exec_status);
}

}  // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const RunSettings& settings) {
    ProgramRun run;
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string pwd_entry = "PWD=" + settings.folder;

    int out_pipe[2], err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return run;
    pid_t child = fork();
    if (child == 0) start_child(program, argv.data(), settings, out_pipe[1], err_pipe[1], pwd_entry.c_str());
    close(out_pipe[1]);
    close(err_pipe[1]);

    // Both pipes are drained together: a child that fills one must not stall.
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open_count = 2;
    while (open_count > 0) {
        if (poll(fds, 2, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            }
        }
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.exit_status = WEXITSTATUS(status);
    run.could_not_start = run.exit_status == cannot_exec_status &&
                          (run.err.find(cannot_exec_mark) != std::string::npos || run.err.empty());
    return run;
}
