#pragma once
// Lays out texture dictionaries (.txd) from tables of textures, as the tests
// and the generators in tools/ describe them.

#include <cstdint>
#include <string>
#include <vector>

struct TextureLayout {
    std::string name;
    std::string mask;
    std::uint32_t platform = 9;
    std::uint32_t raster_format = 0;  // pixel format bits, palette and mipmap flags
    std::uint32_t format = 0;         // platform 9: number or FourCC; platform 8: has alpha
    std::uint16_t width = 1, height = 1;
    std::uint8_t depth = 32;
    std::uint8_t raster_type = 4;
    std::uint8_t last = 0;  // platform 8: compression; platform 9: flags
    std::vector<std::uint8_t> palette;              // as stored, 4 bytes a colour
    std::vector<std::vector<std::uint8_t>> levels;  // each written as u32 size and its bytes
    int level_count = -1;                           // as stored; -1: levels.size()
    std::vector<std::uint8_t> native;  // when not empty, the whole texture chunk's body (a console layout)
};

// The FourCC of "DXTn" as platform 9 stores it.
constexpr std::uint32_t fourcc_dxt(char n) {
    return 0x00545844u | std::uint32_t(static_cast<unsigned char>(n)) << 24;
}

// A dictionary chunk with its Struct (count, device 0), the textures and an
// empty Extension; padded with zeros to a multiple of pad when pad > 0.
std::vector<std::uint8_t> build_dictionary(const std::vector<TextureLayout>& textures, std::uint32_t pad = 0);

// The same, with the count stored as given.
std::vector<std::uint8_t> build_dictionary(const std::vector<TextureLayout>& textures, std::uint16_t stored_count,
                                           std::uint32_t pad);

// Offset of the n-th texture chunk's Struct body in what build_dictionary lays out.
std::size_t texture_struct_offset(const std::vector<std::uint8_t>& dictionary, unsigned n);
