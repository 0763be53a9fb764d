// go1 and go3: blocks found by the upper half of their vertex count followed by
// the marker byte 1 (00 00 01 00 00 00), filtered by a few byte tests.

#include "engine/conversion_state.h"
#include "engine/anchor_pass.h"
#include "engine/geometry_block.h"
#include "engine/group_line.h"
#include "engine/obj_output.h"
#include "engine/source_bytes.h"
#include "engine/source_loading.h"
#include "engine/strategies.h"

namespace {

// The hit sits 6 bytes into its block.
constexpr unsigned hit_in_block = 6;

// Wants the upper half of the face count zero and the first UV float to look
// like data. Bytes past the source length count as 0 whatever the buffer holds.
bool accepts_anchor(unsigned anchor) {
    unsigned long long a = anchor;
    if (loaded_byte(a + 8) == 0 && loaded_byte(a + 9) == 0) return false;
    if (loaded_byte(a + 6) == 0 && loaded_byte(a + 7) == 0 && loaded_byte(a + 8) == 0) return false;
    if (loaded_byte(a - 4) != 0) return false;
    if (loaded_byte(a - 3) != 0) return false;
    return true;
}

void run_mid_marker_strategy(const char* source_path, const char* banner, int block_variant) {
    if (!prepare_source(source_path)) return;
    put_text(banner);
    int vertex_base = 0;
    AnchorList anchors;

    // Only whether the double marker occurs at all matters.
    if (collect_anchors(anchors, double_one_marker, 8, 20) == 0) {
        conversion_state.had_errors = 1;
        return;
    }
    int hits = collect_anchors(anchors, mid_one_marker, 6, 100);
    put_text("\n");
    if (hits == 0) {
        conversion_state.had_errors = 1;
        return;
    }

    unsigned source_length = static_cast<unsigned>(conversion_state.source_length);
    unsigned previous_block_end = 0;
    int group = 0;
    for (int k = 1; k <= recorded_anchors(hits); ++k) {
        unsigned anchor = anchors.offsets[k];
        if (anchor < previous_block_end) continue;  // inside the block decoded last
        // A block would start before the model; treated like a failed test.
        if (anchor < hit_in_block) continue;
        if (!accepts_anchor(anchor)) continue;
        ++group;
        put_group_line(group, "_3\n");
        unsigned block_offset = anchor - hit_in_block;
        decode_geometry_block(block_offset, source_length, block_variant, vertex_base);
        previous_block_end = block_offset;
    }
    if (group == 0) conversion_state.had_errors = 1;
}

void run_go1(const char* source_path) { run_mid_marker_strategy(source_path, "# button go1\n", 1); }

void run_go3(const char* source_path) { run_mid_marker_strategy(source_path, "# button go3\n", 3); }

}  // namespace

void go1(const char* source_path) { run_with_gathered_output(run_go1, source_path); }

void go3(const char* source_path) { run_with_gathered_output(run_go3, source_path); }
