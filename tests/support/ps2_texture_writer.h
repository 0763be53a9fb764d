#pragma once
// Lays out PS2 textures for a dictionary, from the texels and colours a test
// wants back: raster header, upload packets, indices in graphics-memory order,
// palettes in their stored order.

#include <cstdint>
#include <string>
#include <vector>

struct Ps2Texture {
    std::string name = "t";
    std::string mask;
    unsigned depth = 32;               // 4, 8, 16 or 32
    std::uint32_t colour_bits = 0x500;  // 0x500 RGBA8888, 0x600 RGB888, 0x100 RGBA5551, 0xA00 RGB555
    std::uint16_t width = 1, height = 1;
    bool packets = true;    // an upload packet before level 0 and before the palette
    bool swizzled = false;  // indices stored in graphics-memory order
    // width x height, rows from the top: palette indices, or colours as stored
    // (R | G << 8 | B << 16 | A << 24, or the 16-bit value).
    std::vector<std::uint32_t> texels;
    std::vector<std::uint32_t> colours;  // the palette in index order, as stored values
    unsigned palette4_rows = 3;          // the 4-bit palette's block: 8 x 2 or 8 x 3 colours
};

// Where the parts lie, from the start of the texture chunk's body.
struct Ps2Offsets {
    std::size_t header = 0;   // the 64-byte raster header
    std::size_t data = 0;     // the data Struct's body: level 0's packet or texels
    std::size_t palette = 0;  // the palette's packet or colours
};

// The body of the texture chunk (0x15), for TextureLayout::native.
std::vector<std::uint8_t> ps2_texture_body(const Ps2Texture& t, Ps2Offsets* offsets = nullptr);

// The format word the raster header stores for t.
std::uint32_t ps2_format_word(const Ps2Texture& t);
