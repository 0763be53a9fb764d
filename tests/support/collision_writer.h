#pragma once
// Collision records laid out as bytes for the tests and the generators: every
// version, with spheres, boxes, faces, face groups and shadow meshes, laid out
// as the game's files are (sections in order, odd vertex counts padded).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace colw {

struct Sphere {
    std::array<float, 3> centre{};
    float radius = 1;
    std::uint8_t material = 0;
};

struct Box {
    std::array<float, 3> min{}, max{};
    std::uint8_t material = 0;
};

struct Face {
    std::uint32_t a = 0, b = 0, c = 0;
    std::uint8_t material = 0;
};

struct Mesh {
    std::vector<std::array<float, 3>> vertices;  // multiples of 1/128 for versions 2-4
    std::vector<Face> faces;
};

struct Record {
    int version = 3;  // 1 to 4
    std::string name;
    std::uint16_t id = 0;
    std::vector<Sphere> spheres;
    std::vector<Box> boxes;
    Mesh mesh, shadow;     // shadow: versions 3-4 only
    bool face_groups = false;  // versions 2-4: one group over every face
};

// Header offsets of the version 2-4 fields, for tests that damage them.
inline constexpr std::size_t sphere_offset_at = 84, box_offset_at = 88, vertex_offset_at = 96,
                             face_offset_at = 100, shadow_vertex_offset_at = 112, shadow_face_offset_at = 116;

std::vector<std::uint8_t> record(const Record& r);
// Records back to back.
std::vector<std::uint8_t> file(const std::vector<Record>& records);

// A little-endian u32 or u16 written over bytes at.
void put_u32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);
void put_u16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value);

// A record with a bit of everything its version holds: one sphere, one box,
// three triangles over an odd count of 5 vertices (surfaces 1, 9 and 22), a
// face group and, from version 3, a one-triangle shadow mesh.
Record sample(int version, const std::string& name);

}  // namespace colw

namespace colw {
// A one-quad model whose clump extension holds record (chunk 0x253F2FA), as
// the game's vehicles carry theirs.
std::vector<std::uint8_t> model_with_collision(const std::vector<std::uint8_t>& record);
}  // namespace colw
