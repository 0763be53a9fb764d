#pragma once
// A geometry as a glTF mesh: its vertex arrays as accessors, one primitive a
// material. The accessors' bytes are made when the file is written, from the
// geometry's views and its triangle list: the model's bytes and the Model
// itself (not moved from) must outlive the document.

#include <string>
#include <vector>

#include "export/gltf_document.h"
#include "export/obj_placement.h"
#include "model/model.h"

struct GltfMeshInput {
    const Geometry* geometry = nullptr;  // complete, not native, with positions for every vertex
    std::string name;
    std::vector<int> materials;  // the document's material for each of the geometry's
    int default_material = -1;   // for triangles whose material index has none
    bool night = false;          // COLOR_0 from the night colours, the day ones as _DAY_COLOR
    const Skin* skin = nullptr;  // a usable skin: the mesh is drawn by its bones (JOINTS_0, WEIGHTS_0)
    // The rest of its node's frame (see gltf_nodes.h), when that node could
    // not take the whole frame: the positions and normals are moved by it.
    const Placement* rest = nullptr;
};

struct GltfMeshResult {
    int mesh = -1;                   // -1: the geometry has no vertices, so no mesh
    std::vector<std::string> doubts; // what makes the conversion doubtful, one line each
};

GltfMeshResult add_gltf_mesh(GltfDocument& document, const GltfMeshInput& input);

// The same primitives appended to a mesh's list instead of a mesh of their
// own: a scene gives each model, however many geometries it draws, one mesh.
// Nothing is appended when the geometry has no vertices; the doubts as above.
std::vector<std::string> add_gltf_primitives(GltfDocument& document, const GltfMeshInput& input,
                                             nlohmann::json& primitives);

// One vertex's four slots as glTF wants them: weights not below 0 adding up
// to 1, a bone named twice taken once, slots without weight on joint 0.
// A vertex with no weight at all hangs from its first slot's bone.
void gltf_vertex_weights(const Skin& skin, std::uint32_t vertex, std::uint8_t joints[4], float weights[4]);

// An sRGB byte as a linear fraction.
double linear_of_srgb(std::uint8_t value);
