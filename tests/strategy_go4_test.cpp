#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/strategies.h"
#include "support/engine_runs.h"
#include "support/fake_platform.h"
#include "support/model_builder.h"

namespace {

// Printable bytes without the blank: no marker and no "paint name" can form.
std::vector<std::uint8_t> noise_model(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(0x21 + (i * 37 + 11) % 90);
    bytes[0] = 16;
    return bytes;
}

void put(std::vector<std::uint8_t>& bytes, std::size_t at, const std::vector<std::uint8_t>& what) {
    for (std::size_t k = 0; k < what.size(); ++k) bytes.at(at + k) = what[k];
}

void put_marker(std::vector<std::uint8_t>& bytes, std::size_t at) { put(bytes, at, {1, 0, 0, 0, 1, 0, 0, 0}); }
void put_paint_name(std::vector<std::uint8_t>& bytes, std::size_t at) {
    put(bytes, at, {'p', 'a', 'i', 'n', 't', ' ', 'n', 'a', 'm', 'e'});
}

void put_block(std::vector<std::uint8_t>& bytes, std::size_t at, int variant) {
    BlockSpec spec;
    spec.variant = variant;
    ModelBuilder m;
    append_block(m, spec);
    put(bytes, at, m.bytes);
}

struct Expected {
    std::string body = "# button go4\n\n";
    int vertex_base = 0;
    int group = 0;
    void block(unsigned start, int variant) {
        body += "g submesh_" + std::to_string(++group) + "_1\n";
        DecodedBlock b = decode_block(start, variant, vertex_base);
        body += b.text;
        vertex_base = b.vertex_base;
    }
    void no_find(unsigned anchor) {
        char line[40];
        std::snprintf(line, sizeof line, "# no find at 0x%x\n\n", anchor);
        body += line;
    }
};

}  // namespace

TEST(StrategyGo4, EachAnchorLeadsToTheNextMarker) {
    std::vector<std::uint8_t> bytes = noise_model(1200);
    put_paint_name(bytes, 100);
    put_marker(bytes, 200);
    put_block(bytes, 240, 1);
    put_paint_name(bytes, 500);
    put_marker(bytes, 600);
    put_marker(bytes, 620);  // within the look-ahead: layout 4 after this one
    put_block(bytes, 660, 4);
    StrategyRun run = run_strategy(go4, bytes);
    Expected expected;
    expected.block(240, 1);
    expected.block(660, 4);
    EXPECT_EQ(run.body, expected.body);
    EXPECT_NE(run.body.find("g submesh_2_1\n#  3 verts, 1 faces\n# uvs at 0x2ac\n"), std::string::npos);
    EXPECT_NE(run.body.find("f 4/4 5/5 6/6 \n"), std::string::npos);
    EXPECT_EQ(run.had_errors, 0);
}

TEST(StrategyGo4, LookAheadWindow) {
    // A second marker d bytes after the first one at m; a layout-4 block after
    // the second marker and a layout-1 block after the first where they fit,
    // so that the wrong choice would show.
    struct Case {
        unsigned d;
        unsigned block;  // from m
        int variant;
    };
    const Case cases[] = {
        {4, 44, 4},  // three 32-bit ones in a row
        {20, 60, 4},
        {41, 81, 4},
        {42, 40, 1},
        {60, 40, 1},
    };
    const unsigned m = 300;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.d);
        std::vector<std::uint8_t> bytes = noise_model(1000);
        put_paint_name(bytes, 100);
        put_block(bytes, m + 40, 1);
        put_block(bytes, m + c.d + 40, 4);
        put_marker(bytes, m);
        put_marker(bytes, m + c.d);
        StrategyRun run = run_strategy(go4, bytes);
        FakePlatform quiet;  // the expected decoding shows the same box
        Expected expected;
        expected.block(m + c.block, c.variant);
        EXPECT_EQ(run.body, expected.body);
        // At 42 the second marker lies in the first block's counts.
        EXPECT_EQ(run.boxes.size(), c.d == 42 ? 1u : 0u);
    }
}

TEST(StrategyGo4, AnchorsBeforeOneMarkerDecodeItsBlockEachTime) {
    std::vector<std::uint8_t> bytes = noise_model(1200);
    put_paint_name(bytes, 100);
    put_paint_name(bytes, 150);
    put_paint_name(bytes, 250);
    put_marker(bytes, 300);
    put_block(bytes, 340, 1);
    put_paint_name(bytes, 400);  // after the first marker: goes on to the next
    put_marker(bytes, 700);
    put_block(bytes, 740, 1);
    StrategyRun run = run_strategy(go4, bytes);
    Expected expected;
    for (int i = 0; i < 3; ++i) expected.block(340, 1);
    expected.block(740, 1);
    EXPECT_EQ(run.body, expected.body);
    EXPECT_NE(run.body.find("g submesh_2_1\n#  3 verts, 1 faces\n"), std::string::npos);
    EXPECT_NE(run.body.find("f 10/10 11/11 12/12 \n"), std::string::npos);
    EXPECT_EQ(run.had_errors, 0);
}

TEST(StrategyGo4, AnchorsWithoutAMarkerAfterThem) {
    std::vector<std::uint8_t> bytes = noise_model(1200);
    put_paint_name(bytes, 100);
    put_marker(bytes, 200);
    put_block(bytes, 240, 1);
    put_paint_name(bytes, 600);
    put_paint_name(bytes, 1000);
    StrategyRun run = run_strategy(go4, bytes);
    Expected expected;
    expected.block(240, 1);
    expected.no_find(600);
    expected.no_find(1000);
    EXPECT_EQ(run.body, expected.body);
    EXPECT_EQ(run.had_errors, 0);

    // A marker only before the anchors: nothing is found at all.
    bytes = noise_model(800);
    put_marker(bytes, 50);
    put_paint_name(bytes, 300);
    put_paint_name(bytes, 700);
    run = run_strategy(go4, bytes);
    EXPECT_EQ(run.body, "# button go4\n\n# no find at 0x12c\n\n# no find at 0x2bc\n\n");
    EXPECT_EQ(run.had_errors, 1);
}

TEST(StrategyGo4, NoPaintName) {
    std::vector<std::uint8_t> bytes = noise_model(800);
    put_marker(bytes, 50);
    put_block(bytes, 90, 1);
    StrategyRun run = run_strategy(go4, bytes);
    EXPECT_EQ(run.body, "# button go4\n");
    EXPECT_EQ(run.had_errors, 1);
}

TEST(StrategyGo4, AnchorsCloserThanTwentyBytes) {
    for (unsigned gap : {19u, 20u}) {
        SCOPED_TRACE(gap);
        std::vector<std::uint8_t> bytes = noise_model(800);
        put_paint_name(bytes, 100);
        put_paint_name(bytes, 100 + gap);
        put_marker(bytes, 300);
        put_block(bytes, 340, 1);
        StrategyRun run = run_strategy(go4, bytes);
        Expected expected;
        expected.block(340, 1);
        if (gap == 20) expected.block(340, 1);
        EXPECT_EQ(run.body, expected.body);
    }
}

TEST(StrategyGo4, MarkerAtTheEndOfTheSource) {
    std::vector<std::uint8_t> bytes = noise_model(400);
    put_paint_name(bytes, 100);
    put_marker(bytes, 392);  // ends with the last byte
    StrategyRun run = run_strategy(go4, bytes);
    // Its block lies past the source length, where the buffer reads zero.
    EXPECT_EQ(run.body, "# button go4\n\ng submesh_1_1\n# faces count is zero.\n");
    EXPECT_EQ(run.had_errors, 0);

    bytes.pop_back();
    run = run_strategy(go4, bytes);
    EXPECT_EQ(run.body, "# button go4\n\n# no find at 0x64\n\n");
    EXPECT_EQ(run.had_errors, 1);
}
