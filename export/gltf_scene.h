#pragma once
// A map scene as one glTF document: each model's mesh once (a primitive for
// each material of each atomic a map draws of it), and one node per instance
// that uses it, with the instance's placement as its translation, rotation and scale. The instances of
// each placement file hang from a node named after it, and these from a root
// that turns the z-up world into glTF's y-up one, as a model's glTF does.
//
// A model's UV animations move the materials that name them: such a material
// is the model's own (never shared with another model's), so that each
// animation is written once, however many instances show it.
//
// Planned first, without the materials' images, which are known only once the
// scene's textures are written; finish_gltf_scene adds them. The models (and
// their bytes) must outlive the plan: the buffer is made from them while the
// file is written.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "export/gltf_document.h"
#include "export/gltf_materials.h"
#include "export/gltf_nodes.h"
#include "export/scene_model.h"

struct GltfSceneOptions {
    std::string program_name_version;          // the asset's generator
    std::vector<std::string> placement_files;  // for the asset's extras
    std::vector<std::string> groups;           // a group node's name for each SceneInstance::group
    std::size_t max_instances = 0;             // instance nodes at most, then stop (doubtful); 0: no limit
    bool effects = true;                       // each instance carries its model's 2D effects
    // The folder, relative to the scene file and ending '/', that holds a
    // dictionary's textures: the images are looked up by FOLDER + PNG file name.
    std::function<std::string(const std::string& dictionary)> texture_folder;
};

struct GltfScene {
    GltfDocument document;                     // without materials yet
    std::vector<GltfMaterialEntry> materials;  // entry i becomes material i
    // For material i (where present), the UV animations of the model it is
    // one of, when it names any; null otherwise.
    std::vector<const std::vector<UvAnimation>*> material_uv_animations;
    bool doubtful = false;
    std::string first_doubt;
    std::vector<std::string> doubts;
    std::size_t instances_written = 0;
    bool stopped = false;                // the instance bound was reached
    std::vector<SceneTexture> textures;  // textures and masks the materials name, each once
};

// Models whose parts are empty are passed over, as the OBJ scene does.
GltfScene plan_gltf_scene(const std::vector<SceneModel>& models, const std::vector<SceneInstance>& instances,
                          const GltfSceneOptions& options);

// The plan's document with its materials and their UV animations; lookup is
// asked by each image key, a PNG file's path relative to the scene file.
GltfDocument finish_gltf_scene(GltfScene plan, const GltfImageLookup& lookup);

// The instance's node: its rotation, scale and position as glTF's translation,
// rotation and scale (a rotation and a scale always split exactly).
NodeTransform instance_node(const InstanceTransform& t);

