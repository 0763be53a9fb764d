#pragma once
// Where a file's bytes are: a file named or found, or an entry of an archive.
// Models, dictionaries, placement files and item definitions all come from
// one of these, read by one function under a size limit given by the caller.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct ArchiveDirectory;
struct ArchiveEntry;

struct FileSource {
    std::filesystem::path file;           // the file, or the archive's data file; empty when none holds it
    bool in_archive = false;
    std::uint64_t start = 0, length = 0;  // the entry's bytes in the archive
    std::string shown;                    // how messages name it: the file as named, or ARCHIVE/ENTRY
    std::string damage;                   // an archive entry's, why its bytes cannot be had; empty when they can

    bool found() const { return !file.empty(); }
};

// A file as a source, named as given.
FileSource file_source(const std::filesystem::path& file);
// An archive's entry, shown as ARCHIVE/ENTRY, its damage with it.
FileSource entry_source(const std::string& archive, const ArchiveDirectory& directory, const ArchiveEntry& entry);

// Why a source's bytes cannot be had; each caller words it for its own lines.
struct SourceFailure {
    enum class Reason {
        none,
        missing,       // no such file
        not_a_file,    // a folder, a device
        size_unknown,  // the file's size cannot be had (detail: the system's words)
        too_large,     // more than the limit (size: how many bytes)
        unreadable,    // the bytes cannot be read (detail: an archive's words, empty for a file)
        damaged,       // an archive entry's damage (detail)
    };
    Reason reason = Reason::none;
    std::uint64_t size = 0;
    std::string detail;

    explicit operator bool() const { return reason != Reason::none; }
};

// The source's bytes, at most limit, as stored: an archive entry keeps the
// zeros padding it to whole sectors (see entry_content_length). An empty file
// is read, empty.
SourceFailure read_source(const FileSource& source, std::uint64_t limit, std::vector<std::uint8_t>& bytes);

// Text files the game's data and item definitions are read from are some
// hundred kilobytes; this is far above any.
constexpr std::uint64_t largest_text_file = std::uint64_t(64) << 20;

// A text file read whole, at most largest_text_file bytes. Empty with the text
// read, else the reason ("no such file", "larger than 64 MB", ...).
std::string read_text_file(const std::filesystem::path& path, std::string& text);

// path made absolute against the current folder as the shell names it, without
// resolving links; "." parts and doubled separators are dropped.
std::string absolute_path(const std::string& path);
