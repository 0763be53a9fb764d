#include "support/model_pieces.h"

namespace {
std::uint8_t noise_byte(std::size_t i) { return static_cast<std::uint8_t>(0x21 + (i * 37 + 11) % 90); }
}  // namespace

void append_noise(ModelBuilder& m, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) m.u8(noise_byte(i));
}

std::vector<std::uint8_t> noise_model(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = noise_byte(i);
    bytes.at(0) = 16;
    return bytes;
}

void put_at(std::vector<std::uint8_t>& bytes, std::size_t at, const std::vector<std::uint8_t>& what) {
    for (std::size_t k = 0; k < what.size(); ++k) bytes.at(at + k) = what[k];
}

void put_double_marker(std::vector<std::uint8_t>& bytes, std::size_t at) {
    put_at(bytes, at, {1, 0, 0, 0, 1, 0, 0, 0});
}

void put_paint_name(std::vector<std::uint8_t>& bytes, std::size_t at) {
    put_at(bytes, at, {'p', 'a', 'i', 'n', 't', ' ', 'n', 'a', 'm', 'e'});
}

void put_block(std::vector<std::uint8_t>& bytes, std::size_t at, const BlockSpec& shape) {
    ModelBuilder m;
    append_block(m, shape);
    put_at(bytes, at, m.bytes);
}
