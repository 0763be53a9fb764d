#include "engine/anchor_pass.h"

#include "engine/conversion_state.h"
#include "engine/pattern_search.h"

const int double_one_marker[8] = {1, 0, 0, 0, 1, 0, 0, 0};
const int mid_one_marker[6] = {0, 0, 1, 0, 0, 0};
const int paint_name_marker[10] = {112, 97, 105, 110, 116, 32, 110, 97, 109, 101};

int collect_anchors(AnchorList& anchors, const int* pattern, int length, unsigned step) {
    const unsigned long long source_length = static_cast<unsigned>(conversion_state.source_length);
    unsigned long long resume = 1;
    int hits = 0;
    // Past the source length nothing can match, and the byte test below must
    // not look there, so the pass ends.
    while (resume < source_length) {
        unsigned at = static_cast<unsigned>(resume);
        // find_pattern cannot report a match at its start, so a match right at
        // the resume point is searched for from one byte earlier.
        unsigned start = conversion_state.source_buffer[at] == pattern[0] ? at - 1 : at;
        unsigned distance =
            find_pattern(start, static_cast<unsigned>(source_length), pattern, length);
        if (distance == 0) break;
        ++hits;
        if (hits == anchor_cap_hits) break;
        unsigned hit = start + distance;
        anchors.offsets[hits] = hit;
        resume = static_cast<unsigned long long>(hit) + step;
    }
    return hits;
}
