#pragma once
// A collision model as geometries the OBJ and glTF writers take: its faces,
// boxes (12 triangles each) and spheres (a fixed closed mesh each) as one
// geometry, its shadow mesh as another. The geometries' arrays point into
// the owned positions: keep the CollisionGeometry (moving it is fine) while
// they are written.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/collision_file.h"
#include "game/collision_surfaces.h"
#include "model/model.h"

// Every sphere is drawn with this many slices around and stacks from pole to pole.
inline constexpr int sphere_slices = 12, sphere_stacks = 6;

struct CollisionGeometry {
    std::vector<float> positions;        // x, y, z a vertex
    std::vector<std::uint8_t> surfaces;  // the surface material of each of the geometry's materials
    Geometry geometry;                   // materials coloured by surface group
    bool empty() const { return geometry.triangles.empty(); }
};

struct CollisionParts {
    CollisionGeometry solid, shadow;
};

// The model's parts, triangles in the game's winding: stored faces as they
// are; boxes and spheres turned the same way as the stored faces of closed
// shapes, (c - a) x (b - a) pointing out.
CollisionParts collision_parts(const CollisionModel& model, SurfaceTable table);

// The colour of a surface group, the same in every written file.
std::array<std::uint8_t, 3> surface_group_colour(SurfaceGroup group);
