#include "export/gltf_nodes.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// m[row][column], applied to column vectors: column a is the placement's axis a.
using M3 = std::array<std::array<double, 3>, 3>;

M3 linear_of(const Placement& p) {
    M3 m{};
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 3; ++k) m[k][a] = p.axes[a][k];
    return m;
}

Placement placement_of_linear(const M3& m) {
    Placement p;
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 3; ++k) p.axes[a][k] = m[k][a];
    return p;
}

M3 product(const M3& x, const M3& y) {
    M3 m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) m[r][c] += x[r][k] * y[k][c];
    return m;
}

double determinant(const M3& m) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// The inverse's transpose; false when m flattens space.
bool inverse_transposed(const M3& m, M3& out) {
    const double det = determinant(m);
    if (!(std::fabs(det) > 1e-300) || !std::isfinite(det)) return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            out[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return true;
}

// The rotation nearest m (its polar part), m having a positive determinant;
// false when m flattens space.
bool nearest_rotation(const M3& m, M3& q) {
    q = m;
    for (int step = 0; step < 64; ++step) {
        M3 inv;
        if (!inverse_transposed(q, inv)) return false;
        double change = 0;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                const double next = 0.5 * (q[r][c] + inv[r][c]);
                change = std::max(change, std::fabs(next - q[r][c]));
                q[r][c] = next;
            }
        if (change < 1e-15) break;
    }
    return determinant(q) > 0;
}

// The unit quaternion (x y z w) of a rotation matrix.
void quaternion_of(const M3& r, double q[4]) {
    const double trace = r[0][0] + r[1][1] + r[2][2];
    if (trace > 0) {
        const double s = 2 * std::sqrt(1 + trace);
        q[3] = s / 4;
        q[0] = (r[2][1] - r[1][2]) / s;
        q[1] = (r[0][2] - r[2][0]) / s;
        q[2] = (r[1][0] - r[0][1]) / s;
    } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
        const double s = 2 * std::sqrt(1 + r[0][0] - r[1][1] - r[2][2]);
        q[3] = (r[2][1] - r[1][2]) / s;
        q[0] = s / 4;
        q[1] = (r[0][1] + r[1][0]) / s;
        q[2] = (r[0][2] + r[2][0]) / s;
    } else if (r[1][1] > r[2][2]) {
        const double s = 2 * std::sqrt(1 + r[1][1] - r[0][0] - r[2][2]);
        q[3] = (r[0][2] - r[2][0]) / s;
        q[0] = (r[0][1] + r[1][0]) / s;
        q[1] = s / 4;
        q[2] = (r[1][2] + r[2][1]) / s;
    } else {
        const double s = 2 * std::sqrt(1 + r[2][2] - r[0][0] - r[1][1]);
        q[3] = (r[1][0] - r[0][1]) / s;
        q[0] = (r[0][2] + r[2][0]) / s;
        q[1] = (r[1][2] + r[2][1]) / s;
        q[2] = s / 4;
    }
    // One sign for the same turn: w not below 0.
    const double sign = q[3] < 0 ? -1 : 1;
    double length = 0;
    for (int k = 0; k < 4; ++k) length += q[k] * q[k];
    length = std::sqrt(length);
    for (int k = 0; k < 4; ++k) q[k] = sign * q[k] / length;
}

M3 rotation_of(const double q[4]) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    return {{{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
             {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
             {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}}};
}

// The node's rotation and scale: the nearest rotation to the placement's axes
// with a mirror taken out as a negative scale of one axis, each axis's scale
// its length along the rotated axis. Without a rotation (flattened axes) the
// node keeps the axes' lengths only and the rest holds their directions.
void rotation_and_scale(const M3& m, NodeTransform& t) {
    double length[3];
    for (int a = 0; a < 3; ++a) length[a] = std::sqrt(m[0][a] * m[0][a] + m[1][a] * m[1][a] + m[2][a] * m[2][a]);
    M3 unmirrored = m;
    // A mirror turns the axis that is longest, so that the sign sits on a real axis.
    const int flip = determinant(m) < 0 ? static_cast<int>(std::max_element(length, length + 3) - length) : -1;
    if (flip >= 0)
        for (int k = 0; k < 3; ++k) unmirrored[k][flip] = -unmirrored[k][flip];
    M3 r;
    if (!nearest_rotation(unmirrored, r)) {
        for (int a = 0; a < 3; ++a) t.scale[a] = as_float(length[a] > 0 ? length[a] : 1);
        return;
    }
    quaternion_of(r, t.rotation);
    for (int k = 0; k < 4; ++k) t.rotation[k] = as_float(t.rotation[k]);
    const M3 rounded = rotation_of(t.rotation);
    for (int a = 0; a < 3; ++a) {
        double along = 0;
        for (int k = 0; k < 3; ++k) along += rounded[k][a] * unmirrored[k][a];
        if (!(std::fabs(along) > 0)) along = 1;
        t.scale[a] = as_float(a == flip ? -along : along);
    }
}

}  // namespace

double as_float(double value) {
    char text[32];
    const float f = static_cast<float>(value);
    if (!std::isfinite(f)) return 0;
    const char* end = std::to_chars(text, text + sizeof text, f).ptr;
    double out = 0;
    std::from_chars(text, end, out);
    return out;
}

bool linear_identity(const Placement& p) {
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 3; ++k)
            if (p.axes[a][k] != (a == k ? 1 : 0)) return false;
    return true;
}

Placement placement_of_node(const NodeTransform& t) {
    M3 m = rotation_of(t.rotation);
    for (int r = 0; r < 3; ++r)
        for (int a = 0; a < 3; ++a) m[r][a] *= t.scale[a];
    Placement p = placement_of_linear(m);
    for (int k = 0; k < 3; ++k) p.position[k] = t.translation[k];
    return p;
}

SplitPlacement split_placement(const Placement& p) {
    SplitPlacement out;
    for (int k = 0; k < 3; ++k) out.node.translation[k] = as_float(p.position[k]);
    if (linear_identity(p)) return out;
    const M3 m = linear_of(p);
    rotation_and_scale(m, out.node);
    // What the node leaves undone: node^-1 * m. Within 1e-5 of the axes' own
    // size it is nothing, and the node alone stands for the placement.
    const M3 node = linear_of(placement_of_node(out.node));
    double size = 1, off = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            size = std::max(size, std::fabs(m[r][c]));
            off = std::max(off, std::fabs(node[r][c] - m[r][c]));
        }
    if (off <= 1e-5 * size) return out;
    M3 undo;
    if (!inverse_transposed(node, undo)) return out;
    M3 inverse{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) inverse[r][c] = undo[c][r];
    out.rest = placement_of_linear(product(inverse, m));
    out.exact = false;
    return out;
}

void set_node_transform(nlohmann::json& node, const NodeTransform& t) {
    node.erase("matrix");
    const auto vector = [](const double* v, int n) {
        nlohmann::json a = nlohmann::json::array();
        for (int k = 0; k < n; ++k) a.push_back(v[k]);
        return a;
    };
    if (t.translation[0] != 0 || t.translation[1] != 0 || t.translation[2] != 0)
        node["translation"] = vector(t.translation, 3);
    else node.erase("translation");
    if (t.rotation[0] != 0 || t.rotation[1] != 0 || t.rotation[2] != 0 || t.rotation[3] != 1)
        node["rotation"] = vector(t.rotation, 4);
    else node.erase("rotation");
    if (t.scale[0] != 1 || t.scale[1] != 1 || t.scale[2] != 1) node["scale"] = vector(t.scale, 3);
    else node.erase("scale");
}

int add_placed_node(GltfDocument& document, int parent, nlohmann::json node, const Placement& local,
                    const Placement& parent_rest, Placement* rest) {
    const SplitPlacement split = split_placement(then(local, parent_rest));
    set_node_transform(node, split.node);
    const int index = document.add("nodes", std::move(node));
    if (parent >= 0) document.attach(parent, index);
    if (rest) *rest = split.rest;
    return index;
}
