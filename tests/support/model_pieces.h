#pragma once
// Pieces of synthetic models laid where the strategies look for them: markers,
// the "paint name" text, blocks at chosen offsets, and noise that forms none
// of them.

#include <cstdint>
#include <vector>

#include "support/model_builder.h"

// Printable bytes without the blank: no 0 or 1 byte, so no marker and no
// "paint name" can form in them.
void append_noise(ModelBuilder& m, std::size_t count);
// The type byte 16, then noise up to size bytes.
std::vector<std::uint8_t> noise_model(std::size_t size);

void put_at(std::vector<std::uint8_t>& bytes, std::size_t at, const std::vector<std::uint8_t>& what);
void put_double_marker(std::vector<std::uint8_t>& bytes, std::size_t at);  // 01 00 00 00 01 00 00 00
void put_paint_name(std::vector<std::uint8_t>& bytes, std::size_t at);
void put_block(std::vector<std::uint8_t>& bytes, std::size_t at, const BlockSpec& shape = BlockSpec());
