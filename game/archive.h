#pragma once
// The game's archives (.img): many models and texture dictionaries in one
// file. Version 1 keeps its directory in NAME.dir beside NAME.img; version 2
// starts with "VER2" and its directory. Only the directory is read whole; an
// entry's bytes are read by offset when asked for, so memory stays at the
// largest entry whatever the archive's size.

#include <cstdint>
#include <string>
#include <vector>

constexpr std::uint64_t archive_sector = 2048;
constexpr std::size_t archive_name_bytes = 24;

struct ArchiveEntry {
    std::string name;                // the stored bytes up to the first NUL, at most 24
    std::uint64_t start = 0;         // in bytes from the start of the data file
    std::uint64_t length = 0;        // in bytes, whole sectors
    std::uint64_t record_offset = 0; // where its directory record lies, in the directory file
    std::string damage;              // why its bytes cannot be had whole; empty when they can
    std::uint64_t damage_offset = 0; // the offset the damage is found at (in the data file, or the record's)
};

struct ArchiveDirectory {
    int version = 0;              // 1 or 2; 0 when refused
    std::string refused;          // not an archive of either version: what it is, one line
    std::string directory_file;   // the file the directory was read from
    std::string data_file;        // the file the entries' bytes lie in
    std::uint64_t data_size = 0;  // its size in bytes; 0 when missing
    std::vector<ArchiveEntry> entries;  // in directory order, damaged ones included
    std::vector<std::string> damage;    // damage of the directory as a whole, one line each
};

// Parses a version 2 archive's first bytes (the header and as much of the
// directory as present); file_size is the whole file's.
ArchiveDirectory parse_version2(const std::uint8_t* bytes, std::size_t size, std::uint64_t file_size);

// Parses a version 1 directory (.dir bytes); data_size is the .img file's size,
// 0 when there is none.
ArchiveDirectory parse_version1(const std::uint8_t* bytes, std::size_t size, std::uint64_t data_size);

// Reads the archive named by path: NAME.img of version 2, or either file of a
// version 1 pair. Refuses (refused set) a folder, a missing file, a later
// version and other formats.
ArchiveDirectory read_archive(const std::string& path);

// Reads one entry's bytes (at most limit) from the data file by offset. Empty
// on success, else the reason.
std::string read_archive_entry(const std::string& data_file, std::uint64_t start, std::uint64_t length,
                               std::vector<std::uint8_t>& bytes, std::uint64_t limit = std::uint64_t(1) << 30);

// An entry's bytes without the zeros that pad it to whole sectors: the end of
// its first chunk (12-byte header, size at byte 4) when only zeros follow it;
// else all size bytes.
std::uint64_t entry_content_length(const std::uint8_t* bytes, std::uint64_t size);

// What an entry is by its extension, without case: "model", "texture dictionary",
// "collision", "placement", "animation", "script", "data", "recording", "other".
const char* archive_entry_kind(const std::string& name);

// The directory as text: a line for the archive, one per damage of the
// directory, then one per entry (number, name, start, length, kind, damage).
std::string archive_directory_text(const ArchiveDirectory& directory);

// true for NAME.img and NAME.dir (any case): the names an archive goes by.
bool has_archive_extension(const std::string& path);

// How an entry is named in messages: ARCHIVE/ENTRY, with the system's separator.
std::string entry_path(const std::string& archive, const std::string& name);

// The name without its last extension ("infernus.dff" gives "infernus").
std::string entry_base_name(const std::string& name);
