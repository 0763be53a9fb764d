#pragma once
// One catalog of what the user named, built once a run: the paths, folders and
// archives named, the item definitions (--ide), the dictionaries (-t) and a
// game's data files (--game), sorted into sources by kind and name. Every
// command (convert, map, extract, inspect) takes what it needs from it; its
// messages are lines for the caller to tell, in the order they arose. A worker
// process builds the same from the same request, without the model list.
//
// A new kind of file: a SourceKind value before count, and a row in
// archive_kinds (in the .cpp) when archives hold it by their entry kind (see
// archive_entry_kind); loose files and the game's data files add theirs with
// add(). A command asks sources(kind) for all of a kind in the order found,
// or find(kind, name) for one by its base name without case.

#include <array>
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "control/map_scenes.h"
#include "control/model_list.h"
#include "control/texture_order.h"
#include "game/archive.h"
#include "game/file_source.h"
#include "game/item_effects.h"
#include "game/game_files.h"
#include "game/map_items.h"

// car_colours: carcols.dat; wheels: the older games' generic wheels (wheels.dff).
enum class SourceKind { model, dictionary, item_definitions, placement, animation, collision, car_colours, wheels, count };

// What the user named, as the command line gives it.
struct CatalogRequest {
    // What the run does decides what is gathered, and what is told of it.
    enum class Command { convert, worker, inspect, map, extract };
    Command command = Command::convert;
    std::vector<std::string> paths;  // models, folders, archives, placement files (--map), dictionaries (--extract)
    std::size_t first_literal_path = static_cast<std::size_t>(-1);  // paths from here on came after "--"
    bool recursive = false;
    std::vector<std::string> item_definitions;  // --ide, in the order named
    std::vector<std::string> dictionaries;      // -t, in the order named
    std::vector<std::string> maps;              // --map values
    std::string game_dir;                       // --game
    std::string output_dir;                     // -o; empty: beside what is named
    std::string car_colours, wheels;            // --carcols, --wheels
};

// A dictionary --extract writes, or a line to tell in its place.
struct NamedDictionary {
    std::string name;              // as its lines name it
    FileSource source;             // none found: a line only
    std::filesystem::path folder;  // where its PNG files go
    std::string line;              // said in its place
    bool counted = true;           // counts as a dictionary named (a line: one not extracted)
};

class GameCatalog {
public:
    // Every source of a kind, in the order found.
    const std::vector<FileSource>& sources(SourceKind kind) const { return kinds_[index(kind)].all; }
    // A source of a kind by its base name without case: the first whole one,
    // else the first found; null when none has the name.
    const FileSource* find(SourceKind kind, const std::string& name) const;
    // A source found by name (a damaged one gives way to a later whole one).
    void add(SourceKind kind, const std::string& name, FileSource source);

    ItemIndex items;                   // every item definition read
    TextureCatalog textures;           // the dictionaries in the game's order
    ItemEffectCatalog effects;         // the item definitions' 2dfx lines, by model
    std::vector<ModelEntry> models;    // convert and inspect: what the game and the paths stand for, in order
    std::vector<NamedDictionary> named_dictionaries;  // extract: in the order named
    std::vector<std::pair<std::string, ArchiveDirectory>> archives;  // map: as named, for their stream files
    GameFiles game;                    // --game: its data files' findings
    GameScenes scenes;                 // map with --game: one scene a placement file chosen
    std::vector<std::string> messages;  // lines to tell first, in order
    bool game_refused = false;         // --game named a folder without the game's data files
    bool all_read = true;              // every item definition file and archive the map needs was read

private:
    struct Kind {
        std::vector<FileSource> all;
        std::map<std::string, std::size_t> by_name;  // lower-cased name -> index in all
    };
    static std::size_t index(SourceKind kind) { return static_cast<std::size_t>(kind); }
    std::array<Kind, static_cast<std::size_t>(SourceKind::count)> kinds_;
};

GameCatalog build_catalog(const CatalogRequest& request);
