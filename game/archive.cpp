#include "game/archive.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "game/little_endian.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t record_bytes = 32;
// Two million entries; real directories hold some thousands.
constexpr std::uint64_t largest_directory = std::uint64_t(64) << 20;

// Up to the first NUL; a name filling all 24 bytes has none.
std::string name_at(const std::uint8_t* p) {
    std::size_t n = 0;
    while (n < archive_name_bytes && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

std::string bytes_text(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// Damage of one entry against the data file's size.
void check_entry(ArchiveEntry& e, std::uint64_t data_size) {
    if (e.length == 0) {
        e.damage = "its length is 0 (its directory record at byte " + std::to_string(e.record_offset) + ")";
        e.damage_offset = e.record_offset;
    } else if (e.start >= data_size) {
        e.damage = "it starts at byte " + std::to_string(e.start) + ", past the end of the archive (" +
                   bytes_text(data_size) + ")";
        e.damage_offset = e.start;
    } else if (e.length > data_size - e.start) {
        e.damage = "it runs past the end of the archive (" + bytes_text(e.start + e.length) + " of " +
                   bytes_text(data_size) + ")";
        e.damage_offset = data_size;
    }
}

std::string entries_text(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " entry" : " entries"); }

std::FILE* open_binary(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

bool seek_to(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

// Up to limit bytes from the file's start.
std::vector<std::uint8_t> read_head(const std::string& path, std::size_t limit) {
    std::vector<std::uint8_t> bytes(limit);
    std::FILE* f = open_binary(path);
    if (!f) return {};
    bytes.resize(std::fread(bytes.data(), 1, limit, f));
    std::fclose(f);
    return bytes;
}

// The file beside path with the other extension, in whichever case exists.
std::string partner(const fs::path& path, const char* extension) {
    std::error_code ec;
    for (unsigned upper = 0; upper < 8; ++upper) {
        std::string ext = extension;
        for (unsigned i = 0; i < 3; ++i)
            if (upper & (1u << i)) ext[i + 1] = static_cast<char>(ext[i + 1] - 'a' + 'A');
        fs::path candidate = path;
        candidate.replace_extension(ext);
        if (fs::is_regular_file(candidate, ec)) return candidate.string();
    }
    return "";
}

// What the first bytes of a file that is no archive of either version say it is.
std::string what_it_is(const std::vector<std::uint8_t>& head) {
    static const struct {
        const char* magic;
        std::size_t size;
        const char* what;
    } formats[] = {
        {"\x52\x2A\x4E\xA9", 4, "a version 3 archive (a later game's format, not read here)"},
        {"PK\x03\x04", 4, "a zip file, not an archive of the game"},
        {"Rar!", 4, "a rar file, not an archive of the game"},
        {"7z\xBC\xAF", 4, "a 7z file, not an archive of the game"},
        {"\x1F\x8B", 2, "a gzip file, not an archive of the game"},
        {"VER3", 4, "a version 3 archive (a later game's format, not read here)"},
    };
    for (const auto& f : formats)
        if (head.size() >= f.size && std::memcmp(head.data(), f.magic, f.size) == 0) return f.what;
    return "neither a version 2 archive (no VER2 at its start) nor half of a version 1 pair (no .dir beside "
           "it): another tool's format, or an encrypted version 3 archive";
}

ArchiveDirectory refusal(const std::string& path, const std::string& why) {
    ArchiveDirectory d;
    d.directory_file = path;
    d.refused = why;
    return d;
}

std::uint64_t size_of(const std::string& path, bool& exists) {
    std::error_code ec;
    exists = fs::is_regular_file(path, ec);
    if (!exists) return 0;
    std::uintmax_t size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

ArchiveDirectory read_version1(const std::string& dir_file, const std::string& img_file) {
    bool dir_exists = false, img_exists = false;
    const std::uint64_t dir_size = size_of(dir_file, dir_exists);
    const std::uint64_t img_size = img_file.empty() ? 0 : size_of(img_file, img_exists);
    if (dir_size > largest_directory)
        return refusal(dir_file, "its directory has " + bytes_text(dir_size) + ", more than an archive's can");
    std::vector<std::uint8_t> bytes = read_head(dir_file, static_cast<std::size_t>(dir_size));
    ArchiveDirectory d = parse_version1(bytes.data(), bytes.size(), img_size);
    d.directory_file = dir_file;
    d.data_file = img_file;
    if (bytes.size() != dir_size) d.damage.push_back(dir_file + ": could not be read whole");
    if (!img_exists) {
        const fs::path expected = fs::path(dir_file).replace_extension(".img");
        d.data_file = expected.string();
        d.damage.push_back("no " + expected.filename().string() + " beside " + fs::path(dir_file).filename().string() +
                           ": no entry's bytes can be read");
    }
    return d;
}

}  // namespace

ArchiveDirectory parse_version2(const std::uint8_t* bytes, std::size_t size, std::uint64_t file_size) {
    ArchiveDirectory d;
    d.version = 2;
    d.data_size = file_size;
    if (size < 8) {
        d.damage.push_back("the header is cut short: no entry count");
        return d;
    }
    const std::uint32_t count = u32_at(bytes + 4);
    // Only the records the file holds are read: the count sizes nothing.
    const std::uint64_t present = (std::uint64_t(size) - 8) / record_bytes;
    if (count > present)
        d.damage.push_back("the directory promises " + entries_text(count) + " but the file holds " +
                           entries_text(present) + " whole; the rest are not read");
    const std::uint64_t n = count < present ? count : present;
    d.entries.reserve(static_cast<std::size_t>(n));
    for (std::uint64_t i = 0; i < n; ++i) {
        const std::uint8_t* r = bytes + 8 + i * record_bytes;
        ArchiveEntry e;
        e.record_offset = 8 + i * record_bytes;
        e.start = u32_at(r) * archive_sector;
        const std::uint16_t sectors = u16_at(r + 4), packed = u16_at(r + 6);
        e.length = std::uint64_t(sectors != 0 ? sectors : packed) * archive_sector;
        e.name = name_at(r + 8);
        check_entry(e, file_size);
        d.entries.push_back(std::move(e));
    }
    return d;
}

ArchiveDirectory parse_version1(const std::uint8_t* bytes, std::size_t size, std::uint64_t data_size) {
    ArchiveDirectory d;
    d.version = 1;
    d.data_size = data_size;
    if (size % record_bytes != 0)
        d.damage.push_back("the directory's length (" + bytes_text(size) + ") is no multiple of 32: the last " +
                           bytes_text(size % record_bytes) + " are not read");
    const std::size_t n = size / record_bytes;
    d.entries.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* r = bytes + i * record_bytes;
        ArchiveEntry e;
        e.record_offset = i * record_bytes;
        e.start = u32_at(r) * archive_sector;
        e.length = u32_at(r + 4) * archive_sector;
        e.name = name_at(r + 8);
        check_entry(e, data_size);
        d.entries.push_back(std::move(e));
    }
    return d;
}

ArchiveDirectory read_archive(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) return refusal(path, "a folder, not an archive");
    if (!fs::exists(status)) return refusal(path, "no such file");
    if (!fs::is_regular_file(status)) return refusal(path, "not a file");
    const std::string ext = lower_name(fs::path(path).extension().string());
    if (ext == ".dir") return read_version1(path, partner(path, ".img"));

    bool exists = false;
    const std::uint64_t size = size_of(path, exists);
    std::vector<std::uint8_t> head = read_head(path, 8);
    if (head.size() >= 4 && std::memcmp(head.data(), "VER2", 4) == 0) {
        std::uint64_t count = head.size() >= 8 ? u32_at(head.data() + 4) : 0;
        std::uint64_t wanted = 8 + count * record_bytes;
        // The count sizes no more than the file holds, nor more than any real directory.
        if (wanted > size) wanted = size;
        if (wanted > 8 + largest_directory) wanted = 8 + largest_directory;
        std::vector<std::uint8_t> bytes = read_head(path, static_cast<std::size_t>(wanted));
        ArchiveDirectory d = parse_version2(bytes.data(), bytes.size(), size);
        d.directory_file = d.data_file = path;
        return d;
    }
    if (std::string dir = partner(path, ".dir"); !dir.empty()) return read_version1(dir, path);
    if (size == 0) return refusal(path, "an empty file, not an archive");
    return refusal(path, what_it_is(head));
}

std::string read_archive_entry(const std::string& data_file, std::uint64_t start, std::uint64_t length,
                               std::vector<std::uint8_t>& bytes, std::uint64_t limit) {
    bytes.clear();
    if (length > limit) return "its length (" + bytes_text(length) + ") is more than can be read";
    std::FILE* f = open_binary(data_file);
    if (!f) return "cannot open " + data_file;
    std::string why;
    bytes.resize(static_cast<std::size_t>(length));
    if (!seek_to(f, start)) why = "cannot reach byte " + std::to_string(start) + " of " + data_file;
    else if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
        why = "cannot read " + bytes_text(length) + " at byte " + std::to_string(start) + " of " + data_file;
    std::fclose(f);
    if (!why.empty()) bytes.clear();
    return why;
}

std::uint64_t entry_content_length(const std::uint8_t* bytes, std::uint64_t size) {
    if (size < 12) return size;
    const std::uint64_t end = 12 + std::uint64_t(u32_at(bytes + 4));
    if (end >= size) return size;
    for (std::uint64_t i = end; i < size; ++i)
        if (bytes[i] != 0) return size;
    return end;
}

const char* archive_entry_kind(const std::string& name) {
    static const struct {
        const char* extension;
        const char* kind;
    } kinds[] = {{".dff", "model"},     {".txd", "texture dictionary"}, {".col", "collision"},
                 {".ipl", "placement"}, {".ifp", "animation"},          {".scm", "script"},
                 {".dat", "data"},      {".rrr", "recording"}};
    const std::size_t dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : lower_name(name.substr(dot));
    for (const auto& k : kinds)
        if (ext == k.extension) return k.kind;
    return "other";
}

std::string archive_directory_text(const ArchiveDirectory& d) {
    std::string text = "archive version " + std::to_string(d.version) + ", " + entries_text(d.entries.size()) +
                       ", data in " + d.data_file + " (" + bytes_text(d.data_size) + ")\n";
    for (const std::string& damage : d.damage) text += "damage: " + damage + "\n";
    for (std::size_t i = 0; i < d.entries.size(); ++i) {
        const ArchiveEntry& e = d.entries[i];
        text += std::to_string(i + 1) + " " + e.name + ": start " + std::to_string(e.start) + ", length " +
                std::to_string(e.length) + ", " + archive_entry_kind(e.name);
        if (!e.damage.empty()) text += ", damage at byte " + std::to_string(e.damage_offset) + ": " + e.damage;
        text += "\n";
    }
    return text;
}

bool has_archive_extension(const std::string& path) {
    const std::string ext = lower_name(fs::path(path).extension().string());
    return ext == ".img" || ext == ".dir";
}

std::string entry_base_name(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string entry_path(const std::string& archive, const std::string& name) {
#ifdef _WIN32
    return archive + "\\" + name;
#else
    return archive + "/" + name;
#endif
}
