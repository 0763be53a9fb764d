#include "cli/worker_streams.h"

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define read_fd _read
#define write_fd _write
#define seek_fd _lseek
#define dup_fd _dup
#define dup2_fd _dup2
#define close_fd _close
#define truncate_fd _chsize
#else
#include <csignal>
#include <unistd.h>
#if defined(__linux__)
#include <sys/mman.h>
#endif
#define read_fd read
#define write_fd write
#define seek_fd lseek
#define dup_fd dup
#define dup2_fd dup2
#define close_fd close
#define truncate_fd ftruncate
#endif

namespace {

int records_fd = -1;

// Removed by the system once closed, even when the worker is killed.
int open_catch_file() {
#ifdef _WIN32
    char folder[MAX_PATH + 1], name[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH || !GetTempFileNameA(folder, "vob", 0, name)) return -1;
    return _open(name, _O_RDWR | _O_BINARY | _O_TEMPORARY);
#else
#if defined(__linux__)
    // In memory: works where no temporary folder is writable.
    int memory_fd = memfd_create("vorlund-obj-errors", 0);
    if (memory_fd >= 0) return memory_fd;
#endif
    std::FILE* f = std::tmpfile();
    if (!f) return -1;
    int fd = dup(fileno(f));
    std::fclose(f);
    return fd;
#endif
}

int open_null_device() {
#ifdef _WIN32
    return _open("NUL", _O_WRONLY | _O_BINARY);
#else
    return open("/dev/null", O_WRONLY);
#endif
}

}  // namespace

bool read_whole_input(std::string& bytes) {
#ifdef _WIN32
    _setmode(0, _O_BINARY);
#endif
    char buffer[65536];
    for (;;) {
        int n = static_cast<int>(read_fd(0, buffer, sizeof buffer));
        if (n == 0) return true;
        if (n < 0) return false;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool start_catching_output() {
    // Unbuffered, a box's text would be a system call a character; the
    // buffer is flushed when each model's text is taken.
    std::setvbuf(stderr, nullptr, _IOFBF, 1 << 16);
    std::fflush(stdout);
#ifdef _WIN32
    // The text is passed on as it is; the parent's stream adds the CRs.
    _setmode(1, _O_BINARY);
    _setmode(2, _O_BINARY);
#endif
    int catch_fd = open_catch_file(), null_fd = open_null_device();
    records_fd = dup_fd(1);
    bool ok = catch_fd >= 0 && null_fd >= 0 && records_fd >= 0 && dup2_fd(catch_fd, 2) >= 0 &&
              dup2_fd(null_fd, 1) >= 0;
    if (catch_fd >= 0) close_fd(catch_fd);
    if (null_fd >= 0) close_fd(null_fd);
    return ok;
}

std::string take_caught_errors() {
    std::fflush(stderr);
    std::string text;
    if (seek_fd(2, 0, SEEK_SET) != 0) return text;
    char buffer[4096];
    for (int n; (n = static_cast<int>(read_fd(2, buffer, sizeof buffer))) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    // Emptied for the next model, so the file stays small.
    if (truncate_fd(2, 0) != 0) {}
    seek_fd(2, 0, SEEK_SET);
    return text;
}

bool send_records(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        int n = static_cast<int>(write_fd(records_fd, bytes.data() + done,
                                          static_cast<unsigned>(bytes.size() - done)));
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void stop_abruptly() {
#ifdef _WIN32
    TerminateProcess(GetCurrentProcess(), 9);
#else
    std::raise(SIGKILL);
#endif
    std::_Exit(9);
}
