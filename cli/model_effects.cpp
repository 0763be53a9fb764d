#include "cli/model_effects.h"

#include <filesystem>

#include "game/archive.h"

namespace {

const ItemEffectCatalog* run_effects = nullptr;

}  // namespace

void set_effect_catalog(const ItemEffectCatalog& catalog) { run_effects = &catalog; }

std::vector<Effect> item_effects_for(const ModelJob& job) {
    if (!run_effects || run_effects->empty()) return {};
    const std::string name = job.entry.archive_data.empty() ? std::filesystem::path(job.model_path).stem().string()
                                                            : entry_base_name(job.entry.entry_name);
    return run_effects->effects_for(name);
}
