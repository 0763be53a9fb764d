// Model file access through the Win32 file services.
#ifdef _WIN32

#include "engine/source_file.h"

#include <cstring>

#include <windows.h>

int look_up_source_file(const char* path, SourceFileInfo& info, unsigned& error) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return 0;
    }
    info.size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    info.attributes = found.dwFileAttributes;
    std::memcpy(info.found_name, found.cFileName, found_name_capacity - 1);
    info.found_name[found_name_capacity - 1] = '\0';
    FindClose(search);
    return 1;
}

namespace {

// Share mode 0: the open fails while any other program holds the file. Worker
// processes of one run may read the same file at once (two links to one
// model), each only while it reads, so a sharing refusal is tried again for a
// moment (2 s at most) before the file is refused, as the POSIX half waits
// for its lock.
HANDLE open_alone(const SourceFileInfo& info) {
    for (int waited_ms = 0;; waited_ms += 10) {
        HANDLE handle = CreateFileA(info.found_name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, info.attributes, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION || waited_ms >= 2000)
            return handle;
        Sleep(10);
    }
}

}  // namespace

int open_source_file(const SourceFileInfo& info, SourceFileHandle& file) {
    HANDLE handle = open_alone(info);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    file = reinterpret_cast<SourceFileHandle>(handle);
    return 1;
}

int read_source_file(SourceFileHandle file, unsigned char* bytes, unsigned size, unsigned& error) {
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file), bytes, size, &got, nullptr)) {
        error = GetLastError();
        return 0;
    }
    // A file that shrank since the lookup gives a successful but short read.
    if (got != size) {
        error = ERROR_HANDLE_EOF;
        return 0;
    }
    return 1;
}

void close_source_file(SourceFileHandle file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

#endif
