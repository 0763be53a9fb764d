#pragma once
// Walking a chunk tree: the ids this program knows by name, and one step
// through a container's children that tells damage apart from the end.

#include <cstdint>

#include "model/chunk.h"

namespace chunk_id {
constexpr std::uint32_t struct_data = 0x01, string = 0x02, extension = 0x03, texture = 0x06,
                        material = 0x07, material_list = 0x08, frame_list = 0x0E,
                        geometry = 0x0F, clump = 0x10, atomic = 0x14, geometry_list = 0x1A,
                        animation = 0x1B, uv_dictionary = 0x2B, skin = 0x116, bone = 0x11E, uv_animation_plugin = 0x135,
                        bin_mesh = 0x50E, native_data = 0x510, effects_2d = 0x0253F2F8,
                        night_colors = 0x0253F2F9, frame_name = 0x0253F2FE;
}

// "Geometry" for 0x0F; "unknown" for ids this program does not know.
const char* chunk_name(std::uint32_t id);

// Chunks whose body is a list of further chunks.
bool is_container(std::uint32_t id);

enum class Step {
    end,       // no bytes left before the limit
    whole,     // a chunk that fits
    cut,       // its body runs past the limit: damage; chunk.size is cut to the limit
    leftover,  // fewer bytes than a header before the limit: damage
};

// The chunk whose header starts at offset, inside [offset, limit).
Step step_chunk(const std::uint8_t* bytes, std::uint32_t offset, std::uint32_t limit, Chunk& chunk);

// Where the run of zero bytes that ends the file begins (size when it ends in
// something else). Files are often padded to a multiple of 2048 bytes.
std::uint32_t zero_tail(const std::uint8_t* bytes, std::uint32_t size);
