#pragma once
// One OBJ + MTL scene of placed models: an object per instance, in world
// space, with materials shared by every instance of the same dictionary's
// textures.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "export/obj_placement.h"
#include "export/scene_model.h"
#include "game/placement_transform.h"

struct ObjSceneOptions {
    std::vector<std::string> header;  // comment lines at the top, e.g. program and placement files
    std::string mtl_file_name;        // the mtllib line
    // The OBJ text in pieces as it grows, as the model writer hands it on.
    std::function<void(std::string_view)> obj_sink;
    std::uint64_t max_obj_bytes = 0;  // stop (doubtful) once past this; 0: no limit
    // The folder, relative to the MTL file and ending '/', that holds a
    // dictionary's textures; "" for beside the MTL file.
    std::function<std::string(const std::string& dictionary)> texture_folder;
};

struct ObjSceneText {
    std::string obj, mtl;
    bool doubtful = false;
    std::string first_doubt;
    std::size_t instances_written = 0;
    bool stopped = false;               // the size bound was reached
    std::vector<SceneTexture> textures;  // textures and masks the materials name, each once
};

// Writes each instance's model parts (see scene_parts) placed by its
// transform, named MODEL_N, N counting that model's instances from 1. Models
// whose parts are empty are passed over.
ObjSceneText write_obj_scene(const std::vector<SceneModel>& models, const std::vector<SceneInstance>& instances,
                             const ObjSceneOptions& options);

// The instance transform as the object writer's placements of points and of normals.
void instance_placements(const InstanceTransform& t, Placement& points, Placement& normals);
