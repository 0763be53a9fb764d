#pragma once
// A model read by its structure as a glTF 2.0 document: a root node that
// turns the model's z-up world into glTF's y-up one, under it a node for
// every frame with its own translation, rotation and scale (a sheared frame's
// rest moved into what hangs below it), each atomic's geometry as a mesh on
// its frame's node, the materials named as in the MTL file.
//
// Laid out in two steps: the plan holds everything but the materials, whose
// images are known only once the textures are written; finishing it adds
// them. The document's buffer bytes are made from the model's views while the
// file is written: the model's bytes and the Model must outlive the plan (a
// Model may be moved, its triangle lists stay where they are).

#include <cstdint>
#include <string>
#include <vector>

#include "export/gltf_document.h"
#include "export/gltf_materials.h"
#include "export/obj_placement.h"
#include "model/model.h"

struct GltfWriteOptions {
    bool local = false;                // each part in its own frame's space, no hierarchy
    bool night = false;                // COLOR_0 from the night colours, the day ones beside
    std::string model_path;            // for the asset's extras
    std::string program_name_version;  // the asset's generator, e.g. "vorlund-obj 1.0.0"
};

struct GltfModel {
    GltfDocument document;                     // without materials yet
    std::vector<GltfMaterialEntry> materials;  // entry i becomes material i
    bool doubtful = false;                     // not every geometry was converted whole
    std::string first_doubt;                   // the first doubt, for a one-line reason
    std::vector<std::string> doubts;           // every doubt, in the order found
    std::uint32_t geometries_written = 0;      // geometries with a mesh or a node in the document
    std::vector<std::string> texture_names, mask_names;  // as the materials name them, each once
    // Per clump, each frame's node (empty with local), and what that node could
    // not take of the frame (its rest, see gltf_nodes.h): a node added under a
    // frame's node goes in with add_placed_node(document, node, json, local, rest).
    std::vector<std::vector<int>> frame_nodes;
    std::vector<std::vector<Placement>> frame_rests;
};

GltfModel plan_gltf(const Model& model, const GltfWriteOptions& options);

// The plan's document with its materials, their images found by lookup.
GltfDocument finish_gltf(GltfModel plan, const GltfImageLookup& lookup);
