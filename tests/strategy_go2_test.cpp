#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/strategies.h"
#include "support/engine_runs.h"
#include "support/model_builder.h"
#include "support/model_pieces.h"

namespace {

struct Expected {
    std::string body;
    int vertex_base = 0;
    int group = 0;
    explicit Expected(int hits) : body("# button go2\n# " + std::to_string(hits) + " SMs\n") {}
    unsigned decoded(const char* ending, unsigned start) {
        body += "g submesh_" + std::to_string(++group) + ending;
        DecodedBlock b = decode_block(start, 2, vertex_base);
        body += b.text;
        vertex_base = b.vertex_base;
        return b.end;
    }
    void not_decoded(const char* ending) { body += "g submesh_" + std::to_string(++group) + ending; }
};

}  // namespace

TEST(StrategyGo2, PairsOfAnchors) {
    struct Pair {
        const char* ending;  // "\n" near, "_\n" wide
        unsigned block;
    };
    struct Case {
        std::vector<unsigned> anchors;
        std::vector<Pair> pairs;
    };
    const Case cases[] = {
        {{1000, 1029}, {{"\n", 1069}}},
        {{1000, 1029, 1058}, {{"\n", 1069}}},  // the third anchor has no partner left
        {{1000, 1052, 1081}, {{"_\n", 1096}}}, // 1081 is not paired with 1052
        {{1000, 1029, 1081}, {{"\n", 1069}}},  // 1081 is not compared with 1029
        {{1000, 1028, 1057}, {{"\n", 1097}}},  // no pair at 28: the walk moves on by one
        {{1000, 1053, 1105}, {{"_\n", 1149}}},
        {{1000, 1029, 1500, 1552}, {{"\n", 1069}, {"_\n", 1596}}},
        {{1000, 1028}, {}},
        {{1000, 1030}, {}},
        {{1000, 1051}, {}},
        {{1000, 1053}, {}},
        {{1000}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.anchors));
        std::vector<std::uint8_t> bytes = noise_model(2000);
        for (const Pair& p : c.pairs) put_block(bytes, p.block);
        for (unsigned a : c.anchors) put_double_marker(bytes, a);
        StrategyRun run = run_strategy(go2, bytes);
        Expected expected(static_cast<int>(c.anchors.size()));
        for (const Pair& p : c.pairs) expected.decoded(p.ending, p.block);
        EXPECT_EQ(run.body, expected.body);
        EXPECT_EQ(run.had_errors, c.pairs.empty() ? 1 : 0);
    }
}

TEST(StrategyGo2, RunningNumbersAcrossPairs) {
    std::vector<std::uint8_t> bytes = noise_model(1500);
    BlockSpec four;
    four.vertex_count = 4;
    four.face_count = 2;
    four.indices = {0, 1, 2, 3, 3, 2, 1, 0};
    put_block(bytes, 569, four);
    put_block(bytes, 1296);
    for (unsigned a : {500u, 529u, 1200u, 1252u}) put_double_marker(bytes, a);
    StrategyRun run = run_strategy(go2, bytes);
    Expected expected(4);
    expected.decoded("\n", 569);
    expected.decoded("_\n", 1296);
    EXPECT_EQ(run.body, expected.body);
    EXPECT_NE(run.body.find("f 5/5 6/6 7/7 \n# face index min/max: 5 / 7\n"), std::string::npos);
    EXPECT_EQ(run.had_errors, 0);
}

TEST(StrategyGo2, NoMarkerAtAll) {
    StrategyRun run = run_strategy(go2, noise_model(500));
    EXPECT_EQ(run.body, "# button go2\n");
    EXPECT_EQ(run.had_errors, 1);
}

TEST(StrategyGo2, WidePairMark) {
    // A wide pair decodes a long block; two more wide pairs have their anchors in
    // that block's positions. The second pair's block lies inside the first block
    // (not decoded), the third starts exactly at its end.
    for (bool with_middle_pair : {true, false}) {
        SCOPED_TRACE(with_middle_pair);
        std::vector<std::uint8_t> bytes = noise_model(2000);
        BlockSpec big;
        big.vertex_count = 20;
        unsigned first = 400 + 96;
        unsigned end = first + static_cast<unsigned>(block_size(big));
        put_block(bytes, first, big);
        put_block(bytes, end);
        put_double_marker(bytes, 400);
        put_double_marker(bytes, 452);
        if (with_middle_pair) {
            put_double_marker(bytes, end - 176);
            put_double_marker(bytes, end - 124);
        }
        put_double_marker(bytes, end - 96);
        put_double_marker(bytes, end - 44);

        StrategyRun run = run_strategy(go2, bytes);
        Expected expected(with_middle_pair ? 6 : 4);
        EXPECT_EQ(expected.decoded("_\n", first), end);
        if (with_middle_pair) {
            expected.not_decoded("_\n");  // block at end - 80: below the mark, which drops to it
            expected.decoded("_\n", end);  // now above the lowered mark
        } else {
            expected.not_decoded("_\n");  // block at end: equal to the mark
        }
        EXPECT_EQ(run.body, expected.body);
    }
}

TEST(StrategyGo2, NearPairsIgnoreTheWidePairMark) {
    // A near pair whose block lies inside the block of an earlier wide pair is
    // still decoded.
    std::vector<std::uint8_t> bytes = noise_model(2000);
    BlockSpec big;
    big.vertex_count = 20;
    unsigned first = 400 + 96;
    unsigned end = first + static_cast<unsigned>(block_size(big));
    put_block(bytes, first, big);
    put_block(bytes, end - 81);  // over the last positions of the big block
    put_double_marker(bytes, 400);
    put_double_marker(bytes, 452);
    put_double_marker(bytes, end - 150);
    put_double_marker(bytes, end - 121);
    StrategyRun run = run_strategy(go2, bytes);
    Expected expected(4);
    unsigned big_end = expected.decoded("_\n", first);
    EXPECT_GT(big_end, end - 81);
    expected.decoded("\n", end - 81);
    EXPECT_EQ(run.body, expected.body);
    EXPECT_NE(run.body.find("g submesh_2\n#  3 verts, 1 faces\n"), std::string::npos);
    EXPECT_TRUE(run.boxes.empty());
}

TEST(StrategyGo2, AnchorCap) {
    // Markers 20 bytes apart, one gap of 29 between markers gap and gap + 1.
    struct Case {
        int markers, gap, hits;
        bool paired;
    };
    const Case cases[] = {
        {998, 997, 998, true},
        {999, 997, 999, true},   // the 999th marker lies before the block
        {999, 998, 999, false},  // the 999th hit is not recorded
        {1000, 998, 999, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.markers << " markers, gap after " << c.gap);
        std::vector<std::uint8_t> bytes = noise_model(20 * 1000 + 400);
        unsigned at = 50, block = 0;
        for (int k = 1; k <= c.markers; ++k) {
            put_double_marker(bytes, at);
            if (k == c.gap + 1) block = at + 40;
            at += k == c.gap ? 29 : 20;
        }
        if (c.paired) put_block(bytes, block);
        StrategyRun run = run_strategy(go2, bytes);
        Expected expected(c.hits);
        if (c.paired) expected.decoded("\n", block);
        EXPECT_EQ(run.body, expected.body);
        EXPECT_EQ(run.had_errors, c.paired ? 0 : 1);
    }
}
