#include "game/placement_transform.h"

#include <cmath>

bool normalised_rotation(const float stored[4], double out[4]) {
    double length2 = 0;
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(stored[i])) return false;
        length2 += double(stored[i]) * stored[i];
    }
    double length = std::sqrt(length2);
    if (!(length > 0) || !std::isfinite(length)) return false;
    for (int i = 0; i < 4; ++i) out[i] = stored[i] / length;
    return true;
}

void rotation_of_stored(const double q[4], double r[3][3]) {
    double x = q[0], y = q[1], z = q[2], w = q[3];
    r[0][0] = 1 - 2 * (y * y + z * z);
    r[0][1] = 2 * (x * y + w * z);
    r[0][2] = 2 * (x * z - w * y);
    r[1][0] = 2 * (x * y - w * z);
    r[1][1] = 1 - 2 * (x * x + z * z);
    r[1][2] = 2 * (y * z + w * x);
    r[2][0] = 2 * (x * z + w * y);
    r[2][1] = 2 * (y * z - w * x);
    r[2][2] = 1 - 2 * (x * x + y * y);
}

bool instance_transform(const Instance& instance, bool apply_scale, InstanceTransform& out) {
    double q[4];
    if (!normalised_rotation(instance.rotation, q)) return false;
    rotation_of_stored(q, out.rotation);
    for (int k = 0; k < 3; ++k) {
        out.position[k] = instance.position[k];
        out.scale[k] = apply_scale ? instance.scale[k] : 1.0;
    }
    return true;
}
