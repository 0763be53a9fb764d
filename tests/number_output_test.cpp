#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "engine/conversion_state.h"
#include "engine/number_output.h"
#include "engine/obj_output.h"
#include "support/output_capture.h"

namespace {

// Lays floats into the source buffer at a fixed offset, little-endian, and
// clears them again after the test.
class NumberOutput : public ::testing::Test {
protected:
    static constexpr unsigned start = 4096;
    unsigned placed = 0;
    OutputCapture capture;

    void place_words(std::initializer_list<std::uint32_t> words) {
        unsigned at = start + placed;
        for (std::uint32_t w : words) {
            for (int i = 0; i < 4; ++i) conversion_state.source_buffer[at++] = static_cast<unsigned char>(w >> (8 * i));
            placed += 4;
        }
    }
    void place(std::initializer_list<float> values) {
        for (float v : values) place_words({std::bit_cast<std::uint32_t>(v)});
    }
    void TearDown() override { std::memset(conversion_state.source_buffer + start, 0, placed); }
};

TEST_F(NumberOutput, WriteFloatWritesTheNumberAndOneBlank) {
    place({0.5f, -0.0f, 0.3f});
    unsigned read_pos = start, consumed = 100;
    write_float(read_pos, consumed);
    EXPECT_EQ(capture.text(), "0.500000 ");
    write_float(read_pos, consumed);
    write_float(read_pos, consumed);
    EXPECT_EQ(capture.text(), "0.500000 -0.000000 0.300000 ");
    EXPECT_EQ(read_pos, start + 12);
    EXPECT_EQ(consumed, 112u);
}

TEST_F(NumberOutput, WriteVectorWritesPrefixBlankAndThreeNumbers) {
    place({1.0f, 2.0f, 3.0f, -1.5f, 4294967296.0f, 0.0f});
    unsigned read_pos = start, consumed = 0;
    write_vector(read_pos, consumed, "v ");
    EXPECT_EQ(capture.text(), "v  1.000000 2.000000 3.000000\n");
    write_vector(read_pos, consumed, "#");
    EXPECT_EQ(capture.text(), "v  1.000000 2.000000 3.000000\n# -1.500000 4294967296.000000 0.000000\n");
    EXPECT_EQ(read_pos, start + 24);
    EXPECT_EQ(consumed, 24u);
}

TEST_F(NumberOutput, LongPrefixesAndExtremeValuesKeepTheLineWhole) {
    place({-0x1.fffffep127f, -0x1.fffffep127f, -0x1.fffffep127f});
    unsigned read_pos = start, consumed = 0;
    const std::string prefix(300, 'p');
    write_vector(read_pos, consumed, prefix.c_str());
    const std::string number = "-340282346638528859811704183484516925440.000000";
    EXPECT_EQ(capture.text(), prefix + " " + number + " " + number + " " + number + "\n");
}

TEST_F(NumberOutput, SpecialValuesWriteAsTheLibraryOnLinuxWritesThem) {
    place_words({0x7F800000u, 0xFF800000u, 0x7FC00000u, 0xFFC00001u});
    unsigned read_pos = start, consumed = 0;
    for (int i = 0; i < 4; ++i) write_float(read_pos, consumed);
    EXPECT_EQ(capture.text(), "inf -inf nan -nan ");
}

// The decoder's whole-line writers give what the piecewise writers give.
TEST_F(NumberOutput, LineWritersMatchThePiecewiseWriters) {
    std::vector<std::uint32_t> words = {0x00000000u, 0x80000000u, 0x3F800000u, 0xBF7FFFFFu, 0x461C3FFFu,
                                        0x461C4000u, 0x46FFFFFFu, 0x4B7FFFFFu, 0x4F800000u, 0x7F800000u,
                                        0xFFC00001u, 0x2F800000u, 0x30000000u, 0x3C000000u, 0x38D1B717u};
    std::mt19937 rng(41);
    while (words.size() % 6 != 0 || words.size() < 6000) words.push_back(rng());
    for (std::size_t i = 0; i < words.size(); i += 6) {
        placed = 0;
        for (std::size_t k = 0; k < 6; ++k) place_words({words[i + k]});
        unsigned read_pos = start, consumed = 0;
        const std::string before = capture.text();
        put_text("vt ");
        write_float(read_pos, consumed);
        write_float(read_pos, consumed);
        put_text("\n");
        write_vector(read_pos, consumed, "v ");
        const std::string piecewise = capture.text().substr(before.size());

        unsigned line_pos = start, line_consumed = 0;
        write_uv_line(line_pos, line_consumed);
        write_position_line(line_pos, line_consumed);
        const std::string whole = capture.text().substr(before.size() + piecewise.size());
        ASSERT_EQ(whole, piecewise) << "words from " << std::hex << words[i];
        EXPECT_EQ(line_pos, read_pos);
        EXPECT_EQ(line_consumed, consumed);
    }
}

struct NormalCase {
    float x, y, z;
    bool passes;
};

TEST_F(NumberOutput, WriteNormalChecksUnitLength) {
    const NormalCase cases[] = {
        {0, 0, 1, true},
        {0.6f, 0.8f, 0, true},
        {0, 0, 0, false},  // t = -1
        {0.95f, 0, 0, true},  // t about -0.0975
        {0.9f, 0, 0, false},  // t about -0.19
        {1.0488f, 0, 0, true},
        {1.0489f, 0, 0, false},
        {0, -1, 0, true},
        {0, 0, -1.0489f, false},
        // The float steps around the bounds, in x (through s1 and s2) and in z.
        {0x1.0c7ebcp+0f, 0, 0, true},
        {0x1.0c7ebep+0f, 0, 0, false},
        {0x1.e5b9d2p-1f, 0, 0, true},
        {0x1.e5b9d0p-1f, 0, 0, false},
        {0, 0, 0x1.0c7ebcp+0f, true},
        {0, 0, 0x1.0c7ebep+0f, false},
        {0, 0, 0x1.e5b9d2p-1f, true},
        {0, 0, 0x1.e5b9d0p-1f, false},
        // y*y = 1 + 2^-11 + 2^-24 lies halfway between two floats, and x*x = 2^-60
        // decides it upwards. A sum first rounded to double loses x*x, rounds
        // down, and lets this vector pass.
        {0x1p-30f, 4097.0f / 4096.0f, 0x1.43068cp-2f, false},
        {0, 4097.0f / 4096.0f, 0x1.43068cp-2f, true},
        {INFINITY, 0, 0, false},
        {0, 0, -INFINITY, false},
        {NAN, 0, 0, true},
        {0, 0, NAN, true},
        {INFINITY, NAN, 0, true},  // t is NaN
        {0x1p64f, 0, 0, false},   // the square overflows single precision
        {0x1p-100f, 0, 1, true},  // squares far below the zero flush still count exactly
    };
    for (const NormalCase& c : cases) {
        std::memset(conversion_state.source_buffer + start, 0, placed);
        placed = 0;
        place({c.x, c.y, c.z});
        conversion_state.had_errors = 0;
        EXPECT_EQ(is_unit_length(c.x, c.y, c.z), c.passes ? 1 : 0) << c.x << ' ' << c.y << ' ' << c.z;

        OutputCapture one;
        unsigned read_pos = start, consumed = 8;
        write_normal(read_pos, consumed, "# normal");
        std::string line(80, '\0');
        char* p = line.data();
        p += std::sprintf(p, "# normal %f %f %f\n", static_cast<double>(c.x), static_cast<double>(c.y),
                          static_cast<double>(c.z));
        line.resize(static_cast<std::size_t>(p - line.data()));
        EXPECT_EQ(one.text(), c.passes ? line : line + "ERROR with normals\n") << line;
        EXPECT_EQ(conversion_state.had_errors, c.passes ? 0 : 1) << line;
        EXPECT_EQ(read_pos, start + 12);
        EXPECT_EQ(consumed, 20u);
    }
}

TEST_F(NumberOutput, WriteNormalNeverClearsHadErrors) {
    place({0, 0, 1});
    conversion_state.had_errors = 1;
    unsigned read_pos = start, consumed = 0;
    write_normal(read_pos, consumed, "#");
    EXPECT_EQ(conversion_state.had_errors, 1);
    EXPECT_EQ(capture.text(), "# 0.000000 0.000000 1.000000\n");
}

TEST(UnitTolerance, BothBoundsPassNaNPassesInfinityFails) {
    EXPECT_EQ(is_within_unit_tolerance(0.1), 1);
    EXPECT_EQ(is_within_unit_tolerance(-0.1), 1);
    EXPECT_EQ(is_within_unit_tolerance(0.0), 1);
    EXPECT_EQ(is_within_unit_tolerance(std::nextafter(0.1, 1.0)), 0);
    EXPECT_EQ(is_within_unit_tolerance(std::nextafter(-0.1, -1.0)), 0);
    EXPECT_EQ(is_within_unit_tolerance(NAN), 1);
    EXPECT_EQ(is_within_unit_tolerance(INFINITY), 0);
    EXPECT_EQ(is_within_unit_tolerance(-INFINITY), 0);
}

TEST(UnitTolerance, ComponentsAreRoundedToSinglePrecisionFirst) {
    // 1.04880886 squared exceeds 1.1, but its float, 1.04880881..., passes.
    EXPECT_GT(1.04880886 * 1.04880886, 1.1);
    EXPECT_EQ(is_unit_length(1.04880886, 0, 0), 1);
    EXPECT_EQ(is_unit_length(1.0488089, 0, 0), 0);
    EXPECT_EQ(is_unit_length(1e300, 0, 0), 0);  // beyond single precision: an infinity
    EXPECT_EQ(is_unit_length(-NAN, 0, 0), 1);
}

}  // namespace
