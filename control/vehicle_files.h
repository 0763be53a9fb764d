#pragma once
// The vehicles' files of a run, read once from the catalog: the cars and objs
// lines of its item definitions, carcols.dat and wheels.dff.

#include <memory>
#include <string>
#include <vector>

#include "control/game_catalog.h"
#include "control/vehicle.h"

// What the catalog holds for vehicles; lines for what could not be read. The
// catalog must outlive the files (they name its item definitions).
std::unique_ptr<VehicleFiles> read_vehicle_files(const GameCatalog& catalog, std::vector<std::string>& messages);

// A --paint choice checked against the colour table: false with the usage error.
bool check_paint(const VehicleChoice& choice, const VehicleFiles& files, std::string& why);

struct DictionaryTarget;
// The newest game looks a vehicle's textures up in vehicle.txd before the
// car's own dictionary: that dictionary moved to the front of an order.
void vehicle_dictionary_first(std::vector<DictionaryTarget>& order);
