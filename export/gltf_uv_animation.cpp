#include "export/gltf_uv_animation.h"

#include <cmath>
#include <cstring>

#include "export/gltf_effects.h"
#include "game/text_lines.h"

namespace {

using nlohmann::json;

constexpr double pi = 3.14159265358979323846;
constexpr double skew_tolerance = 1e-6;

// The floats of one channel's output, written while the file is.
int float_accessor(GltfDocument& d, std::vector<float> values, const char* type, std::size_t count,
                   const json& min = nullptr, const json& max = nullptr) {
    const std::size_t length = 4 * values.size();
    const int view = d.add_view(length, [values = std::move(values)](std::uint8_t* out) {
        std::memcpy(out, values.data(), 4 * values.size());
    });
    return d.add_accessor(view, gltf::float_type, count, type, false, min, max);
}

const UvAnimation* find_animation(const std::vector<UvAnimation>& animations, const std::string& name) {
    for (const UvAnimation& a : animations)
        if (!a.name.empty() && same_name(a.name, name)) return &a;
    return nullptr;
}

bool finite(const UvTransformKey& t) {
    const double all[] = {t.time, t.rotation, t.scale[0], t.scale[1], t.offset[0], t.offset[1]};
    for (double v : all)
        if (!std::isfinite(v) || std::fabs(v) > 3.4e38) return false;  // and still a float
    return true;
}

// As float, and 0 rather than -0.
float value(double v) { return v == 0 ? 0.0f : static_cast<float>(v); }

json transform_json(const UvTransformKey& k) {
    return {{"offset", {value(k.offset[0]), value(k.offset[1])}},
            {"rotation", value(k.rotation)},
            {"scale", {value(k.scale[0]), value(k.scale[1])}}};
}

}  // namespace

UvTransformKey uv_transform_of(const UvKey& key, std::uint32_t interpolator, double& skew) {
    UvTransformKey t;
    t.time = key.time;
    const float* v = key.values;
    if (interpolator == uv_interpolator::param) {
        // angle, scale u, scale v, skew, offset u, offset v; the turn is about (1/2, 1/2).
        const double c = std::cos(v[0]), s = std::sin(v[0]);
        t.rotation = v[0];
        t.scale[0] = v[1];
        t.scale[1] = v[2];
        skew = v[3];
        t.offset[0] = c * (v[4] - 0.5) - s * (v[5] - 0.5) + 0.5;
        t.offset[1] = s * (v[4] - 0.5) + c * (v[5] - 0.5) + 0.5;
        return t;
    }
    // u' = a u + c v + e, v' = b u + d v + f: [[a, c], [b, d]] = R(r) [[sx, 0], [k, sy]].
    const double a = v[0], b = v[1], c = v[2], d = v[3];
    double sy = std::hypot(c, d);
    if (a * d - b * c < 0) sy = -sy;
    const double r = sy != 0 ? std::atan2(-c / sy, d / sy) : 0;
    const double cr = std::cos(r), sr = std::sin(r);
    t.rotation = r;
    t.scale[0] = cr * a + sr * b;
    t.scale[1] = sy;
    skew = -sr * a + cr * b;
    t.offset[0] = v[4];
    t.offset[1] = v[5];
    return t;
}

std::vector<UvTransformKey> uv_transform_keys(const UvAnimation& a, std::vector<std::string>& notes) {
    const std::string what = "UV animation \"" + a.name + "\"";
    if (a.keys.empty()) {
        notes.push_back(what + ": no readable keys: not written");
        return {};
    }
    std::int32_t base = -1;
    for (std::uint32_t n = 0; n < a.node_count; ++n) {
        const std::int32_t channel = n < 8 ? a.channels[n] : -1;
        if (channel == 0 && base < 0) base = static_cast<std::int32_t>(n);
        else notes.push_back(what + ": node " + std::to_string(n) + " moves " +
                             (channel == 0 ? "the base texture again" : "UV set " + std::to_string(channel)) +
                             ", which glTF's transform does not carry: left out");
    }
    std::vector<UvTransformKey> keys;
    if (base < 0) {
        notes.push_back(what + ": no node moves the base texture: not written");
        return keys;
    }
    double largest_skew = 0;
    std::uint32_t repeated = 0, unusable = 0;
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
        if (a.key_node[k] != base) continue;
        double skew = 0;
        UvTransformKey t = uv_transform_of(a.keys[k], a.interpolator, skew);
        if (!finite(t)) {  // JSON has no infinity or NaN
            ++unusable;
            continue;
        }
        largest_skew = std::max(largest_skew, std::fabs(skew));
        if (!keys.empty() && !(t.time > keys.back().time)) {
            ++repeated;
            continue;
        }
        // The game turns the short way between keys; a stored angle may be any size.
        const double before = keys.empty() ? 0.0 : keys.back().rotation;
        t.rotation = before + std::remainder(t.rotation - before, 2 * pi);
        keys.push_back(t);
    }
    if (unusable)
        notes.push_back(what + ": " + std::to_string(unusable) + " keys with numbers that are not finite: left out");
    if (largest_skew > skew_tolerance)
        notes.push_back(what + ": skew (up to " + std::to_string(largest_skew) + ") has no glTF counterpart: dropped");
    if (repeated)
        notes.push_back(what + ": " + std::to_string(repeated) + " keys at or before an earlier key's time: left out");
    return keys;
}

void add_gltf_uv_animations(GltfDocument& d, const std::vector<GltfMaterialEntry>& materials,
                            const std::vector<UvAnimation>& animations, std::vector<std::string>& notes) {
    // Per animation, the materials it drives.
    std::vector<std::vector<std::size_t>> users(animations.size());
    std::vector<std::vector<UvTransformKey>> keys(animations.size());
    std::vector<bool> converted(animations.size(), false);
    if (!d.json().contains("materials")) return;  // a model without materials must not get an empty list
    json& list = d.json()["materials"];
    for (std::size_t m = 0; m < materials.size() && m < list.size(); ++m) {
        for (const std::string& name : materials[m].material.uv_animations) {
            const UvAnimation* a = find_animation(animations, name);
            if (!a) {
                notes.push_back("material " + materials[m].name + " names UV animation \"" + name +
                                "\", which the model's dictionary does not hold");
                continue;
            }
            const std::size_t i = static_cast<std::size_t>(a - animations.data());
            if (!converted[i]) {
                keys[i] = uv_transform_keys(*a, notes);
                converted[i] = true;
            }
            if (keys[i].empty()) continue;
            json& pbr = list[m]["pbrMetallicRoughness"];
            if (!pbr.contains("baseColorTexture")) {
                notes.push_back("material " + materials[m].name + ": its texture was not found, so UV animation \"" +
                                a->name + "\" has nothing to move");
                continue;
            }
            json& extensions = pbr["baseColorTexture"]["extensions"];
            if (!extensions.contains("KHR_texture_transform")) extensions["KHR_texture_transform"] = transform_json(keys[i][0]);
            users[i].push_back(m);
            use_gltf_extension(d, "KHR_texture_transform");
        }
    }
    for (std::size_t i = 0; i < animations.size(); ++i) {
        if (users[i].empty()) {
            notes.push_back("UV animation \"" + animations[i].name + "\": no material shows it: not written");
            continue;
        }
        const std::vector<UvTransformKey>& k = keys[i];
        std::vector<float> times, offsets, rotations, scales;
        for (const UvTransformKey& t : k) {
            times.push_back(t.time);
            offsets.insert(offsets.end(), {static_cast<float>(t.offset[0]), static_cast<float>(t.offset[1])});
            rotations.push_back(static_cast<float>(t.rotation));
            scales.insert(scales.end(), {static_cast<float>(t.scale[0]), static_cast<float>(t.scale[1])});
        }
        const float first = times.front(), last = times.back();
        const int input = float_accessor(d, std::move(times), "SCALAR", k.size(), json::array({first}), json::array({last}));
        const int outputs[3] = {float_accessor(d, std::move(offsets), "VEC2", k.size()),
                                float_accessor(d, std::move(rotations), "SCALAR", k.size()),
                                float_accessor(d, std::move(scales), "VEC2", k.size())};
        static const char* const properties[3] = {"offset", "rotation", "scale"};
        json samplers = json::array(), channels = json::array();
        for (int p = 0; p < 3; ++p) samplers.push_back({{"input", input}, {"output", outputs[p]}, {"interpolation", "LINEAR"}});
        for (std::size_t m : users[i])
            for (int p = 0; p < 3; ++p) {
                const std::string pointer = "/materials/" + std::to_string(m) +
                                            "/pbrMetallicRoughness/baseColorTexture/extensions/KHR_texture_transform/" +
                                            properties[p];
                channels.push_back({{"sampler", p},
                                    {"target", {{"path", "pointer"},
                                                {"extensions", {{"KHR_animation_pointer", {{"pointer", pointer}}}}}}}});
            }
        d.add("animations", {{"name", animations[i].name}, {"samplers", std::move(samplers)}, {"channels", std::move(channels)}});
        use_gltf_extension(d, "KHR_animation_pointer");
    }
}
