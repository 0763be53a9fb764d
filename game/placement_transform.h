#pragma once
// Where a placement record puts a model's points: the stored quaternion is the
// inverse of the model-to-world turn, so the turn is R(q*), then the record's
// position is added. The older games store a scale the game does not apply.

#include <array>

#include "game/placement_file.h"

// The stored quaternion scaled to length 1, or false when its length is 0 or
// not finite.
bool normalised_rotation(const float stored[4], double out[4]);

struct InstanceTransform {
    double rotation[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // rows; applied to column vectors
    double scale[3] = {1, 1, 1};
    double position[3] = {0, 0, 0};
};

// R(q*) of a unit quaternion (x, y, z, w as stored).
void rotation_of_stored(const double q[4], double rotation[3][3]);

// The record's transform; the scale only when apply_scale. False when the
// quaternion cannot be normalised.
bool instance_transform(const Instance& instance, bool apply_scale, InstanceTransform& out);

// R (s o p) + t.
inline void place_instance_point(const InstanceTransform& t, const double p[3], double out[3]) {
    double s[3] = {p[0] * t.scale[0], p[1] * t.scale[1], p[2] * t.scale[2]};
    for (int r = 0; r < 3; ++r)
        out[r] = t.rotation[r][0] * s[0] + t.rotation[r][1] * s[1] + t.rotation[r][2] * s[2] + t.position[r];
}

// Z up to Y up, as glTF wants it: (x, z, -y).
inline std::array<double, 3> y_up(const double p[3]) { return {p[0], p[2], -p[1]}; }
