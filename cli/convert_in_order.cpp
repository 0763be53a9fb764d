#include "cli/convert_in_order.h"

#include <string>

#include "cli/console_session.h"

void Tally::count(ModelOutcome outcome) {
    switch (outcome) {
    case ModelOutcome::clean: ++clean; break;
    case ModelOutcome::doubtful: ++doubtful; break;
    case ModelOutcome::failed: ++failed; break;
    }
}

Tally convert_in_order(const std::vector<ModelEntry>& models,
                       const std::function<ModelOutcome(std::size_t, const ModelEntry&)>& convert) {
    Tally tally;
    for (std::size_t i = 0; i < models.size(); ++i) {
        const ModelEntry& m = models[i];
        if (!m.error.empty()) {
            say(m.path + ": " + m.error);
            tally.count(ModelOutcome::failed);
            continue;
        }
        if (models.size() > 1) {
            std::string progress = "[";
            progress += std::to_string(i + 1) + "/" + std::to_string(models.size()) + "] " + m.path;
            show_progress(progress);
        }
        tally.count(convert(i, m));
    }
    return tally;
}
