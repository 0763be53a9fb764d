#include "export/obj_placement.h"

namespace {

// outer after inner: a point placed by inner, then by outer.
Placement compose(const Frame& outer, const Placement& inner) {
    const float* axes[3] = {outer.right, outer.up, outer.at};
    Placement result;
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 3; ++k)
            result.axes[a][k] = inner.axes[a][0] * axes[0][k] + inner.axes[a][1] * axes[1][k] +
                                inner.axes[a][2] * axes[2][k];
    for (int k = 0; k < 3; ++k)
        result.position[k] = inner.position[0] * axes[0][k] + inner.position[1] * axes[1][k] +
                             inner.position[2] * axes[2][k] + outer.position[k];
    return result;
}

}  // namespace

Placement then(const Placement& first, const Placement& second) {
    Placement result;
    for (int a = 0; a < 3; ++a) place_point(second, first.axes[a], result.axes[a], false);
    place_point(second, first.position, result.position, true);
    return result;
}

PlacedFrame place_frame(const std::vector<Frame>& frames, std::int32_t frame) {
    PlacedFrame placed;
    if (frame < 0 || static_cast<std::size_t>(frame) >= frames.size()) {
        placed.broken = ChainBreak::frame_out_of_range;
        placed.broken_at = frame;
        return placed;
    }
    std::vector<bool> seen(frames.size(), false);
    for (std::int32_t at = frame; at != -1;) {
        if (at < 0 || static_cast<std::size_t>(at) >= frames.size()) {
            placed.broken = ChainBreak::parent_out_of_range;
            placed.broken_at = at;
            break;
        }
        if (seen[static_cast<std::size_t>(at)]) {
            placed.broken = ChainBreak::parent_cycle;
            placed.broken_at = at;
            break;
        }
        seen[static_cast<std::size_t>(at)] = true;
        const Frame& f = frames[static_cast<std::size_t>(at)];
        placed.placement = compose(f, placed.placement);
        at = f.parent;
    }
    return placed;
}
