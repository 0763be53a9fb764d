#include "engine/number_output.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "engine/conversion_state.h"
#include "engine/float_decoding.h"
#include "engine/number_text.h"
#include "engine/obj_output.h"

namespace {

using u32 = std::uint32_t;
using u64 = std::uint64_t;

double take_float(unsigned& read_pos, unsigned& consumed_bytes) {
    const unsigned char* b = conversion_state.source_buffer + read_pos;
    read_pos += 4;
    consumed_bytes += 4;
    return decode_float(b[0], b[1], b[2], b[3]);
}

// The four bytes as one word, b0 least significant, for format_float_word.
u32 take_word(unsigned& read_pos, unsigned& consumed_bytes) {
    const unsigned char* b = conversion_state.source_buffer + read_pos;
    read_pos += 4;
    consumed_bytes += 4;
    return u32{b[0]} | u32{b[1]} << 8 | u32{b[2]} << 16 | u32{b[3]} << 24;
}

// ---- The unit-length check ------------------------------------------------
//
// Its single-precision roundings are done on exact integers: a sum first
// rounded to double and then to float can land on a float midpoint and round
// the wrong way (a square such as 4097^2 * 2^-24 lies exactly halfway between
// two floats, and a tiny addend decides the direction). The sum in t is rounded
// to double the same way, so that the x87's wider registers of the 32-bit
// Windows build cannot give another result than every other build.

// m * 2^e, with sticky set when nonzero bits below m were dropped.
struct ExactValue {
    u64 m;
    int e;
    bool sticky;
};

// Rounds to single precision; out-of-range magnitudes become infinities as
// the floating-point standard has it, without a conversion the language
// leaves undefined.
float to_single(double x) {
    constexpr double overflow_threshold = 0x1.ffffffp127;  // halfway past the largest float
    if (std::isnan(x)) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return std::signbit(x) ? -nan : nan;
    }
    if (std::fabs(x) >= overflow_threshold) {
        const float infinity = std::numeric_limits<float>::infinity();
        return x < 0 ? -infinity : infinity;
    }
    volatile float rounded = static_cast<float>(x);  // a store: no excess precision survives
    return rounded;
}

// The square of a finite float, exactly: a 24-bit significand squared fits 48 bits.
ExactValue exact_square(float f) {
    const u32 bits = std::bit_cast<u32>(f) & 0x7FFFFFFFu;
    const u32 exponent_field = bits >> 23;
    const u64 m = exponent_field == 0 ? bits : (bits & 0x7FFFFFu) | 0x800000u;
    const int e = exponent_field == 0 ? -149 : static_cast<int>(exponent_field) - 150;
    return {m * m, 2 * e, false};
}

ExactValue exact_value(float f) {  // f finite and not negative
    const u32 bits = std::bit_cast<u32>(f);
    const u32 exponent_field = bits >> 23;
    const u64 m = exponent_field == 0 ? bits : (bits & 0x7FFFFFu) | 0x800000u;
    const int e = exponent_field == 0 ? -149 : static_cast<int>(exponent_field) - 150;
    return {m, e, false};
}

// a + b for values of at most 48 significant bits, not negative. The larger
// one is placed with its top bit at bit 61, so the sum fits 63 bits; bits of
// the smaller one that fall below bit 0 only set sticky.
ExactValue exact_sum(ExactValue a, ExactValue b) {
    if (a.m == 0) return b;
    if (b.m == 0) return a;
    const int top_a = static_cast<int>(std::bit_width(a.m)) + a.e;
    const int top_b = static_cast<int>(std::bit_width(b.m)) + b.e;
    const int base = (top_a > top_b ? top_a : top_b) - 62;
    bool sticky = false;
    auto align = [&](ExactValue v) -> u64 {
        if (v.e >= base) return v.m << (v.e - base);
        const int shift = base - v.e;
        if (shift >= 64) {
            sticky = true;  // v.m is nonzero here
            return 0;
        }
        sticky = sticky || (v.m & ((u64{1} << shift) - 1)) != 0;
        return v.m >> shift;
    };
    const u64 sum = align(a) + align(b);
    return {sum, base, sticky};
}

// The significand cut to 53 bits, rounded to odd: any lost bit sets the lowest
// kept one. 53 bits are enough that a later rounding to 24 bits then gives the
// correctly rounded float.
double round_to_odd_double(ExactValue v) {
    const int width = static_cast<int>(std::bit_width(v.m));
    u64 m = v.m;
    int e = v.e;
    bool lost = v.sticky;
    if (width > 53) {
        const int drop = width - 53;
        lost = lost || (m & ((u64{1} << drop) - 1)) != 0;
        m >>= drop;
        e += drop;
    } else if (lost) {
        // Never from exact_sum (its sums have 62 bits or more); kept correct anyway.
        const int shift = 63 - width;
        m <<= shift;
        e -= shift;
        return round_to_odd_double({m, e, lost});
    }
    if (lost) m |= 1;
    return std::ldexp(static_cast<double>(m), e);  // exact: at most 53 bits
}

float round_to_single(ExactValue v) { return to_single(round_to_odd_double(v)); }

// Rounded to the nearest double, ties to even.
double round_to_double(ExactValue v) {
    const int width = static_cast<int>(std::bit_width(v.m));
    u64 m = v.m;
    int e = v.e;
    if (width > 53) {
        const int drop = width - 53;
        const bool round_bit = ((m >> (drop - 1)) & 1) != 0;
        const bool below = v.sticky || (m & ((u64{1} << (drop - 1)) - 1)) != 0;
        m >>= drop;
        e += drop;
        if (round_bit && (below || (m & 1))) ++m;
    }
    return std::ldexp(static_cast<double>(m), e);
}

}  // namespace

int is_within_unit_tolerance(double t) { return !(t > 0.1 || t < -0.1); }

int is_unit_length(double x, double y, double z) {
    const float xf = to_single(x), yf = to_single(y), zf = to_single(z);
    volatile double t;
    if (!std::isfinite(xf) || !std::isfinite(yf) || !std::isfinite(zf)) {
        // Squares of infinities stay infinite, NaNs stay NaN: no rounding matters.
        const double s2 = static_cast<double>(yf) * yf + static_cast<double>(xf) * xf;
        t = static_cast<double>(zf) * zf + s2 - 1;
    } else {
        const float s1 = round_to_single(exact_square(xf));
        float s2 = s1;
        if (std::isfinite(s1)) s2 = round_to_single(exact_sum(exact_square(yf), exact_value(s1)));
        if (std::isfinite(s2)) {
            const volatile double u = round_to_double(exact_sum(exact_square(zf), exact_value(s2)));
            // For u from 0.5 to 2 the difference is exact; outside, |t| >= 0.5
            // whatever the rounding.
            t = u - 1;
        } else {
            t = s2;  // an infinity: fails
        }
    }
    return is_within_unit_tolerance(t);
}

void write_float(unsigned& read_pos, unsigned& consumed_bytes) {
    const u32 value = take_word(read_pos, consumed_bytes);
    char* text = reserve_output(fixed_text_capacity + 1);
    unsigned n = format_float_word(value, text);
    text[n++] = ' ';
    commit_output(n);
}

void write_uv_line(unsigned& read_pos, unsigned& consumed_bytes) {
    const u32 u = take_word(read_pos, consumed_bytes);
    const u32 v = take_word(read_pos, consumed_bytes);
    char* line = reserve_output(3 + 2 * (fixed_text_capacity + 1) + 1);
    line[0] = 'v';
    line[1] = 't';
    line[2] = ' ';
    unsigned n = 3;
    n += format_float_word(u, line + n);
    line[n++] = ' ';
    n += format_float_word(v, line + n);
    line[n++] = ' ';
    line[n++] = '\n';
    commit_output(n);
}

namespace {

// Longest prefix that shares the line's room; a longer one goes first on its own.
constexpr unsigned prefix_room = 64;

// " x y z\n" at line; the length written.
inline unsigned format_vector_tail(char* line, u32 x, u32 y, u32 z) {
    unsigned n = 0;
    line[n++] = ' ';
    n += format_float_word(x, line + n);
    line[n++] = ' ';
    n += format_float_word(y, line + n);
    line[n++] = ' ';
    n += format_float_word(z, line + n);
    line[n++] = '\n';
    return n;
}

void put_vector_line(const char* prefix, u32 x, u32 y, u32 z) {
    const std::size_t prefix_length = std::strlen(prefix);
    if (prefix_length > prefix_room) put_bytes(prefix, static_cast<unsigned>(prefix_length));
    char* line = reserve_output(prefix_room + 3 * (fixed_text_capacity + 1) + 1);
    unsigned n = 0;
    if (prefix_length <= prefix_room) {
        std::memcpy(line, prefix, prefix_length);
        n = static_cast<unsigned>(prefix_length);
    }
    n += format_vector_tail(line + n, x, y, z);
    commit_output(n);
}

}  // namespace

void write_position_line(unsigned& read_pos, unsigned& consumed_bytes) {
    const u32 x = take_word(read_pos, consumed_bytes);
    const u32 y = take_word(read_pos, consumed_bytes);
    const u32 z = take_word(read_pos, consumed_bytes);
    // The prefix "v " is known here, so the hot path skips put_vector_line's strlen.
    char* line = reserve_output(2 + 3 * (fixed_text_capacity + 1) + 1);
    line[0] = 'v';
    line[1] = ' ';
    commit_output(2 + format_vector_tail(line + 2, x, y, z));
}

void write_vector(unsigned& read_pos, unsigned& consumed_bytes, const char* prefix) {
    const u32 x = take_word(read_pos, consumed_bytes);
    const u32 y = take_word(read_pos, consumed_bytes);
    const u32 z = take_word(read_pos, consumed_bytes);
    put_vector_line(prefix, x, y, z);
}

void write_normal(unsigned& read_pos, unsigned& consumed_bytes, const char* prefix) {
    unsigned at = read_pos, counted = consumed_bytes;
    const double x = take_float(at, counted);
    const double y = take_float(at, counted);
    const double z = take_float(at, counted);
    const u32 xw = take_word(read_pos, consumed_bytes);
    const u32 yw = take_word(read_pos, consumed_bytes);
    const u32 zw = take_word(read_pos, consumed_bytes);
    put_vector_line(prefix, xw, yw, zw);
    if (!is_unit_length(x, y, z)) {
        put_text("ERROR with normals\n");
        conversion_state.had_errors = 1;
    }
}
