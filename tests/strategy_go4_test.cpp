#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/strategies.h"
#include "support/engine_runs.h"
#include "support/fake_platform.h"
#include "support/model_builder.h"
#include "support/model_pieces.h"

namespace {

BlockSpec layout(int variant) {
    BlockSpec shape;
    shape.variant = variant;
    return shape;
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
    put_double_marker(bytes, 200);
    put_block(bytes, 240, layout(1));
    put_paint_name(bytes, 500);
    put_double_marker(bytes, 600);
    put_double_marker(bytes, 620);  // within the look-ahead: layout 4 after this one
    put_block(bytes, 660, layout(4));
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
        put_block(bytes, m + 40, layout(1));
        put_block(bytes, m + c.d + 40, layout(4));
        put_double_marker(bytes, m);
        put_double_marker(bytes, m + c.d);
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
    put_double_marker(bytes, 300);
    put_block(bytes, 340, layout(1));
    put_paint_name(bytes, 400);  // after the first marker: goes on to the next
    put_double_marker(bytes, 700);
    put_block(bytes, 740, layout(1));
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
    put_double_marker(bytes, 200);
    put_block(bytes, 240, layout(1));
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
    put_double_marker(bytes, 50);
    put_paint_name(bytes, 300);
    put_paint_name(bytes, 700);
    run = run_strategy(go4, bytes);
    EXPECT_EQ(run.body, "# button go4\n\n# no find at 0x12c\n\n# no find at 0x2bc\n\n");
    EXPECT_EQ(run.had_errors, 1);
}

TEST(StrategyGo4, NoPaintName) {
    std::vector<std::uint8_t> bytes = noise_model(800);
    put_double_marker(bytes, 50);
    put_block(bytes, 90, layout(1));
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
        put_double_marker(bytes, 300);
        put_block(bytes, 340, layout(1));
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
    put_double_marker(bytes, 392);  // ends with the last byte
    StrategyRun run = run_strategy(go4, bytes);
    // Its block lies past the source length, where the buffer reads zero.
    EXPECT_EQ(run.body, "# button go4\n\ng submesh_1_1\n# faces count is zero.\n");
    EXPECT_EQ(run.had_errors, 0);

    bytes.pop_back();
    run = run_strategy(go4, bytes);
    EXPECT_EQ(run.body, "# button go4\n\n# no find at 0x64\n\n");
    EXPECT_EQ(run.had_errors, 1);
}
