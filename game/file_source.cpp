#include "game/file_source.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "game/archive.h"

namespace fs = std::filesystem;

namespace {

using Reason = SourceFailure::Reason;

SourceFailure failure(Reason reason, std::string detail = "", std::uint64_t size = 0) {
    SourceFailure f;
    f.reason = reason;
    f.detail = std::move(detail);
    f.size = size;
    return f;
}

SourceFailure read_file(const fs::path& file, std::uint64_t limit, std::vector<std::uint8_t>& bytes) {
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (!fs::exists(status)) return failure(Reason::missing);
    if (!fs::is_regular_file(status)) return failure(Reason::not_a_file);
    const std::uintmax_t size = fs::file_size(file, error);
    if (error) return failure(Reason::size_unknown, error.message());
    if (size > limit) return failure(Reason::too_large, "", size);
    std::ifstream in(file, std::ios::binary);
    bytes.resize(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size))) {
        bytes.clear();
        return failure(Reason::unreadable);
    }
    return {};
}


// The current folder by the name the shell knows it under: a folder reached
// through a link keeps the link in its name, as a path chosen in a dialog would.
fs::path current_folder() {
    fs::path physical = fs::current_path();
#ifndef _WIN32
    const char* pwd = std::getenv("PWD");
    std::error_code ec;
    if (pwd && pwd[0] == '/' && fs::equivalent(pwd, physical, ec)) return fs::path(pwd);
#endif
    return physical;
}

}  // namespace

FileSource file_source(const fs::path& file) {
    FileSource source;
    source.file = file;
    source.shown = file.string();
    return source;
}

FileSource entry_source(const std::string& archive, const ArchiveDirectory& directory, const ArchiveEntry& entry) {
    FileSource source;
    source.file = directory.data_file;
    source.in_archive = true;
    source.start = entry.start;
    source.length = entry.length;
    source.shown = entry_path(archive, entry.name);
    source.damage = entry.damage;
    return source;
}

SourceFailure read_source(const FileSource& source, std::uint64_t limit, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (!source.in_archive) return read_file(source.file, limit, bytes);
    if (!source.damage.empty()) return failure(Reason::damaged, source.damage);
    if (source.length > limit) return failure(Reason::too_large, "", source.length);
    if (std::string why = read_archive_entry(source.file.string(), source.start, source.length, bytes, limit);
        !why.empty())
        return failure(Reason::unreadable, why);
    return {};
}

std::string read_text_file(const fs::path& path, std::string& text) {
    std::vector<std::uint8_t> bytes;
    const SourceFailure f = read_source(file_source(path), largest_text_file, bytes);
    switch (f.reason) {
        case Reason::none: break;
        case Reason::missing: return "no such file";
        case Reason::not_a_file: return "not a file";
        case Reason::size_unknown: return f.detail;
        case Reason::too_large: return "larger than " + std::to_string(largest_text_file >> 20) + " MB";
        case Reason::unreadable:
        case Reason::damaged: return "cannot be read";
    }
    text.assign(bytes.begin(), bytes.end());
    return "";
}

std::string absolute_path(const std::string& path) {
    fs::path given(path);
    fs::path full = given.is_absolute() ? given : current_folder() / given;
    fs::path clean = full.root_path();
    for (const auto& part : full.relative_path()) {
        if (part.empty() || part == ".") continue;
        clean /= part;
    }
    return clean.string();
}
