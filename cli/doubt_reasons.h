#pragma once
// Why a strategy judged its output doubtful, told from what it left behind:
// the comment lines of its OBJ text and the boxes it showed.

#include <string>
#include <vector>

struct DoubtCounts {
    unsigned blocks = 0;            // groups (g lines) written
    unsigned index_range = 0;       // blocks whose face indices do not span their vertices
    unsigned normals = 0;           // blocks whose test normal is not of unit length
    unsigned past_end = 0;          // blocks that run past the end of the source buffer
    unsigned vertex_count = 0;      // blocks with a vertex count too large (a box)
};

// Reads the OBJ text in obj_path and the texts of the boxes shown during the run.
DoubtCounts count_doubts(const std::string& obj_path, const std::vector<std::string>& boxes);

// "no blocks found", or "3 blocks, 1 with face indices out of range, ...".
std::string doubt_text(const DoubtCounts& counts);
