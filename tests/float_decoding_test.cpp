#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "engine/float_decoding.h"

namespace {

double decode_word(std::uint32_t word) {
    return decode_float(static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
                        static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24));
}

std::uint64_t bits_of(double d) { return std::bit_cast<std::uint64_t>(d); }

struct DecodeCase {
    unsigned char b0, b1, b2, b3;
    double expected;
};

TEST(FloatDecoding, KnownEncodingsDecodeBitExactly) {
    const DecodeCase cases[] = {
        {0x00, 0x00, 0x00, 0x00, 0.0},
        {0x00, 0x00, 0x00, 0x80, -0.0},
        {0x00, 0x00, 0x80, 0x3F, 1.0},
        {0x00, 0x00, 0x80, 0xBF, -1.0},
        {0x01, 0x00, 0x80, 0x3F, 1.0 + 0x1p-23},
        {0x9A, 0x99, 0x99, 0x3E, static_cast<double>(0.3f)},
        {0x00, 0x00, 0x80, 0x4F, 4294967296.0},
        {0x00, 0x00, 0x00, 0x3F, 0.5},
        {0xFF, 0xFF, 0x7F, 0x7F, 0x1.fffffep127},  // the largest finite float
        {0xFF, 0xFF, 0x7F, 0xFF, -0x1.fffffep127},
        // Exponent field 96 is the smallest kept: 2^-31 and the top of its binade.
        {0x00, 0x00, 0x00, 0x30, 4.656612873077393e-10},
        {0xFF, 0xFF, 0x7F, 0x30, 0x1.fffffep-31},
        {0x00, 0x00, 0x00, 0xB0, -0x1p-31},
        // Exponent field 95 and below flush to a zero of the same sign.
        {0x00, 0x00, 0x80, 0x2F, 0.0},
        {0xFF, 0xFF, 0xFF, 0x2F, 0.0},
        {0x00, 0x00, 0x80, 0xAF, -0.0},
        {0x01, 0x00, 0x00, 0x00, 0.0},  // the smallest subnormal
        {0xFF, 0xFF, 0x7F, 0x80, -0.0},  // the largest negative subnormal
        {0x00, 0x00, 0x80, 0x00, 0.0},  // the smallest normal
    };
    for (const DecodeCase& c : cases) {
        const double got = decode_float(c.b0, c.b1, c.b2, c.b3);
        EXPECT_EQ(bits_of(got), bits_of(c.expected))
            << std::hex << int(c.b3) << ' ' << int(c.b2) << ' ' << int(c.b1) << ' ' << int(c.b0) << ": "
            << got << " instead of " << c.expected;
    }
}

TEST(FloatDecoding, ExponentField255GivesInfinitiesAndNaNsWithTheirSign) {
    EXPECT_EQ(decode_word(0x7F800000u), INFINITY);
    EXPECT_EQ(decode_word(0xFF800000u), -INFINITY);
    for (std::uint32_t word : {0x7F800001u, 0x7FC00000u, 0x7FFFFFFFu, 0xFF800001u, 0xFFC00000u, 0xFFFFFFFFu}) {
        const double got = decode_word(word);
        EXPECT_TRUE(std::isnan(got)) << std::hex << word;
        EXPECT_EQ(std::signbit(got), (word >> 31) != 0) << std::hex << word;
    }
}

// Every kept encoding is the single-precision value of its bytes, whatever the
// host's byte order: the reference assembles the word arithmetically as well.
TEST(FloatDecoding, KeptExponentsMatchTheSinglePrecisionValueOverASample) {
    std::mt19937 rng(20261207);
    for (int i = 0; i < 1000000; ++i) {
        std::uint32_t word = rng();
        const unsigned exponent = (word >> 23) & 0xFF;
        const double got = decode_word(word);
        if (exponent >= 96 && exponent <= 254) {
            const double expected = std::bit_cast<float>(word);
            ASSERT_EQ(bits_of(got), bits_of(expected)) << std::hex << word;
        } else if (exponent < 96) {
            ASSERT_EQ(bits_of(got), bits_of((word >> 31) ? -0.0 : 0.0)) << std::hex << word;
        }
    }
}

TEST(FloatDecoding, EveryExponentFieldDecodesToItsPowerOfTwo) {
    for (std::uint32_t e = 0; e < 255; ++e) {
        const double expected = e < 96 ? 0.0 : std::ldexp(1.0, static_cast<int>(e) - 127);
        EXPECT_EQ(decode_word(e << 23), expected) << e;
        const double negative = decode_word((e << 23) | 0x80000000u);
        EXPECT_EQ(negative, -expected) << e;
        EXPECT_TRUE(std::signbit(negative)) << e;
    }
}

}  // namespace
