#pragma once
// A model file read by its structure: plain data, nothing more. Arrays that the
// file stores (positions, UVs, normals, colours, triangle records) are views into
// the loaded bytes, never copies: the bytes must outlive the Model.

#include <array>
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
    // From the bone hierarchy plug-in: this frame's node id (a bone id; -1
    // without the plug-in, and -1 or 0 on frames that are no bone).
    std::int32_t node_id = -1;
};

// One node of a skeleton, in the skeleton's order: skin bone i is node i.
struct SkeletonNode {
    std::int32_t id = 0;      // node id; the bone's frame is the frame with this node id
    std::int32_t index = 0;   // as stored
    std::uint32_t flags = 0;  // as stored
    std::int32_t frame = -1;  // that frame's index, -1 when no frame carries the id
};

// The bone list of the bone hierarchy plug-in, held by the frame the skeleton
// hangs from. Node ids are neither frame indices nor in frame order.
struct Skeleton {
    std::uint32_t offset = 0;  // the plug-in's header
    std::int32_t frame = -1;   // the frame that holds the list; -1: the clump has no skeleton
    std::vector<SkeletonNode> nodes;
    // Every node has a frame and the frames' parent chains end: bones can be posed.
    bool usable = false;
};

// A 3 x 4 matrix in the frames' convention: right, up, at, position, each
// three floats; a point p goes to x*right + y*up + z*at + position.
using Matrix3x4 = std::array<float, 12>;

// The skin plug-in of a geometry: per vertex four bone slots, per bone the
// inverse bind matrix that takes a stored point into that bone's own space.
struct Skin {
    std::uint32_t offset = 0;        // the plug-in's header
    std::uint32_t bone_count = 0;    // B: bones the skin names (skin bone i is skeleton node i)
    std::uint32_t used_bone_count = 0;
    std::uint32_t max_weights = 0;   // most slots a vertex uses, as stored
    bool markers = false;            // the older layout: a 0xDEADDEAD marker before each matrix
    ByteView used_bones;             // one byte a used bone, the bones that carry weight
    ByteView bone_indices;           // four bytes a vertex: a skin bone per slot
    ByteView weights;                // four floats a vertex (16 bytes): a weight per slot, 0 unused
    std::vector<Matrix3x4> inverse_bind;  // one a bone; the stored fourth column is junk, dropped
    // Read whole, every weighted slot names a bone below bone_count, every
    // weight is finite, and the clump's skeleton has a node for every bone.
    bool usable = false;
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
    ByteView night_colors;  // RGBA bytes, 4 a vertex, from the night colour plug-in; absent when damaged
    ByteView uvs;        // first UV set: two floats a vertex
    ByteView uvs2;       // second UV set, when the geometry has two or more
    ByteView positions;  // three floats a vertex, first morph target
    ByteView normals;    // three floats a vertex, first morph target
    std::vector<Triangle> triangles;  // from the records, or from the BinMesh when there are none
    std::vector<Material> materials;  // the list resolved: repeats stand as copies
    // Triangle records whose material the BinMesh's lists changed (the game
    // draws by those lists; some exporters write material 0 in every record).
    std::uint32_t bin_mesh_materials = 0;
    Skin skin;  // bone_count 0 when the geometry has no skin, or one without bones
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
    Skeleton skeleton;  // the first frame with a bone list; frame -1 when none has
};

// One animation of a UV animation dictionary, which may stand before the clump.
struct UvAnimation {
    std::uint32_t offset = 0;  // the animation chunk's header
    std::string name;          // empty when the chunk holds none readable
};

struct Model {
    std::uint32_t version = 0;  // unpacked, e.g. 0x36003 for 3.6.0.3; from the first clump
    std::vector<Clump> clumps;
    std::vector<UvAnimation> uv_animations;  // of the dictionaries before the first clump
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
