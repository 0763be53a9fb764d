#include "engine/number_text.h"

#include <bit>
#include <cstdint>
#include <cstring>

// The double is taken apart into an integer significand m and a power of two,
// value = m * 2^e, and everything after that is integer arithmetic: the text
// cannot depend on the C runtime or on the floating-point unit's precision.

namespace {

using u32 = std::uint32_t;
using u64 = std::uint64_t;

constexpr u32 one_million = 1000000;

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
constexpr DigitPairs digit_pairs;

void put_pair(char* out, u32 two_digits) { std::memcpy(out, digit_pairs.text + 2 * two_digits, 2); }

unsigned decimal_length(u32 v) {
    unsigned n = 1;
    while (v >= 10000) { v /= 10000; n += 4; }
    while (v >= 10) { v /= 10; ++n; }
    return n;
}

// Decimal digits of v without leading zeros; returns the end.
char* put_u32(char* out, u32 v) {
    const unsigned n = decimal_length(v);
    char* p = out + n;
    while (v >= 100) {
        const u32 q = v / 100;
        p -= 2;
        put_pair(p, v - q * 100);
        v = q;
    }
    if (v >= 10) {
        p -= 2;
        put_pair(p, v);
    } else {
        *--p = static_cast<char>('0' + v);
    }
    return out + n;
}

// Exactly nine digits, leading zeros kept.
void put_nine_digits(char* out, u32 v) {
    const u32 high = v / 10000000;  // the first two digits
    v -= high * 10000000;
    put_pair(out, high);
    const u32 a = v / 100000;  // 0..99
    v -= a * 100000;
    const u32 b = v / 1000;
    v -= b * 1000;
    const u32 c = v / 10;
    put_pair(out + 2, a);
    put_pair(out + 4, b);
    put_pair(out + 6, c);
    out[8] = static_cast<char>('0' + (v - c * 10));
}

constexpr u32 one_billion = 1000000000;

char* put_u64(char* out, u64 v) {
    if (v <= 0xFFFFFFFFu) return put_u32(out, static_cast<u32>(v));
    // At most 20 digits: up to three groups of nine.
    const u64 upper = v / one_billion;
    const u32 low = static_cast<u32>(v - upper * one_billion);
    if (upper <= 0xFFFFFFFFu) {
        out = put_u32(out, static_cast<u32>(upper));
    } else {
        const u64 top = upper / one_billion;
        out = put_u32(out, static_cast<u32>(top));
        put_nine_digits(out, static_cast<u32>(upper - top * one_billion));
        out += 9;
    }
    put_nine_digits(out, low);
    return out + 9;
}

// Integers from 2^64 up to below 2^128, written as m * 2^shift.
constexpr unsigned wide_words = 4;

char* put_shifted_integer(char* out, u64 m, unsigned shift) {
    // Little-endian 32-bit words; two spare ones take the zero words the
    // placement below writes past the value.
    u32 words[wide_words + 2] = {};
    const unsigned word = shift / 32, bit = shift % 32;
    const u64 low = m << bit;
    const u64 high = bit == 0 ? 0 : m >> (64 - bit);
    words[word] = static_cast<u32>(low);
    words[word + 1] = static_cast<u32>(low >> 32);
    words[word + 2] = static_cast<u32>(high);

    // Groups of nine digits, least significant first.
    u32 groups[5];  // 2^128 has 39 digits
    unsigned group_count = 0;
    unsigned top = wide_words + 2;
    while (top > 0 && words[top - 1] == 0) --top;
    while (top > 0) {
        u64 remainder = 0;
        for (unsigned i = top; i-- > 0;) {
            const u64 current = (remainder << 32) | words[i];
            words[i] = static_cast<u32>(current / one_billion);
            remainder = current % one_billion;
        }
        groups[group_count++] = static_cast<u32>(remainder);
        while (top > 0 && words[top - 1] == 0) --top;
    }
    out = put_u32(out, groups[group_count - 1]);
    for (unsigned i = group_count - 1; i-- > 0;) {
        put_nine_digits(out, groups[i]);
        out += 9;
    }
    return out;
}

char* put_text(char* out, const char* text, unsigned length) {
    std::memcpy(out, text, length);
    return out + length;
}

// f * 10^6 / 2^k rounded to an integer, ties to even; f < 2^k, so the result
// is at most 10^6 (a carry into the integer part).
u32 round_millionths(u64 f, unsigned k) {
    if (f < (u64{1} << 44) && k < 64) {
        // The common case, every four-byte float among it: the product fits.
        const u64 product = f * one_million;
        u64 q = product >> k;
        const u64 rest = product & ((u64{1} << k) - 1);
        const u64 half = u64{1} << (k - 1);
        if (rest > half || (rest == half && (q & 1))) ++q;
        return static_cast<u32>(q);
    }
    // f < 2^53, so the product is below 2^73; as high and low 64-bit halves.
    if (k >= 74) return 0;  // below half of 2^-6: rounds to zero
    const u64 low_part = (f & 0xFFFFFFFFu) * one_million;
    const u64 high_part = (f >> 32) * one_million;
    u64 lo = low_part + (high_part << 32);
    u64 hi = (high_part >> 32) + (lo < low_part ? 1 : 0);
    u64 q, round_bit, sticky;
    if (k < 64) {
        q = (lo >> k) | (hi << (64 - k));
        round_bit = (lo >> (k - 1)) & 1;
        sticky = lo & ((u64{1} << (k - 1)) - 1);
    } else {
        q = hi >> (k - 64);
        if (k == 64) {
            round_bit = lo >> 63;
            sticky = lo & ~(u64{1} << 63);
        } else {
            round_bit = (hi >> (k - 65)) & 1;
            sticky = lo | (hi & ((u64{1} << (k - 65)) - 1));
        }
    }
    if (round_bit && (sticky != 0 || (q & 1))) ++q;
    return static_cast<u32>(q);
}

}  // namespace

unsigned format_fixed(double value, char* out) {
    const u64 bits = std::bit_cast<u64>(value);
    const bool negative = (bits >> 63) != 0;
    const unsigned exponent_field = static_cast<unsigned>(bits >> 52) & 0x7FF;
    const u64 fraction = bits & ((u64{1} << 52) - 1);
    char* p = out;
    if (negative) *p++ = '-';

    if (exponent_field == 0x7FF) {
        p = put_text(p, fraction == 0 ? "inf" : "nan", 3);
        return static_cast<unsigned>(p - out);
    }

    u64 m = exponent_field == 0 ? fraction : fraction | (u64{1} << 52);
    int e = exponent_field == 0 ? -1074 : static_cast<int>(exponent_field) - 1075;
    if (m == 0) {
        p = put_text(p, "0.000000", 8);
        return static_cast<unsigned>(p - out);
    }
    // A four-byte float keeps at most 24 significant bits; dropping the zeros
    // below them keeps its fraction small enough for the fast rounding.
    const int zeros = static_cast<int>(std::countr_zero(m));
    m >>= zeros;
    e += zeros;

    if (e >= 0) {
        const int width = static_cast<int>(std::bit_width(m)) + e;
        if (width <= 64) {
            p = put_u64(p, m << e);
        } else if (width <= 128) {
            p = put_shifted_integer(p, m, static_cast<unsigned>(e));
        } else {
            // Beyond every four-byte float: out of range, written as an infinity.
            p = put_text(p, "inf", 3);
            return static_cast<unsigned>(p - out);
        }
        p = put_text(p, ".000000", 7);
        return static_cast<unsigned>(p - out);
    }

    const unsigned k = static_cast<unsigned>(-e);
    u64 integer_part = k < 64 ? m >> k : 0;
    const u64 f = k < 64 ? m & ((u64{1} << k) - 1) : m;
    u32 millionths = round_millionths(f, k);
    if (millionths == one_million) {
        ++integer_part;
        millionths = 0;
    }
    p = put_u64(p, integer_part);
    *p = '.';
    const u32 first = millionths / 10000;
    const u32 rest = millionths - first * 10000;
    const u32 second = rest / 100;
    put_pair(p + 1, first);
    put_pair(p + 3, second);
    put_pair(p + 5, rest - second * 100);
    p += 7;
    return static_cast<unsigned>(p - out);
}

unsigned format_unsigned(unsigned value, char* out) {
    return static_cast<unsigned>(put_u32(out, value) - out);
}

unsigned format_int(int value, char* out) {
    if (value >= 0) return format_unsigned(static_cast<unsigned>(value), out);
    out[0] = '-';
    // Negating in unsigned arithmetic also covers INT_MIN.
    return 1 + format_unsigned(0u - static_cast<unsigned>(value), out + 1);
}

unsigned format_hex(unsigned value, char* out) {
    static const char hex_digits[] = "0123456789abcdef";
    unsigned n = 1;
    for (unsigned v = value >> 4; v != 0; v >>= 4) ++n;
    for (unsigned i = n; i-- > 0;) {
        out[i] = hex_digits[value & 0xF];
        value >>= 4;
    }
    return n;
}
