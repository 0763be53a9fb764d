#pragma once
// The fifth conversion: the model read by its chunk structure, written as OBJ
// text with an MTL file beside it, and as glTF when asked. Same entry as the
// four strategies, so the commands load, limit and report it as they do the
// buttons; what it found comes back as a value.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/vehicle.h"
#include "export/gltf_writer.h"
#include "game/collision_file.h"

// Atomics may place one geometry many times; a small hostile file must not
// make endless text. Real models make a few times their size.
constexpr std::uint64_t text_bytes_per_model_byte = 64;
constexpr std::uint64_t text_bytes_floor = std::uint64_t(64) << 20;

struct StructureRequest {
    bool local = false;  // every part stays in its own frame's space (the command line's --local)
    bool night = false;  // night vertex colours instead of the day ones (the command line's --night)
    bool obj = true;     // OBJ text to the output stream, an MTL text for beside it
    bool gltf = false;   // a glTF plan in the result
    // --collision: the model's collision in the result, and in the glTF plan
    // a node "collision" under the root. The record the model embeds, or
    // else by_name (the game's collision model of the model's name).
    bool collision = false;
    std::vector<CollisionModel> collision_by_name;
    bool third_game = false;  // the surfaces of version-1 records found by name: the third game's
    bool effects = true; // glTF: the 2D effects as nodes and lights (the command line's --effects)
    std::vector<Effect> item_effects;  // glTF: the item definitions' effects of the model's id
    // A vehicle is made into what the game draws when set; null: every model as stored.
    const VehicleSetup* vehicle = nullptr;
};

struct StructureResult {
    std::uint32_t geometries_written = 0;    // geometries written, whole or in part
    std::vector<std::string> texture_names;  // the textures, then the masks, the materials name, each once
    std::string first_doubt;                 // what first made it doubtful; empty when clean
    std::string mtl_text;                    // for beside the OBJ file; empty without OBJ
    std::optional<GltfModel> gltf;           // when asked; views the loaded model's bytes and model
    std::unique_ptr<Model> model;            // what the glTF plan was made from
    // PNG file name in lower case (as a map line names it) to where it was
    // placed, relative to the OBJ file's folder; empty for beside it.
    std::map<std::string, std::string> texture_paths;
    std::vector<CollisionModel> collision;  // with --collision: what was found, embedded first
    bool collision_third_game = false;      // its version-1 surfaces are the third game's
    std::string collision_note;             // an embedded record that could not be read, and why
    std::shared_ptr<const void> collision_bytes;  // what the plan's collision meshes are made from
    int vehicle_game = 0;                    // a vehicle's game (1 to 3); 0: no vehicle
    std::vector<std::string> vehicle_notes;  // what a vehicle's assembly could not do, one line each
};

// Loads the model and converts it as request asks, inside the gathered output;
// a doubtful conversion sets the conversion state's had_errors. With OBJ
// asked, the result's findings are the OBJ text's; else the glTF plan's.
StructureResult convert_structure(const char* source_path, const StructureRequest& request);

// The window's entry, as a strategy: OBJ text, every part placed, the result dropped.
void structure(const char* source_path);

// Writes a structure conversion's MTL file beside its OBJ file, once its
// output is kept: a conversion passed over leaves no MTL file behind. mtl_path
// tells where; false when it could not be written.
bool write_structure_mtl(const StructureResult& result, std::string& mtl_path);

// true for a model file whose first chunk is not its clump (a UV animation
// dictionary, say) while a clump follows: structure reads it, the four
// strategies refuse it by its first byte as the window does.
bool clump_after_other_chunks(const std::string& path);

// After a strategy ran: the model it loaded was refused for its first byte.
bool refused_by_type_mark();

// Makes a conversion's MTL map lines name the PNG files where they were
// placed: path_of maps a PNG file name in lower case (as a map line names it)
// to the path to name instead, relative to the MTL file. Before write_structure_mtl.
void place_structure_textures(StructureResult& result, const std::map<std::string, std::string>& path_of);
// The same over any MTL text: each map line whose path, lower-cased, path_of holds names that instead.
std::string place_mtl_textures(const std::string& mtl_text, const std::map<std::string, std::string>& path_of);

// The MTL file beside an OBJ file: house.dff.obj gives house.dff.mtl.
std::string mtl_file_name_for(const std::string& obj_file_name);
