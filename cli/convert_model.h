#pragma once
// One model through the window's commands: Open, then the buttons.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/formats.h"
#include "control/animation_source.h"

enum class ModelOutcome { clean, doubtful, failed };

// A model that is an archive's entry: where its bytes lie.
struct EntrySource {
    std::string archive_data;  // the archive's data file; empty for a model that is a file
    std::uint64_t start = 0, length = 0;
    std::string entry_name;    // as the archive stores it
    std::string file_name;     // its output's base name
};

// What to do with one model.
struct ModelJob {
    std::string model_path;     // absolute
    int button_id = 0;          // id_structure, id_go1..id_go4, keeping doubtful output; 0 for auto
    std::string output_folder;  // where the OBJ file goes; empty for beside the model
    std::string obj_path;       // the OBJ file's full path there
    bool quiet = false;         // tell nothing of a clean conversion
    bool exact_text = false;    // leave go1..go4's text as the window writes it
    bool textures = true;       // structure's kept output gets its textures as PNG files
    std::vector<std::string> dictionaries;  // -t: absolute, in the order named
    Formats formats;            // what structure writes; go1..go4 write OBJ text whatever it says
    bool local = false;         // structure: every part in its own frame's space
    bool night = false;         // structure: night vertex colours instead of the day ones
    bool collision = false;     // structure: the model's collision beside it (--collision)
    bool third_game = false;    // --game is the third game: version-1 collision read with its surfaces
    bool effects = true;        // glTF: the 2D effects, the model's and its id's 2dfx lines
    bool verbose = false;       // tell what the glTF leaves out, a line each
    EntrySource entry;
    // Where the PNGs go, one folder per dictionary (textures/DICTIONARY/); empty
    // for beside the OBJ file.
    std::string texture_root;
    // glTF: the animations for a skinned character (--animations), owned by the run; null for none.
    const std::vector<NamedAnimations>* animations = nullptr;
    std::vector<std::string> animation_names;  // keep only these; all when empty
};

// Converts the model with the job's button, or for auto with structure, then
// go1 to go4 in turn on the emptied OBJ file until one is clean; when none is,
// structure's doubtful output is kept if it made any geometry. Unless
// exact_text, go1..go4's text is written with each group's vertices first.
// A model bound to fail
// (missing, empty, unreadable, too large, not a model, a folder) is not
// opened; a failed conversion removes the OBJ and MTL files it created.
// Once structure's output is kept, its textures are written beside the OBJ
// file (unless job.textures is false). Tells the result on stderr.
ModelOutcome convert_model(const ModelJob& job);

// What structure makes of the vehicles it converts from now on; null: models as stored.
struct VehicleSetup;
void set_vehicle_setup(const VehicleSetup* setup);

// Tells that the model was not converted, and why; the outcome is a failure.
ModelOutcome model_failed(const std::string& model_path, const std::string& why);
