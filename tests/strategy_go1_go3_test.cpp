#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/strategies.h"
#include "support/engine_runs.h"
#include "support/model_builder.h"
#include "support/model_pieces.h"

namespace {

// A block that passes the byte tests: its first u is 0.75 (00 00 40 3f).
BlockSpec accepted_block(int variant, std::uint32_t vertex_count = 3) {
    BlockSpec shape;
    shape.variant = variant;
    shape.vertex_count = vertex_count;
    shape.uvs = {0.75f, 0.5f};
    return shape;
}

// The double marker only has to occur somewhere. It holds a hit of the mid
// marker two bytes in, which fails the tests but moves the second pass on by
// 100 bytes, so it goes behind everything else or 100 bytes before it.
void presence_marker_at_end(ModelBuilder& m) {
    append_noise(m, 10);
    m.raw({1, 0, 0, 0, 1, 0, 0, 0});
}
void presence_marker_in_front(ModelBuilder& m) {
    append_noise(m, 10);
    m.raw({1, 0, 0, 0, 1, 0, 0, 0});
    append_noise(m, 100);
}

// A hit of the mid marker that fails the byte tests (the face count's upper
// half is not 0); the hit is 6 bytes in.
void failing_hit(ModelBuilder& m) { m.raw({0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0, 0, 1, 0, 0, 0}); }

struct Expected {
    std::string body;
    int vertex_base = 0;
    int group = 0;
    int had_errors = 0;
    int variant;
    explicit Expected(const char* banner, int block_variant) : body(banner), variant(block_variant) {
        body += "\n";
    }
    // What the walk writes for a block it accepts at start.
    unsigned block(unsigned start) {
        DecodedBlock b = decode_block(start, variant, vertex_base);
        body += "g submesh_" + std::to_string(++group) + "_3\n" + b.text;
        vertex_base = b.vertex_base;
        had_errors |= b.had_errors;
        return b.end;
    }
};

struct Variant {
    Strategy strategy;
    const char* banner;
    int block_variant;
};
const Variant variants[] = {{go1, "# button go1\n", 1}, {go3, "# button go3\n", 3}};

}  // namespace

TEST(StrategyGo1Go3, DecodesEveryAcceptedBlockWithRunningNumbers) {
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.banner);
        ModelBuilder m;
        m.u8(16);
        presence_marker_in_front(m);
        std::vector<std::size_t> starts;
        starts.push_back(append_block(m, accepted_block(v.block_variant)));
        append_noise(m, 30);  // the second pass resumes inside this gap
        failing_hit(m);
        append_noise(m, 120);
        starts.push_back(append_block(m, accepted_block(v.block_variant, 5)));
        append_noise(m, 100);
        starts.push_back(append_block(m, accepted_block(v.block_variant, 2)));
        presence_marker_at_end(m);

        StrategyRun run = run_strategy(v.strategy, m.bytes);
        Expected expected(v.banner, v.block_variant);
        for (std::size_t start : starts) expected.block(static_cast<unsigned>(start));
        EXPECT_EQ(run.body, expected.body);
        EXPECT_EQ(expected.vertex_base, 9);  // 3 + 3 + 3: each block's indices reach 0..2
        EXPECT_EQ(run.had_errors, 1);        // the blocks of 5 and 2 vertices fail the range check
        EXPECT_TRUE(run.boxes.empty());
    }
}

TEST(StrategyGo1Go3, RunsThatFindNothing) {
    ModelBuilder block_only;
    block_only.u8(16);
    append_noise(block_only, 50);
    append_block(block_only, accepted_block(1));
    append_noise(block_only, 50);

    ModelBuilder presence_only;
    presence_only.u8(16);
    append_noise(presence_only, 50);
    presence_only.raw({1, 0, 0, 0, 1, 0, 0, 0});
    append_noise(presence_only, 50);

    ModelBuilder failing_only = presence_only;
    failing_hit(failing_only);
    append_noise(failing_only, 150);
    failing_hit(failing_only);

    struct Case {
        const char* what;
        const ModelBuilder& model;
        bool empty_line;
    };
    const Case cases[] = {
        {"no double marker, even with a good block", block_only, false},
        // A double marker always holds a hit of the mid marker, which fails the
        // tests: the second pass never comes back empty after the first found one.
        {"only the double marker's own hit", presence_only, true},
        {"no hit passes the tests", failing_only, true},
    };
    for (const Variant& v : variants) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(v.banner) + c.what);
            StrategyRun run = run_strategy(v.strategy, c.model.bytes);
            EXPECT_EQ(run.body, std::string(v.banner) + (c.empty_line ? "\n" : ""));
            EXPECT_EQ(run.had_errors, 1);
        }
    }
}

TEST(StrategyGo1Go3, AcceptanceTest) {
    // Bytes 2 and 3 (upper half of the face count) and 12 to 15 (the first u)
    // of the block; the hit is at block + 6.
    struct Case {
        std::uint8_t b2, b3, b12, b13, b14, b15;
        bool accepted;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0x40, 0x3f, true},   // byte 14 set
        {0, 0, 0, 0, 0x01, 0x00, true},
        {0, 0, 0, 0, 0x00, 0x3f, false},  // 12, 13, 14 all zero
        {0, 0, 1, 0, 0x00, 0x3f, true},   // byte 15 with byte 12
        {0, 0, 0, 1, 0x00, 0x3f, true},   // byte 15 with byte 13
        {0, 0, 5, 5, 0x00, 0x00, false},  // 14 and 15 zero
        {0, 0, 0, 0, 0x00, 0x00, false},
        {1, 0, 0, 0, 0x40, 0x3f, false},  // face count of 65536 and more
        {0, 1, 0, 0, 0x40, 0x3f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.b2) << " " << int(c.b3) << " " << int(c.b12) << " "
                                        << int(c.b13) << " " << int(c.b14) << " " << int(c.b15));
        ModelBuilder m;
        m.u8(16);
        append_noise(m, 40);
        std::size_t start = append_block(m, accepted_block(1));
        presence_marker_at_end(m);
        m.bytes[start + 2] = c.b2;
        m.bytes[start + 3] = c.b3;
        m.bytes[start + 12] = c.b12;
        m.bytes[start + 13] = c.b13;
        m.bytes[start + 14] = c.b14;
        m.bytes[start + 15] = c.b15;
        StrategyRun run = run_strategy(go1, m.bytes);
        Expected expected("# button go1\n", 1);
        if (c.accepted) expected.block(static_cast<unsigned>(start));
        EXPECT_EQ(run.body, expected.body);
    }
}

TEST(StrategyGo1Go3, AnchorsInsideTheLastBlockAreSkipped) {
    // The second block overlaps the last bytes of the first one's normal, so
    // its hit lies at the first block's end (overlap 6) or one byte before it.
    for (std::size_t overlap : {6u, 7u}) {
        SCOPED_TRACE(overlap);
        ModelBuilder m;
        m.u8(16);
        append_noise(m, 30);
        BlockSpec first = accepted_block(1);
        first.normal[0] = 1.0f;
        first.normal[2] = 0.0f;
        std::size_t first_start = append_block(m, first);
        std::size_t first_end = m.size();
        m.bytes[first_end - 8] = 0x55;  // keeps a hit from forming just before the next one
        m.bytes.resize(first_end - overlap);
        std::size_t second_start = append_block(m, accepted_block(1));
        append_noise(m, 100);
        std::size_t third_start = append_block(m, accepted_block(1));
        presence_marker_at_end(m);

        StrategyRun run = run_strategy(go1, m.bytes);
        Expected expected("# button go1\n", 1);
        EXPECT_EQ(expected.block(static_cast<unsigned>(first_start)), first_end);
        if (overlap == 6) expected.block(static_cast<unsigned>(second_start));
        expected.block(static_cast<unsigned>(third_start));
        EXPECT_EQ(run.body, expected.body);
        EXPECT_EQ(run.had_errors, 0);
    }
}

TEST(StrategyGo1Go3, RejectedBlockKeepsItsGroupAndTheWalkGoesOn) {
    ModelBuilder m;
    m.u8(16);
    append_noise(m, 30);
    BlockSpec empty = accepted_block(1);
    empty.face_count = 0;
    std::size_t first = append_block(m, empty);
    append_noise(m, 10);
    std::size_t second = append_block(m, accepted_block(1));
    presence_marker_at_end(m);
    StrategyRun run = run_strategy(go1, m.bytes);
    Expected expected("# button go1\n", 1);
    EXPECT_EQ(expected.block(static_cast<unsigned>(first)), first);  // left at its start
    expected.block(static_cast<unsigned>(second));
    EXPECT_EQ(run.body, expected.body);
    EXPECT_NE(run.body.find("g submesh_1_3\n# faces count is zero.\ng submesh_2_3\n#  3 verts"),
              std::string::npos);
    EXPECT_EQ(run.had_errors, 0);
}

TEST(StrategyGo1Go3, SecondPassResumeRule) {
    // A failing hit at h, then a good block whose hit is at h + 99 or h + 100,
    // then another good block.
    for (unsigned distance : {99u, 100u}) {
        SCOPED_TRACE(distance);
        ModelBuilder m;
        m.u8(16);
        append_noise(m, 30);
        std::size_t h = m.size() + 6;
        failing_hit(m);
        append_noise(m, h + distance - 6 - m.size());
        std::size_t second = append_block(m, accepted_block(1));
        append_noise(m, 100);
        std::size_t third = append_block(m, accepted_block(1));
        presence_marker_at_end(m);
        StrategyRun run = run_strategy(go1, m.bytes);
        Expected expected("# button go1\n", 1);
        if (distance == 100) {
            expected.block(static_cast<unsigned>(second));
            expected.block(static_cast<unsigned>(third));
        }
        // At h + 99 the match sits at the search start: the pass ends there.
        EXPECT_EQ(run.body, expected.body);
        EXPECT_EQ(run.had_errors, distance == 99 ? 1 : 0);
    }
}

TEST(StrategyGo1Go3, The999thHitIsNotWalked) {
    for (int failing : {997, 998}) {
        SCOPED_TRACE(failing);
        ModelBuilder m;
        m.u8(16);
        for (int i = 0; i < failing; ++i) {
            failing_hit(m);
            append_noise(m, 88);
        }
        std::size_t start = append_block(m, accepted_block(1));
        presence_marker_at_end(m);
        StrategyRun run = run_strategy(go1, m.bytes);
        Expected expected("# button go1\n", 1);
        if (failing == 997) expected.block(static_cast<unsigned>(start));
        EXPECT_EQ(run.body, expected.body);
        EXPECT_EQ(run.had_errors, failing == 997 ? 0 : 1);
    }
}

TEST(StrategyGo1Go3, AnchorsBelowSixAreSkipped) {
    // A hit at 5 passes the byte tests but its block would start before the model.
    ModelBuilder low;
    low.raw({16, 0, 0, 7, 7, 0, 0, 1, 0, 0, 0, 0, 0, 0x40, 0x3f});
    append_noise(low, 120);
    std::size_t later = append_block(low, accepted_block(1));
    presence_marker_at_end(low);
    StrategyRun run = run_strategy(go1, low.bytes);
    Expected expected("# button go1\n", 1);
    expected.block(static_cast<unsigned>(later));
    EXPECT_EQ(run.body, expected.body);

    // A hit at 6: the block starts at 0, its face count 16 is the type byte.
    ModelBuilder at_zero;
    BlockSpec shape = accepted_block(1);
    shape.face_count = 16;
    append_block(at_zero, shape);
    presence_marker_at_end(at_zero);
    run = run_strategy(go1, at_zero.bytes);
    Expected from_zero("# button go1\n", 1);
    from_zero.block(0);
    EXPECT_EQ(run.body, from_zero.body);
    EXPECT_NE(run.body.find("g submesh_1_3\n#  3 verts, 16 faces\n"), std::string::npos);
}

TEST(StrategyGo1Go3, BytesPastTheSourceLengthCountAsZero) {
    // A hit whose byte tests reach past the end, after a longer model left
    // bytes that would pass them.
    ModelBuilder longer;
    longer.u8(16);
    longer.fill(400, 0x40);
    run_strategy(go1, longer.bytes);

    ModelBuilder m;
    m.u8(16);
    presence_marker_in_front(m);
    m.raw({3, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0});  // a header that ends the model
    StrategyRun run = run_strategy(go1, m.bytes);
    EXPECT_EQ(run.body, "# button go1\n\n");
    EXPECT_EQ(run.had_errors, 1);

    // The same header with the first u inside the model is accepted.
    m.raw({0, 0, 0x40, 0x3f});
    run = run_strategy(go1, m.bytes);
    EXPECT_NE(run.body.find("g submesh_1_3\n#  3 verts, 3 faces\n"), std::string::npos);
}
