#include "export/gltf_mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <tuple>
#include <memory>
#include <unordered_set>

#include "export/gltf_nodes.h"
#include "export/trouble_tally.h"

namespace {

TroubleTally trouble_of(GltfMeshResult& result, const std::string& mesh, const char* kind) {
    return TroubleTally([&result](const std::string& line) { result.doubts.push_back(line); }, mesh, kind);
}

bool whole(const ByteView& v, std::uint32_t vertices) { return v.data && v.count >= vertices; }

void put_f32(std::uint8_t* out, float f) { std::memcpy(out, &f, 4); }

// What no finite float is, is 0.
float finite_or_zero(float f) { return std::isfinite(f) ? f : 0.0f; }

// Vertices written again after the stored ones, for triangles that would
// otherwise share all three corners with another of their primitive: the
// stored vertex each copies. Null when there are none.
using Copies = std::shared_ptr<const std::vector<std::uint32_t>>;

std::size_t with_copies(std::uint32_t n, const Copies& copies) { return n + (copies ? copies->size() : 0); }

// A vertex array's view: n records of stride bytes made by fill, then the copies.
int add_vertex_view(GltfDocument& d, std::size_t stride, std::uint32_t n, const Copies& copies,
                    std::function<void(std::uint8_t*)> fill) {
    return d.add_view(stride * with_copies(n, copies), [stride, n, copies, fill = std::move(fill)](std::uint8_t* out) {
        fill(out);
        if (!copies) return;
        for (std::size_t k = 0; k < copies->size(); ++k)
            std::memcpy(out + stride * (n + k), out + stride * (*copies)[k], stride);
    }, gltf::array_buffer);
}

// The rest a mesh's points and normals take, if any: points by its axes,
// normals by their inverse transposed, as glTF turns normals by a node.
struct Rest {
    bool moves = false;
    double axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double normal_axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    static Rest of(const Placement* rest) {
        Rest r;
        if (!rest || linear_identity(*rest)) return r;
        r.moves = true;
        std::memcpy(r.axes, rest->axes, sizeof r.axes);
        const double(*a)[3] = rest->axes;
        const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
        // Axis i of the inverse transposed is (axis j x axis k) / det; a flattening rest keeps normals as they are.
        if (std::fabs(det) > 1e-300 && std::isfinite(det))
            for (int i = 0; i < 3; ++i) {
                const double* u = a[(i + 1) % 3];
                const double* v = a[(i + 2) % 3];
                const double cross[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
                for (int k = 0; k < 3; ++k) r.normal_axes[i][k] = cross[k] / det;
            }
        return r;
    }
    void move(const double (&by)[3][3], const double in[3], double out[3]) const {
        for (int k = 0; k < 3; ++k) out[k] = in[0] * by[0][k] + in[1] * by[1][k] + in[2] * by[2][k];
    }
};

// A vertex's position as written: moved by the rest, what is not finite as 0.
void position_of(const std::uint8_t* p, const Rest& rest, float out[3]) {
    double v[3], moved[3];
    for (int k = 0; k < 3; ++k) v[k] = finite_or_zero(read_f32(p + 4 * k));
    if (!rest.moves) {
        for (int k = 0; k < 3; ++k) out[k] = static_cast<float>(v[k]);
        return;
    }
    rest.move(rest.axes, v, moved);
    for (int k = 0; k < 3; ++k) out[k] = finite_or_zero(static_cast<float>(moved[k]));
}

// Positions (and their bounds, as the floats written), zeroing what is not finite.
int add_positions(GltfDocument& d, const std::uint8_t* data, std::uint32_t n, const Copies& copies, const Rest& rest,
                  TroubleTally& trouble) {
    std::array<float, 3> low{}, high{};
    for (std::uint32_t i = 0; i < n; ++i) {
        bool bad = false;
        float v[3];
        position_of(data + 12 * std::size_t(i), rest, v);
        for (int k = 0; k < 3; ++k) {
            bad = bad || !std::isfinite(read_f32(data + 12 * std::size_t(i) + 4 * k));
            if (i == 0 || v[k] < low[k]) low[k] = v[k];
            if (i == 0 || v[k] > high[k]) high[k] = v[k];
        }
        if (bad) trouble.tell("vertex " + std::to_string(i) + ": a position that is not a finite number, written as 0");
    }
    int view = add_vertex_view(d, 12, n, copies, [data, n, rest](std::uint8_t* out) {
        for (std::size_t i = 0; i < n; ++i) {
            float v[3];
            position_of(data + 12 * i, rest, v);
            for (int k = 0; k < 3; ++k) put_f32(out + 12 * i + 4 * k, v[k]);
        }
    });
    return d.add_accessor(view, gltf::float_type, with_copies(n, copies), "VEC3", false, low, high);
}

// Unit length; a normal with no direction (zero, or not finite) points up its
// own z, as glTF wants every normal a unit vector.
void unit_normal(const std::uint8_t* p, const Rest& rest, float out[3]) {
    double v[3], length = 0;
    for (int k = 0; k < 3; ++k) v[k] = read_f32(p + 4 * k);
    if (rest.moves) {
        const double stored[3] = {v[0], v[1], v[2]};
        rest.move(rest.normal_axes, stored, v);
    }
    for (int k = 0; k < 3; ++k) length += v[k] * v[k];
    length = std::sqrt(length);
    if (!(length > 0) || !std::isfinite(length)) {
        out[0] = out[1] = 0;
        out[2] = 1;
        return;
    }
    for (int k = 0; k < 3; ++k) out[k] = static_cast<float>(v[k] / length);
}

int add_normals(GltfDocument& d, const std::uint8_t* data, std::uint32_t n, const Copies& copies, const Rest& rest,
                TroubleTally& trouble) {
    for (std::uint32_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k)
            if (!std::isfinite(read_f32(data + 12 * std::size_t(i) + 4 * k))) {
                trouble.tell("vertex " + std::to_string(i) + ": a normal that is not finite, written as (0, 0, 1)");
                break;
            }
    int view = add_vertex_view(d, 12, n, copies, [data, n, rest](std::uint8_t* out) {
        for (std::size_t i = 0; i < n; ++i) {
            float u[3];
            unit_normal(data + 12 * i, rest, u);
            for (int k = 0; k < 3; ++k) put_f32(out + 12 * i + 4 * k, u[k]);
        }
    });
    return d.add_accessor(view, gltf::float_type, with_copies(n, copies), "VEC3");
}

// Both conventions run V down the image: stored as they are.
int add_uvs(GltfDocument& d, const std::uint8_t* data, std::uint32_t n, const Copies& copies, TroubleTally& trouble) {
    for (std::uint32_t i = 0; i < n; ++i)
        for (int k = 0; k < 2; ++k)
            if (!std::isfinite(read_f32(data + 8 * std::size_t(i) + 4 * k))) {
                trouble.tell("vertex " + std::to_string(i) + ": a texture coordinate that is not finite, written as 0");
                break;
            }
    int view = add_vertex_view(d, 8, n, copies, [data, n](std::uint8_t* out) {
        for (std::size_t i = 0; i < 2 * std::size_t(n); ++i) put_f32(out + 4 * i, finite_or_zero(read_f32(data + 4 * i)));
    });
    return d.add_accessor(view, gltf::float_type, with_copies(n, copies), "VEC2");
}

// sRGB bytes as linear unsigned shorts; alpha is no colour and stays as it is.
int add_colors(GltfDocument& d, const std::uint8_t* data, std::uint32_t n, const Copies& copies) {
    int view = add_vertex_view(d, 8, n, copies, [data, n](std::uint8_t* out) {
        std::array<std::uint16_t, 256> linear{};
        for (int v = 0; v < 256; ++v)
            linear[v] = static_cast<std::uint16_t>(std::lround(linear_of_srgb(static_cast<std::uint8_t>(v)) * 65535));
        for (std::size_t i = 0; i < 4 * std::size_t(n); ++i) {
            std::uint16_t v = (i % 4 == 3) ? static_cast<std::uint16_t>(data[i] * 257) : linear[data[i]];
            out[2 * i] = static_cast<std::uint8_t>(v);
            out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    });
    return d.add_accessor(view, gltf::unsigned_short, with_copies(n, copies), "VEC4", true);
}

int add_joints(GltfDocument& d, const Skin& skin, std::uint32_t n, const Copies& copies) {
    int view = add_vertex_view(d, 4, n, copies, [skin, n](std::uint8_t* out) {
        float weights[4];
        for (std::uint32_t v = 0; v < n; ++v) gltf_vertex_weights(skin, v, out + 4 * std::size_t(v), weights);
    });
    return d.add_accessor(view, gltf::unsigned_byte, with_copies(n, copies), "VEC4");
}

int add_weights(GltfDocument& d, const Skin& skin, std::uint32_t n, const Copies& copies) {
    int view = add_vertex_view(d, 16, n, copies, [skin, n](std::uint8_t* out) {
        std::uint8_t joints[4];
        float weights[4];
        for (std::uint32_t v = 0; v < n; ++v) {
            gltf_vertex_weights(skin, v, joints, weights);
            for (int k = 0; k < 4; ++k) put_f32(out + 16 * std::size_t(v) + 4 * k, weights[k]);
        }
    });
    return d.add_accessor(view, gltf::float_type, with_copies(n, copies), "VEC4");
}

// The corners of the triangles of one material, made from the geometry's
// triangle list while the file is written: a large model's indices never
// stand in memory beside its triangles.
constexpr std::uint32_t no_copy = 0xFFFFFFFFu;

struct IndexSource {
    const Triangle* triangles;
    std::size_t triangle_count;
    std::uint32_t vertices;
    std::vector<std::uint32_t> materials;  // the geometry's material indices that go to this primitive
    bool other_materials;                  // also every index the geometry has no material for
    std::uint32_t material_count;
    // Per triangle the first of its own three vertex copies, none for most; null when no triangle has any.
    std::shared_ptr<const std::vector<std::uint32_t>> copied_to;

    bool takes(const Triangle& t) const {
        if (t.a >= vertices || t.b >= vertices || t.c >= vertices) return false;
        if (t.material >= material_count) return other_materials;
        return std::find(materials.begin(), materials.end(), t.material) != materials.end();
    }
};

int add_indices(GltfDocument& d, IndexSource source, std::size_t count, bool wide) {
    const std::size_t size = wide ? 4 : 2;
    int view = d.add_view(size * count, [source = std::move(source), wide](std::uint8_t* out) {
        for (std::size_t t = 0; t < source.triangle_count; ++t) {
            const Triangle& tri = source.triangles[t];
            if (!source.takes(tri)) continue;
            std::array<std::uint32_t, 3> corners = {tri.a, tri.b, tri.c};
            if (source.copied_to && (*source.copied_to)[t] != no_copy) {
                const std::uint32_t first = (*source.copied_to)[t];
                corners = {first, first + 1, first + 2};
            }
            for (std::uint32_t v : corners) {
                out[0] = static_cast<std::uint8_t>(v);
                out[1] = static_cast<std::uint8_t>(v >> 8);
                if (wide) {
                    out[2] = static_cast<std::uint8_t>(v >> 16);
                    out[3] = static_cast<std::uint8_t>(v >> 24);
                }
                out += wide ? 4 : 2;
            }
        }
    }, gltf::element_array_buffer);
    return d.add_accessor(view, wide ? gltf::unsigned_int : gltf::unsigned_short, count, "SCALAR");
}

// A triangle whose three corners (as a set) are those of an earlier one of
// the same primitive (the two sides of a double-sided face) gets three copies
// of its vertices: importers that merge faces by their vertices would drop it.
// copies receives the stored vertex of each copy; the result holds, per
// triangle, its copies' first index (n onwards) or no_copy, and is null when
// no triangle needs any.
std::shared_ptr<const std::vector<std::uint32_t>> copy_repeated_faces(const Geometry& g, const GltfMeshInput& input,
                                                                      std::uint32_t n, std::vector<std::uint32_t>& copies) {
    struct Face {
        int primitive;
        std::array<std::uint32_t, 3> corners;
        std::size_t triangle;
        bool operator<(const Face& o) const {
            return std::tie(primitive, corners, triangle) < std::tie(o.primitive, o.corners, o.triangle);
        }
    };
    std::vector<Face> faces;
    faces.reserve(g.triangles.size());
    for (std::size_t t = 0; t < g.triangles.size(); ++t) {
        const Triangle& tri = g.triangles[t];
        if (tri.a >= n || tri.b >= n || tri.c >= n) continue;
        const int primitive = tri.material < input.materials.size() ? input.materials[tri.material] : input.default_material;
        Face face{primitive, {tri.a, tri.b, tri.c}, t};
        std::sort(face.corners.begin(), face.corners.end());
        faces.push_back(face);
    }
    std::sort(faces.begin(), faces.end());
    std::shared_ptr<std::vector<std::uint32_t>> copied_to;
    for (std::size_t i = 1; i < faces.size(); ++i) {
        if (faces[i].primitive != faces[i - 1].primitive || faces[i].corners != faces[i - 1].corners) continue;
        // Past what an index can name, the face stays shared.
        if (std::uint64_t(n) + copies.size() + 3 > no_copy) break;
        if (!copied_to) copied_to = std::make_shared<std::vector<std::uint32_t>>(g.triangles.size(), no_copy);
        const Triangle& tri = g.triangles[faces[i].triangle];
        (*copied_to)[faces[i].triangle] = static_cast<std::uint32_t>(n + copies.size());
        copies.insert(copies.end(), {tri.a, tri.b, tri.c});
    }
    return copied_to;
}

}  // namespace

void gltf_vertex_weights(const Skin& skin, std::uint32_t vertex, std::uint8_t joints[4], float weights[4]) {
    double w[4] = {0, 0, 0, 0}, sum = 0;
    for (int k = 0; k < 4; ++k) {
        joints[k] = 0;
        const std::uint8_t bone = skin.bone_indices.data[4 * std::size_t(vertex) + k];
        const double raw = read_f32(skin.weights.data + 16 * std::size_t(vertex) + 4 * std::size_t(k));
        if (!(raw > 0) || bone >= skin.bone_count) continue;
        int slot = 0;
        while (slot < k && !(w[slot] > 0 && joints[slot] == bone)) ++slot;
        if (slot == k) joints[k] = bone;
        w[slot] += raw;
        sum += raw;
    }
    if (!(sum > 0) || !std::isfinite(sum)) {
        const std::uint8_t first = skin.bone_indices.data[4 * std::size_t(vertex)];
        joints[0] = first < skin.bone_count ? first : 0;
        w[0] = sum = 1;
    }
    // Rounded to floats, the largest weight takes what makes the four add up to 1.
    int largest = 0;
    for (int k = 0; k < 4; ++k) {
        weights[k] = static_cast<float>(w[k] / sum);
        if (weights[k] > weights[largest]) largest = k;
    }
    float rest = 0;
    for (int k = 0; k < 4; ++k)
        if (k != largest) rest += weights[k];
    weights[largest] = 1.0f - rest;
}

double linear_of_srgb(std::uint8_t value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

GltfMeshResult add_gltf_mesh(GltfDocument& d, const GltfMeshInput& input) {
    GltfMeshResult result;
    nlohmann::json primitives = nlohmann::json::array();
    result.doubts = add_gltf_primitives(d, input, primitives);
    if (!primitives.empty()) result.mesh = d.add("meshes", {{"name", input.name}, {"primitives", std::move(primitives)}});
    return result;
}

std::vector<std::string> add_gltf_primitives(GltfDocument& d, const GltfMeshInput& input, nlohmann::json& primitives) {
    GltfMeshResult result;
    const Geometry& g = *input.geometry;
    const std::uint32_t n = g.vertex_count > 0 ? static_cast<std::uint32_t>(g.vertex_count) : 0;
    if (n == 0) return result.doubts;

    const Rest rest = Rest::of(input.rest);
    auto copy_list = std::make_shared<std::vector<std::uint32_t>>();
    const auto copied_to = copy_repeated_faces(g, input, n, *copy_list);
    const Copies copies = copied_to ? Copies(copy_list) : nullptr;
    nlohmann::json attributes = nlohmann::json::object();
    {
        TroubleTally trouble = trouble_of(result, input.name, "vertices with numbers that are not finite, written as 0");
        attributes["POSITION"] = add_positions(d, g.positions.data, n, copies, rest, trouble);
    }
    if (whole(g.normals, n)) {
        TroubleTally trouble = trouble_of(result, input.name, "normals that are not finite");
        attributes["NORMAL"] = add_normals(d, g.normals.data, n, copies, rest, trouble);
    }
    int set = 0;
    for (const ByteView* uvs : {&g.uvs, &g.uvs2}) {
        if (!whole(*uvs, n)) break;
        TroubleTally trouble = trouble_of(result, input.name, "texture coordinates that are not finite, written as 0");
        attributes["TEXCOORD_" + std::to_string(set++)] = add_uvs(d, uvs->data, n, copies, trouble);
    }
    // The other set of colours has no standard attribute: an application's own (leading '_').
    const bool day = whole(g.colors, n), night = whole(g.night_colors, n);
    if (input.night && night) {
        attributes["COLOR_0"] = add_colors(d, g.night_colors.data, n, copies);
        if (day) attributes["_DAY_COLOR"] = add_colors(d, g.colors.data, n, copies);
    } else {
        if (day) attributes["COLOR_0"] = add_colors(d, g.colors.data, n, copies);
        if (night) attributes["_NIGHT_COLOR"] = add_colors(d, g.night_colors.data, n, copies);
    }

    if (input.skin) {
        attributes["JOINTS_0"] = add_joints(d, *input.skin, n, copies);
        attributes["WEIGHTS_0"] = add_weights(d, *input.skin, n, copies);
    }

    // One primitive a material of the document, in its order; the triangles
    // keep their order and their corners' order within it.
    struct Group {
        IndexSource source;
        std::size_t corners = 0;
    };
    std::map<int, Group> by_material;
    const auto material_count = static_cast<std::uint32_t>(input.materials.size());
    {
        TroubleTally trouble = trouble_of(result, input.name, "triangles with a vertex index past the vertex count, left out");
        for (std::size_t t = 0; t < g.triangles.size(); ++t) {
            const Triangle& tri = g.triangles[t];
            if (tri.a >= n || tri.b >= n || tri.c >= n) {
                trouble.tell("triangle " + std::to_string(t) + " (" + std::to_string(tri.a) + ", " +
                             std::to_string(tri.b) + ", " + std::to_string(tri.c) +
                             ") has a vertex index at or past the vertex count " + std::to_string(n) + ", left out");
                continue;
            }
            const bool known = tri.material < material_count;
            const int material = known ? input.materials[tri.material] : input.default_material;
            auto [at, added] = by_material.try_emplace(
                material, Group{IndexSource{g.triangles.data(), g.triangles.size(), n, {}, false, material_count, copied_to}});
            (void)added;
            IndexSource& source = at->second.source;
            if (!known) source.other_materials = true;
            else if (std::find(source.materials.begin(), source.materials.end(), tri.material) == source.materials.end())
                source.materials.push_back(tri.material);
            at->second.corners += 3;
        }
    }
    const std::size_t first = primitives.size();
    const bool wide = with_copies(n, copies) >= 65536;
    for (auto& [material, group] : by_material) {
        nlohmann::json primitive = {{"attributes", attributes},
                                    {"indices", add_indices(d, std::move(group.source), group.corners, wide)}};
        if (material >= 0) primitive["material"] = material;
        primitives.push_back(std::move(primitive));
    }
    // Vertices without triangles stay visible as points.
    if (primitives.size() == first) primitives.push_back({{"attributes", attributes}, {"mode", 0}});
    return result.doubts;
}
