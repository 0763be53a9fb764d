#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/conversion_state.h"
#include "engine/pattern_search.h"
#include "engine/source_loading.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

const int double_one_marker[] = {1, 0, 0, 0, 1, 0, 0, 0};
const int mid_one_marker[] = {0, 0, 1, 0, 0, 0};

// In the sanitizer build any read of these bytes stops the test run.
struct ForbiddenBytes {
    unsigned char* at;
    std::size_t count;
    ForbiddenBytes(unsigned offset, std::size_t n) : at(conversion_state.source_buffer + offset), count(n) {
#if defined(__SANITIZE_ADDRESS__)
        __asan_poison_memory_region(at, count);
#endif
    }
    ~ForbiddenBytes() {
#if defined(__SANITIZE_ADDRESS__)
        __asan_unpoison_memory_region(at, count);
#endif
    }
};

// A source of length bytes whose buffer holds more bytes behind it, as an
// earlier, longer model would have left them.
struct Source {
    std::vector<std::uint8_t> bytes;
    explicit Source(std::size_t held) : bytes(held, 0xCC) {}
    void put(std::size_t at, const int* pattern, int length) {
        for (int k = 0; k < length; ++k) bytes[at + k] = static_cast<std::uint8_t>(pattern[k]);
    }
    void load(int length) {
        place_source(bytes.data(), static_cast<unsigned>(bytes.size()));
        conversion_state.source_length = length;
    }
};

// The search as literally described, position by position.
unsigned reference_find(unsigned start, unsigned window, const int* pattern, int length) {
    for (unsigned long long i = 0; i <= window; ++i) {
        if (start + i + length > static_cast<unsigned long long>(conversion_state.source_length)) return 0;
        int k = 0;
        while (k < length && conversion_state.source_buffer[start + i + k] == pattern[k]) ++k;
        if (k == length) return static_cast<unsigned>(i);
    }
    return 0;
}

struct PatternSearch : testing::Test {
    void TearDown() override { place_source(nullptr, 0); }
};

}  // namespace

TEST_F(PatternSearch, NothingAtOrPastTheSourceLengthCounts) {
    struct Case {
        unsigned occurrence;
        unsigned expected;
    };
    const Case cases[] = {{92, 92}, {93, 0}, {100, 0}, {150, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.occurrence);
        Source s(200);
        s.put(c.occurrence, double_one_marker, 8);
        s.load(100);
        ForbiddenBytes past_end(100, 100);
        EXPECT_EQ(find_pattern(0, 100, double_one_marker, 8), c.expected);
        EXPECT_EQ(find_pattern(0, 0xFFFFFFFFu, double_one_marker, 8), c.expected);
    }
}

TEST_F(PatternSearch, SingleElementAtTheLastLoadedByte) {
    const int seven[] = {7};
    Source s(10);
    s.bytes[9] = 7;
    s.load(10);
    EXPECT_EQ(find_pattern(0, 100, seven, 1), 9u);
    EXPECT_EQ(find_pattern(3, 6, seven, 1), 6u);
    EXPECT_EQ(find_pattern(3, 5, seven, 1), 0u);
}

TEST_F(PatternSearch, MatchAtStartReadsZeroAndHidesLaterOnes) {
    Source s(100);
    s.put(10, mid_one_marker, 6);
    s.put(50, mid_one_marker, 6);
    s.load(100);
    EXPECT_EQ(find_pattern(10, 100, mid_one_marker, 6), 0u);
    EXPECT_EQ(find_pattern(9, 100, mid_one_marker, 6), 1u);
    EXPECT_EQ(find_pattern(11, 100, mid_one_marker, 6), 39u);
}

TEST_F(PatternSearch, WindowCountsPositionsFromStart) {
    struct Case {
        unsigned start, window, occurrence, expected;
    };
    const Case cases[] = {
        {20, 0, 20, 0},   // only the start is tried, and a match there reads 0
        {20, 0, 21, 0},
        {20, 40, 60, 40}, // 41 positions: the last one is start + 40
        {20, 40, 61, 0},
        {20, 40, 59, 39},
        {0, 40, 40, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << "+" << c.window << " @" << c.occurrence);
        Source s(300);
        s.put(c.occurrence, double_one_marker, 8);
        s.load(300);
        EXPECT_EQ(find_pattern(c.start, c.window, double_one_marker, 8), c.expected);
    }
}

TEST_F(PatternSearch, StartAtOrBeyondTheLengthReadsNothing) {
    Source s(200);
    s.put(100, double_one_marker, 8);
    s.put(150, double_one_marker, 8);
    s.load(100);
    ForbiddenBytes past_end(100, 100);
    for (unsigned start : {100u, 101u, 150u, 127000000u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(start);
        EXPECT_EQ(find_pattern(start, 0, double_one_marker, 8), 0u);
        EXPECT_EQ(find_pattern(start, 40, double_one_marker, 8), 0u);
        EXPECT_EQ(find_pattern(start, 0xFFFFFFFFu, double_one_marker, 8), 0u);
    }
}

TEST_F(PatternSearch, StartPlusWindowDoesNotWrapAround) {
    Source s(1000);
    s.put(900, double_one_marker, 8);
    s.load(1000);
    EXPECT_EQ(find_pattern(10, 0xFFFFFFFFu, double_one_marker, 8), 890u);
    EXPECT_EQ(find_pattern(10, 0xFFFFFFF0u, double_one_marker, 8), 890u);
}

TEST_F(PatternSearch, ElementsOutsideByteRangeNeverMatch) {
    Source s(100);
    for (auto& b : s.bytes) b = 0;
    s.bytes[30] = 1;
    s.bytes[31] = 255;
    s.load(100);
    const int plain[] = {1, 255};
    const int high_first[] = {257, 255};  // 257 is 1 in a byte
    const int negative[] = {1, -1};       // -1 is 255 in a byte
    const int too_high[] = {1, 511};
    const int minus_255[] = {-255, 255};
    EXPECT_EQ(find_pattern(0, 100, plain, 2), 30u);
    EXPECT_EQ(find_pattern(0, 100, high_first, 2), 0u);
    EXPECT_EQ(find_pattern(0, 100, negative, 2), 0u);
    EXPECT_EQ(find_pattern(0, 100, too_high, 2), 0u);
    EXPECT_EQ(find_pattern(0, 100, minus_255, 2), 0u);
}

TEST_F(PatternSearch, PaintNameTextIsFound) {
    const int paint_name[] = {112, 97, 105, 110, 116, 32, 110, 97, 109, 101};
    std::vector<std::uint8_t> bytes(400, 0);
    const char* text = "paint paint nam paint name";
    for (int i = 0; text[i]; ++i) bytes[200 + i] = static_cast<std::uint8_t>(text[i]);
    place_source(bytes.data(), 400);
    EXPECT_EQ(find_pattern(1, 400, paint_name, 10), 215u);
}

// Many small random sources with few distinct bytes, so that partial matches
// abound, and lengths, starts and windows across several screening steps.
TEST_F(PatternSearch, AgreesWithThePositionByPositionSearch) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes(1 + rng() % 300);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng() % 3);
        place_source(bytes.data(), static_cast<unsigned>(bytes.size()));
        if (rng() % 4 == 0) conversion_state.source_length = static_cast<int>(rng() % (bytes.size() + 1));
        int pattern[8];
        int length = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < length; ++k) pattern[k] = static_cast<int>(rng() % 3);
        unsigned start = rng() % 310;
        unsigned window = rng() % 4 == 0 ? 0xFFFFFFFFu : rng() % 310;
        SCOPED_TRACE(round);
        ASSERT_EQ(find_pattern(start, window, pattern, length), reference_find(start, window, pattern, length));
    }
}
