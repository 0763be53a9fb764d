// Model file access through POSIX calls, with the effects the Win32 half has.
#ifndef _WIN32

// Sizes of 2 GiB and more must reach the size check whole, also in 32-bit builds.
#define _FILE_OFFSET_BITS 64

#include "engine/source_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

int look_up_source_file(const char* path, SourceFileInfo& info, unsigned& error) {
    struct stat st;
    // stat refuses an empty path itself, as the Win32 lookup does.
    if (stat(path, &st) != 0) {
        error = static_cast<unsigned>(errno);
        return 0;
    }
    // Only regular files have a size worth comparing; the Win32 lookup reports
    // folders with size 0 too.
    info.size = S_ISREG(st.st_mode) ? static_cast<unsigned long long>(st.st_size) : 0;
    info.attributes = static_cast<unsigned>(st.st_mode);
    const char* slash = std::strrchr(path, '/');
    const char* name = slash ? slash + 1 : path;
    std::size_t length = std::strlen(name);
    if (length >= found_name_capacity) length = found_name_capacity - 1;
    std::memcpy(info.found_name, name, length);
    info.found_name[length] = '\0';
    return 1;
}

int open_source_file(const SourceFileInfo& info, SourceFileHandle& file) {
    // Non-blocking, so that a named pipe cannot stall the open; it is refused below.
    int fd = open(info.found_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st;
    int usable = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    // The nearest POSIX has to opening without sharing: an exclusive lock that
    // fails while another program holds one. Where locks are unsupported, go on.
    if (usable && flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) usable = 0;
    if (!usable) {
        close(fd);
        return 0;
    }
    file = fd;
    return 1;
}

int read_source_file(SourceFileHandle file, unsigned char* bytes, unsigned size, unsigned& error) {
    int fd = static_cast<int>(file);
    unsigned done = 0;
    while (done < size) {
        ssize_t got = read(fd, bytes + done, size - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            error = static_cast<unsigned>(errno);
            return 0;
        }
        // The file ended before its looked-up size: a short model is no model.
        if (got == 0) {
            error = EIO;
            return 0;
        }
        done += static_cast<unsigned>(got);
    }
    return 1;
}

void close_source_file(SourceFileHandle file) { close(static_cast<int>(file)); }

#endif
