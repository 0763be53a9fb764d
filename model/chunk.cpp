#include "model/chunk.h"

#include <cstdio>
#include <cstring>

#include "model/model.h"

float read_f32(const std::uint8_t* p) {
    std::uint32_t bits = read_u32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::uint32_t unpack_version(std::uint32_t stamp) {
    if (stamp & 0xFFFF0000u) return (((stamp >> 14) & 0x3FF00u) + 0x30000u) | ((stamp >> 16) & 0x3Fu);
    return stamp << 8;
}

bool read_chunk(const std::uint8_t* bytes, std::uint32_t offset, std::uint32_t limit, Chunk& chunk) {
    if (offset > limit || limit - offset < 12) return false;
    chunk.id = read_u32(bytes + offset);
    chunk.size = read_u32(bytes + offset + 4);
    chunk.stamp = read_u32(bytes + offset + 8);
    chunk.offset = offset;
    return chunk.size <= limit - offset - 12;
}

bool find_child(const std::uint8_t* bytes, const Chunk& parent, std::uint32_t id, Chunk& found,
                std::uint32_t from) {
    std::uint32_t at = from > parent.body() ? from : parent.body();
    Chunk child;
    while (read_chunk(bytes, at, parent.end(), child)) {
        if (child.id == id) {
            found = child;
            return true;
        }
        at = child.end();
    }
    return false;
}

const char* version_text(std::uint32_t version, char (&text)[16]) {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (version >> 16) & 0xF, (version >> 12) & 0xF,
                  (version >> 8) & 0xF, version & 0xFF);
    return text;
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}
