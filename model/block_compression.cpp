#include "model/block_compression.h"

#include <cstring>

#include "model/pixel_formats.h"

namespace {

// Interpolated colours and alphas use integer division of the widened 8-bit
// values, rounding down: (2*c0 + c1) / 3, (c0 + c1) / 2, (6*a0 + a1) / 7 and so on.
void colour_block(const std::uint8_t* block, bool four_always, std::uint8_t* pixels) {
    const std::uint16_t c0 = read_u16(block), c1 = read_u16(block + 2);
    std::uint8_t table[4][4];
    decode_16bit(PixelFormat::r5g6b5, c0, table[0]);
    decode_16bit(PixelFormat::r5g6b5, c1, table[1]);
    const bool four = four_always || c0 > c1;
    for (int ch = 0; ch < 3; ++ch) {
        const unsigned a = table[0][ch], b = table[1][ch];
        table[2][ch] = static_cast<std::uint8_t>(four ? (2 * a + b) / 3 : (a + b) / 2);
        table[3][ch] = static_cast<std::uint8_t>(four ? (a + 2 * b) / 3 : 0);
    }
    table[2][3] = 255;
    table[3][3] = four ? 255 : 0;
    const std::uint32_t bits = read_u32(block + 4);
    for (int i = 0; i < 16; ++i) std::memcpy(pixels + i * 4, table[(bits >> (2 * i)) & 3], 4);
}

}  // namespace

void decode_dxt1_block(const std::uint8_t* block, std::uint8_t* pixels) {
    colour_block(block, false, pixels);
}

void decode_dxt3_block(const std::uint8_t* block, std::uint8_t* pixels) {
    colour_block(block + 8, true, pixels);
    for (int i = 0; i < 16; ++i) pixels[i * 4 + 3] = widen4((block[i / 2] >> (4 * (i & 1))) & 15);
}

void decode_dxt5_block(const std::uint8_t* block, std::uint8_t* pixels) {
    colour_block(block + 8, true, pixels);
    const unsigned a0 = block[0], a1 = block[1];
    std::uint8_t alpha[8] = {static_cast<std::uint8_t>(a0), static_cast<std::uint8_t>(a1)};
    if (a0 > a1) {
        for (unsigned i = 2; i < 8; ++i) alpha[i] = static_cast<std::uint8_t>(((8 - i) * a0 + (i - 1) * a1) / 7);
    } else {
        for (unsigned i = 2; i < 6; ++i) alpha[i] = static_cast<std::uint8_t>(((6 - i) * a0 + (i - 1) * a1) / 5);
        alpha[6] = 0;
        alpha[7] = 255;
    }
    std::uint64_t bits = 0;  // 48 bits of 3-bit indices, little-endian
    for (int i = 0; i < 6; ++i) bits |= std::uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) pixels[i * 4 + 3] = alpha[(bits >> (3 * i)) & 7];
}

void decode_blocks(PixelFormat format, const std::uint8_t* src, std::uint32_t width, std::uint32_t height,
                   std::uint8_t* rgba) {
    const std::uint32_t block_size = format == PixelFormat::dxt1 ? 8 : 16;
    std::uint8_t pixels[16 * 4];
    for (std::uint32_t by = 0; by < height; by += 4) {
        for (std::uint32_t bx = 0; bx < width; bx += 4, src += block_size) {
            if (format == PixelFormat::dxt1) decode_dxt1_block(src, pixels);
            else if (format == PixelFormat::dxt3) decode_dxt3_block(src, pixels);
            else decode_dxt5_block(src, pixels);
            // Edge blocks reach past the image: keep only the pixels inside it.
            for (std::uint32_t y = 0; y < 4 && by + y < height; ++y) {
                const std::uint32_t columns = width - bx < 4 ? width - bx : 4;
                std::memcpy(rgba + (std::size_t(by + y) * width + bx) * 4, pixels + y * 16, columns * 4);
            }
        }
    }
}
