#include <gtest/gtest.h>

#include <vector>

#include "engine/anchor_pass.h"
#include "support/engine_runs.h"
#include "support/model_builder.h"

namespace {

const std::vector<std::uint8_t> mid_bytes = {0, 0, 1, 0, 0, 0};
const std::vector<std::uint8_t> double_bytes = {1, 0, 0, 0, 1, 0, 0, 0};

// A model of size bytes of background with the marker bytes at each offset.
std::vector<std::uint8_t> model_with(const std::vector<std::uint8_t>& marker,
                                     const std::vector<unsigned>& offsets, std::size_t size,
                                     std::uint8_t background = 0) {
    std::vector<std::uint8_t> bytes(size, background);
    bytes[0] = 16;
    for (unsigned at : offsets)
        for (std::size_t k = 0; k < marker.size(); ++k) bytes.at(at + k) = marker[k];
    return bytes;
}

std::vector<unsigned> recorded(const AnchorList& anchors, int hits) {
    return std::vector<unsigned>(anchors.offsets + 1, anchors.offsets + 1 + recorded_anchors(hits));
}

}  // namespace

TEST(AnchorPass, ResumesStepBytesBehindAHitWithOneByteStepBack) {
    // The second pass of go1/go3: mid marker, step 100, first hit at 200.
    struct Case {
        unsigned second;
        std::vector<unsigned> expected;
    };
    const Case cases[] = {
        {200 + 98, {200, 500}},       // inside the step: never seen
        {200 + 99, {200}},            // at the search start: reads as nothing, the pass ends
        {200 + 100, {200, 300, 500}}, // found through the step back
        {200 + 101, {200, 301, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        load_model(model_with(mid_bytes, {200, c.second, 500}, 700));
        AnchorList anchors;
        int hits = collect_anchors(anchors, mid_one_marker, 6, 100);
        EXPECT_EQ(hits, static_cast<int>(c.expected.size()));
        EXPECT_EQ(recorded(anchors, hits), c.expected);
    }
}

TEST(AnchorPass, StepBackOnlyWhenTheResumeByteIsThePatternsFirst) {
    // Double marker, step 20: a match at h + 19 leaves byte h + 20 at 0, not 1,
    // so the search starts at h + 20 and the match is passed over.
    struct Case {
        unsigned second;
        std::vector<unsigned> expected;
    };
    const Case cases[] = {
        {100 + 19, {100, 200}},
        {100 + 20, {100, 120, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        load_model(model_with(double_bytes, {100, c.second, 200}, 300, 0xee));
        AnchorList anchors;
        int hits = collect_anchors(anchors, double_one_marker, 8, 20);
        EXPECT_EQ(recorded(anchors, hits), c.expected);
    }
}

TEST(AnchorPass, MatchesNextToTheStartAndTheEnd) {
    AnchorList anchors;
    // Offset 1 is the first resume point; the step back reaches offset 0.
    load_model(model_with(double_bytes, {1}, 50, 0xee));
    EXPECT_EQ(collect_anchors(anchors, double_one_marker, 8, 20), 1);
    EXPECT_EQ(anchors.offsets[1], 1u);

    // A match ending with the last byte counts; one a byte longer does not.
    load_model(model_with(double_bytes, {42}, 50, 0xee));
    EXPECT_EQ(collect_anchors(anchors, double_one_marker, 8, 20), 1);
    EXPECT_EQ(anchors.offsets[1], 42u);
    std::vector<std::uint8_t> cut = model_with(double_bytes, {42}, 50, 0xee);
    cut.pop_back();
    load_model(cut);
    EXPECT_EQ(collect_anchors(anchors, double_one_marker, 8, 20), 0);

    // A hit whose resume point lies past the end ends the pass.
    load_model(model_with(mid_bytes, {40}, 50, 0xee));
    EXPECT_EQ(collect_anchors(anchors, mid_one_marker, 6, 100), 1);

    load_model(model_with(mid_bytes, {}, 50, 0xee));
    EXPECT_EQ(collect_anchors(anchors, mid_one_marker, 6, 100), 0);
}

TEST(AnchorPass, The999thHitIsCountedNotRecorded) {
    for (unsigned occurrences : {997u, 998u, 999u, 1000u}) {
        SCOPED_TRACE(occurrences);
        std::vector<unsigned> offsets;
        for (unsigned i = 0; i < occurrences; ++i) offsets.push_back(10 + 100 * i);
        load_model(model_with(mid_bytes, offsets, 100 * occurrences + 100, 0xee));
        AnchorList anchors;
        int hits = collect_anchors(anchors, mid_one_marker, 6, 100);
        EXPECT_EQ(hits, static_cast<int>(std::min(occurrences, 999u)));
        offsets.resize(std::min(occurrences, 998u));
        EXPECT_EQ(recorded(anchors, hits), offsets);
    }
}

TEST(AnchorPass, PaintNameStepsBackOnTheLetterP) {
    std::vector<std::uint8_t> text = {'p', 'a', 'i', 'n', 't', ' ', 'n', 'a', 'm', 'e'};
    AnchorList anchors;
    // At h + 19 the text is passed over, at h + 20 it is found.
    load_model(model_with(text, {30, 49, 90}, 120, 0xee));
    int hits = collect_anchors(anchors, paint_name_marker, 10, 20);
    EXPECT_EQ(recorded(anchors, hits), (std::vector<unsigned>{30, 90}));
    load_model(model_with(text, {30, 50, 90}, 120, 0xee));
    hits = collect_anchors(anchors, paint_name_marker, 10, 20);
    EXPECT_EQ(recorded(anchors, hits), (std::vector<unsigned>{30, 50, 90}));
}
