#pragma once
// The item definitions' 2dfx effects of the model a job converts, by the
// model's name (its file's or archive entry's base name).

#include <vector>

#include "cli/convert_model.h"
#include "game/item_effects.h"

// The run's effects by model; none until set.
void set_effect_catalog(const ItemEffectCatalog& catalog);

std::vector<Effect> item_effects_for(const ModelJob& job);
