// go2: a block follows a pair of double markers 29 bytes apart (near pair) or
// 52 bytes apart (wide pair), at a fixed distance after the pair's second marker.

#include "engine/conversion_state.h"
#include "engine/anchor_pass.h"
#include "engine/geometry_block.h"
#include "engine/group_line.h"
#include "engine/line_text.h"
#include "engine/number_text.h"
#include "engine/obj_output.h"
#include "engine/source_loading.h"
#include "engine/strategies.h"

namespace {

constexpr unsigned near_pair_distance = 29;
constexpr unsigned near_block_after = 40;
constexpr unsigned wide_pair_distance = 52;
constexpr unsigned wide_block_after = 44;

void put_submesh_count_line(int hits) {
    char line[32];
    unsigned n = copy_text(line, "# ");
    n += format_int(hits, line + n);
    n += copy_text(line + n, " SMs\n");
    put_bytes(line, n);
}

void run_go2(const char* source_path) {
    if (!prepare_source(source_path)) return;
    put_text("# button go2\n");
    int vertex_base = 0;
    AnchorList anchors;

    int hits = collect_anchors(anchors, double_one_marker, 8, 20);
    if (hits == 0) {
        conversion_state.had_errors = 1;
        return;
    }
    put_submesh_count_line(hits);

    unsigned source_length = static_cast<unsigned>(conversion_state.source_length);
    int recorded = recorded_anchors(hits);
    int group = 0;
    // Wide pairs whose block starts at or before this mark are not decoded: they
    // lead into a block already written.
    unsigned wide_pair_mark = 0;
    int j = 1;
    while (j + 1 <= recorded) {
        unsigned second = anchors.offsets[j + 1];
        unsigned distance = second - anchors.offsets[j];
        if (distance == near_pair_distance) {
            ++group;
            put_group_line(group, "\n");
            unsigned block_offset = second + near_block_after;
            decode_geometry_block(block_offset, source_length, 2, vertex_base);
            j += 2;
        } else if (distance == wide_pair_distance) {
            ++group;
            put_group_line(group, "_\n");
            unsigned block_offset = second + wide_block_after;
            // Decoding moves block_offset past the block, and the mark with it;
            // a pair not decoded lowers the mark to its own start.
            if (block_offset > wide_pair_mark)
                decode_geometry_block(block_offset, source_length, 2, vertex_base);
            wide_pair_mark = block_offset;
            j += 2;
        } else {
            j += 1;
        }
    }
    if (group == 0) conversion_state.had_errors = 1;
}

}  // namespace

void go2(const char* source_path) { run_with_gathered_output(run_go2, source_path); }
