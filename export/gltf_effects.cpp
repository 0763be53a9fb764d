#include "export/gltf_effects.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "export/gltf_nodes.h"

namespace {

using nlohmann::json;

// The double nearest a float's shortest text, so that 0.1f is written 0.1.
double float_number(double value) {
    const float f = static_cast<float>(value);
    if (!std::isfinite(f)) return 0;
    char text[32];
    const char* end = std::to_chars(text, text + sizeof text, f).ptr;
    double out = 0;
    std::from_chars(text, end, out);
    return out;
}

json number_json(double v, bool integer) {
    if (integer) return static_cast<long long>(v);
    return float_number(v);
}

json extras_of(const Effect& e) {
    json extras = {{"effect", e.kind}};
    for (const EffectField& f : e.fields) {
        if (f.numbers.empty()) {
            extras[f.name] = f.text;
        } else if (f.numbers.size() == 1) {
            extras[f.name] = number_json(f.numbers[0], f.integers);
        } else {
            json list = json::array();
            for (double v : f.numbers) list.push_back(number_json(v, f.integers));
            extras[f.name] = std::move(list);
        }
    }
    return extras;
}

}  // namespace

double effect_light_intensity(float range) {
    const double reach = range > 0 ? range : 10.0;
    return 10.0 * reach * reach;
}

void use_gltf_extension(GltfDocument& document, const char* name) {
    json& used = document.json()["extensionsUsed"];
    if (!used.is_array()) used = json::array();
    if (std::find(used.begin(), used.end(), name) == used.end()) used.push_back(name);
}

int GltfEffects::light_for(const Effect& e) {
    if (auto found = lights_.find(&e); found != lights_.end()) return found->second;
    json& root = d_.json()["extensions"]["KHR_lights_punctual"]["lights"];
    if (!root.is_array()) root = json::array();
    json light = {{"type", "point"},
                  {"color", {float_number(e.colour[0] / 255.0), float_number(e.colour[1] / 255.0),
                             float_number(e.colour[2] / 255.0)}},
                  {"intensity", float_number(effect_light_intensity(e.range))}};
    if (e.range > 0) light["range"] = float_number(e.range);
    root.push_back(std::move(light));
    use_gltf_extension(d_, "KHR_lights_punctual");
    return lights_[&e] = static_cast<int>(root.size() - 1);
}

void GltfEffects::add(int parent, const std::vector<Effect>& effects, UniqueNames& names,
                      const Placement* parent_rest) {
    for (const Effect& e : effects) {
        json node = {{"name", names.take("fx_" + e.kind + "_" + std::to_string(e.index))}};
        node["extras"] = extras_of(e);
        if (e.light) node["extensions"] = {{"KHR_lights_punctual", {{"light", light_for(e)}}}};
        Placement at;
        for (int k = 0; k < 3; ++k) at.position[k] = e.position[k];
        add_placed_node(d_, parent, std::move(node), at, parent_rest ? *parent_rest : Placement{});
    }
}
