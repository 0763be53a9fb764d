#include "export/collision_gltf.h"

#include <algorithm>

#include "export/collision_obj.h"
#include "export/gltf_mesh.h"

using nlohmann::json;

int CollisionGltfBuilder::mesh_of(const CollisionGeometry& g, SurfaceTable table, const std::string& name) {
    GltfMeshInput input;
    input.geometry = &g.geometry;
    input.name = name;
    for (std::size_t i = 0; i < g.surfaces.size(); ++i) {
        const std::string material = surface_material_name(table, g.surfaces[i]);
        auto [it, fresh] = material_index_.try_emplace(material, static_cast<int>(materials_.size()));
        if (fresh) {
            GltfMaterialEntry entry;
            entry.name = material;
            entry.material = g.geometry.materials[i];
            // Stored faces keep their winding, which tools disagree on: seen from both sides.
            entry.double_sided = true;
            materials_.push_back(std::move(entry));
        }
        input.materials.push_back(it->second);
    }
    const int mesh = add_gltf_mesh(d_, input).mesh;
    if (mesh >= 0) ++meshes_;
    return mesh;
}

int CollisionGltfBuilder::add(const CollisionModel& model, bool third_game, int parent, const std::string& name,
                              const Placement* placement) {
    const std::string node_name = names_.take(name.empty() ? collision_object_name(model) : name);
    auto [it, fresh] = placed_.try_emplace(&model);
    Meshes& meshes = it->second;
    if (fresh) {
        const SurfaceTable table = surface_table_for(model.version, third_game);
        CollisionParts& parts = parts_->emplace_back(collision_parts(model, table));
        meshes.surfaces = json::array();
        for (const CollisionGeometry* g : {&parts.solid, &parts.shadow})
            for (std::uint8_t s : g->surfaces) {
                const std::string material = surface_material_name(table, s);
                if (std::find(meshes.surfaces.begin(), meshes.surfaces.end(), material) == meshes.surfaces.end())
                    meshes.surfaces.push_back(material);
            }
        if (!parts.solid.empty()) meshes.solid = mesh_of(parts.solid, table, node_name);
        meshes.has_shadow = !parts.shadow.empty();
        if (meshes.has_shadow) meshes.shadow = mesh_of(parts.shadow, table, node_name + ".shadow");
    }
    // A placed copy names its surfaces through its mesh's materials; a model of its own lists them.
    json node = {{"name", node_name}, {"extras", {{"collision", true}}}};
    if (!placement) node["extras"]["surfaces"] = meshes.surfaces;
    if (placement) set_node_transform(node, split_placement(*placement).node);
    if (meshes.solid >= 0) node["mesh"] = meshes.solid;
    const int index = d_.add("nodes", std::move(node));
    if (parent >= 0) d_.attach(parent, index);
    if (meshes.has_shadow) {
        const std::string shadow_name = names_.take(node_name + ".shadow");
        json shadow = {{"name", shadow_name}, {"extras", {{"collision", true}, {"shadow", true}}}};
        if (meshes.shadow >= 0) shadow["mesh"] = meshes.shadow;
        d_.attach(index, d_.add("nodes", std::move(shadow)));
    }
    return index;
}

int add_collision_group(GltfDocument& document, std::vector<GltfMaterialEntry>& materials, int parent,
                        const std::vector<CollisionModel>& models, bool third_game, std::shared_ptr<const void>& keep) {
    const int group = document.add("nodes", {{"name", "collision"}, {"extras", {{"collision", true}}}});
    if (parent >= 0) document.attach(parent, group);
    CollisionGltfBuilder builder(document, materials);
    for (const CollisionModel& m : models) builder.add(m, third_game, group);
    keep = builder.vertex_bytes();
    return group;
}

int CollisionGltfBuilder::add_placed(const CollisionModel& model, bool third_game, int parent, const std::string& name,
                                     const NodeTransform& transform) {
    const Placement identity;
    const int index = add(model, third_game, parent, name, &identity);
    set_node_transform(d_.node(index), transform);
    return index;
}

std::unique_ptr<CollisionGltfFile> collision_gltf(const std::vector<CollisionModel>& models, bool third_game,
                                                  const std::string& root_name, const std::string& generator) {
    auto file = std::make_unique<CollisionGltfFile>();
    GltfDocument& d = file->document;
    d.json()["asset"]["generator"] = generator;
    const int root = d.add_z_up_root(root_name);
    for (const CollisionModel& m : models) file->builder.add(m, third_game, root);
    d.json()["scenes"] = json::array({{{"nodes", {root}}}});
    d.json()["scene"] = 0;
    add_gltf_materials(d, file->materials, [](const std::string&, GltfImage&) { return false; });
    return file;
}
