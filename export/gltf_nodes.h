#pragma once
// Node transforms as glTF wants them: translation, rotation and scale, never a
// matrix (glTF refuses a node matrix that is not exactly those three). A
// frame's matrix may hold a little shear: its node then takes the nearest
// rotation and scale, and what remains (the node's "rest", a 3 x 3 part without
// translation) goes into whatever hangs below it, its meshes' vertices and its
// children's transforms, so that every point still lands where the frame puts it.

#include <string>

#include <nlohmann/json.hpp>

#include "export/gltf_document.h"
#include "export/obj_placement.h"

struct NodeTransform {
    double translation[3] = {0, 0, 0};
    double rotation[4] = {0, 0, 0, 1};  // a unit quaternion, x y z w
    double scale[3] = {1, 1, 1};        // a mirror is a negative scale
};

struct SplitPlacement {
    NodeTransform node;  // each number as the float the file holds
    Placement rest;      // the identity when the node alone is the placement (within 1e-5)
    bool exact = true;   // rest is the identity
};

// The placement as the nearest rotation and scale with its translation, and the rest.
SplitPlacement split_placement(const Placement& p);

// What the node's translation, rotation and scale do to a point, as a placement.
Placement placement_of_node(const NodeTransform& t);

// The node's translation, rotation and scale, each only when it is not the identity's.
void set_node_transform(nlohmann::json& node, const NodeTransform& t);

// A node under parent (-1: none) at local, relative to a parent whose rest is
// parent_rest: the rest goes into local first. Returns the node's index;
// rest, when not null, receives the new node's own rest, which its meshes and
// children must take in the same way.
int add_placed_node(GltfDocument& document, int parent, nlohmann::json node, const Placement& local,
                    const Placement& parent_rest = Placement{}, Placement* rest = nullptr);

// The double nearest a float's shortest text: the JSON then holds "0.7071068",
// not the seventeen digits of the float's exact value. What no finite float
// is (JSON has no such number) is 0.
double as_float(double value);

// Whether a placement's axes are those of the identity (its position aside).
bool linear_identity(const Placement& p);
