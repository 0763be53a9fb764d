#pragma once
// Decimal digits written two at a time from a table, for the number text and
// the face lines, which write millions of numbers. Inline, so that the writers
// of whole lines need no call per number.

#include <bit>
#include <cstdint>
#include <cstring>

// "00".."99", two characters each.
struct DigitPairs {
    char text[200];
    constexpr DigitPairs() : text() {
        for (int i = 0; i < 100; ++i) {
            text[2 * i] = static_cast<char>('0' + i / 10);
            text[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
};
inline constexpr DigitPairs digit_pairs;

inline void put_pair(char* out, std::uint32_t two_digits) {
    std::memcpy(out, digit_pairs.text + 2 * two_digits, 2);
}

// One or two digits, v below 100; returns the end.
inline char* put_below_hundred(char* out, std::uint32_t v) {
    if (v < 10) {
        *out = static_cast<char>('0' + v);
        return out + 1;
    }
    put_pair(out, v);
    return out + 2;
}

// Exactly four digits, leading zeros kept.
inline void put_four_digits(char* out, std::uint32_t v) {
    const std::uint32_t high = v / 100;
    put_pair(out, high);
    put_pair(out + 2, v - high * 100);
}

// Up to four digits without leading zeros, v below 10000; returns the end.
inline char* put_below_ten_thousand(char* out, std::uint32_t v) {
    if (v < 100) return put_below_hundred(out, v);
    const std::uint32_t high = v / 100;
    out = put_below_hundred(out, high);
    put_pair(out, v - high * 100);
    return out + 2;
}

// Decimal digits of v without leading zeros; returns the end. The value is
// split into groups of four digits whose digits do not wait on one another.
inline char* put_u32(char* out, std::uint32_t v) {
    if (v < 10000) return put_below_ten_thousand(out, v);
    if (v < 100000000) {
        const std::uint32_t high = v / 10000;
        out = put_below_ten_thousand(out, high);
        put_four_digits(out, v - high * 10000);
        return out + 4;
    }
    const std::uint32_t top = v / 100000000;
    const std::uint32_t rest = v - top * 100000000;
    out = put_below_hundred(out, top);
    const std::uint32_t high = rest / 10000;
    put_four_digits(out, high);
    put_four_digits(out + 4, rest - high * 10000);
    return out + 8;
}

// Digits gathered in a register and stored whole: storing digits piecewise and
// reading them back as one piece stalls the processor's store forwarding.
// The fast forms below compose characters in memory order, which the byte
// order of little-endian machines gives by shifting; others take the plain forms.
inline constexpr bool digits_in_registers = std::endian::native == std::endian::little;

inline std::uint32_t pair_bits(std::uint32_t two_digits) {
    std::uint16_t bits;
    std::memcpy(&bits, digit_pairs.text + 2 * two_digits, 2);
    return bits;
}

// Four digits of v below 10000, leading zeros kept, first digit in the lowest byte.
inline std::uint32_t four_digit_bits(std::uint32_t v) {
    const std::uint32_t high = v / 100;
    return pair_bits(high) | pair_bits(v - high * 100) << 16;
}

// Six digits of v below 1000000, leading zeros kept, first digit in the lowest byte.
inline std::uint64_t six_digit_bits(std::uint32_t v) {
    const std::uint32_t high = v / 10000;
    return pair_bits(high) | std::uint64_t{four_digit_bits(v - high * 10000)} << 16;
}

// Eight digits of v below 100000000, leading zeros kept, first digit in the lowest byte.
inline std::uint64_t eight_digit_bits(std::uint32_t v) {
    const std::uint32_t high = v / 10000;
    return four_digit_bits(high) | std::uint64_t{four_digit_bits(v - high * 10000)} << 32;
}

// The number of decimal digits of v below 100000000, without a branch.
inline unsigned digits_below_hundred_million(std::uint32_t v) {
    return 1u + (v >= 10) + (v >= 100) + (v >= 1000) + (v >= 10000) + (v >= 100000) + (v >= 1000000) +
           (v >= 10000000);
}
