#include "model/texture_dictionary.h"

#include <cstdio>

#include "model/chunk.h"
#include "model/pixel_formats.h"
#include "model/ps2_raster.h"

namespace {

constexpr std::uint32_t struct_id = 0x01, extension_id = 0x03, texture_id = 0x15, dictionary_id = 0x16;
constexpr std::uint32_t header_bytes = 88;  // the texture Struct's fields before the palette
constexpr std::uint32_t name_bytes = 32;
constexpr std::uint32_t largest_side = 8192;

std::string format_text(const char* format, std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

struct Reader {
    const std::uint8_t* bytes;
    std::uint32_t size;
    TextureDictionary& out;

    void find(std::uint32_t offset, std::string text, bool doubtful = true) {
        out.findings.push_back({offset, std::move(text), doubtful});
    }
    void find_texture(std::uint32_t offset, const DictionaryTexture& t, const std::string& text) {
        find(offset, "texture '" + t.name + "': " + text + "; texture left out");
    }
};

// Up to the first NUL of a fixed-size field.
std::string fixed_name(const std::uint8_t* p) {
    std::uint32_t n = 0;
    while (n < name_bytes && p[n]) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

PixelFormat raster_pixel_format(std::uint32_t raster) {
    switch ((raster >> 8) & 0xF) {
    case 0x1: return PixelFormat::a1r5g5b5;
    case 0x2: return PixelFormat::r5g6b5;
    case 0x3: return PixelFormat::a4r4g4b4;
    case 0x4: return PixelFormat::grey8;
    case 0x5: return PixelFormat::a8r8g8b8;
    case 0x6: return PixelFormat::x8r8g8b8;
    case 0xA: return PixelFormat::x1r5g5b5;
    default: return PixelFormat::unknown;
    }
}

// DXT2 and DXT4 share the blocks of DXT3 and DXT5.
PixelFormat block_format(unsigned n) {
    if (n == 1) return PixelFormat::dxt1;
    if (n == 2 || n == 3) return PixelFormat::dxt3;
    if (n == 4 || n == 5) return PixelFormat::dxt5;
    return PixelFormat::unknown;
}

PixelFormat palette_or_raster(std::uint32_t raster) {
    if (raster & 0x2000) return PixelFormat::palette8;
    if (raster & 0x4000) return PixelFormat::palette4;
    return raster_pixel_format(raster);
}

// Platform 9 names the format by number or FourCC, platform 8 by the
// raster bits and the compression byte.
void resolve_format(DictionaryTexture& t, std::uint8_t last_byte) {
    if (t.platform == 8) {
        t.alpha = t.format_code != 0;
        t.compression = last_byte;
        t.format = last_byte ? block_format(last_byte) : palette_or_raster(t.raster_format);
        return;
    }
    t.alpha = last_byte & 1;
    const std::uint32_t code = t.format_code;
    if ((code & 0x00FFFFFF) == 0x00545844 && (code >> 24) >= '1' && (code >> 24) <= '5') {  // "DXTn"
        t.compression = static_cast<std::uint8_t>((code >> 24) - '0');
        t.format = block_format(t.compression);
        return;
    }
    // The palette flags decide the layout whatever the number says.
    if (t.raster_format & 0x6000) {
        t.format = palette_or_raster(t.raster_format);
        return;
    }
    switch (code) {
    case 21: t.format = PixelFormat::a8r8g8b8; return;
    case 22: t.format = PixelFormat::x8r8g8b8; return;
    case 23: t.format = PixelFormat::r5g6b5; return;
    case 25: t.format = PixelFormat::a1r5g5b5; return;
    case 26: t.format = PixelFormat::a4r4g4b4; return;
    case 50: t.format = PixelFormat::grey8; return;
    default: t.format = palette_or_raster(t.raster_format); return;
    }
}

// The palette and the levels after the fixed fields; false when level 0 is unusable.
bool read_levels(Reader& r, DictionaryTexture& t, const Chunk& s) {
    std::uint32_t at = s.body() + header_bytes;
    const std::uint32_t end = s.end();
    const std::uint32_t colours = t.format == PixelFormat::palette8 ? 256 : t.format == PixelFormat::palette4 ? 32 : 0;
    if (colours) {
        if (end - at < colours * 4) {
            r.find_texture(at, t, format_text("the palette of %u colours runs past the texture's end", colours));
            return false;
        }
        t.palette = {r.bytes + at, colours};
        at += colours * 4;
    }
    if (t.level_count == 0) {
        r.find_texture(at, t, "no levels");
        return false;
    }
    const std::uint64_t needed = level_bytes(t.format, t.width, t.height);
    for (unsigned level = 0; level < t.level_count; ++level) {
        if (end - at < 4) {
            r.find_texture(at, t, format_text("level %u's size runs past the texture's end", level));
            return level > 0;
        }
        const std::uint32_t bytes = read_u32(r.bytes + at);
        if (bytes > end - at - 4) {
            r.find_texture(at, t, format_text("level %u claims %u bytes, %u present", level, bytes, end - at - 4));
            return level > 0;
        }
        if (level == 0) {
            if (bytes < needed) {
                r.find_texture(at, t, format_text("level 0 holds %u bytes, %u x %u needs ", bytes, t.width, t.height) +
                                          std::to_string(needed));
                return false;
            }
            t.level0 = {r.bytes + at + 4, bytes};
            t.level0_offset = at + 4;
        }
        at += 4 + bytes;
    }
    return true;
}

void read_texture(Reader& r, const Chunk& chunk) {
    DictionaryTexture t;
    t.offset = chunk.offset;
    Chunk s;
    const bool found = find_child(r.bytes, chunk, struct_id, s) && s.size >= 4;
    t.platform = found ? read_u32(r.bytes + s.body()) : 0;
    if (found && t.platform == ps2_platform) {
        Finding problem;
        if (read_ps2_texture(r.bytes, chunk, s, t, problem)) r.out.textures.push_back(std::move(t));
        else r.find_texture(problem.offset, t, problem.text);
        return;
    }
    if (!found || s.size < header_bytes) {
        r.find(chunk.offset, "texture chunk without a whole Struct of 88 bytes; texture left out");
        return;
    }
    const std::uint8_t* p = r.bytes + s.body();
    t.name = fixed_name(p + 8);
    t.mask = fixed_name(p + 8 + name_bytes);
    t.raster_format = read_u32(p + 72);
    if (t.platform != 8 && t.platform != 9) {
        // The other layouts keep platform, filter, names and raster format where the PC ones do.
        r.find_texture(s.body(), t,
                       format_text("platform %u (0x%X), raster format 0x%X: not one of the layouts read (8, 9 and PS2)",
                                   t.platform, t.platform, t.raster_format));
        return;
    }
    t.format_code = read_u32(p + 76);
    t.width = read_u16(p + 80);
    t.height = read_u16(p + 82);
    t.depth = p[84];
    t.level_count = p[85];
    resolve_format(t, p[87]);
    if (t.width == 0 || t.height == 0 || t.width > largest_side || t.height > largest_side) {
        r.find_texture(s.body() + 80, t, format_text("size %u x %u is outside 1 to 8192", t.width, t.height));
        return;
    }
    if (t.format == PixelFormat::unknown) {
        r.find_texture(s.body() + 72, t, format_text("unknown pixel format (raster format 0x%X, format 0x%X, byte %u)",
                                                     t.raster_format, t.format_code, p[87]));
        return;
    }
    if (read_levels(r, t, s)) r.out.textures.push_back(std::move(t));
}

// After the dictionary: zero padding, empty Extensions and other chunks,
// which are told of but not read.
void read_trailer(Reader& r, std::uint32_t at) {
    std::uint32_t data_end = r.size;  // past the last non-zero byte
    while (data_end > at && r.bytes[data_end - 1] == 0) --data_end;
    Chunk c;
    while (at < data_end) {
        if (!read_chunk(r.bytes, at, r.size, c)) {
            r.find(at, format_text("%u bytes after the dictionary not read", r.size - at), false);
            return;
        }
        if (c.id != extension_id)
            r.find(at, format_text("chunk 0x%X of %u bytes after the dictionary skipped", c.id, c.size), false);
        at = c.end();
    }
}

// The chunks after the dictionary's Struct: textures, the Extension, anything else skipped.
void read_children(Reader& r, std::uint32_t at, std::uint32_t limit, std::uint32_t count) {
    std::uint32_t seen = 0;
    Chunk c;
    while (at < limit) {
        if (!read_chunk(r.bytes, at, limit, c)) {
            r.find(at, limit - at < 12 ? format_text("%u bytes, too few for a chunk header: truncated", limit - at)
                                       : format_text("chunk 0x%X claims %u bytes, %u present: truncated",
                                                     read_u32(r.bytes + at), read_u32(r.bytes + at + 4),
                                                     limit - at - 12));
            break;
        }
        if (c.id == texture_id) {
            ++seen;
            read_texture(r, c);
        } else if (c.id != extension_id) {
            r.find(at, format_text("unexpected chunk 0x%X of %u bytes skipped", c.id, c.size), false);
        }
        at = c.end();
    }
    if (seen != count) r.find(12, format_text("the dictionary says %u textures, %u found", count, seen));
}

}  // namespace

TextureDictionary read_texture_dictionary(const std::uint8_t* bytes, std::uint32_t size) {
    TextureDictionary out;
    Reader r{bytes, size, out};
    if (size == 0) {
        r.find(0, "the file is empty");
        return out;
    }
    if (size < 12) {
        r.find(0, format_text("%u bytes, too few for a chunk header", size));
        return out;
    }
    const std::uint32_t id = read_u32(bytes), body = read_u32(bytes + 4);
    if (id != dictionary_id) {
        r.find(0, format_text("not a texture dictionary: the first chunk is 0x%X, not 0x16", id));
        return out;
    }
    out.version = unpack_version(read_u32(bytes + 8));
    std::uint32_t limit = size;
    if (body > size - 12) {
        r.find(0, format_text("the dictionary chunk claims %u bytes, %u present: truncated", body, size - 12));
    } else {
        limit = 12 + body;
        read_trailer(r, limit);
    }
    Chunk s;
    if (!read_chunk(bytes, 12, limit, s) || s.id != struct_id || s.size < 4) {
        r.find(12, "the dictionary has no whole Struct with its texture count");
        return out;
    }
    const std::uint32_t count = read_u16(bytes + s.body());
    out.device = read_u16(bytes + s.body() + 2);
    // Each texture takes a 12-byte header at least: reserve no more than fits.
    const std::uint32_t room = (limit - s.end()) / 12;
    out.textures.reserve(count < room ? count : room);
    read_children(r, s.end(), limit, count);
    return out;
}
