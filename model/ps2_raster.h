#pragma once
// The PS2 layout of a dictionary's texture: its name strings, the 64-byte raster
// header, the upload packets before each level and the palette, and the
// graphics-memory order in which palette indices are stored.

#include <cstdint>
#include <string>
#include <vector>

#include "model/chunk.h"
#include "model/texture_dictionary.h"

// Fills t from the texture chunk whose first Struct (platform, filter) is
// first. false with what is wrong, and where, in problem when the texture
// cannot be read; t.name is set as soon as it is known.
bool read_ps2_texture(const std::uint8_t* bytes, const Chunk& texture, const Chunk& first, DictionaryTexture& t,
                      Finding& problem);

// Level 0 of a PS2 texture to RGBA, 4 bytes a pixel, rows from the top.
bool decode_ps2_texture(const DictionaryTexture& t, std::vector<std::uint8_t>& rgba, std::string& why);

// Where texel (x, y) lies in a swizzled level stored w texels wide (w a
// multiple of 16): a byte offset for 8-bit indices, a nibble offset for 4-bit.
std::uint32_t ps2_swizzled_offset(std::uint32_t x, std::uint32_t y, std::uint32_t w);

// Alpha of 0 to 0x80 (opaque) as 0 to 255.
std::uint8_t ps2_alpha(std::uint8_t a);
