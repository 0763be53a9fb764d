// Worker processes on POSIX systems: posix_spawn with two pipes.
#ifndef _WIN32
#include "cli/worker_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

// Our ends must not leak into later workers: a worker holding another's
// output pipe open would hide that one's end from us.
bool make_pipe(int fds[2]) {
    if (pipe(fds) != 0) return false;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    return true;
}

void close_pipe_end(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

std::string own_executable(const char* argv0) {
#if defined(__linux__)
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n > 0) return std::string(path, static_cast<std::size_t>(n));
#endif
    return argv0;
}

bool start_worker(const std::string& program, const std::vector<std::string>& args,
                  WorkerProcess& worker, std::string& why) {
    // Writing to a worker that died must fail, not end us.
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2];
    if (!make_pipe(in)) {
        why = std::strerror(errno);
        return false;
    }
    if (!make_pipe(out)) {
        why = std::strerror(errno);
        close(in[0]), close(in[1]);
        return false;
    }
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    // The worker ends with us: SIGPIPE back to its default.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    int failed = program.find('/') == std::string::npos
                     ? posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ)
                     : posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(in[0]);
    close(out[1]);
    if (failed != 0) {
        why = std::strerror(failed);
        close(in[1]), close(out[0]);
        return false;
    }
    worker.pid = pid;
    worker.to = in[1];
    worker.from = out[0];
    return true;
}

bool send_and_close(WorkerProcess& worker, const std::string& bytes) {
    bool ok = worker.to >= 0;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        ssize_t n = write(worker.to, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    close_pipe_end(worker.to);
    return ok;
}

std::size_t receive(WorkerProcess& worker, char* buffer, std::size_t capacity) {
    while (worker.from >= 0) {
        ssize_t n = read(worker.from, buffer, capacity);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) break;
    }
    return 0;
}

std::string finish_worker(WorkerProcess& worker) {
    close_pipe_end(worker.to);
    close_pipe_end(worker.from);
    if (worker.pid < 0) return "not started";
    int status = 0;
    pid_t waited;
    do waited = waitpid(worker.pid, &status, 0);
    while (waited < 0 && errno == EINTR);
    worker.pid = -1;
    if (waited < 0) return std::strerror(errno);
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        return "exit status " + std::to_string(WEXITSTATUS(status));
    return "";
}

int processor_count() {
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(n) : 1;
}
#endif
