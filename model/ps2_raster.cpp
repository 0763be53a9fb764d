#include "model/ps2_raster.h"

#include <cstdio>

#include "model/pixel_formats.h"

namespace {

constexpr std::uint32_t raster_struct_id = 0x01, raster_string_id = 0x02;
constexpr std::uint32_t raster_header_bytes = 64;
constexpr std::uint32_t packet_bytes = 0x50;  // the upload's GIF packet before each level and the palette
constexpr std::uint32_t largest_raster_side = 4096;

// Format word bits.
constexpr std::uint32_t palette8_bit = 0x2000, palette4_bit = 0x4000, mipmap_bit = 0x8000;
constexpr std::uint32_t swizzled_bit = 0x10000, packets_bit = 0x20000;

std::string text_of(const char* format, std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0, std::uint32_t d = 0,
                    std::uint32_t e = 0) {
    char text[200];
    std::snprintf(text, sizeof text, format, a, b, c, d, e);
    return text;
}

std::uint32_t align16(std::uint64_t n) { return static_cast<std::uint32_t>((n + 15) / 16 * 16); }

// Bytes of w x h texels of depth bits, whole bytes.
std::uint64_t texel_bytes(std::uint32_t w, std::uint32_t h, unsigned depth) {
    return (std::uint64_t(w) * h * depth + 7) / 8;
}

bool fail(Finding& problem, std::uint32_t offset, std::string text) {
    problem = {offset, std::move(text), true};
    return false;
}

// Up to the first NUL, bounded by the chunk.
std::string chunk_string(const std::uint8_t* bytes, const Chunk& c) {
    std::uint32_t n = 0;
    while (n < c.size && bytes[c.body() + n]) ++n;
    return std::string(reinterpret_cast<const char*>(bytes + c.body()), n);
}

bool next_child(const std::uint8_t* bytes, std::uint32_t& at, const Chunk& parent, std::uint32_t id, Chunk& c) {
    if (!read_chunk(bytes, at, parent.end(), c) || c.id != id) return false;
    at = c.end();
    return true;
}

// The colour layout and the format the raster's format word and depth make; false when unknown.
bool resolve(DictionaryTexture& t) {
    const std::uint32_t word = t.raster_format;
    const unsigned bits = (word >> 8) & 0xF;
    const bool pal8 = word & palette8_bit, pal4 = word & palette4_bit;
    if (pal8 || pal4) {
        if (pal8 == pal4 || t.depth != (pal8 ? 8 : 4)) return false;
        // 4-bit indices swizzled without packets: their stored width is not settled.
        if (pal4 && (word & (swizzled_bit | packets_bit)) == swizzled_bit) return false;
        t.format = pal8 ? PixelFormat::palette8 : PixelFormat::palette4;
        t.palette_format = bits == 0x5   ? PixelFormat::ps2_rgba8888
                           : bits == 0x1 ? PixelFormat::ps2_rgba5551
                                         : PixelFormat::unknown;
        return t.palette_format != PixelFormat::unknown;
    }
    switch (bits) {
    case 0x5: t.format = PixelFormat::ps2_rgba8888; return t.depth == 32;
    case 0x6: t.format = PixelFormat::ps2_rgb888; return t.depth == 32;
    case 0x1: t.format = PixelFormat::ps2_rgba5551; return t.depth == 16;
    case 0xA: t.format = PixelFormat::ps2_rgb555; return t.depth == 16;
    default: return false;
    }
}

bool indexed(const DictionaryTexture& t) {
    return t.format == PixelFormat::palette8 || t.format == PixelFormat::palette4;
}

// Unswizzled levels are stored at least this size.
std::uint32_t least_width(unsigned depth) { return depth <= 8 ? 8 : depth == 16 ? 4 : 2; }

// Level 0 after its packet: its upload size and byte count tell its stored
// size and whether its indices are swizzled.
bool level_from_packet(const std::uint8_t* bytes, std::uint32_t at, std::uint32_t pixels, DictionaryTexture& t,
                       Finding& problem) {
    if (pixels < packet_bytes)
        return fail(problem, at,
                    text_of("level 0's upload packet needs %u bytes, the pixels are %u", packet_bytes, pixels));
    const std::uint32_t upload_w = read_u32(bytes + at + 0x20) & 0xFFF, upload_h = read_u32(bytes + at + 0x24) & 0xFFF;
    const std::uint32_t length = (read_u32(bytes + at + 0x40) & 0x7FFF) * 16;
    if (length > pixels - packet_bytes)
        return fail(problem, at + 0x40, text_of("level 0 claims %u bytes, %u present", length, pixels - packet_bytes));
    // Swizzled indices go up as 32-bit (8-bit indices) or 16-bit (4-bit) texels of
    // half width and height, whole 16 x 4 tiles: sizes no unswizzled upload has.
    const unsigned upload_depth = t.depth == 8 ? 32 : 16;
    if (indexed(t) && upload_w && upload_h && upload_w % 8 == 0 && upload_h % 2 == 0 &&
        length == texel_bytes(upload_w, upload_h, upload_depth)) {
        t.swizzled = true;
        t.stored_width = static_cast<std::uint16_t>(2 * upload_w);
        t.stored_height = static_cast<std::uint16_t>(2 * upload_h);
    } else if (upload_w && upload_h && length == align16(texel_bytes(upload_w, upload_h, t.depth))) {
        t.stored_width = static_cast<std::uint16_t>(upload_w), t.stored_height = static_cast<std::uint16_t>(upload_h);
    } else {
        return fail(problem, at + 0x20,
                    text_of("level 0's upload of %u x %u does not match its %u bytes at depth %u", upload_w, upload_h,
                            length, t.depth));
    }
    if (t.stored_width < t.width || t.stored_height < t.height)
        return fail(problem, at + 0x20,
                    text_of("level 0 is stored as %u x %u, which does not fit %u x %u", t.stored_width, t.stored_height,
                            t.width, t.height));
    t.level0 = {bytes + at + packet_bytes,
                static_cast<std::uint32_t>(texel_bytes(t.stored_width, t.stored_height, t.depth))};
    t.level0_offset = at + packet_bytes;
    return true;
}

// Level 0 without a packet: back to back from the data's start, 8-bit indices
// swizzled when the format says so.
bool level_without_packet(const std::uint8_t* bytes, std::uint32_t at, std::uint32_t pixels, DictionaryTexture& t,
                          Finding& problem) {
    t.swizzled = indexed(t) && (t.raster_format & swizzled_bit);
    std::uint32_t w = t.width, h = t.height;
    if (t.swizzled) {
        w = (w + 15) / 16 * 16, h = (h + 3) / 4 * 4;
    } else if (w < least_width(t.depth)) {
        w = least_width(t.depth);
    }
    t.stored_width = static_cast<std::uint16_t>(w), t.stored_height = static_cast<std::uint16_t>(h);
    const std::uint64_t needed = texel_bytes(w, h, t.depth);
    if (needed > pixels)
        return fail(problem, at,
                    text_of("level 0 of %u x %u at depth %u needs %u bytes, the pixels are %u", w, h, t.depth,
                            static_cast<std::uint32_t>(needed), pixels));
    t.level0 = {bytes + at, static_cast<std::uint32_t>(needed)};
    t.level0_offset = at;
    return true;
}

bool sixteen_bits(PixelFormat f) { return f == PixelFormat::ps2_rgba5551 || f == PixelFormat::ps2_rgb555; }

std::uint32_t colour_bytes(PixelFormat f) { return sixteen_bits(f) ? 2 : 4; }

// Bits a texel of a PS2 format takes; 0 for the others.
unsigned depth_of(PixelFormat f) {
    switch (f) {
    case PixelFormat::palette4: return 4;
    case PixelFormat::palette8: return 8;
    case PixelFormat::ps2_rgba5551:
    case PixelFormat::ps2_rgb555: return 16;
    case PixelFormat::ps2_rgba8888:
    case PixelFormat::ps2_rgb888: return 32;
    default: return 0;
    }
}

bool read_palette(const std::uint8_t* bytes, std::uint32_t at, std::uint32_t size, DictionaryTexture& t,
                  Finding& problem) {
    const std::uint32_t colours = t.format == PixelFormat::palette8 ? 256 : 16;
    const std::uint32_t needed = colours * colour_bytes(t.palette_format);
    const std::uint32_t skip = (t.raster_format & packets_bit) ? packet_bytes : 0;
    if (size < skip + needed)
        return fail(problem, at,
                    text_of("the palette holds %u bytes, %u colours need %u", size, colours, skip + needed));
    t.palette = {bytes + at + skip, colours};
    return true;
}

void decode_colour(PixelFormat f, const std::uint8_t* p, std::uint8_t* rgba) {
    if (sixteen_bits(f)) {
        const unsigned v = read_u16(p);
        rgba[0] = widen5(v & 31), rgba[1] = widen5((v >> 5) & 31), rgba[2] = widen5((v >> 10) & 31);
        rgba[3] = (f == PixelFormat::ps2_rgb555 || (v & 0x8000)) ? 255 : 0;
        return;
    }
    rgba[0] = p[0], rgba[1] = p[1], rgba[2] = p[2];
    rgba[3] = f == PixelFormat::ps2_rgba8888 ? ps2_alpha(p[3]) : 255;
}

// 8-bit palettes are stored with colours 8-15 and 16-23 of every 32 exchanged.
unsigned csm1_position(unsigned i) { return (i & ~0x18u) | ((i & 0x08u) << 1) | ((i & 0x10u) >> 1); }

}  // namespace

std::uint8_t ps2_alpha(std::uint8_t a) {
    return a >= 0x80 ? 255 : static_cast<std::uint8_t>((unsigned(a) * 255 + 64) / 128);
}

std::uint32_t ps2_swizzled_offset(std::uint32_t x, std::uint32_t y, std::uint32_t w) {
    const std::uint32_t xs = (((y >> 1) ^ (y >> 2)) & 1) ? x ^ 4 : x;
    return (2 * (y >> 2) + (y & 1)) * 2 * w + 4 * ((xs & 7) + 8 * (xs >> 4)) + ((y >> 1) & 1) + 2 * ((x >> 3) & 1);
}

bool read_ps2_texture(const std::uint8_t* bytes, const Chunk& texture, const Chunk& first, DictionaryTexture& t,
                      Finding& problem) {
    std::uint32_t at = first.end();
    Chunk name, mask, raster, header, data;
    if (!next_child(bytes, at, texture, raster_string_id, name)) return fail(problem, at, "no name string after the Struct");
    t.name = chunk_string(bytes, name);
    if (!next_child(bytes, at, texture, raster_string_id, mask)) return fail(problem, at, "no mask string after the name");
    t.mask = chunk_string(bytes, mask);
    if (!next_child(bytes, at, texture, raster_struct_id, raster))
        return fail(problem, at, "no raster Struct after the names");
    at = raster.body();
    if (!next_child(bytes, at, raster, raster_struct_id, header) || header.size < raster_header_bytes)
        return fail(problem, raster.body(), "the raster has no whole header Struct of 64 bytes");
    if (!next_child(bytes, at, raster, raster_struct_id, data)) return fail(problem, at, "the raster has no data Struct");

    const std::uint8_t* h = bytes + header.body();
    const std::uint32_t width = read_u32(h), height = read_u32(h + 4), depth = read_u32(h + 8);
    t.raster_format = read_u32(h + 12);
    if (width == 0 || height == 0 || width > largest_raster_side || height > largest_raster_side)
        return fail(problem, header.body(), text_of("size %u x %u is outside 1 to 4096", width, height));
    t.width = static_cast<std::uint16_t>(width), t.height = static_cast<std::uint16_t>(height);
    t.depth = static_cast<std::uint8_t>(depth > 255 ? 255 : depth);
    if (!resolve(t))
        return fail(problem, header.body() + 8,
                    text_of("platform PS2, raster format 0x%X at depth %u: a layout this reader does not know",
                            t.raster_format, depth));
    t.level_count = static_cast<std::uint8_t>((t.raster_format & mipmap_bit) ? ((read_u32(h + 28) >> 2) & 7) + 1 : 1);
    const std::uint32_t pixels = read_u32(h + 48), palette = read_u32(h + 52);
    if (std::uint64_t(pixels) + palette > data.size)
        return fail(problem, data.body(),
                    text_of("the raster holds %u bytes, its header promises %u of pixels and %u of palette", data.size,
                            pixels, palette));
    const bool levelled = (t.raster_format & packets_bit)
                              ? level_from_packet(bytes, data.body(), pixels, t, problem)
                              : level_without_packet(bytes, data.body(), pixels, t, problem);
    if (!levelled) return false;
    return !indexed(t) || read_palette(bytes, data.body() + pixels, palette, t, problem);
}

bool decode_ps2_texture(const DictionaryTexture& t, std::vector<std::uint8_t>& rgba, std::string& why) {
    rgba.clear();
    const bool pal = indexed(t);
    const std::uint32_t w = t.stored_width, h = t.stored_height, colours = t.format == PixelFormat::palette8 ? 256 : 16;
    // The reader checks these; a DictionaryTexture built elsewhere may not be.
    if (w < t.width || h < t.height || t.width == 0 || t.height == 0 || !t.level0.data ||
        t.level0.count < texel_bytes(w, h, t.depth) || depth_of(t.format) == 0 || t.depth != depth_of(t.format) ||
        (t.swizzled && (!pal || w % 16 || h % 4))) {
        why = text_of("level 0 is missing or does not hold %u x %u texels of depth %u", w, h, t.depth);
        return false;
    }
    if (pal && (!t.palette.data || t.palette.count < colours)) {
        why = "palette missing or short";
        return false;
    }
    std::uint8_t table[256][4];
    if (pal) {
        const std::uint32_t size = colour_bytes(t.palette_format);
        for (unsigned i = 0; i < colours; ++i)
            decode_colour(t.palette_format, t.palette.data + (colours == 256 ? csm1_position(i) : i) * size, table[i]);
    }
    rgba.resize(std::size_t(t.width) * t.height * 4);
    const std::uint8_t* src = t.level0.data;
    std::uint8_t* out = rgba.data();
    for (std::uint32_t y = 0; y < t.height; ++y) {
        for (std::uint32_t x = 0; x < t.width; ++x, out += 4) {
            const std::uint32_t n = t.swizzled ? ps2_swizzled_offset(x, y, w) : y * w + x;
            if (!pal) {
                decode_colour(t.format, src + std::size_t(n) * (t.depth / 8), out);
                continue;
            }
            const std::uint8_t* c = table[t.depth == 8 ? src[n] : (src[n / 2] >> (n & 1 ? 4 : 0)) & 15];
            out[0] = c[0], out[1] = c[1], out[2] = c[2], out[3] = c[3];
        }
    }
    return true;
}
