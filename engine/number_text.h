#pragma once
// Number text of the OBJ output, produced without the C runtime's printf so the
// Windows build writes exactly what the Linux build writes.

#include <cstdint>

// Room enough for any value decode_float yields in fixed notation, and the terminator.
constexpr unsigned fixed_text_capacity = 64;

// The text printf("%f") gives for value on glibc: six decimals, ties to even,
// "-" for negative zero, "inf", "-inf", "nan", "-nan". Exact for every double
// below 2^128 in magnitude, which takes in every value decode_float yields;
// larger finite doubles are out of range and write as an infinity. Writes no
// terminator; returns the length.
unsigned format_fixed(double value, char* out);

// The text format_fixed(decode_float(b0, b1, b2, b3)) gives, taken straight from
// the four bytes read as one 32-bit word (b0 least significant): the writers'
// path, without the detour through a double for the common magnitudes. Inline,
// so that the line writers need no call per number.
inline unsigned format_float_word(std::uint32_t word, char* out);

// format_float_word for the magnitudes its inline part leaves out.
unsigned format_float_word_rest(std::uint32_t word, char* out);

// "%d", "%u" and "%x" (lower case, no leading zeros); no terminator; the length.
unsigned format_int(int value, char* out);
unsigned format_unsigned(unsigned value, char* out);
unsigned format_hex(unsigned value, char* out);

// ---- format_float_word ------------------------------------------------------

#include "engine/decimal_digits.h"

inline unsigned format_float_word(std::uint32_t word, char* out) {
    using u32 = std::uint32_t;
    using u64 = std::uint64_t;
    const unsigned exponent_field = (word >> 23) & 0xFF;
    // Magnitudes from 2^-54 up to below 10000, where nearly every coordinate
    // lies: value = m / 2^s with a 24-bit m and s from 10 to 54. The integer
    // part is m >> s; the fraction f = m mod 2^s gives the six decimals as
    // f * 10^6 / 2^s rounded with ties to even, a product within 44 bits.
    // Rounding up to 10^6 carries into the integer part.
    if (!digits_in_registers || exponent_field < 96 || exponent_field > 140)
        return format_float_word_rest(word, out);
    // Signs and lengths of coordinates follow no pattern that a branch
    // predictor could learn: everything below is written without branches.
    char* p = out;
    *p = '-';
    p += word >> 31;
    const unsigned s = 150 - exponent_field;
    const u64 m = (word & 0x7FFFFFu) | 0x800000u;
    u32 integer_part = static_cast<u32>(m >> s);
    const u64 product = (m & ((u64{1} << s) - 1)) * 1000000u;
    u32 millionths = static_cast<u32>(product >> s);
    const u64 rest = product & ((u64{1} << s) - 1);
    const u64 half = u64{1} << (s - 1);
    millionths += static_cast<u32>(rest > half) | (static_cast<u32>(rest == half) & millionths);
    const u32 carry = millionths == 1000000u;
    integer_part += carry;
    millionths -= carry * 1000000u;
    // Four digits with leading zeros, of which the last length are stored; the
    // bytes stored past them are overwritten by the point and the decimals,
    // which end the text exactly. Below 2^14 the integer part, a carry
    // included, has at most five digits: 10000 to 16384 go the plain way.
    if (integer_part >= 10000) return format_float_word_rest(word, out);
    const unsigned length = 1u + (integer_part >= 10) + (integer_part >= 100) + (integer_part >= 1000);
    const u32 integer_digits = four_digit_bits(integer_part) >> (8 * (4 - length));
    std::memcpy(p, &integer_digits, 4);
    p += length;
    *p = '.';
    const u64 decimals = six_digit_bits(millionths);
    const u32 first_four = static_cast<u32>(decimals);
    const std::uint16_t last_two = static_cast<std::uint16_t>(decimals >> 32);
    std::memcpy(p + 1, &first_four, 4);
    std::memcpy(p + 5, &last_two, 2);
    return static_cast<unsigned>(p + 7 - out);
}
