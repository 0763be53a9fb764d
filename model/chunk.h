#pragma once
// The chunk layer shared by models and texture dictionaries: every piece of such
// a file is a 12-byte header (id, body size, library stamp) and a body.

#include <cstdint>
#include <string>

struct Chunk {
    std::uint32_t id = 0;
    std::uint32_t offset = 0;  // of the header, from the file's first byte
    std::uint32_t size = 0;    // of the body
    std::uint32_t stamp = 0;   // library stamp as stored
    std::uint32_t body() const { return offset + 12; }
    std::uint32_t end() const { return offset + 12 + size; }
};

// The format version a stamp stands for, unpacked (0x36003 for 3.6.0.3).
std::uint32_t unpack_version(std::uint32_t stamp);

// Reads the chunk header at offset, which must lie inside [0, limit) with its
// whole body, limit being the end of the parent's body or of the file.
// false when the header or the body would run past limit.
bool read_chunk(const std::uint8_t* bytes, std::uint32_t offset, std::uint32_t limit, Chunk& chunk);

// Finds the first child of parent with this id, searching the parent's body
// from offset from on; false when there is none or a child is damaged.
bool find_child(const std::uint8_t* bytes, const Chunk& parent, std::uint32_t id, Chunk& found,
                std::uint32_t from = 0);

// "3.6.0.3" for 0x36003.
const char* version_text(std::uint32_t version, char (&text)[16]);

// "0x1A4", for messages naming an offset or an id.
std::string hex(std::uint32_t value);
