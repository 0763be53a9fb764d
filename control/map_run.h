#pragma once
// A map as one scene: the placement files read, the instances chosen, each
// model read once however often it is placed, the scene written as OBJ + MTL
// and/or glTF with its textures in one folder per dictionary. Every message is one line
// for the caller to print; none is printed here.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/file_source.h"
#include "game/item_effects.h"
#include "game/map_items.h"
#include "game/map_selection.h"

class TextureCatalog;
struct TextureRun;

// Where the models and dictionaries that item definitions name are found.
struct MapSources {
    // Where a model (NAME.dff) is, found without case; file empty when none holds it.
    std::function<FileSource(const std::string& model)> model;
    // The dictionaries by name, their parents and the shared ones, in the game's
    // order (see control/texture_order.h); none looked up without it.
    const TextureCatalog* catalog = nullptr;
    // Looked up after those (-t), in order.
    std::vector<std::filesystem::path> extra_dictionaries;
};

struct MapRequest {
    std::vector<FileSource> placement_files;  // stream files join their text file
    const ItemIndex* items = nullptr;
    MapOptions options;
    std::filesystem::path obj_path;  // the scene's OBJ file; the MTL file and the glTF files beside it
    bool obj = true, glb = false, gltf = false;  // the files to write (-f)
    // Under which textures/DICTIONARY/ folders go; empty: beside the OBJ file.
    std::filesystem::path texture_root;
    // The run's record of PNG files written, shared by its scenes; null: the scene's own.
    TextureRun* texture_run = nullptr;
    std::string program_name_version;
    bool textures = true;
    // --collision: each instance's collision model (found by its model's name,
    // see collision_catalog.h) placed as the instance, as map.col.obj beside
    // map.obj and as a node "collision" in the glTF scene.
    bool collision = false;
    bool third_game = false;  // --game is the third game: version-1 records read with its surfaces
    bool effects = true;                             // glTF: the models' 2D effects on every instance
    const ItemEffectCatalog* item_effects = nullptr; // the 2dfx lines by model, when read
};

struct MapOutcome {
    std::vector<std::string> lines;
    bool written = false;  // every file asked for is there
    bool clean = false;    // every instance resolved, every model converted clean, nothing bad
    std::size_t placed = 0;
};

MapOutcome write_map_scene(const MapRequest& request, const MapSources& sources);

// What --inspect --map prints: each instance (file and line, model, position,
// rotation, placed or left out and why), then what nothing resolves.
// clean as for write_map_scene, without converting the models.
MapOutcome inspect_map(const MapRequest& request, const MapSources& sources);
