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

#include "game/map_items.h"
#include "game/map_selection.h"

// Where the models and dictionaries that item definitions name are found.
struct MapSources {
    // The file of a model (NAME.dff), found without case; empty when none holds it.
    std::function<std::filesystem::path(const std::string& model)> model_file;
    // The file of a texture dictionary (NAME.txd); empty when none.
    std::function<std::filesystem::path(const std::string& dictionary)> dictionary_file;
    // Looked up after a model's own dictionaries (-t), in order.
    std::vector<std::filesystem::path> shared_dictionaries;
};

struct MapRequest {
    std::vector<std::filesystem::path> placement_files;  // stream files join their text file
    const ItemIndex* items = nullptr;
    MapOptions options;
    std::filesystem::path obj_path;  // DIR/map.obj; the MTL file, the glTF files and textures/ beside it
    bool obj = true, glb = false, gltf = false;  // the files to write (-f)
    std::string program_name_version;
    bool textures = true;
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
