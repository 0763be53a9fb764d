#pragma once
// What the command line asks for.

#include <string>
#include <vector>

#include "cli/formats.h"

enum class Verbosity { quiet, normal, verbose };

struct Options {
    int button_id = 0;  // id_structure, id_go1..id_go4, or 0 for auto: each in turn until one is clean
    bool button_given = false;  // -b named, even as auto
    bool recursive = false;
    bool help = false;
    bool version = false;
    Verbosity verbosity = Verbosity::normal;
    std::string output_dir;  // -o: where the OBJ files go; empty for beside the models
    bool inspect = false;                // print each model's chunk tree instead of converting
    std::vector<std::string> textures;  // -t: texture dictionaries, in the order named
    bool no_textures = false;
    bool extract = false;                // the paths are texture dictionaries to write as PNG files
    bool exact_text = false;
    bool local = false;
    std::vector<std::string> maps;   // --map: placement files, written as one scene
    bool keep_lod = false, keep_interiors = false, apply_scale = false;
    int hour = -1;                   // --hour; -1 when not given (noon)
    bool night = false;  // structure: night vertex colours instead of the day ones
    bool collision = false;  // --collision: each model's collision beside it
    bool effects = true;        // glTF: 2D effects as nodes and lights (--effects none: left out)
    bool effects_given = false;
    Formats formats;
    bool format_given = false;  // -f named
    std::vector<std::string> item_definitions;  // --ide: item definition files, in the order named
    std::vector<std::string> animations;       // --animations: animation files (or archive entries), in order
    std::vector<std::string> animation_names;  // --animation-names: keep only these animations
    std::string game_dir;            // --game: the game's folder, whose data files name everything to convert
    // Vehicles: which parts (--parts near|damaged|far|all, "" for near), the
    // extras shown (--extras), the paint's colour indices (--paint), and the
    // game files named by hand (--carcols, --wheels).
    std::string parts;
    std::vector<int> extras, paint;
    std::string carcols_file, wheels_file;
    std::vector<std::string> paths;  // models, folders and archives, as named
    // paths[i] with i >= this index came after "--": taken as models whatever their name.
    std::size_t first_literal_path = static_cast<std::size_t>(-1);
};

// Fills options from argv. 1 on success; 0 on a usage error, with error set to
// the one-line reason.
int parse_options(int argc, char** argv, Options& options, std::string& error);

// The --help text.
extern const char help_text[];
