// The command line's vertices-first order of the engine's OBJ text: the moves
// found in a whole text, and the text written in one pass as it comes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#ifdef VORLUND_OBJ_PROGRAM

#include "cli/vertex_move_planner.h"
#include "cli/vertices_first_text.h"
#include "support/vertices_first_reference.h"

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

// text through one writer, which must be ready for another text after each:
// a first piece of first bytes, then pieces of rest bytes (0: all the rest).
std::string one_pass(const std::string& text, std::size_t first, std::size_t rest = 0) {
    static std::string written;
    static VerticesFirstText writer([](const char* bytes, std::size_t count) { written.append(bytes, count); });
    written.clear();
    first = std::min(first, text.size());
    writer.take(text.data(), first);
    for (std::size_t at = first; at < text.size();) {
        std::size_t n = rest ? std::min(rest, text.size() - at) : text.size() - at;
        writer.take(text.data() + at, n);
        at += n;
    }
    EXPECT_TRUE(writer.end());
    return written;
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
    {"cut short after the UVs, then a whole group", lead + uvs + group(2) + uvs + faces + verts,
     lead + uvs + group(2) + verts + uvs + faces},
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

// The text written in one piece, and the plain reference that the tests over
// whole models hold the writer against.
TEST(ObjReorder, MovesEachRecognisedGroupsVertexSectionAheadOfItsUvs) {
    for (const ReorderCase& c : cases) {
        EXPECT_EQ(one_pass(c.text, c.text.size()), c.expected) << c.name;
        EXPECT_EQ(vertices_first_reference(c.text), c.expected) << c.name;
    }
}

// The engine hands its text on in pieces: a split anywhere, even inside a
// line's first bytes or its CR LF, one byte at a time too, gives the same text.
TEST(ObjReorder, PiecesSplitAnywhereFindTheSameMoves) {
    for (const ReorderCase& c : cases) {
        const std::string& t = c.text;
        for (std::size_t split = 0; split <= t.size(); ++split)
            EXPECT_EQ(one_pass(t, split), c.expected) << c.name << " split at " << split;
        EXPECT_EQ(one_pass(t, 1, 1), c.expected) << c.name << " a byte at a time";
    }
}

}  // namespace

#endif  // VORLUND_OBJ_PROGRAM
