// Model file access through POSIX calls, with the effects the Win32 half has.
#ifndef _WIN32

// Sizes of 2 GiB and more must reach the size check whole, also in 32-bit builds.
#define _FILE_OFFSET_BITS 64

#include "engine/source_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
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

namespace {

// Worker processes of one run may read the same file at once (two links to
// one model): each holds the lock only while it reads, so a lock held by
// another is waited for a moment (2 s at most) before the file is refused.
bool lock_alone(int fd) {
    for (int waited_ms = 0;; waited_ms += 10) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return true;
        if (waited_ms >= 2000) return false;
        usleep(10 * 1000);
    }
}

}  // namespace

int open_source_file(const SourceFileInfo& info, SourceFileHandle& file) {
    // Non-blocking, so that a named pipe cannot stall the open; it is refused below.
    int fd = open(info.found_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st;
    int usable = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    // The nearest POSIX has to opening without sharing: an exclusive lock that
    // fails while another program holds one. Where locks are unsupported, go on.
    if (usable && !lock_alone(fd)) usable = 0;
    if (!usable) {
        close(fd);
        return 0;
    }
    file = fd;
    return 1;
}

namespace {

// Asks for huge pages under the bytes about to be read, where the system has
// them: a 127 MB model otherwise first touches some 31,000 small pages, which
// costs more than reading it. Advice only; its failure changes nothing.
void advise_huge_pages(unsigned char* bytes, unsigned size) {
#if defined(MADV_HUGEPAGE)
    const std::uintptr_t huge_page = std::uintptr_t{1} << 21;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(bytes) + huge_page - 1) & ~(huge_page - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(bytes) + size) & ~(huge_page - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)bytes;
    (void)size;
#endif
}

}  // namespace

int read_source_file(SourceFileHandle file, unsigned char* bytes, unsigned size, unsigned& error) {
    int fd = static_cast<int>(file);
    advise_huge_pages(bytes, size);
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
