#pragma once
// Collision files (.col): collision models back to back, each a record of
// version 1 ("COLL") to 4 ("COL4"): spheres, boxes, a triangle mesh and, from
// version 3, a shadow mesh, in the model's own space. Plain data, copied out
// of the bytes once every count, offset and size was checked against them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Material, car part, brightness and light, as stored with each item.
struct CollisionSurface {
    std::uint8_t material = 0, flag = 0, brightness = 0, light = 0;
};

struct CollisionSphere {
    float centre[3] = {0, 0, 0};
    float radius = 0;
    CollisionSurface surface;
};

struct CollisionBox {
    float min[3] = {0, 0, 0}, max[3] = {0, 0, 0};
    CollisionSurface surface;
};

// Corners in stored order; the game's face normal is (c - a) x (b - a).
struct CollisionFace {
    std::uint32_t a = 0, b = 0, c = 0;
    std::uint8_t material = 0, light = 0;
};

struct CollisionMesh {
    std::vector<float> vertices;  // x, y, z a vertex; compressed ones decoded (int16 / 128)
    std::vector<CollisionFace> faces;
    std::size_t vertex_count() const { return vertices.size() / 3; }
};

struct CollisionModel {
    std::size_t offset = 0;  // of the record (of the payload, for an embedded one)
    int version = 1;         // 1 to 4
    std::string name;        // as stored, trailing spaces cut; may be empty
    std::uint16_t id = 0;    // as stored; unreliable, never used to find anything
    float bounds_min[3] = {0, 0, 0}, bounds_max[3] = {0, 0, 0}, centre[3] = {0, 0, 0};
    float radius = 0;
    std::uint32_t flags = 0;        // versions 2-4: 2 data, 8 face groups, 16 shadow mesh
    std::uint32_t face_groups = 0;  // counted only: they speed up the game's tests
    std::vector<CollisionSphere> spheres;
    std::vector<CollisionBox> boxes;
    CollisionMesh mesh, shadow;
};

// A record that could not be read: where, its name when known, and why.
struct CollisionFault {
    std::size_t offset = 0;
    std::string name;
    std::string reason;
};

struct CollisionFile {
    std::vector<CollisionModel> models;   // in file order
    std::vector<CollisionFault> skipped;  // records left out, in file order
    std::vector<std::string> warnings;    // read anyway, but odd
    std::string refused;                  // not empty: no collision file at all, and why
};

// Reads every record. A damaged record is skipped with its reason and the
// next one read; a size past the end of the bytes ends the file.
CollisionFile read_collision_file(std::string_view bytes);

// One record whose bytes start with the fourcc, as a model file embeds it; or,
// without the fourcc, a bare version-1 body from the bounds on. Empty when the
// record was read, else why not.
std::string read_collision_record(std::string_view bytes, CollisionModel& model,
                                  std::vector<std::string>* warnings = nullptr);

// The version a fourcc stands for, 0 when it is none.
int collision_version(std::string_view fourcc);

// The collision record a model file embeds in its clump's extension (chunk
// 0x253F2FA, or 0x253F2FF of the same payload); false when there is none.
// Children are walked by their own sizes, which real files let run past
// their parents'.
bool find_embedded_collision(std::string_view model_bytes, std::string_view& payload);
