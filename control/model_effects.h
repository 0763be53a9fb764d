#pragma once
// The item definitions' 2dfx effects of the model a job converts, by the
// model's name (its file's or archive entry's base name).

#include <string>
#include <vector>

#include "game/item_effects.h"

// The run's effects by model; none until set.
void set_effect_catalog(const ItemEffectCatalog& catalog);

// entry_name: the archive entry's name as stored, empty for a model that is a file.
std::vector<Effect> item_effects_for(const std::string& model_path, const std::string& entry_name);
