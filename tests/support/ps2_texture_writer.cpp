#include "support/ps2_texture_writer.h"

#include "support/model_builder.h"

namespace {

bool indexed(const Ps2Texture& t) { return t.depth <= 8; }

struct Stored {
    std::uint32_t width, height;  // of level 0 as stored
};

Stored stored_size(const Ps2Texture& t) {
    if (t.swizzled) {
        const std::uint32_t least = t.depth == 4 ? 32 : 16;
        std::uint32_t w = (t.width + 15u) / 16 * 16, h = (t.height + 3u) / 4 * 4;
        return {w < least ? least : w, h};
    }
    const std::uint32_t least = t.depth <= 8 ? 8 : t.depth == 16 ? 4 : 2;
    return {t.width < least ? least : std::uint32_t(t.width), t.height};
}

// The graphics-memory order within each 16 x 4 tile, put in words: units of
// four texels, a unit's row is y without its bit 1, its column x without its
// bit 3 (x with bit 2 flipped in the rows whose bits 1 and 2 differ), and the
// lane within the unit is y's bit 1 plus twice x's bit 3.
std::uint32_t stored_at(std::uint32_t x, std::uint32_t y, std::uint32_t w) {
    const bool flip = ((y >> 1) & 1) != ((y >> 2) & 1);
    const std::uint32_t shifted = flip ? x ^ 4 : x;
    const std::uint32_t unit_row = (y >> 2) * 2 + (y & 1);
    const std::uint32_t unit_column = (shifted >> 4) * 8 + (shifted & 7);
    const std::uint32_t lane = ((y >> 1) & 1) + ((x >> 3) & 1) * 2;
    return unit_row * 2 * w + unit_column * 4 + lane;  // a unit row: w / 16 tiles of 8 units of 4 texels
}

void put_texel(std::vector<std::uint8_t>& level, unsigned depth, std::uint32_t n, std::uint32_t v) {
    switch (depth) {
    case 4: level[n / 2] = std::uint8_t(level[n / 2] | (v & 15) << (n % 2 * 4)); return;
    case 8: level[n] = std::uint8_t(v); return;
    default:
        for (unsigned i = 0; i < depth / 8; ++i) level[std::size_t(n) * (depth / 8) + i] = std::uint8_t(v >> (8 * i));
    }
}

std::vector<std::uint8_t> level0(const Ps2Texture& t, Stored s) {
    std::vector<std::uint8_t> level((std::size_t(s.width) * s.height * t.depth + 7) / 8);
    for (std::uint32_t y = 0; y < t.height; ++y)
        for (std::uint32_t x = 0; x < t.width; ++x)
            put_texel(level, t.depth, t.swizzled ? stored_at(x, y, s.width) : y * s.width + x,
                      t.texels[std::size_t(y) * t.width + x]);
    return level;
}

// An 8-bit palette holds colour i at i with bits 3 and 4 exchanged.
std::vector<std::uint8_t> palette(const Ps2Texture& t, unsigned& block_w, unsigned& block_h) {
    const unsigned size = t.colour_bits == 0x100 ? 2 : 4;
    const unsigned count = t.depth == 8 ? 256 : 8 * t.palette4_rows;
    block_w = t.depth == 8 ? 16 : 8, block_h = t.depth == 8 ? 16 : t.palette4_rows;
    std::vector<std::uint8_t> bytes(std::size_t(count) * size);
    for (unsigned at = 0; at < count; ++at) {
        const unsigned bit3 = (at >> 3) & 1, bit4 = (at >> 4) & 1;
        const unsigned index = t.depth == 8 ? (at & ~0x18u) | bit3 << 4 | bit4 << 3 : at;
        const std::uint32_t v = index < t.colours.size() ? t.colours[index] : 0;
        for (unsigned i = 0; i < size; ++i) bytes[std::size_t(at) * size + i] = std::uint8_t(v >> (8 * i));
    }
    return bytes;
}

void u64(ModelBuilder& m, std::uint64_t v) {
    m.u32(std::uint32_t(v));
    m.u32(std::uint32_t(v >> 32));
}

// GIF tag, TRXPOS, TRXREG, TRXDIR and the IMAGE tag of an upload of w x h and bytes.
void packet(ModelBuilder& m, std::uint32_t w, std::uint32_t h, std::size_t bytes) {
    u64(m, 0x1000000000000003ull), u64(m, 0xE);
    u64(m, 0), u64(m, 0x51);
    u64(m, std::uint64_t(h) << 32 | w), u64(m, 0x52);
    u64(m, 0), u64(m, 0x53);
    u64(m, 2ull << 58 | (bytes + 15) / 16), u64(m, 0);
}

void append_padded(ModelBuilder& m, const std::vector<std::uint8_t>& bytes, bool pad) {
    m.bytes.insert(m.bytes.end(), bytes.begin(), bytes.end());
    if (pad) m.fill((16 - bytes.size() % 16) % 16);
}

void string_chunk(ModelBuilder& m, const std::string& s) {
    const std::size_t c = m.begin_chunk(0x02);
    m.text(s);
    m.fill(4 - s.size() % 4);
    m.end_chunk(c);
}

}  // namespace

std::uint32_t ps2_format_word(const Ps2Texture& t) {
    std::uint32_t word = 4 | t.colour_bits;
    if (t.depth == 8) word |= 0x2000;
    if (t.depth == 4) word |= 0x4000;
    if (t.packets)
        word |= 0x20000;
    else if (t.swizzled)
        word |= 0x10000;
    return word;
}

std::vector<std::uint8_t> ps2_texture_body(const Ps2Texture& t, Ps2Offsets* offsets) {
    const Stored s = stored_size(t);
    const std::vector<std::uint8_t> level = level0(t, s);
    ModelBuilder pixels, clut;
    if (t.packets) {
        // Swizzled indices go up as texels of 32 (8-bit) or 16 bits (4-bit) at half width and height.
        if (t.swizzled)
            packet(pixels, s.width / 2, s.height / 2, level.size());
        else
            packet(pixels, s.width, s.height, level.size());
    }
    append_padded(pixels, level, t.packets);
    if (indexed(t)) {
        unsigned w = 0, h = 0;
        const std::vector<std::uint8_t> colours = palette(t, w, h);
        if (t.packets) packet(clut, w, h, colours.size());
        append_padded(clut, colours, t.packets);
    }

    ModelBuilder m;
    std::size_t first = m.begin_chunk(0x01);
    m.u32(0x00325350);
    m.u32(0x1102);
    m.end_chunk(first);
    string_chunk(m, t.name);
    string_chunk(m, t.mask);
    const std::size_t raster = m.begin_chunk(0x01);
    const std::size_t header = m.begin_chunk(0x01);
    const std::size_t header_at = m.size();
    m.u32(t.width), m.u32(t.height), m.u32(t.depth), m.u32(ps2_format_word(t));
    u64(m, 0);           // TEX0: nothing in it is read
    m.u32(0), m.u32(0);  // palette offset in memory, TEX1
    u64(m, 0x0040000400004000ull), u64(m, 0x0040000400004000ull);
    m.u32(std::uint32_t(pixels.size())), m.u32(std::uint32_t(clut.size()));
    m.u32(std::uint32_t((pixels.size() + clut.size()) / 4)), m.u32(0xFC0);
    m.end_chunk(header);
    const std::size_t data = m.begin_chunk(0x01);
    const std::size_t data_at = m.size();
    m.bytes.insert(m.bytes.end(), pixels.bytes.begin(), pixels.bytes.end());
    const std::size_t palette_at = m.size();
    m.bytes.insert(m.bytes.end(), clut.bytes.begin(), clut.bytes.end());
    m.end_chunk(data);
    m.end_chunk(raster);
    const std::size_t extension = m.begin_chunk(0x03);
    const std::size_t mipmap = m.begin_chunk(0x110);
    m.u32(0xFC0);
    m.end_chunk(mipmap);
    m.end_chunk(extension);
    if (offsets) *offsets = {header_at, data_at, palette_at};
    return m.bytes;
}
