#pragma once
// --inspect: each model's chunk tree and first damage, read but not converted;
// each texture dictionary (a file named *.txd) its textures and damage.
// Always in this process, in list order, whatever -j says: the text is the
// same for every number of jobs.

#include <vector>

#include "control/model_list.h"

// Prints on stdout, for each model of entries, a line naming it and then
// inspect_model's text (inspect_dictionary's for a dictionary); models that
// cannot be read, folders without models and skipped files are told on stderr
// as a conversion tells them, then a summary. Returns the exit status: 0 when
// every model and dictionary is well-formed.
struct VehicleSetup;
// With vehicles, a vehicle's wheels, parts and markers follow its chunk tree.
int inspect_models(const std::vector<ModelEntry>& entries, bool quiet, const VehicleSetup* vehicles = nullptr);
