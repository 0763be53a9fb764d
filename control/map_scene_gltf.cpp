#include <filesystem>
#include <set>
#include <utility>

#include "control/map_scene_parts.h"
#include "control/scene_gltf_output.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

namespace {

// The glTF scene holds each model's meshes once: what grows with the
// instances is a node each, about 115 bytes of file and 850 bytes of memory
// while the document is built. A quarter of a million nodes is nearly nine
// times the generated city's 29,400; a file placing a model a million times
// stops there with a 30 MB file, and some 220 MB above what reading its
// records takes.
constexpr std::size_t gltf_instances_at_most = std::size_t(1) << 18;

}  // namespace

GltfScene plan_map_gltf(const MapScenePlan& plan, const MapRequest& request, ObjSceneText& text) {
    GltfSceneOptions options;
    options.program_name_version = request.program_name_version;
    options.effects = request.effects;
    for (const FileSource& p : request.placement_files) {
        options.placement_files.push_back(p.shown);
        options.groups.push_back(fs::path(p.shown).filename().string());
    }
    options.max_instances = gltf_instances_at_most;
    options.texture_folder = [&](const std::string& dictionary) { return texture_folder_text(request, dictionary); };
    GltfScene scene = plan_gltf_scene(plan.models, plan.instances, options);
    // The same PNG files serve both; the OBJ text may have stopped sooner.
    std::set<std::pair<std::string, std::string>> listed;
    for (const SceneTexture& t : text.textures) listed.insert({lower_name(t.dictionary), t.texture});
    for (const SceneTexture& t : scene.textures)
        if (listed.insert({lower_name(t.dictionary), t.texture}).second) text.textures.push_back(t);
    return scene;
}

bool write_map_gltf(GltfScene scene, const MapRequest& request,
                    const std::map<std::string, std::string>& placed_textures, std::vector<std::string>& lines,
                    std::string& files) {
    const bool doubtful = scene.doubtful;
    const std::string first_doubt = scene.first_doubt;
    const auto where_placed = [&](const std::string& key) {
        auto it = placed_textures.find(lower_name(key));
        return it == placed_textures.end() ? key : it->second;
    };
    const struct {
        bool wanted;
        GltfContainer container;
    } containers[] = {{request.glb, GltfContainer::glb}, {request.gltf, GltfContainer::gltf}};
    for (const auto& c : containers) {
        if (!c.wanted) continue;
        std::string written, why;
        // The last one takes the plan; one before it, a copy.
        GltfScene plan;
        if (c.container == GltfContainer::glb && request.gltf) plan = scene;
        else plan = std::move(scene);
        if (!write_gltf_scene_files(std::move(plan), c.container, request.obj_path.string(), request.textures,
                                    where_placed, written, why)) {
            lines.push_back(written + " cannot be written: " + why);
            return false;
        }
        if (doubtful) lines.push_back(written + ": " + first_doubt);
        files += (files.empty() ? "" : ", ") + written;
    }
    return true;
}
