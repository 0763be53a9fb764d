#pragma once
// A texture dictionary (.txd) read by its structure: per texture the fields of its
// header and views of its palette and first level, never copies. The bytes must
// outlive the TextureDictionary.

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

// How level 0's pixels are laid out, resolved from the platform's fields.
enum class PixelFormat : std::uint8_t {
    unknown,
    a1r5g5b5,
    r5g6b5,
    a4r4g4b4,
    grey8,
    a8r8g8b8,
    x8r8g8b8,
    x1r5g5b5,
    palette4,  // one index byte a pixel into 32 stored colours (16 used)
    palette8,  // one index byte a pixel into 256 colours
    dxt1,
    dxt3,      // also DXT2: same blocks, colours premultiplied
    dxt5,      // also DXT4
    // PS2 colours: R G B A bytes, alpha 0 to 0x80; R G B and an unused byte;
    // 16 bits of red from bit 0, green, blue and an alpha bit 15; the same without alpha.
    ps2_rgba8888,
    ps2_rgb888,
    ps2_rgba5551,
    ps2_rgb555,
};

constexpr std::uint32_t ps2_platform = 0x00325350;  // "PS2\0"


const char* pixel_format_name(PixelFormat format);

struct DictionaryTexture {
    std::uint32_t offset = 0;  // the 0x15 chunk's header
    std::string name;
    std::string mask;
    std::uint32_t platform = 0;       // 8, 9 or ps2_platform for the textures kept
    std::uint32_t raster_format = 0;  // as stored: pixel format bits, palette and mipmap flags
    std::uint32_t format_code = 0;    // platform 9: format number or FourCC; platform 8: has alpha
    std::uint16_t width = 0, height = 0;
    std::uint8_t depth = 0;        // bits per pixel, as stored
    std::uint8_t level_count = 0;
    std::uint8_t compression = 0;  // n of DXTn, 0 when not block-compressed
    bool alpha = false;            // the header says the texture uses alpha
    PixelFormat format = PixelFormat::unknown;
    ByteView palette;  // count colours of 4 bytes R G B A (PS2: of palette_format); absent without a palette
    ByteView level0;   // count bytes, at least what width x height in format needs
    std::uint32_t level0_offset = 0;
    // PS2: the layout of the palette's colours, level 0's stored rows (at least
    // width x height) and whether its indices lie in graphics-memory order.
    PixelFormat palette_format = PixelFormat::unknown;
    std::uint16_t stored_width = 0, stored_height = 0;
    bool swizzled = false;
};

// Bytes the palette view covers.
std::uint32_t palette_bytes(const DictionaryTexture& t);

struct TextureDictionary {
    std::uint32_t version = 0;  // unpacked, from the dictionary chunk's stamp
    std::uint16_t device = 0;
    std::vector<DictionaryTexture> textures;  // only the readable ones, in file order
    std::vector<Finding> findings;            // in the order found
};

// Reads the dictionary that starts at the first byte. Never reads outside
// [bytes, bytes + size); damage becomes a Finding and, where it touches a
// texture, that texture is left out.
TextureDictionary read_texture_dictionary(const std::uint8_t* bytes, std::uint32_t size);

// Decodes level 0 to RGBA, 4 bytes a pixel, rows from the top. false with the
// reason in why when the texture cannot be decoded (rgba is then empty).
bool decode_texture(const DictionaryTexture& t, std::vector<std::uint8_t>& rgba, std::string& why);

// Whether the image needs its alpha channel: the header's alpha flag, a pixel
// format that carries alpha, or any pixel less than opaque.
bool needs_alpha(const DictionaryTexture& t, const std::vector<std::uint8_t>& rgba);
