#include "model/pixel_formats.h"

std::uint64_t level_bytes(PixelFormat format, std::uint32_t width, std::uint32_t height) {
    const std::uint64_t pixels = std::uint64_t(width) * height;
    const std::uint64_t blocks = std::uint64_t((width + 3) / 4) * ((height + 3) / 4);
    switch (format) {
    case PixelFormat::grey8:
    case PixelFormat::palette4:
    case PixelFormat::palette8: return pixels;
    case PixelFormat::a1r5g5b5:
    case PixelFormat::r5g6b5:
    case PixelFormat::a4r4g4b4:
    case PixelFormat::x1r5g5b5:
    case PixelFormat::ps2_rgba5551:
    case PixelFormat::ps2_rgb555: return pixels * 2;
    case PixelFormat::a8r8g8b8:
    case PixelFormat::x8r8g8b8:
    case PixelFormat::ps2_rgba8888:
    case PixelFormat::ps2_rgb888: return pixels * 4;
    case PixelFormat::dxt1: return blocks * 8;
    case PixelFormat::dxt3:
    case PixelFormat::dxt5: return blocks * 16;
    case PixelFormat::unknown: break;
    }
    return 0;
}

bool format_has_alpha(PixelFormat format) {
    return format == PixelFormat::a1r5g5b5 || format == PixelFormat::a4r4g4b4 ||
           format == PixelFormat::a8r8g8b8 || format == PixelFormat::dxt3 || format == PixelFormat::dxt5;
}

void decode_16bit(PixelFormat format, std::uint16_t v, std::uint8_t* rgba) {
    switch (format) {
    case PixelFormat::r5g6b5:
        rgba[0] = widen5(v >> 11), rgba[1] = widen6((v >> 5) & 63), rgba[2] = widen5(v & 31), rgba[3] = 255;
        return;
    case PixelFormat::a4r4g4b4:
        rgba[0] = widen4((v >> 8) & 15), rgba[1] = widen4((v >> 4) & 15), rgba[2] = widen4(v & 15);
        rgba[3] = widen4(v >> 12);
        return;
    default:  // A1R5G5B5 and X1R5G5B5
        rgba[0] = widen5((v >> 10) & 31), rgba[1] = widen5((v >> 5) & 31), rgba[2] = widen5(v & 31);
        rgba[3] = (format == PixelFormat::x1r5g5b5 || (v & 0x8000)) ? 255 : 0;
        return;
    }
}

void decode_plain(PixelFormat format, const std::uint8_t* src, std::uint32_t count, std::uint8_t* rgba) {
    for (std::uint32_t i = 0; i < count; ++i, rgba += 4) {
        switch (format) {
        case PixelFormat::grey8:
            rgba[0] = rgba[1] = rgba[2] = src[i], rgba[3] = 255;
            break;
        case PixelFormat::a8r8g8b8:
        case PixelFormat::x8r8g8b8: {
            const std::uint8_t* p = src + std::size_t(i) * 4;  // stored B G R A
            rgba[0] = p[2], rgba[1] = p[1], rgba[2] = p[0];
            rgba[3] = format == PixelFormat::a8r8g8b8 ? p[3] : 255;
            break;
        }
        default:
            decode_16bit(format, read_u16(src + std::size_t(i) * 2), rgba);
            break;
        }
    }
}

bool decode_indexed(const std::uint8_t* src, std::uint32_t count, const std::uint8_t* palette,
                    std::uint32_t palette_count, bool opaque, std::uint8_t* rgba, std::uint32_t& bad) {
    for (std::uint32_t i = 0; i < count; ++i, rgba += 4) {
        if (src[i] >= palette_count) {
            bad = i;
            return false;
        }
        const std::uint8_t* c = palette + std::size_t(src[i]) * 4;
        rgba[0] = c[0], rgba[1] = c[1], rgba[2] = c[2], rgba[3] = opaque ? 255 : c[3];
    }
    return true;
}
