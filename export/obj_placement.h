#pragma once
// Where an atomic's frame puts its geometry: the frame, then its parent, up to
// the root, composed into one transform in double precision.

#include <cstdint>
#include <vector>

#include "model/model.h"

struct Placement {
    double axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // right, up, at
    double position[3] = {0, 0, 0};
};

enum class ChainBreak { none, frame_out_of_range, parent_out_of_range, parent_cycle };

struct PlacedFrame {
    Placement placement;
    ChainBreak broken = ChainBreak::none;
    std::int32_t broken_at = -1;  // the frame index that was out of range or repeated
};

// Composes frame's chain. A frame index out of range places the atomic with
// what was composed so far (nothing for the atomic's own frame), and so does
// a parent seen before on the same chain.
PlacedFrame place_frame(const std::vector<Frame>& frames, std::int32_t frame);

// first, then second: a point placed by first, then by second.
Placement then(const Placement& first, const Placement& second);

// The placement that undoes p; false (and out untouched) when p flattens space.
bool invert(const Placement& p, Placement& out);

// x*right + y*up + z*at (+ position when moved is true).
inline void place_point(const Placement& p, const double in[3], double out[3], bool moved) {
    for (int k = 0; k < 3; ++k)
        out[k] = in[0] * p.axes[0][k] + in[1] * p.axes[1][k] + in[2] * p.axes[2][k] +
                 (moved ? p.position[k] : 0.0);
}
