#include "control/model_effects.h"

#include <filesystem>

#include "game/archive.h"

namespace {

const ItemEffectCatalog* run_effects = nullptr;

}  // namespace

void set_effect_catalog(const ItemEffectCatalog& catalog) { run_effects = &catalog; }

std::vector<Effect> item_effects_for(const std::string& model_path, const std::string& entry_name) {
    if (!run_effects || run_effects->empty()) return {};
    const std::string name =
        entry_name.empty() ? std::filesystem::path(model_path).stem().string() : entry_base_name(entry_name);
    return run_effects->effects_for(name);
}
