#include "cli/obj_rewrite.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/obj_reorder.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#endif

namespace {

constexpr std::size_t buffer_size = 1 << 20;

struct ClosingFile {
    std::FILE* f = nullptr;
    ~ClosingFile() { close(); }
    bool close() {
        bool ok = f == nullptr || std::fclose(f) == 0;
        f = nullptr;
        return ok;
    }
};

bool seek_to(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool copy_range(std::FILE* in, std::FILE* out, std::uint64_t from, std::uint64_t to,
                std::vector<char>& buffer) {
    if (from >= to) return true;
    if (!seek_to(in, from)) return false;
    while (from < to) {
        std::size_t want = to - from < buffer.size() ? static_cast<std::size_t>(to - from) : buffer.size();
        if (std::fread(buffer.data(), 1, want, in) != want) return false;
        if (std::fwrite(buffer.data(), 1, want, out) != want) return false;
        from += want;
    }
    return true;
}

std::string failure(const char* what, const std::string& path) {
    // A read that comes up short (the file shrank meanwhile) sets no errno.
    return std::string(what) + " " + path + " (" + (errno ? std::strerror(errno) : "it changed while read") + ")";
}

// The file the path leads to, so that a link stays a link; empty when it is
// not a plain file and must not be read twice or replaced.
bool plain_file_behind(const std::string& path, std::string& real, std::string& error) {
#ifdef _WIN32
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        errno = ENOENT;
        error = failure("cannot find", path);
        return false;
    }
    real = attributes & FILE_ATTRIBUTE_DIRECTORY ? "" : path;
    return true;
#else
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) {
        error = failure("cannot find", path);
        return false;
    }
    // Only a link needs resolving; a plain file (nearly always) costs one call.
    if (!S_ISLNK(info.st_mode)) {
        real = S_ISREG(info.st_mode) ? path : "";
        return true;
    }
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) {
        error = failure("cannot find", path);
        return false;
    }
    real = stat(resolved, &info) == 0 && S_ISREG(info.st_mode) ? resolved : "";
    return true;
#endif
}

bool replace_file(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    struct stat info;
    if (stat(to.c_str(), &info) == 0) chmod(from.c_str(), info.st_mode & 07777);
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

// Reads the whole file once for the moves; total is its length.
bool plan_file(std::FILE* in, std::vector<char>& buffer, std::vector<VertexMove>& moves,
               std::uint64_t& total) {
    VertexMovePlanner planner;
    total = 0;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) {
        planner.feed(buffer.data(), n);
        total += n;
    }
    moves = planner.finish();
    return std::ferror(in) == 0;
}

bool write_moved(std::FILE* in, std::FILE* out, const std::vector<VertexMove>& moves,
                 std::uint64_t total, std::vector<char>& buffer) {
    std::uint64_t at = 0;
    for (const VertexMove& m : moves) {
        if (!copy_range(in, out, at, m.uvs_line, buffer) ||
            !copy_range(in, out, m.verts_begin, m.verts_end, buffer) ||
            !copy_range(in, out, m.uvs_line, m.verts_begin, buffer))
            return false;
        at = m.verts_end;
    }
    return copy_range(in, out, at, total, buffer);
}

}  // namespace

bool rewrite_vertices_first(const std::string& path, std::string& error) {
    std::string real;
    if (!plain_file_behind(path, real, error)) return false;
    if (real.empty()) return true;

    std::vector<char> buffer(buffer_size);
    errno = 0;
    ClosingFile in;
    in.f = std::fopen(real.c_str(), "rb");
    if (!in.f) {
        error = failure("cannot read", real);
        return false;
    }
    std::vector<VertexMove> moves;
    std::uint64_t total = 0;
    if (!plan_file(in.f, buffer, moves, total)) {
        error = failure("cannot read", real);
        return false;
    }
    if (moves.empty()) return true;

    const std::string part = real + ".part";
    ClosingFile out;
    out.f = std::fopen(part.c_str(), "wb");
    if (!out.f) {
        error = failure("cannot create", part);
        return false;
    }
    bool written = write_moved(in.f, out.f, moves, total, buffer);
    int write_errno = errno;
    bool closed = out.close();
    in.close();
    if (!written || !closed) {
        errno = written ? errno : write_errno;
        error = failure("cannot write", part);
        std::remove(part.c_str());
        return false;
    }
    if (!replace_file(part, real)) {
        error = failure("cannot replace", real);
        std::remove(part.c_str());
        return false;
    }
    return true;
}
