#include <cstdio>

#include "model/block_compression.h"
#include "model/pixel_formats.h"
#include "model/ps2_raster.h"
#include "model/texture_dictionary.h"

const char* pixel_format_name(PixelFormat format) {
    switch (format) {
    case PixelFormat::a1r5g5b5: return "A1R5G5B5";
    case PixelFormat::r5g6b5: return "R5G6B5";
    case PixelFormat::a4r4g4b4: return "A4R4G4B4";
    case PixelFormat::grey8: return "8-bit grey";
    case PixelFormat::a8r8g8b8: return "A8R8G8B8";
    case PixelFormat::x8r8g8b8: return "X8R8G8B8";
    case PixelFormat::x1r5g5b5: return "X1R5G5B5";
    case PixelFormat::palette4: return "4-bit palette";
    case PixelFormat::palette8: return "8-bit palette";
    case PixelFormat::dxt1: return "DXT1";
    case PixelFormat::dxt3: return "DXT3";
    case PixelFormat::dxt5: return "DXT5";
    case PixelFormat::ps2_rgba8888: return "RGBA8888";
    case PixelFormat::ps2_rgb888: return "RGB888";
    case PixelFormat::ps2_rgba5551: return "RGBA5551";
    case PixelFormat::ps2_rgb555: return "RGB555";
    case PixelFormat::unknown: break;
    }
    return "unknown";
}

namespace {

// A palette's alpha counts only when the raster's pixel format has alpha.
bool palette_opaque(const DictionaryTexture& t) {
    const unsigned bits = (t.raster_format >> 8) & 0xF;
    if (bits == 0) return !t.alpha;
    return bits != 0x1 && bits != 0x3 && bits != 0x5;
}

}  // namespace

std::uint32_t palette_bytes(const DictionaryTexture& t) {
    const bool two = t.palette_format == PixelFormat::ps2_rgba5551 || t.palette_format == PixelFormat::ps2_rgb555;
    return t.palette.count * (two ? 2 : 4);
}

bool decode_texture(const DictionaryTexture& t, std::vector<std::uint8_t>& rgba, std::string& why) {
    if (t.platform == ps2_platform) return decode_ps2_texture(t, rgba, why);
    rgba.clear();
    // The reader checks these; a DictionaryTexture built elsewhere may not be.
    const std::uint64_t needed = level_bytes(t.format, t.width, t.height);
    if (needed == 0 || !t.level0.data || t.level0.count < needed) {
        why = std::string("level 0 is missing or too small for a ") + pixel_format_name(t.format) + " image of " +
              std::to_string(t.width) + " x " + std::to_string(t.height);
        return false;
    }
    const bool indexed = t.format == PixelFormat::palette4 || t.format == PixelFormat::palette8;
    if (indexed && !t.palette.data) {
        why = "palette missing";
        return false;
    }
    const std::uint32_t pixels = std::uint32_t(t.width) * t.height;
    rgba.resize(std::size_t(pixels) * 4);
    if (t.format == PixelFormat::dxt1 || t.format == PixelFormat::dxt3 || t.format == PixelFormat::dxt5) {
        decode_blocks(t.format, t.level0.data, t.width, t.height, rgba.data());
    } else if (indexed) {
        std::uint32_t bad = 0;
        if (!decode_indexed(t.level0.data, pixels, t.palette.data, t.palette.count, palette_opaque(t), rgba.data(),
                            bad)) {
            char text[120];
            std::snprintf(text, sizeof text, "pixel %u at offset %u indexes colour %u of a palette of %u", bad,
                          t.level0_offset + bad, t.level0.data[bad], t.palette.count);
            why = text;
            rgba.clear();
            return false;
        }
    } else {
        decode_plain(t.format, t.level0.data, pixels, rgba.data());
    }
    return true;
}

bool needs_alpha(const DictionaryTexture& t, const std::vector<std::uint8_t>& rgba) {
    if (t.alpha || format_has_alpha(t.format)) return true;
    for (std::size_t i = 3; i < rgba.size(); i += 4)
        if (rgba[i] != 255) return true;
    return false;
}
