#pragma once
// What the parts of the structure reader share while they read one file.
// Internal to model/: the public entry is read_model in structure_reader.h.

#include <cstdint>
#include <string>
#include <vector>

#include "model/chunk_tree.h"
#include "model/model.h"

struct Reading {
    const std::uint8_t* bytes;
    std::uint32_t size;
    std::uint32_t version;  // of the clump being read, unpacked
    std::vector<Finding>& findings;

    void doubt(std::uint32_t offset, std::string text) { findings.push_back({offset, std::move(text), true}); }
    void note(std::uint32_t offset, std::string text) { findings.push_back({offset, std::move(text), false}); }
};

// The children of a container in order. A child that runs past the container
// is reported and kept, cut at the container's end; stray bytes too few for
// a header are reported.
std::vector<Chunk> read_children(Reading& r, const Chunk& parent);

// The first chunk with this id, or null.
const Chunk* first_of(const std::vector<Chunk>& chunks, std::uint32_t id);

// A chunk's body as text: up to the first NUL, bounded by the chunk.
std::string chunk_text(const Reading& r, const Chunk& chunk);

// The frames, with their node ids; the first bone list found goes to skeleton.
void read_frame_list(Reading& r, const Chunk& list, std::vector<Frame>& frames, Skeleton& skeleton);
// The bone hierarchy plug-in of frame index.
void read_bone_plugin(Reading& r, const Chunk& plugin, std::int32_t index, Frame& frame, Skeleton& skeleton);
// Finds each skeleton node's frame and checks the skins against the skeleton:
// what cannot be posed is reported and left unusable.
void resolve_skeleton(Reading& r, Clump& clump);
// The animations of a UV animation dictionary, by name.
void read_uv_dictionary(Reading& r, const Chunk& dictionary, std::vector<UvAnimation>& animations);
// The skin plug-in, either layout; the geometry's vertex count must be read.
void read_skin(Reading& r, const Chunk& plugin, Geometry& g);
void read_geometry(Reading& r, const Chunk& chunk, Geometry& geometry);
void read_material_list(Reading& r, const Chunk& list, std::vector<Material>& materials);
// Read whole; whole but a list that is not whole triangles (its last corners
// dropped); or damaged, cut short or of no known kind. Each with its finding.
enum class BinMeshRead { whole, odd_list, damaged };
// Appends the BinMesh's triangles, those read before any damage.
BinMeshRead read_bin_mesh(Reading& r, const Chunk& chunk, std::vector<Triangle>& triangles);
// Gives each triangle record the material of the BinMesh list that holds it,
// the game drawing by those lists; a damaged BinMesh leaves the records' own
// materials, with a finding.
void take_bin_mesh_materials(Reading& r, const Chunk& chunk, Geometry& g);
// The entries of a geometry's 2D effect plug-in that can be read.
void read_effects(Reading& r, const Chunk& plugin, std::vector<Effect>& effects);
// light, particle, ... for a plug-in entry's type; type_<k> for others.
std::string effect_kind_name(std::uint32_t type);
