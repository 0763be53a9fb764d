#pragma once
// A model file read by its structure: plain data, nothing more. Arrays that the
// file stores (positions, UVs, normals, colours, triangle records) are views into
// the loaded bytes, never copies: the bytes must outlive the Model.

#include <cstdint>
#include <string>
#include <vector>

// Something the reader or a writer could not take as it stands. A doubtful
// finding makes the conversion doubtful; the others are only told.
struct Finding {
    std::uint32_t offset;  // where in the file, as a byte offset
    std::string text;      // what, and why, in plain words
    bool doubtful = true;
};

// Bytes of the file that hold count records of record_size bytes each.
struct ByteView {
    const std::uint8_t* data = nullptr;  // null when absent
    std::uint32_t count = 0;
};

struct Frame {
    float right[3], up[3], at[3], position[3];
    std::int32_t parent = -1;  // index into the clump's frames, -1 for a root
    std::string name;          // may be empty or repeated
};

struct Material {
    std::uint8_t color[4] = {255, 255, 255, 255};  // RGBA
    std::string texture;  // empty when untextured
    std::string mask;     // the texture's alpha mask, often empty
    // The texture's filter mode (bits 0..7) and addressing of U (bits 8..11)
    // and V (bits 12..15), as its Struct stores them; 0 when absent.
    std::uint32_t sampling = 0;
};

// One triangle, corners in the order every reader of the format uses
// (the record's 2nd, 1st and 4th word).
struct Triangle {
    std::uint32_t a, b, c;
    std::uint32_t material;
};

struct Geometry {
    std::uint32_t offset = 0;  // the Geometry chunk's header
    std::uint32_t flags = 0;
    std::int32_t vertex_count = 0;
    int uv_set_count = 0;
    bool native = false;   // console layout: no readable arrays
    bool skinned = false;  // carries a Skin plug-in; stored in its bind pose
    bool complete = false; // read whole: every array the flags promise is here

    ByteView colors;     // RGBA bytes, 4 a vertex (prelit)
    ByteView uvs;        // first UV set: two floats a vertex
    ByteView uvs2;       // second UV set, when the geometry has two or more
    ByteView positions;  // three floats a vertex, first morph target
    ByteView normals;    // three floats a vertex, first morph target
    std::vector<Triangle> triangles;  // from the records, or from the BinMesh when there are none
    std::vector<Material> materials;  // the list resolved: repeats stand as copies
};

// A geometry placed in the world by a frame.
struct Atomic {
    std::uint32_t offset = 0;
    std::int32_t frame = -1;
    std::int32_t geometry = -1;
};

struct Clump {
    std::uint32_t offset = 0;
    std::vector<Frame> frames;
    std::vector<Geometry> geometries;
    std::vector<Atomic> atomics;
};

struct Model {
    std::uint32_t version = 0;  // unpacked, e.g. 0x36003 for 3.6.0.3; from the first clump
    std::vector<Clump> clumps;
    std::vector<Finding> findings;  // in the order found
};

// Little-endian reads from bytes already checked to be present.
inline std::uint32_t read_u32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
inline std::uint16_t read_u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
float read_f32(const std::uint8_t* p);
