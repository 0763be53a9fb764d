#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "engine/float_decoding.h"
#include "engine/number_text.h"

namespace {

// The formatter's text; the bytes behind it must stay untouched.
std::string fixed(double value) {
    char out[fixed_text_capacity + 8];
    std::memset(out, '#', sizeof out);
    const unsigned n = format_fixed(value, out);
    EXPECT_LT(n, fixed_text_capacity);
    for (unsigned i = n; i < sizeof out; ++i) EXPECT_EQ(out[i], '#') << "written past the text at " << i;
    return std::string(out, n);
}

// The C library's text, with NaNs spelled as glibc spells them, which the OBJ
// text keeps on every platform: other C libraries (the Windows build's among
// them) drop the sign of a negative NaN.
std::string library_fixed(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    char out[400];
    const int n = std::snprintf(out, sizeof out, "%f", value);
    return std::string(out, static_cast<std::size_t>(n));
}

double float_value(std::uint32_t word) { return std::bit_cast<float>(word); }

// The writers' path straight from the four bytes; like fixed(), it must not
// write past its text.
std::string word_text(std::uint32_t word) {
    char out[fixed_text_capacity + 8];
    std::memset(out, '#', sizeof out);
    const unsigned n = format_float_word(word, out);
    EXPECT_LT(n, fixed_text_capacity);
    for (unsigned i = n; i < sizeof out; ++i) EXPECT_EQ(out[i], '#') << "written past the text at " << i;
    return std::string(out, n);
}

// The decoder's value formatted, and the four bytes formatted directly, both
// against the library's text of the same four bytes taken as a float.
void expect_same_as_library(std::uint32_t word) {
    const double decoded = decode_float(static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
                                        static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24));
    const std::string library = library_fixed(float_value(word));
    ASSERT_EQ(fixed(decoded), library) << std::hex << "word " << word;
    ASSERT_EQ(word_text(word), library) << std::hex << "word " << word;
}

struct TextCase {
    double value;
    const char* text;
};

TEST(NumberText, FixedNotationOfKnownValues) {
    const TextCase cases[] = {
        {0.0, "0.000000"},
        {-0.0, "-0.000000"},
        {1.0, "1.000000"},
        {-1.0, "-1.000000"},
        {0.5, "0.500000"},
        {1.0 + 0x1p-23, "1.000000"},
        {static_cast<double>(0.3f), "0.300000"},
        {4294967296.0, "4294967296.000000"},
        {0x1p-31, "0.000000"},
        {-0x1p-31, "-0.000000"},
        {-0.0000004, "-0.000000"},  // rounds to zero and keeps its sign
        {0.0000005000001, "0.000001"},
        {0x1.fffffep-1, "1.000000"},  // the carry runs into the integer part
        {-0x1.fffffep-1, "-1.000000"},
        {0x1.e847fep+19, "999999.937500"},
        {0x1p63, "9223372036854775808.000000"},
        {0x1p64, "18446744073709551616.000000"},
        {0x1p127, "170141183460469231731687303715884105728.000000"},
        {0x1.fffffep127, "340282346638528859811704183484516925440.000000"},
        {-0x1.fffffep127, "-340282346638528859811704183484516925440.000000"},
        {INFINITY, "inf"},
        {-INFINITY, "-inf"},
        {NAN, "nan"},
        {-NAN, "-nan"},
        {0x1p128, "inf"},  // beyond every float: out of range
    };
    for (const TextCase& c : cases) EXPECT_EQ(fixed(c.value), c.text) << std::hexfloat << c.value;
}

// Values whose seventh decimal is an exact 5 are the odd multiples of 2^-7
// (x * 10^6 has a fraction of exactly one half only for that denominator);
// a float holds them for odd numerators below 2^24. The library rounds them
// to even.
TEST(NumberText, ExactTiesRoundToEvenAsTheLibraryDoes) {
    EXPECT_EQ(fixed(0.0078125), "0.007812");
    EXPECT_EQ(fixed(0.0234375), "0.023438");
    EXPECT_EQ(fixed(-0.0078125), "-0.007812");

    auto check_tie = [](std::uint32_t numerator) {
        const float tie = static_cast<float>(numerator) / 128.0f;
        for (float v : {tie, -tie, std::nextafter(tie, 0.0f), std::nextafter(tie, INFINITY)}) {
            ASSERT_EQ(fixed(v), library_fixed(v)) << "numerator " << numerator << std::hexfloat << ' ' << v;
            ASSERT_EQ(word_text(std::bit_cast<std::uint32_t>(v)), library_fixed(v))
                << "numerator " << numerator << std::hexfloat << ' ' << v;
        }
    };
    // Every tie below 1024, then a spread over each longer numerator length up to 24 bits.
    for (std::uint32_t n = 1; n < (1u << 17); n += 2) check_tie(n);
    for (unsigned length = 18; length <= 24; ++length) {
        const std::uint32_t first = (1u << (length - 1)) + 1, last = (1u << length) - 1;
        const std::uint32_t step = ((last - first) / 8192 + 2) & ~1u;  // even: the numerators stay odd
        for (std::uint32_t n = first; n <= last - step; n += step) check_tie(n);
        check_tie(last);
    }
}

TEST(NumberText, MatchesTheLibraryOverASeededSampleOfBitPatterns) {
    std::mt19937 rng(0x5eed);
    for (int i = 0; i < 2000000; ++i) expect_same_as_library(rng());
}

// Every exponent field in full, with a few fractions each, and the binade
// edges around the zero flush.
TEST(NumberText, MatchesTheLibraryOnEveryExponentField) {
    for (std::uint32_t e = 0; e < 256; ++e)
        for (std::uint32_t fraction : {0u, 1u, 0x400000u, 0x7FFFFFu, 0x2AAAAAu, 0x555555u, 0x123457u})
            for (std::uint32_t sign : {0u, 0x80000000u}) expect_same_as_library(sign | (e << 23) | fraction);
}

// Doubles that no four-byte float gives still format exactly below 2^128.
TEST(NumberText, MatchesTheLibraryForWiderDoubles) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 300000; ++i) {
        const std::uint64_t m = rng() >> (11 + rng() % 53);
        const int e = static_cast<int>(rng() % 220) - 140;
        double v = std::ldexp(static_cast<double>(m), e);
        if (rng() & 1) v = -v;
        if (!(std::fabs(v) < 0x1p128)) continue;
        ASSERT_EQ(fixed(v), library_fixed(v)) << std::hexfloat << v;
    }
    for (double v : {0x1p-1074, 0x1.fffffffffffffp127, 0x1.fffffffffffffp63, 0.4999999999999999e-6, 0.5e-6, 2.5e-6})
        EXPECT_EQ(fixed(v), library_fixed(v)) << std::hexfloat << v;
}

std::string integer_text(unsigned (*format)(unsigned, char*), unsigned value) {
    char out[16];
    return std::string(out, format(value, out));
}

TEST(NumberText, IntegersAsPrintfWritesThem) {
    char out[16];
    struct {
        int value;
        const char* text;
    } signed_cases[] = {{0, "0"}, {7, "7"}, {-7, "-7"}, {10, "10"}, {99, "99"}, {100, "100"}, {123456789, "123456789"},
                        {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}, {-1000000, "-1000000"},
                        {9999, "9999"}, {10000, "10000"}, {99999999, "99999999"}, {100000000, "100000000"},
                        {999999999, "999999999"}, {1000000000, "1000000000"}, {100000001, "100000001"}};
    for (const auto& c : signed_cases) EXPECT_EQ(std::string(out, format_int(c.value, out)), c.text) << c.value;

    EXPECT_EQ(integer_text(format_unsigned, 0), "0");
    EXPECT_EQ(integer_text(format_unsigned, 4294967295u), "4294967295");
    EXPECT_EQ(integer_text(format_hex, 0), "0");
    EXPECT_EQ(integer_text(format_hex, 0xabcdefu), "abcdef");
    EXPECT_EQ(integer_text(format_hex, 0xFFFFFFFFu), "ffffffff");
    EXPECT_EQ(integer_text(format_hex, 0x10u), "10");

    std::mt19937 rng(11);
    char expected[16];
    for (int i = 0; i < 200000; ++i) {
        const unsigned v = rng() >> (rng() % 32);
        std::snprintf(expected, sizeof expected, "%u", v);
        ASSERT_EQ(integer_text(format_unsigned, v), expected);
        std::snprintf(expected, sizeof expected, "%x", v);
        ASSERT_EQ(integer_text(format_hex, v), expected);
        const int s = static_cast<int>(v);
        std::snprintf(expected, sizeof expected, "%d", s);
        ASSERT_EQ(std::string(out, format_int(s, out)), expected);
    }
}

}  // namespace
