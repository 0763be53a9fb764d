#pragma once
// What a run knows beyond the paths named: the item definitions (--ide), the
// game's data files and every model they name (--game), the dictionaries of
// every archive named. A worker builds the same from the same options.

#include <string>
#include <vector>

#include "cli/model_list.h"
#include "cli/options.h"
#include "control/texture_order.h"
#include "game/item_effects.h"

struct RunContext {
    TextureCatalog catalog;
    ItemEffectCatalog effects;            // the item definitions' 2dfx lines, by model
    std::vector<ModelEntry> game_models;  // --game: its archives' models and its model files, in the game's order
    std::vector<std::string> messages;    // for the run to tell first, one line each
};

RunContext prepare_run(const Options& options);

// A text file read whole, at most limit bytes. Empty with the reason on failure.
std::string read_text_file(const std::string& path, std::string& text);
