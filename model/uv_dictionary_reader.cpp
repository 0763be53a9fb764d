// The UV animation dictionary that may stand before a model's clump: its
// animations, each named in its chunk's body. Nothing of it is converted.
#include "model/reading.h"

namespace {

// An animation's body: version, type, key frame count, flags, duration, a
// word the type leaves unused, then the name in 32 NUL-padded bytes.
constexpr std::uint32_t name_at = 24, name_room = 32;

// Up to the first NUL; a name with bytes outside printable ASCII is no name.
std::string animation_name(const Reading& r, const Chunk& c) {
    if (c.size < name_at + name_room) return "";
    const std::uint8_t* p = r.bytes + c.body() + name_at;
    std::string name;
    for (std::uint32_t i = 0; i < name_room && p[i] != 0; ++i) {
        if (p[i] < 0x20 || p[i] > 0x7E) return "";
        name += static_cast<char>(p[i]);
    }
    return name;
}

}  // namespace

void read_uv_dictionary(Reading& r, const Chunk& dictionary, std::vector<UvAnimation>& animations) {
    for (const Chunk& c : read_children(r, dictionary))
        if (c.id == chunk_id::animation) animations.push_back({c.offset, animation_name(r, c)});
}
