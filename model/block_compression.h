#pragma once
// Block-compressed levels (DXT1, DXT3, DXT5) to RGBA, 4 bytes a pixel.

#include <cstdint>

#include "model/texture_dictionary.h"

// One block to 16 RGBA pixels, rows of four from the top. A DXT1 block reads
// c0 > c1 as four colours, otherwise three and transparent black; the colour
// block of DXT3 and DXT5 always as four colours.
void decode_dxt1_block(const std::uint8_t* block, std::uint8_t* pixels);
void decode_dxt3_block(const std::uint8_t* block, std::uint8_t* pixels);
void decode_dxt5_block(const std::uint8_t* block, std::uint8_t* pixels);

// A whole level of width x height in format (one of the three above) from
// src, which holds all the blocks, whole blocks even past the image's edges.
void decode_blocks(PixelFormat format, const std::uint8_t* src, std::uint32_t width, std::uint32_t height,
                   std::uint8_t* rgba);
