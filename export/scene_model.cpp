#include "export/scene_model.h"

#include <string_view>

#include "export/obj_object.h"
#include "game/map_items.h"
#include "game/text_lines.h"

SceneParts scene_parts(const Model& model) {
    SceneParts out;
    auto doubt = [&](const std::string& text) {
        if (out.doubt.empty()) out.doubt = text;
    };
    for (const Finding& f : model.findings)
        if (f.doubtful) doubt(f.text);
    for (std::size_t c = 0; c < model.clumps.size(); ++c) {
        const Clump& clump = model.clumps[c];
        std::vector<std::string> names;
        std::vector<std::string_view> views;
        for (std::size_t i = 0; i < clump.atomics.size(); ++i) {
            const Atomic& a = clump.atomics[i];
            bool named = a.frame >= 0 && std::size_t(a.frame) < clump.frames.size() &&
                         !clump.frames[std::size_t(a.frame)].name.empty();
            names.push_back(named ? clump.frames[std::size_t(a.frame)].name : "atomic_" + std::to_string(i));
        }
        for (const std::string& n : names) views.push_back(n);
        for (std::size_t i : map_atomics(views)) {
            const Atomic& a = clump.atomics[i];
            if (a.geometry < 0 || std::size_t(a.geometry) >= clump.geometries.size()) {
                doubt("atomic " + std::to_string(i) + " (" + names[i] + "): its geometry is out of range");
                continue;
            }
            const Geometry& g = clump.geometries[std::size_t(a.geometry)];
            if (const char* reason = unwritable_reason(g)) {
                doubt("atomic " + std::to_string(i) + " (" + names[i] + "): its geometry " + reason);
                continue;
            }
            out.parts.push_back({&g, names[i]});
        }
    }
    if (out.parts.empty()) doubt("nothing a map draws: no atomic with a geometry");
    return out;
}

std::string scene_material_key(const std::string& dictionary, const Material& m) {
    std::string key = lower_name(dictionary);
    key += '\0';
    key += m.texture;
    key += '\0';
    key += m.mask;
    key += '\0';
    key.append(reinterpret_cast<const char*>(m.color), 4);
    return key;
}
