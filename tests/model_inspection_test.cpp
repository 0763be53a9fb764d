// The --inspect text: the chunk tree with offsets, sizes and versions, what the
// reader makes of it, and the verdict; bounded on damage and deep nesting.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/model_inspection.h"
#include "support/model_builder.h"
#include "support/model_layout.h"

namespace {

std::string inspect(const std::vector<std::uint8_t>& bytes) {
    return inspect_model(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string last_line(const std::string& text) {
    std::size_t end = text.size() - 1, start = text.rfind('\n', end - 1);
    return text.substr(start + 1, end - start - 1);
}

ModelLayout small_model() {
    GeometryLayout g = quad_geometry();
    g.materials = {{{10, 20, 30, 255}, "brick", "mask"}};
    g.skin = true;
    ModelLayout m = single_geometry_model(g);
    m.clumps[0].frames[0].name = "root";
    m.pad_to = 2048;
    return m;
}

}  // namespace

TEST(ModelInspection, TreeThenModelThenVerdict) {
    const char* expected =
        "chunks:\n"
        "0x000000  0x10 Clump  644 bytes  3.6.0.3\n"
        "  0x00000C  0x1 Struct  12 bytes  3.6.0.3\n"
        "  0x000024  0xE FrameList  100 bytes  3.6.0.3\n"
        "    0x000030  0x1 Struct  60 bytes  3.6.0.3\n"
        "    0x000078  0x3 Extension  16 bytes  3.6.0.3\n"
        "      0x000084  0x253F2FE Frame name  4 bytes  3.6.0.3\n"
        "  0x000094  0x1A GeometryList  432 bytes  3.6.0.3\n"
        "    0x0000A0  0x1 Struct  4 bytes  3.6.0.3\n"
        "    0x0000B0  0xF Geometry  404 bytes  3.6.0.3\n"
        "      0x0000BC  0x1 Struct  184 bytes  3.6.0.3\n"
        "      0x000180  0x8 MaterialList  164 bytes  3.6.0.3\n"
        "        0x00018C  0x1 Struct  8 bytes  3.6.0.3\n"
        "        0x0001A0  0x7 Material  132 bytes  3.6.0.3\n"
        "          0x0001AC  0x1 Struct  28 bytes  3.6.0.3\n"
        "          0x0001D4  0x6 Texture  68 bytes  3.6.0.3\n"
        "            0x0001E0  0x1 Struct  4 bytes  3.6.0.3\n"
        "            0x0001F0  0x2 String  8 bytes  3.6.0.3\n"
        "            0x000204  0x2 String  8 bytes  3.6.0.3\n"
        "            0x000218  0x3 Extension  0 bytes  3.6.0.3\n"
        "          0x000224  0x3 Extension  0 bytes  3.6.0.3\n"
        "      0x000230  0x3 Extension  20 bytes  3.6.0.3\n"
        "        0x00023C  0x116 Skin  8 bytes  3.6.0.3\n"
        "  0x000250  0x14 Atomic  40 bytes  3.6.0.3\n"
        "    0x00025C  0x1 Struct  16 bytes  3.6.0.3\n"
        "    0x000278  0x3 Extension  0 bytes  3.6.0.3\n"
        "  0x000284  0x3 Extension  0 bytes  3.6.0.3\n"
        "0x000290  1392 bytes of zero padding\n"
        "\n"
        "format version 3.6.0.3\n"
        "clump 0 at 0x000000: 1 frames, 1 geometries, 1 atomics\n"
        "  frame 0 \"root\", parent -1\n"
        "  atomic 0: frame 0, geometry 0\n"
        "  geometry 0 at 0x0000B0: 4 vertices, 2 triangles, UV sets 1, flags 0x00010016, skinned\n"
        "    material 0: colour 10 20 30 255, texture \"brick\", mask \"mask\"\n"
        "note at 0x00023C: skinned geometry: its mesh is stored in the bind pose\n"
        "well-formed\n";
    EXPECT_EQ(inspect(build_model(small_model())), expected);
}

// How many triangles the draw lists give another material than their records
// hold, per geometry, with thousands grouped; nothing when they agree.
TEST(ModelInspection, TrianglesThatTakeTheirMaterialFromTheDrawLists) {
    const struct {
        std::uint32_t triangles, listed_as_second;
        const char* line;
    } cases[] = {
        {1460, 1120, "    BinMesh: 1,120 of 1,460 triangles take their material from the draw lists\n"},
        {12, 5, "    BinMesh: 5 of 12 triangles take their material from the draw lists\n"},
        {12, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.triangles);
        GeometryLayout g;
        for (std::uint32_t v = 0; v < c.triangles + 2; ++v) g.positions.insert(g.positions.end(), {float(v), float(v % 2), 0});
        g.materials = {MaterialLayout{}, MaterialLayout{{0, 0, 0, 255}, "", ""}};
        BinMeshLayout lists;
        lists.meshes = {{1, {}}, {0, {}}};
        for (std::uint16_t t = 0; t < c.triangles; ++t) {
            g.triangles.push_back({t, static_cast<std::uint16_t>(t + 1), static_cast<std::uint16_t>(t + 2), 0});
            lists.meshes[t < c.listed_as_second ? 0 : 1].indices.insert(
                lists.meshes[t < c.listed_as_second ? 0 : 1].indices.end(), {t + 2u, t + 0u, t + 1u});
        }
        g.bin_mesh = lists;
        const std::string text = inspect(build_model(single_geometry_model(g)));
        EXPECT_EQ(has(text, "BinMesh: "), c.line != nullptr) << text;
        if (c.line) {
            EXPECT_TRUE(has(text, c.line)) << text;
        }
        EXPECT_EQ(last_line(text), "well-formed");
    }
}

TEST(ModelInspection, DamageAndNestingStayBounded) {
    ModelLayout layout = small_model();
    std::vector<chunks::Node> nodes = model_nodes(layout);
    chunks::node_at(nodes, {0, 2, 1, 0}).stated_size = 100000;  // the geometry's Struct
    nodes[0].children.back().children.push_back(chunks::nested_extensions(1000, layout.stamp));
    std::string text = inspect(model_bytes(nodes));
    EXPECT_TRUE(has(text, "      0x0000BC  0x1 Struct  392 bytes  3.6.0.3  (states 100000 bytes: runs past its parent)\n"))
        << text;
    EXPECT_TRUE(has(text, "(nested deeper than 16: not shown)"));
    EXPECT_LT(text.size(), 8000u);
    EXPECT_EQ(last_line(text), "first damage at 0x0000BC: Struct chunk 0x1 of 100000 bytes runs past the end of its parent");

    std::string none = inspect_model(reinterpret_cast<const std::uint8_t*>("not a model at all"), 18);
    EXPECT_TRUE(has(none, "0x000000  0x20746F6E unknown  6 bytes  3.8.1.44  (states 1869422689 bytes: runs past its parent)\n"))
        << none;
    EXPECT_TRUE(has(none, "format version 0.0.0.0\n"));
    EXPECT_EQ(last_line(none), "first damage at 0x000000: not a chunked model: no clump among the first chunks");
}

TEST(ModelInspection, TruncatedAtEveryLength) {
    std::vector<std::uint8_t> whole = build_model(small_model());
    std::size_t data = 0x290;  // the padding after it is not damage
    for (std::size_t n = 0; n < whole.size(); n += (n < data + 8 ? 1 : 256)) {
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        std::string text = inspect(cut);
        EXPECT_EQ(text, inspect(cut));
        EXPECT_EQ(last_line(text).rfind(n < data ? "first damage at 0x" : "well-formed", 0), 0u) << n << "\n" << text;
    }
}

TEST(ModelInspection, Corpus) {
    const std::filesystem::path corpus = VORLUND_CORPUS_DIR;
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    std::string bytes = read_file(corpus / "torus.dff");
    std::string text = inspect_model(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                     static_cast<std::uint32_t>(bytes.size()));
    EXPECT_TRUE(has(text, "        0x001774  0x50E BinMesh  2324 bytes  3.4.0.3\n")) << text;
    EXPECT_TRUE(has(text, "format version 3.4.0.3\n"));
    EXPECT_TRUE(has(text, "  frame 1 \"\", parent 0\n"));
    EXPECT_TRUE(has(text, "  geometry 0 at 0x000128: 125 vertices, 192 triangles, UV sets 1, flags 0x00010076\n"));
    EXPECT_EQ(last_line(text), "well-formed");
}
