#include "engine/float_decoding.h"

#include <limits>

namespace {

// Exponent fields from 96 on carry a value; below they flush to zero.
constexpr unsigned lowest_kept_exponent = 96;

// 2^(E - 150) for every kept finite exponent field E: the weight of the lowest
// bit of the 24-bit significand. Doubling is exact, so the table is exact.
struct PowerTable {
    double weight[255 - lowest_kept_exponent];
    constexpr PowerTable() : weight() {
        double w = 1.0;
        for (int i = 0; i < 54; ++i) w /= 2;  // 2^-54 for E = 96
        for (unsigned i = 0; i < 255 - lowest_kept_exponent; ++i) {
            weight[i] = w;
            w *= 2;
        }
    }
};
constexpr PowerTable lowest_bit_weight;

}  // namespace

double decode_float(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3) {
    const bool negative = (b3 & 0x80) != 0;
    const unsigned exponent = (b3 & 0x7Fu) * 2 + (b2 >> 7);
    const unsigned long fraction =
        (static_cast<unsigned long>(b2 & 0x7Fu) << 16) | (static_cast<unsigned long>(b1) << 8) | b0;

    if (exponent < lowest_kept_exponent) return negative ? -0.0 : 0.0;
    if (exponent == 255) {
        const double special = fraction == 0 ? std::numeric_limits<double>::infinity()
                                             : std::numeric_limits<double>::quiet_NaN();
        return negative ? -special : special;
    }
    // A 24-bit integer times a power of two: exact in a double, also in x87 registers.
    const double significand = static_cast<double>(fraction | 0x800000ul);
    const double magnitude = significand * lowest_bit_weight.weight[exponent - lowest_kept_exponent];
    return negative ? -magnitude : magnitude;
}
