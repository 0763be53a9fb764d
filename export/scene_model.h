#pragma once
// A model as a map places it: the atomics the game draws of it, each in the
// model's own space (a map object's atomic frames are not applied), shared by
// every instance. The OBJ and glTF scene writers start from this.

#include <cstddef>
#include <string>
#include <vector>

#include "game/placement_transform.h"
#include "model/model.h"

struct SceneModel {
    std::string name;              // the model's name, for its instances' object names
    const Model* model = nullptr;  // read from its file; the bytes must outlive the scene
    std::string dictionary;        // where its textures come from: materials are shared per dictionary
    bool double_sided = false;     // the item definition turns backface culling off
    std::vector<Effect> effects{}; // the item definitions' 2dfx effects of its id, in its space
};

struct SceneInstance {
    std::size_t model = 0;  // into the scene's models
    InstanceTransform transform;
    std::size_t group = 0;  // the placement file it comes from, into the scene's groups
};

// A texture or mask a scene's materials name, with the dictionary it comes from.
struct SceneTexture {
    std::string dictionary, texture;
};

struct ScenePart {
    const Geometry* geometry = nullptr;
    std::string name;  // the atomic's frame name, or atomic_N
};

struct SceneParts {
    std::vector<ScenePart> parts;
    std::string doubt;  // why the model does not convert clean, "" when it does
};

// The parts a map draws of the model: a breakable object's damaged copy and
// the lower levels of detail left out. A doubtful finding of the reader, an
// atomic without a geometry or a part that cannot be written makes the model
// doubtful; so does having nothing to draw.
SceneParts scene_parts(const Model& model);

// What makes a scene's materials one: the dictionary (without case), the
// texture and mask, and the colour.
std::string scene_material_key(const std::string& dictionary, const Material& material);
