// The UV animation dictionary that may stand before a model's clump: a Struct
// with the animation count, then one animation chunk each. An animation is a
// fixed head (version, interpolator, key count, flags, duration, an unused
// word, the name, the UV set of each of up to 8 nodes) and 32 bytes a key.
#include <cmath>

#include "model/reading.h"

namespace {

constexpr std::uint32_t name_at = 24, name_room = 32, channels_at = 56, keys_at = 88, key_size = 32;
constexpr std::uint32_t most_animations = 8;

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

float finite_or_0(float v) { return std::isfinite(v) ? v : 0.0f; }

// Keys 0 .. n - 1 start the n nodes, n being the first later key that follows
// key 0; every later key belongs to its previous key's node. The first keys'
// previous indices are garbage in real files and are not looked at.
void assign_nodes(Reading& r, UvAnimation& a) {
    const std::size_t count = a.keys.size();
    std::size_t n = count;
    for (std::size_t k = 1; k < count; ++k)
        if (a.keys[k].previous == 0) {
            n = k;
            break;
        }
    a.node_count = static_cast<std::uint32_t>(n);
    a.key_node.assign(count, -1);
    std::uint32_t lost = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (k < n) {
            a.key_node[k] = static_cast<std::int32_t>(k);
            continue;
        }
        const std::int32_t p = a.keys[k].previous;
        if (p >= 0 && static_cast<std::size_t>(p) < k && a.key_node[static_cast<std::size_t>(p)] >= 0)
            a.key_node[k] = a.key_node[static_cast<std::size_t>(p)];
        else ++lost;
    }
    if (lost)
        r.note(a.offset, "UV animation \"" + a.name + "\": " + std::to_string(lost) +
                             " keys name a previous key that is not there: skipped");
}

void read_animation(Reading& r, const Chunk& c, UvAnimation& a) {
    a.offset = c.offset;
    a.name = animation_name(r, c);
    if (c.size < keys_at) {
        r.note(c.offset, "UV animation of " + std::to_string(c.size) + " bytes, too few for its head: no keys");
        return;
    }
    const std::uint8_t* p = r.bytes + c.body();
    a.interpolator = read_u32(p + 4);
    const std::uint32_t keys = read_u32(p + 8);
    a.duration = finite_or_0(read_f32(p + 16));
    for (int i = 0; i < 8; ++i) a.channels[i] = static_cast<std::int32_t>(read_u32(p + channels_at + 4 * i));
    if (std::uint64_t(keys) * key_size != c.size - keys_at) {
        r.note(c.offset, "UV animation \"" + a.name + "\" promises " + std::to_string(keys) + " keys in " +
                             std::to_string(c.size - keys_at) + " bytes: no keys");
        return;
    }
    if (a.interpolator != uv_interpolator::linear && a.interpolator != uv_interpolator::param) {
        r.note(c.offset, "UV animation \"" + a.name + "\" of unknown interpolator " + hex(a.interpolator) + ": no keys");
        return;
    }
    a.keys.resize(keys);
    for (std::uint32_t k = 0; k < keys; ++k) {
        const std::uint8_t* key = p + keys_at + key_size * k;
        a.keys[k].time = finite_or_0(read_f32(key));
        for (int v = 0; v < 6; ++v) a.keys[k].values[v] = finite_or_0(read_f32(key + 4 + 4 * v));
        a.keys[k].previous = static_cast<std::int32_t>(read_u32(key + 28));
    }
    assign_nodes(r, a);
}

}  // namespace

void read_uv_dictionary(Reading& r, const Chunk& dictionary, std::vector<UvAnimation>& animations) {
    std::uint32_t promised = 0, held = 0;
    bool counted = false;
    for (const Chunk& c : read_children(r, dictionary)) {
        if (c.id == chunk_id::struct_data && !counted && c.size >= 4) {
            promised = read_u32(r.bytes + c.body());
            counted = true;
        }
        if (c.id != chunk_id::animation) continue;
        ++held;
        if (counted && held > promised) continue;  // past the dictionary's count
        animations.emplace_back();
        read_animation(r, c, animations.back());
    }
    if (counted && (promised != held || promised > most_animations))
        r.note(dictionary.offset, "UV animation dictionary promises " + std::to_string(promised) +
                                      " animations and holds " + std::to_string(held));
}
