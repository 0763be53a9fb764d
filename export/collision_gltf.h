#pragma once
// Collision models as glTF nodes: a node per model with its mesh (materials
// col_<id>_<name>, coloured as in the MTL file) and extras {"collision": true,
// "surfaces": [...]}, its shadow mesh as a child node NAME.shadow. The
// builder owns the meshes' vertex bytes: keep it until the document is written.

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "export/collision_geometry.h"
#include "export/gltf_document.h"
#include "export/gltf_materials.h"
#include "export/gltf_nodes.h"
#include "export/obj_names.h"
#include "export/obj_placement.h"

class CollisionGltfBuilder {
public:
    // Materials are appended to materials, whose entry i the document gets as
    // material i once finished (a model's plan holds such a list already).
    CollisionGltfBuilder(GltfDocument& document, std::vector<GltfMaterialEntry>& materials)
        : d_(document), materials_(materials) {}

    // The model's node under parent (-1: none), named from name ("" for its
    // stored name) made unique among this builder's; placed by placement
    // when given. Its index.
    int add(const CollisionModel& model, bool third_game, int parent, const std::string& name = "",
            const Placement* placement = nullptr);
    // A placed copy whose node takes the transform given (a scene's instance node).
    int add_placed(const CollisionModel& model, bool third_game, int parent, const std::string& name,
                   const NodeTransform& transform);

    std::size_t meshes() const { return meshes_; }
    // What the document's buffer is made from: hold it until the document is
    // written, when the builder itself goes first.
    std::shared_ptr<const void> vertex_bytes() const { return parts_; }

private:
    int mesh_of(const CollisionGeometry& g, SurfaceTable table, const std::string& name);

    struct Meshes {
        int solid = -1, shadow = -1;
        bool has_shadow = false;
        nlohmann::json surfaces;
    };
    std::map<const CollisionModel*, Meshes> placed_;  // a model placed many times has its meshes once

    GltfDocument& d_;
    std::vector<GltfMaterialEntry>& materials_;
    std::map<std::string, int> material_index_;
    std::shared_ptr<std::deque<CollisionParts>> parts_ = std::make_shared<std::deque<CollisionParts>>();
    UniqueNames names_;
    std::size_t meshes_ = 0;
};

// A node "collision" under parent, extras {"collision": true}, that holds a
// node per model: hidden or removed in one step. Its index; the bytes to hold
// until the document is written in keep.
int add_collision_group(GltfDocument& document, std::vector<GltfMaterialEntry>& materials, int parent,
                        const std::vector<CollisionModel>& models, bool third_game, std::shared_ptr<const void>& keep);

// A whole collision file as a glTF document: the z-up root named root_name,
// a node per model under it, materials added. Written from while it lives.
struct CollisionGltfFile {
    GltfDocument document;
    std::vector<GltfMaterialEntry> materials;
    CollisionGltfBuilder builder{document, materials};
};
std::unique_ptr<CollisionGltfFile> collision_gltf(const std::vector<CollisionModel>& models, bool third_game,
                                                  const std::string& root_name, const std::string& generator);
