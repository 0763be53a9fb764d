#pragma once
// What a run knows beyond the paths named: the item definitions (--ide), the
// game's data files and every model they name (--game), the dictionaries of
// every archive named. A worker builds the same from the same options.

#include <string>
#include <vector>

#include "cli/model_list.h"
#include "cli/options.h"
#include "control/texture_order.h"
#include "control/vehicle.h"

struct RunContext {
    TextureCatalog catalog;
    std::vector<ModelEntry> game_models;  // --game: its archives' models and its model files, in the game's order
    std::vector<std::string> messages;    // for the run to tell first, one line each
    VehicleSetup vehicle;                 // what vehicles are made into; files points at vehicle_files
    std::unique_ptr<VehicleFiles> vehicle_files;
};

RunContext prepare_run(const Options& options);

// The vehicles' files and choices alone (--ide, --carcols, --wheels, the
// options), for --inspect; false with a usage error in why (a colour index
// past carcols.dat's table).
bool prepare_vehicles(const Options& options, RunContext& context, std::string& why);

// A text file read whole, at most limit bytes. Empty with the reason on failure.
std::string read_text_file(const std::string& path, std::string& text);
