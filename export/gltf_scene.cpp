#include "export/gltf_scene.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "export/gltf_effects.h"
#include "export/gltf_mesh.h"
#include "export/gltf_nodes.h"
#include "export/gltf_uv_animation.h"
#include "export/mtl_writer.h"
#include "export/texture_file_name.h"
#include "game/text_lines.h"

namespace {

using nlohmann::json;

bool identity(const InstanceTransform& t) {
    for (int r = 0; r < 3; ++r) {
        if (t.position[r] != 0 || t.scale[r] != 1) return false;
        for (int c = 0; c < 3; ++c)
            if (t.rotation[r][c] != (r == c ? 1 : 0)) return false;
    }
    return true;
}

struct PreparedGltfModel {
    bool prepared = false;
    int mesh = -1;  // -1: nothing to draw
    std::uint32_t instances = 0;
    std::vector<Effect> effects;  // of the parts it draws and of its id, in the model's space
};

class ScenePlanner {
public:
    ScenePlanner(const GltfSceneOptions& options, GltfScene& plan) : options_(options), plan_(plan), d_(plan.document), mtl_("") {}

    void plan(const std::vector<SceneModel>& models, const std::vector<SceneInstance>& instances) {
        d_.json()["asset"]["generator"] = options_.program_name_version;
        d_.json()["asset"]["extras"] = {{"placementFiles", options_.placement_files}};
        root_ = d_.add_z_up_root(names_.take("map"));
        prepared_.resize(models.size());
        group_nodes_.assign(options_.groups.size(), -1);
        for (const SceneInstance& instance : instances) {
            if (instance.model >= models.size()) continue;
            if (options_.max_instances && plan_.instances_written >= options_.max_instances) {
                doubt("the scene reached " + std::to_string(options_.max_instances) + " instance nodes: " +
                      std::to_string(instances.size() - plan_.instances_written) + " more instances are left out");
                plan_.stopped = true;
                break;
            }
            add_instance(models[instance.model], prepared_[instance.model], instance);
        }
        if (!plan_.doubts.empty()) d_.node(root_)["extras"] = {{"doubts", plan_.doubts}};
        d_.json()["scenes"] = json::array({{{"nodes", {root_}}}});
        d_.json()["scene"] = 0;
    }

private:

    void doubt(const std::string& line) {
        if (!plan_.doubtful) plan_.first_doubt = line;
        plan_.doubtful = true;
        plan_.doubts.push_back(line);
    }

    int group_node(std::size_t group) {
        if (group >= group_nodes_.size()) group_nodes_.resize(group + 1, -1);
        if (group_nodes_[group] < 0) {
            const std::string name = group < options_.groups.size() ? options_.groups[group] : "group_" + std::to_string(group);
            group_nodes_[group] = d_.add("nodes", {{"name", names_.take(name)}});
            d_.attach(root_, group_nodes_[group]);
        }
        return group_nodes_[group];
    }

    // The document's material for one of the model's, shared by every model
    // of the same dictionary that names the same texture, mask and colour and
    // is drawn from the same sides.
    int material(const SceneModel& model, const Material& m, const std::string& folder) {
        std::string key = scene_material_key(model.dictionary, m);
        if (model.double_sided) {
            key += '\0';
            key += "both sides";
        }
        // Moved by the model's own UV animations: its alone.
        const bool animated = !m.uv_animations.empty() && !model.model->uv_animations.empty();
        if (animated) {
            key += '\0';
            key += "uv animations of ";
            key += std::to_string(reinterpret_cast<std::uintptr_t>(model.model));
        }
        auto [at, fresh] = materials_.try_emplace(key, static_cast<int>(plan_.materials.size()));
        if (fresh) {
            GltfMaterialEntry entry{mtl_.add_shared(key, m, folder), m, model.double_sided, ""};
            if (std::string file = texture_file_name(m.texture); !file.empty()) entry.image_key = folder + file;
            plan_.materials.push_back(std::move(entry));
            plan_.material_uv_animations.push_back(animated ? &model.model->uv_animations : nullptr);
        }
        for (const std::string* t : {&m.texture, &m.mask})
            if (!t->empty() && textures_seen_.insert(lower_name(model.dictionary) + '\0' + *t).second)
                plan_.textures.push_back({model.dictionary, *t});
        return at->second;
    }

    int default_material() {
        if (default_material_ < 0) {
            default_material_ = static_cast<int>(plan_.materials.size());
            plan_.materials.push_back({mtl_.default_material(), Material{}, false, ""});
            plan_.material_uv_animations.push_back(nullptr);
        }
        return default_material_;
    }

    void prepare(const SceneModel& model, PreparedGltfModel& p) {
        p.prepared = true;
        if (!model.model) return;
        const std::string folder = options_.texture_folder ? options_.texture_folder(model.dictionary) : "";
        json primitives = json::array();
        for (const ScenePart& part : scene_parts(*model.model).parts) {
            const Geometry& g = *part.geometry;
            if (options_.effects) p.effects.insert(p.effects.end(), g.effects.begin(), g.effects.end());
            GltfMeshInput input;
            input.geometry = &g;
            input.name = model.name + " " + part.name;
            for (const Material& m : g.materials) input.materials.push_back(material(model, m, folder));
            for (const Triangle& t : g.triangles)
                if (t.material >= g.materials.size()) {
                    input.default_material = default_material();
                    break;
                }
            for (const std::string& line : add_gltf_primitives(d_, input, primitives)) doubt(line);
        }
        if (options_.effects) p.effects.insert(p.effects.end(), model.effects.begin(), model.effects.end());
        if (!primitives.empty()) p.mesh = d_.add("meshes", {{"name", model.name}, {"primitives", std::move(primitives)}});
    }

    void add_instance(const SceneModel& model, PreparedGltfModel& p, const SceneInstance& instance) {
        if (!p.prepared) prepare(model, p);
        if (p.mesh < 0) return;
        json n = {{"name", names_.take(model.name + "_" + std::to_string(++p.instances))}, {"mesh", p.mesh}};
        if (!identity(instance.transform)) set_node_transform(n, instance_node(instance.transform));
        const int group = group_node(instance.group);
        const int node = d_.add("nodes", std::move(n));
        d_.attach(group, node);
        effects_.add(node, p.effects, names_);
        ++plan_.instances_written;
    }

    const GltfSceneOptions& options_;
    GltfScene& plan_;
    GltfDocument& d_;
    MtlWriter mtl_;  // names the materials as the scene's MTL file does
    UniqueNames names_;
    GltfEffects effects_{d_};
    std::vector<PreparedGltfModel> prepared_;
    std::vector<int> group_nodes_;
    std::unordered_map<std::string, int> materials_;
    std::unordered_set<std::string> textures_seen_;
    int root_ = 0, default_material_ = -1;
};

}  // namespace

NodeTransform instance_node(const InstanceTransform& t) {
    Placement p;
    for (int j = 0; j < 3; ++j) {
        for (int r = 0; r < 3; ++r) p.axes[j][r] = t.rotation[r][j] * t.scale[j];
        p.position[j] = t.position[j];
    }
    return split_placement(p).node;
}

GltfScene plan_gltf_scene(const std::vector<SceneModel>& models, const std::vector<SceneInstance>& instances,
                          const GltfSceneOptions& options) {
    GltfScene plan;
    ScenePlanner(options, plan).plan(models, instances);
    return plan;
}

GltfDocument finish_gltf_scene(GltfScene plan, const GltfImageLookup& lookup) {
    GltfDocument document = std::move(plan.document);
    add_gltf_materials(document, plan.materials, lookup);
    // Each animated model's materials in turn, the others' names hidden, so
    // that an animation's name is looked up in its own model's dictionary.
    std::vector<const std::vector<UvAnimation>*> sources;
    std::unordered_map<const std::vector<UvAnimation>*, std::vector<std::size_t>> materials_of;
    for (std::size_t m = 0; m < plan.material_uv_animations.size() && m < plan.materials.size(); ++m)
        if (const auto* source = plan.material_uv_animations[m]) {
            std::vector<std::size_t>& list = materials_of[source];
            if (list.empty()) sources.push_back(source);
            list.push_back(m);
        }
    if (sources.empty()) return document;
    std::vector<GltfMaterialEntry> shown = plan.materials;
    for (GltfMaterialEntry& e : shown) e.material.uv_animations.clear();
    std::vector<std::string> notes;  // the scene has no place for them yet
    for (const std::vector<UvAnimation>* source : sources) {
        const std::vector<std::size_t>& list = materials_of[source];
        for (std::size_t m : list) shown[m].material.uv_animations = plan.materials[m].material.uv_animations;
        add_gltf_uv_animations(document, shown, *source, notes);
        for (std::size_t m : list) shown[m].material.uv_animations.clear();
    }
    return document;
}
