#include "export/obj_placement.h"

#include <cmath>

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

bool invert(const Placement& p, Placement& out) {
    const double(&m)[3][3] = p.axes;
    // Rows are the images of the axes: the inverse is the adjugate over the determinant.
    const double c[3][3] = {{m[1][1] * m[2][2] - m[1][2] * m[2][1], m[0][2] * m[2][1] - m[0][1] * m[2][2],
                             m[0][1] * m[1][2] - m[0][2] * m[1][1]},
                            {m[1][2] * m[2][0] - m[1][0] * m[2][2], m[0][0] * m[2][2] - m[0][2] * m[2][0],
                             m[0][2] * m[1][0] - m[0][0] * m[1][2]},
                            {m[1][0] * m[2][1] - m[1][1] * m[2][0], m[0][1] * m[2][0] - m[0][0] * m[2][1],
                             m[0][0] * m[1][1] - m[0][1] * m[1][0]}};
    const double det = m[0][0] * c[0][0] + m[0][1] * c[1][0] + m[0][2] * c[2][0];
    if (!(std::fabs(det) > 1e-12) || !std::isfinite(det)) return false;
    Placement inverse;
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 3; ++k) inverse.axes[a][k] = c[a][k] / det;
    double moved[3];
    place_point(inverse, p.position, moved, false);
    for (int k = 0; k < 3; ++k) inverse.position[k] = -moved[k];
    out = inverse;
    return true;
}
