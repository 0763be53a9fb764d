#pragma once
// Lays out the game's archives from tables of entries, for the tests and the
// batch generator: version 2 (one .img starting with VER2) or version 1 (the
// .dir bytes and the .img bytes), with each kind of damage a reader must survive.

#include <cstdint>
#include <string>
#include <vector>

struct ArchiveEntryLayout {
    std::string name;                 // written into the 24 name bytes, cut at 24
    std::vector<std::uint8_t> bytes;  // padded with zeros to whole sectors
    // Damage: a stored start or length other than where the bytes are (in sectors).
    std::int64_t start_sectors = -1;  // -1: where the bytes are placed
    std::int64_t length_sectors = -1; // -1: the bytes' length
    std::uint8_t name_padding = 0;    // what fills the name bytes after its NUL
};

struct ArchiveLayout {
    std::vector<ArchiveEntryLayout> entries;
    std::int64_t stored_count = -1;   // version 2: the count as stored; -1: entries.size()
    std::size_t cut_to = 0;           // when > 0, the archive (version 1: the .img) is cut to this many bytes
};

// One version 2 archive file.
std::vector<std::uint8_t> build_version2(const ArchiveLayout& layout);

struct Version1Files {
    std::vector<std::uint8_t> directory, data;
};
// The .dir and .img bytes of a version 1 pair.
Version1Files build_version1(const ArchiveLayout& layout);
