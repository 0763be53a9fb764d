#include "export/gltf_mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>

namespace {

// Lines a kind of trouble may take in one mesh before the rest are only counted.
constexpr std::size_t told_at_most = 16;

class Trouble {
public:
    Trouble(GltfMeshResult& result, const std::string& mesh, const char* kind)
        : result_(result), mesh_(mesh), kind_(kind) {}
    void tell(const std::string& what) {
        if (told_++ < told_at_most) result_.doubts.push_back(mesh_ + ": " + what);
    }
    ~Trouble() {
        if (told_ > told_at_most)
            result_.doubts.push_back(mesh_ + ": " + std::to_string(told_ - told_at_most) + " more " + kind_);
    }

private:
    GltfMeshResult& result_;
    const std::string& mesh_;
    const char* kind_;
    std::size_t told_ = 0;
};

bool whole(const ByteView& v, std::uint32_t vertices) { return v.data && v.count >= vertices; }

void put_f32(std::uint8_t* out, float f) { std::memcpy(out, &f, 4); }

// What no finite float is, is 0.
float finite_or_zero(float f) { return std::isfinite(f) ? f : 0.0f; }

// Positions (and their bounds, as the floats written), zeroing what is not finite.
int add_positions(GltfDocument& d, const std::uint8_t* data, std::uint32_t n, Trouble& trouble) {
    std::array<float, 3> low{}, high{};
    for (std::uint32_t i = 0; i < n; ++i) {
        bool bad = false;
        for (int k = 0; k < 3; ++k) {
            float raw = read_f32(data + 12 * std::size_t(i) + 4 * k), v = finite_or_zero(raw);
            bad = bad || v != raw;
            if (i == 0 || v < low[k]) low[k] = v;
            if (i == 0 || v > high[k]) high[k] = v;
        }
        if (bad) trouble.tell("vertex " + std::to_string(i) + ": a position that is not a finite number, written as 0");
    }
    int view = d.add_view(12 * std::size_t(n), [data, n](std::uint8_t* out) {
        for (std::size_t i = 0; i < 3 * std::size_t(n); ++i) put_f32(out + 4 * i, finite_or_zero(read_f32(data + 4 * i)));
    }, gltf::array_buffer);
    return d.add_accessor(view, gltf::float_type, n, "VEC3", false, low, high);
}

// Unit length; a normal with no direction (zero, or not finite) points up its
// own z, as glTF wants every normal a unit vector.
void unit_normal(const std::uint8_t* p, float out[3]) {
    double v[3], length = 0;
    for (int k = 0; k < 3; ++k) {
        v[k] = read_f32(p + 4 * k);
        length += v[k] * v[k];
    }
    length = std::sqrt(length);
    if (!(length > 0) || !std::isfinite(length)) {
        out[0] = out[1] = 0;
        out[2] = 1;
        return;
    }
    for (int k = 0; k < 3; ++k) out[k] = static_cast<float>(v[k] / length);
}

int add_normals(GltfDocument& d, const std::uint8_t* data, std::uint32_t n, Trouble& trouble) {
    for (std::uint32_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k)
            if (!std::isfinite(read_f32(data + 12 * std::size_t(i) + 4 * k))) {
                trouble.tell("vertex " + std::to_string(i) + ": a normal that is not finite, written as (0, 0, 1)");
                break;
            }
    int view = d.add_view(12 * std::size_t(n), [data, n](std::uint8_t* out) {
        for (std::size_t i = 0; i < n; ++i) {
            float u[3];
            unit_normal(data + 12 * i, u);
            for (int k = 0; k < 3; ++k) put_f32(out + 12 * i + 4 * k, u[k]);
        }
    }, gltf::array_buffer);
    return d.add_accessor(view, gltf::float_type, n, "VEC3");
}

// Both conventions run V down the image: stored as they are.
int add_uvs(GltfDocument& d, const std::uint8_t* data, std::uint32_t n, Trouble& trouble) {
    for (std::uint32_t i = 0; i < n; ++i)
        for (int k = 0; k < 2; ++k)
            if (!std::isfinite(read_f32(data + 8 * std::size_t(i) + 4 * k))) {
                trouble.tell("vertex " + std::to_string(i) + ": a texture coordinate that is not finite, written as 0");
                break;
            }
    int view = d.add_view(8 * std::size_t(n), [data, n](std::uint8_t* out) {
        for (std::size_t i = 0; i < 2 * std::size_t(n); ++i) put_f32(out + 4 * i, finite_or_zero(read_f32(data + 4 * i)));
    }, gltf::array_buffer);
    return d.add_accessor(view, gltf::float_type, n, "VEC2");
}

// sRGB bytes as linear unsigned shorts; alpha is no colour and stays as it is.
int add_colors(GltfDocument& d, const std::uint8_t* data, std::uint32_t n) {
    int view = d.add_view(8 * std::size_t(n), [data, n](std::uint8_t* out) {
        std::array<std::uint16_t, 256> linear{};
        for (int v = 0; v < 256; ++v)
            linear[v] = static_cast<std::uint16_t>(std::lround(linear_of_srgb(static_cast<std::uint8_t>(v)) * 65535));
        for (std::size_t i = 0; i < 4 * std::size_t(n); ++i) {
            std::uint16_t v = (i % 4 == 3) ? static_cast<std::uint16_t>(data[i] * 257) : linear[data[i]];
            out[2 * i] = static_cast<std::uint8_t>(v);
            out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    }, gltf::array_buffer);
    return d.add_accessor(view, gltf::unsigned_short, n, "VEC4", true);
}

int add_joints(GltfDocument& d, const Skin& skin, std::uint32_t n) {
    int view = d.add_view(4 * std::size_t(n), [skin, n](std::uint8_t* out) {
        float weights[4];
        for (std::uint32_t v = 0; v < n; ++v) gltf_vertex_weights(skin, v, out + 4 * std::size_t(v), weights);
    }, gltf::array_buffer);
    return d.add_accessor(view, gltf::unsigned_byte, n, "VEC4");
}

int add_weights(GltfDocument& d, const Skin& skin, std::uint32_t n) {
    int view = d.add_view(16 * std::size_t(n), [skin, n](std::uint8_t* out) {
        std::uint8_t joints[4];
        float weights[4];
        for (std::uint32_t v = 0; v < n; ++v) {
            gltf_vertex_weights(skin, v, joints, weights);
            for (int k = 0; k < 4; ++k) put_f32(out + 16 * std::size_t(v) + 4 * k, weights[k]);
        }
    }, gltf::array_buffer);
    return d.add_accessor(view, gltf::float_type, n, "VEC4");
}

// The corners of the triangles of one material, made from the geometry's
// triangle list while the file is written: a large model's indices never
// stand in memory beside its triangles.
struct IndexSource {
    const Triangle* triangles;
    std::size_t triangle_count;
    std::uint32_t vertices;
    std::vector<std::uint32_t> materials;  // the geometry's material indices that go to this primitive
    bool other_materials;                  // also every index the geometry has no material for
    std::uint32_t material_count;

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
            for (std::uint32_t v : {tri.a, tri.b, tri.c}) {
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

    nlohmann::json attributes = nlohmann::json::object();
    {
        Trouble trouble(result, input.name, "vertices with numbers that are not finite, written as 0");
        attributes["POSITION"] = add_positions(d, g.positions.data, n, trouble);
    }
    if (whole(g.normals, n)) {
        Trouble trouble(result, input.name, "normals that are not finite");
        attributes["NORMAL"] = add_normals(d, g.normals.data, n, trouble);
    }
    int set = 0;
    for (const ByteView* uvs : {&g.uvs, &g.uvs2}) {
        if (!whole(*uvs, n)) break;
        Trouble trouble(result, input.name, "texture coordinates that are not finite, written as 0");
        attributes["TEXCOORD_" + std::to_string(set++)] = add_uvs(d, uvs->data, n, trouble);
    }
    // The other set of colours has no standard attribute: an application's own (leading '_').
    const bool day = whole(g.colors, n), night = whole(g.night_colors, n);
    if (input.night && night) {
        attributes["COLOR_0"] = add_colors(d, g.night_colors.data, n);
        if (day) attributes["_DAY_COLOR"] = add_colors(d, g.colors.data, n);
    } else {
        if (day) attributes["COLOR_0"] = add_colors(d, g.colors.data, n);
        if (night) attributes["_NIGHT_COLOR"] = add_colors(d, g.night_colors.data, n);
    }

    if (input.skin) {
        attributes["JOINTS_0"] = add_joints(d, *input.skin, n);
        attributes["WEIGHTS_0"] = add_weights(d, *input.skin, n);
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
        Trouble trouble(result, input.name, "triangles with a vertex index past the vertex count, left out");
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
                material, Group{IndexSource{g.triangles.data(), g.triangles.size(), n, {}, false, material_count}});
            (void)added;
            IndexSource& source = at->second.source;
            if (!known) source.other_materials = true;
            else if (std::find(source.materials.begin(), source.materials.end(), tri.material) == source.materials.end())
                source.materials.push_back(tri.material);
            at->second.corners += 3;
        }
    }
    const std::size_t first = primitives.size();
    const bool wide = n >= 65536;
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
