// go4: from each "paint name" text, the next double marker; the block starts 40
// bytes after it, or 40 bytes after a second marker close behind it (layout 4).

#include "engine/conversion_state.h"
#include "engine/anchor_pass.h"
#include "engine/geometry_block.h"
#include "engine/group_line.h"
#include "engine/line_text.h"
#include "engine/number_text.h"
#include "engine/obj_output.h"
#include "engine/pattern_search.h"
#include "engine/source_loading.h"
#include "engine/strategies.h"

namespace {

constexpr unsigned block_after_marker = 40;
constexpr unsigned look_ahead_window = 40;

void put_no_find_line(unsigned anchor) {
    char line[40];
    unsigned n = copy_text(line, "# no find at 0x");
    n += format_hex(anchor, line + n);
    n += copy_text(line + n, "\n\n");
    put_bytes(line, n);
}

void run_go4(const char* source_path) {
    if (!prepare_source(source_path)) return;
    put_text("# button go4\n");
    int vertex_base = 0;
    AnchorList anchors;

    int hits = collect_anchors(anchors, paint_name_marker, 10, 20);
    if (hits == 0) {
        conversion_state.had_errors = 1;
        return;
    }
    put_text("\n");

    unsigned source_length = static_cast<unsigned>(conversion_state.source_length);
    int group = 0;
    // The first marker after an anchor is also the first one after every later
    // anchor that lies before it, and an anchor without one has none for all
    // later anchors. Remembering the last answer keeps the walk one forward
    // scan even when many anchors precede one far marker.
    unsigned last_marker = 0;
    bool markers_exhausted = false;
    for (int k = 1; k <= recorded_anchors(hits); ++k) {
        unsigned anchor = anchors.offsets[k];
        unsigned marker = 0;
        if (!markers_exhausted) {
            if (last_marker > anchor) {
                marker = last_marker;
            } else {
                // The anchor's own byte is 'p', so no marker can start there
                // and a 0 result really means none.
                unsigned distance = find_pattern(anchor, source_length, double_one_marker, 8);
                if (distance == 0)
                    markers_exhausted = true;
                else
                    marker = last_marker = anchor + distance;
            }
        }
        if (marker == 0) {
            put_no_find_line(anchor);
            continue;
        }
        ++group;
        put_group_line(group, "_1\n");
        // Byte marker + 1 is 0, so a match at the look-ahead's start is impossible.
        unsigned second = find_pattern(marker + 1, look_ahead_window, double_one_marker, 8);
        unsigned block_offset = marker + block_after_marker;
        int block_variant = 1;
        if (second != 0) {
            block_offset = marker + 1 + second + block_after_marker;
            block_variant = 4;
        }
        decode_geometry_block(block_offset, source_length, block_variant, vertex_base);
    }
    if (group == 0) conversion_state.had_errors = 1;
}

}  // namespace

void go4(const char* source_path) { run_with_gathered_output(run_go4, source_path); }
