#pragma once
// Uncompressed and palette pixels of a texture's level to RGBA, 4 bytes a pixel.

#include <cstdint>

#include "model/texture_dictionary.h"

// Bytes a level of width x height needs in format; 0 for an unknown format.
std::uint64_t level_bytes(PixelFormat format, std::uint32_t width, std::uint32_t height);

// Whether the format has an alpha channel of its own. The PS2 ones are left
// out: their images get alpha only when a pixel is less than opaque.
bool format_has_alpha(PixelFormat format);

// 5- and 6-bit channels widened by repeating their top bits, so 0 stays 0 and
// the largest value becomes 255.
inline std::uint8_t widen5(unsigned c) { return static_cast<std::uint8_t>((c << 3) | (c >> 2)); }
inline std::uint8_t widen6(unsigned c) { return static_cast<std::uint8_t>((c << 2) | (c >> 4)); }
inline std::uint8_t widen4(unsigned c) { return static_cast<std::uint8_t>((c << 4) | c); }

// One pixel of a 16-bit format (A1R5G5B5, R5G6B5, A4R4G4B4, X1R5G5B5) to RGBA.
void decode_16bit(PixelFormat format, std::uint16_t v, std::uint8_t* rgba);

// count pixels of an uncompressed, non-palette format from src into rgba.
void decode_plain(PixelFormat format, const std::uint8_t* src, std::uint32_t count, std::uint8_t* rgba);

// count index bytes through palette (colours R G B A, palette_count of them);
// opaque forces alpha 255. false with the offending pixel in bad when an
// index lies past the stored colours.
bool decode_indexed(const std::uint8_t* src, std::uint32_t count, const std::uint8_t* palette,
                    std::uint32_t palette_count, bool opaque, std::uint8_t* rgba, std::uint32_t& bad);
