// go1..go4's text written vertices first while the engine makes it: byte for
// byte the moves found in the whole text, for every strategy and group shape.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifdef VORLUND_OBJ_PROGRAM

#include "cli/vertices_first_output.h"
#include "cli/vertices_first_text.h"
#include "support/engine_runs.h"
#include "support/model_builder.h"
#include "support/model_pieces.h"
#include "support/vertices_first_reference.h"

namespace fs = std::filesystem;

namespace {

const Strategy strategies[] = {go1, go2, go3, go4};

// A block that go1 and go3 accept too: its first u has non-zero upper bytes.
BlockSpec accepted(std::uint32_t vertex_count = 3) {
    BlockSpec b;
    b.vertex_count = vertex_count;
    b.uvs.resize(2 * vertex_count, 0.5f);
    if (vertex_count > 0) b.uvs[0] = 0.75f;
    return b;
}

// A model in which go<strategy> finds the blocks in order, each in its layout;
// with cut_after, the second block's bytes end that far into it.
std::vector<std::uint8_t> model_for(int strategy, std::vector<BlockSpec> blocks, std::size_t cut_after = 0) {
    ModelBuilder m;
    m.u8(16);
    // go1 and go3 only need a double marker somewhere; its own hit moves them on by 100 bytes.
    append_noise(m, 10);
    m.raw({1, 0, 0, 0, 1, 0, 0, 0});
    append_noise(m, 120);
    for (BlockSpec& b : blocks) {
        if (strategy == 2) {
            m.raw({1, 0, 0, 0, 1, 0, 0, 0});
            append_noise(m, 21);
        } else if (strategy == 4) {
            m.text("paint name");
            append_noise(m, 90);
        }
        if (strategy == 2 || strategy == 4) {
            m.raw({1, 0, 0, 0, 1, 0, 0, 0});
            append_noise(m, 32);
        }
        b.variant = strategy == 3 ? 3 : 1;
        std::size_t at = append_block(m, b);
        if (cut_after && &b == &blocks[1]) m.bytes.resize(at + cut_after);
        append_noise(m, 120);
    }
    return m.bytes;
}

// The text written through the sink against the plain reorder of the window's
// text. The header names the run's own folder, so only the rest counts.
void expect_as_plain_reorder(Strategy strategy, const std::vector<std::uint8_t>& model, const std::string& what,
                               std::string* window_text = nullptr) {
    StrategyRun window = run_strategy(strategy, model);
    StrategyRun reordered;
    {
        VerticesFirstOutput sink;
        reordered = run_strategy(strategy, model);
        EXPECT_FALSE(sink.out_of_memory());
    }
    const std::string expected = vertices_first_reference(window.header + window.body).substr(window.header.size());
    EXPECT_EQ(reordered.body, expected) << what;
    EXPECT_EQ(reordered.had_errors, window.had_errors) << what;
    if (window_text) *window_text = window.body;
}

struct ShapeCase {
    const char* name;
    BlockSpec block;
    const char* shows;  // a line only this shape writes
    std::size_t cut_after = 0;  // the block's bytes end this far into it
};

std::vector<ShapeCase> shapes() {
    std::vector<ShapeCase> cases = {
        {"clean", accepted(), "# one normal(?)"},
        {"faces out of range", accepted(), "# ERROR! faceindex delta= 8"},
        {"normal not of unit length", accepted(), "ERROR with normals"},
        {"no vertices", accepted(0), "#  0 verts, 1 faces"},
        {"marker byte not 1", accepted(), "# >>> Warning: missing 1"},
        {"face count zero", accepted(), "# faces count is zero."},
        {"vertex count refused", accepted(), "g submesh_2\ng submesh_3"},
        // Its UVs would take more than the whole model: the block ends there.
        {"cut short after its UVs", accepted(400), "#  400 verts", 28},
    };
    cases[1].block.indices = {0, 1, 7, 2};
    cases[2].block.normal[2] = 0.0f;
    cases[4].block.marker = 0;
    cases[5].block.face_count = 0;
    cases[6].block.vertex_count = 70000;
    return cases;
}

}  // namespace

TEST(VerticesFirstOutput, EveryStrategyAndGroupShapeAsThePlainReorder) {
    for (const ShapeCase& c : shapes()) {
        bool shown = false;
        for (int s = 1; s <= 4; ++s) {
            std::vector<BlockSpec> blocks = {accepted(), c.block, accepted()};
            std::string window;
            expect_as_plain_reorder(strategies[s - 1], model_for(s, blocks, c.cut_after),
                                      std::string(c.name) + " go" + std::to_string(s), &window);
            shown = shown || window.find(c.shows) != std::string::npos;
        }
        EXPECT_TRUE(shown) << c.name << ": no strategy made this shape";
    }
}

TEST(VerticesFirstOutput, SamplesAndCorpusThroughEveryStrategyAsThePlainReorder) {
    std::vector<fs::path> models;
    for (const fs::path& folder : {fs::path(VORLUND_SOURCE_DIR) / "samples", fs::path(VORLUND_CORPUS_DIR)}) {
        if (!fs::is_directory(folder)) continue;  // the corpus may be absent
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().extension() == ".dff") models.push_back(entry.path());
    }
    ASSERT_FALSE(models.empty());
    for (const fs::path& path : models) {
        const std::string bytes = read_file(path);
        for (int s = 1; s <= 4; ++s)
            expect_as_plain_reorder(strategies[s - 1], {bytes.begin(), bytes.end()},
                                      path.filename().string() + " go" + std::to_string(s));
    }
}

// 65,535 vertices and faces: megabytes held, far past the first buffer and
// the engine's pieces.
TEST(VerticesFirstOutput, AGroupLargerThanTheFirstBuffer) {
    BlockSpec big = accepted(65535);
    big.face_count = 65535;
    big.indices.resize(4 * 65535);
    for (std::size_t i = 0; i < big.indices.size(); ++i) big.indices[i] = static_cast<std::uint16_t>(i % 65535);
    std::string window;
    expect_as_plain_reorder(go1, model_for(1, {big, accepted()}), "a large group", &window);
    EXPECT_GT(window.find("g submesh_2"), VerticesFirstText::first_buffer);
}

#endif  // VORLUND_OBJ_PROGRAM
