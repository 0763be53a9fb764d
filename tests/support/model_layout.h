#pragma once
// Model files described as tables (frames, geometries, materials, atomics,
// clumps) and laid out as chunk trees, so that tests and sample generators can
// say what a model holds rather than spell its bytes. The tree is returned as
// nodes first, for tests that damage it, then as bytes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/chunk_writer.h"

struct FrameLayout {
    std::array<float, 12> matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};  // right, up, at, position
    std::int32_t parent = -1;
    std::string name;  // in a frame-name plug-in, when not empty
    std::vector<chunks::Node> plugins{};  // further plug-ins of the frame's Extension, after the name
};

struct MaterialLayout {
    std::array<std::uint8_t, 4> color = {255, 255, 255, 255};
    std::string texture{};  // textured when not empty
    std::string mask{};
    std::uint32_t sampling = 0x1106;  // the texture's filter mode and addressing
    std::vector<chunks::Node> plugins{};  // plug-ins of the material's Extension
};

// Corners in reading order; stored as the record b, a, material, c.
struct TriangleLayout {
    std::uint16_t a, b, c, material;
};

struct BinMeshLayout {
    std::uint32_t kind = 0;  // 0 lists, 1 strips
    struct Mesh {
        std::uint32_t material = 0;
        std::vector<std::uint32_t> indices;
    };
    std::vector<Mesh> meshes;
};

constexpr std::uint32_t geometry_strips = 0x01, geometry_positions = 0x02, geometry_textured = 0x04,
                        geometry_prelit = 0x08, geometry_normals = 0x10, geometry_textured2 = 0x80,
                        geometry_native = 0x01000000;
constexpr std::uint32_t uv_sets_flag(std::uint32_t sets) { return sets << 16; }

struct GeometryLayout {
    std::uint32_t flags = geometry_positions;  // as stored; the arrays written follow them
    std::vector<float> positions;     // 3 a vertex; their number is the vertex count
    std::vector<float> normals;       // 3 a vertex, or none
    std::vector<float> uvs;           // 2 a vertex for every UV set the flags give; missing ones are 0
    std::vector<std::uint8_t> colors; // 4 a vertex, written when prelit; missing ones are 255
    std::vector<TriangleLayout> triangles;
    std::vector<MaterialLayout> materials;
    std::vector<std::int32_t> material_list;  // when not empty: the entries as stored (-1 new)
    std::optional<BinMeshLayout> bin_mesh;
    bool skin = false;
    std::vector<chunks::Node> plugins;  // further plug-ins of the geometry's Extension, after the others
    int extra_morph_targets = 0;  // animation targets after the mesh, copies of it
    // Counts stated other than the arrays hold: damage.
    std::optional<std::uint32_t> vertex_count, triangle_count;
};

struct AtomicLayout {
    std::int32_t frame = 0, geometry = 0;
};

struct ClumpLayout {
    std::vector<FrameLayout> frames = {FrameLayout{}};
    std::vector<GeometryLayout> geometries;
    std::vector<AtomicLayout> atomics;
    bool lights_and_cameras = true;  // the 12-byte clump Struct of 3.3 on
};

struct ModelLayout {
    std::uint32_t stamp = chunks::stamp_3_6_0_3;  // every chunk's; the layout follows its version
    std::vector<ClumpLayout> clumps;
    bool uv_dictionary = false;            // a UV animation dictionary before the clumps
    std::vector<std::string> uv_animations;  // its animations, by name
    std::vector<chunks::Node> uv_animation_chunks;  // further animations, whole, counted with the named ones
    std::vector<chunks::Node> trailing;    // further top-level chunks after the clumps
    std::uint32_t pad_to = 0;              // zero padding up to a multiple of this
};

// A stamp that unpacks to version (0x30000..0x3FFFF), with build 0xFFFF.
std::uint32_t stamp_for(std::uint32_t version);

chunks::Node geometry_node(const GeometryLayout& g, std::uint32_t stamp);
chunks::Node clump_node(const ClumpLayout& c, std::uint32_t stamp);
// The top-level chunks, padding not included.
std::vector<chunks::Node> model_nodes(const ModelLayout& m);
// The file: the top-level chunks, then the padding.
std::vector<std::uint8_t> model_bytes(const std::vector<chunks::Node>& nodes, std::uint32_t pad_to = 0);
std::vector<std::uint8_t> build_model(const ModelLayout& m);

// Adds a box from low to high in material m, four corners a face so that each face is flat.
void add_box(GeometryLayout& g, std::array<double, 3> low, std::array<double, 3> high, std::uint16_t m);

// A single-clump model: one frame, one atomic on one geometry.
ModelLayout single_geometry_model(GeometryLayout g, std::uint32_t stamp = chunks::stamp_3_6_0_3);
// A quad of two triangles with positions, normals and one UV set.
GeometryLayout quad_geometry();
