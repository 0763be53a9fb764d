// The OBJ text of clean models, as a real OBJ reader sees it.

#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/strategies.h"
#include "support/engine_runs.h"
#include "support/model_builder.h"
#include "support/model_pieces.h"

namespace {

// A clean block of n vertices: a triangle fan whose faces use the indices 0 to
// n - 1, a unit normal, and a first u of 0.75, which go1 and go3 accept.
BlockSpec fan_block(std::uint32_t n, int variant) {
    BlockSpec shape;
    shape.variant = variant;
    shape.vertex_count = n;
    shape.face_count = n - 2;
    shape.indices.clear();
    for (std::uint16_t i = 1; i + 1 < static_cast<std::uint16_t>(n); ++i) {
        shape.indices.insert(shape.indices.end(), {0, i, i, static_cast<std::uint16_t>(i + 1)});
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        shape.uvs.push_back(i == 0 ? 0.75f : 0.25f * static_cast<float>(i));
        shape.uvs.push_back(0.5f);
        shape.positions.insert(shape.positions.end(), {0.5f * static_cast<float>(i), 2.0f, -1.5f});
    }
    return shape;
}

void marker(ModelBuilder& m) { m.raw({1, 0, 0, 0, 1, 0, 0, 0}); }

const std::uint32_t sizes[] = {3, 5, 8};

// Blocks 100 bytes apart, the double marker behind them.
std::vector<std::uint8_t> mid_marker_model(int variant) {
    ModelBuilder m;
    m.u8(16);
    for (std::uint32_t n : sizes) {
        append_noise(m, 100);
        append_block(m, fan_block(n, variant));
    }
    append_noise(m, 10);
    marker(m);
    return m.bytes;
}

// A near pair, a wide pair, a near pair.
std::vector<std::uint8_t> pair_model() {
    ModelBuilder m;
    m.u8(16);
    int k = 0;
    for (std::uint32_t n : sizes) {
        bool wide = k++ == 1;
        append_noise(m, 30);
        marker(m);
        append_noise(m, wide ? 44 : 21);
        marker(m);
        append_noise(m, wide ? 36 : 32);
        append_block(m, fan_block(n, 2));
    }
    return m.bytes;
}

// "paint name", a marker, and the block 40 bytes behind it; the middle block
// has a second marker close behind the first and layout 4.
std::vector<std::uint8_t> paint_name_model() {
    ModelBuilder m;
    m.u8(16);
    int k = 0;
    for (std::uint32_t n : sizes) {
        bool layout4 = k++ == 1;
        append_noise(m, 25);
        m.text("paint name");
        append_noise(m, 15);
        marker(m);
        if (layout4) {
            append_noise(m, 10);
            marker(m);
        }
        append_noise(m, 32);
        append_block(m, fan_block(n, layout4 ? 4 : 1));
    }
    return m.bytes;
}

}  // namespace

TEST(ObjReader, CleanModelsLoadWithTheExpectedCounts) {
    struct Case {
        Strategy strategy;
        std::vector<std::uint8_t> model;
        std::vector<std::string> groups;
    };
    const Case cases[] = {
        {go1, mid_marker_model(1), {"submesh_1_3", "submesh_2_3", "submesh_3_3"}},
        {go3, mid_marker_model(3), {"submesh_1_3", "submesh_2_3", "submesh_3_3"}},
        {go2, pair_model(), {"submesh_1", "submesh_2_", "submesh_3"}},
        {go4, paint_name_model(), {"submesh_1_1", "submesh_2_1", "submesh_3_1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.groups[0]);
        StrategyRun run = run_strategy(c.strategy, c.model);
        ASSERT_EQ(run.had_errors, 0) << run.body;

        TempFolder folder;
        std::string path = folder.write("model.obj", std::vector<std::uint8_t>(run.header.begin(), run.header.end()))
                               .string();
        {
            std::FILE* f = std::fopen(path.c_str(), "ab");
            std::fwrite(run.body.data(), 1, run.body.size(), f);
            std::fclose(f);
        }
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        ASSERT_TRUE(tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path.c_str(), nullptr, false))
            << err;
        EXPECT_EQ(err, "");

        EXPECT_EQ(attrib.vertices.size(), 3u * (3 + 5 + 8));
        EXPECT_EQ(attrib.texcoords.size(), 2u * (3 + 5 + 8));
        EXPECT_TRUE(attrib.normals.empty());  // the test normal is a comment
        ASSERT_EQ(shapes.size(), 3u);
        int first_vertex = 0;
        for (std::size_t s = 0; s < shapes.size(); ++s) {
            int n = static_cast<int>(sizes[s]);
            const tinyobj::mesh_t& mesh = shapes[s].mesh;
            EXPECT_EQ(shapes[s].name, c.groups[s]);
            EXPECT_EQ(mesh.num_face_vertices.size(), static_cast<std::size_t>(n - 2));
            for (unsigned char count : mesh.num_face_vertices) EXPECT_EQ(count, 3);
            int lowest = 1 << 30, highest = -1;
            for (const tinyobj::index_t& index : mesh.indices) {
                EXPECT_EQ(index.vertex_index, index.texcoord_index);
                lowest = std::min(lowest, index.vertex_index);
                highest = std::max(highest, index.vertex_index);
            }
            EXPECT_EQ(lowest, first_vertex);
            EXPECT_EQ(highest, first_vertex + n - 1);
            // The block's last vertex and its texture coordinate.
            EXPECT_EQ(attrib.vertices[3 * (first_vertex + n - 1)], 0.5f * static_cast<float>(n - 1));
            EXPECT_EQ(attrib.vertices[3 * (first_vertex + n - 1) + 2], -1.5f);
            EXPECT_EQ(attrib.texcoords[2 * (first_vertex + n - 1)], 0.25f * static_cast<float>(n - 1));
            first_vertex += n;
        }
    }
}
