// The command line's vertices-first rewrite of the engine's OBJ text.
#include <gtest/gtest.h>

#include <string>

#ifdef VORLUND_OBJ_PROGRAM

#include "cli/obj_reorder.h"
#include "cli/obj_rewrite.h"
#include "support/model_builder.h"

namespace {

// The pieces of a block as geometry_block.cpp writes them.
const std::string lead = "g submesh_1_3\n#  2 verts, 1 faces\n";
const std::string uvs = "# uvs at 0xa4\nvt 1.0 0.0 \nvt 0.0 1.0 \n\n";
const std::string faces = "# FIs at 0xb4\nf 1/1 2/2 1/1 \n# face index min/max: 1 / 2\n\n";
const std::string verts = "# verts at 0xd4\nv  0.5 0.0 -0.5\nv  0.5 1.0 -0.5\n\n";
const std::string normal = "# one normal(?) for test only: vn  1.0 0.0 0.0\n\n";
const std::string cut = "# ERROR! block runs past the end of the source buffer\n\n";

std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? "\r\n" : std::string(1, c);
    return out;
}

std::string group(int n) { return "g submesh_" + std::to_string(n) + "_1\n#  2 verts, 1 faces\n"; }

struct ReorderCase {
    const char* name;
    std::string text, expected;
};

const ReorderCase cases[] = {
    {"one group", "# m.dff\n# button go1\n\n" + lead + uvs + faces + verts + normal,
     "# m.dff\n# button go1\n\n" + lead + verts + uvs + faces + normal},
    {"warning line stays with the lead",
     lead + "# >>> Warning: missing 1 after vertscount. Following data unreliable!\n\n" + uvs + faces + verts,
     lead + "# >>> Warning: missing 1 after vertscount. Following data unreliable!\n\n" + verts + uvs + faces},
    {"several groups, lines between them stay",
     "# button go4\n\n" + group(1) + uvs + faces + verts + normal + "# no marker after 0x40\n" + group(2) + uvs +
         faces + verts + normal,
     "# button go4\n\n" + group(1) + verts + uvs + faces + normal + "# no marker after 0x40\n" + group(2) + verts +
         uvs + faces + normal},
    {"cut short in the v lines: they move, the error stays",
     lead + uvs + faces + "# verts at 0xd4\nv  0.5 0.0 -0.5\n" + cut,
     lead + "# verts at 0xd4\nv  0.5 0.0 -0.5\n" + uvs + faces + cut},
    {"cut short in the faces: nothing to move", lead + uvs + "# FIs at 0xb4\nf 1/1 2/2 1/1 \n" + cut,
     lead + uvs + "# FIs at 0xb4\nf 1/1 2/2 1/1 \n" + cut},
    {"group without a block, then one with", group(1) + group(2) + uvs + faces + verts,
     group(1) + group(2) + verts + uvs + faces},
    {"v section at the very end", lead + uvs + faces + "# verts at 0xd4\nv  1 2 3\n",
     lead + "# verts at 0xd4\nv  1 2 3\n" + uvs + faces},
    {"CR LF", crlf("# m.dff\n" + lead + uvs + faces + verts + normal),
     crlf("# m.dff\n" + lead + verts + uvs + faces + normal)},
    {"no groups", "# m.dff\n# button go2\n# 0 SMs\nv  1 2 3\n", "# m.dff\n# button go2\n# 0 SMs\nv  1 2 3\n"},
    {"empty", "", ""},
    // Shapes that are not ours stay as they are; the next group still moves.
    {"v line among the faces", lead + uvs + "v  9 9 9\n" + faces + verts + group(2) + uvs + faces + verts,
     lead + uvs + "v  9 9 9\n" + faces + verts + group(2) + verts + uvs + faces},
    {"two v sections", lead + uvs + faces + verts + verts, lead + uvs + faces + verts + verts},
    {"f line after the v lines", lead + uvs + verts + "f 1/1 2/2 3/3 \n", lead + uvs + verts + "f 1/1 2/2 3/3 \n"},
    {"no uvs comment", lead + faces + verts, lead + faces + verts},
    {"last v line without its line end", lead + uvs + faces + "# verts at 0xd4\nv  1 2 3",
     lead + uvs + faces + "# verts at 0xd4\nv  1 2 3"},
};

TEST(ObjReorder, MovesEachRecognisedGroupsVertexSectionAheadOfItsUvs) {
    for (const ReorderCase& c : cases) EXPECT_EQ(put_vertices_first(c.text), c.expected) << c.name;
}

// The file is read in pieces: a split anywhere, even inside a line's first
// bytes or its CR LF, must find the same moves.
TEST(ObjReorder, PiecesSplitAnywhereFindTheSameMoves) {
    for (const ReorderCase& c : cases) {
        const std::string& t = c.text;
        for (std::size_t split = 1; split < t.size(); ++split) {
            VertexMovePlanner planner;
            planner.feed(t.data(), split);
            planner.feed(t.data() + split, t.size() - split);
            EXPECT_EQ(apply_vertex_moves(t, planner.finish()), c.expected) << c.name << " split at " << split;
        }
    }
}

TEST(ObjReorder, FileIsRewrittenInPlaceOfItselfAndLeftAloneWithNothingToMove) {
    TempFolder folder;
    for (const ReorderCase& c : cases) {
        const auto path = folder.path / "m.obj";
        folder.write("m.obj", std::vector<std::uint8_t>(c.text.begin(), c.text.end()));
        std::string error;
        EXPECT_TRUE(rewrite_vertices_first(path.string(), error)) << c.name << ": " << error;
        EXPECT_EQ(read_file(path), c.expected) << c.name;
        EXPECT_FALSE(std::filesystem::exists(folder.path / "m.obj.part")) << c.name;
    }
    std::string error;
    EXPECT_FALSE(rewrite_vertices_first((folder.path / "missing.obj").string(), error));
    EXPECT_NE(error.find("missing.obj"), std::string::npos) << error;
}

}  // namespace

#endif  // VORLUND_OBJ_PROGRAM
