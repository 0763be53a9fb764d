#pragma once
// One OBJ object: a geometry's vertices, texture coordinates and normals,
// placed, then its faces.

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"
#include "export/obj_placement.h"
#include "export/obj_text_out.h"

class MtlWriter;

// Indices written so far: OBJ counts them from 1 across the whole file.
struct ObjIndexBase {
    std::uint64_t v = 0, vt = 0, vn = 0;
};

struct ObjObject {
    std::string name;
    const Geometry* geometry = nullptr;
    const std::vector<std::string>* material_names = nullptr;  // one a material of the geometry
    const Placement* placement = nullptr;  // null: the geometry's own space
    // When set, each vertex is moved by its weighted bones instead (the
    // frames' pose of a skin; see skin_pose.h), placement left aside.
    const std::vector<Placement>* bone_poses = nullptr;
    bool night = false;   // the night colours in the v lines, where the geometry has them
    std::string skinning; // for a skinned geometry: how it was placed, for its comment line
    // Normals by this placement instead, when set (a scaled instance turns
    // them by the inverse scale); they are made unit length after it.
    const Placement* normal_placement = nullptr;
    bool continued = false;  // more of the object written last: no "o" line
};

// Why the geometry cannot be written as an object, or null when it can.
const char* unwritable_reason(const Geometry& geometry);

// Writes the object. The geometry must be complete and not native, with
// positions for every vertex.
void write_object(const ObjObject& object, MtlWriter& mtl, ObjTextOut& out, ObjIndexBase& base);
