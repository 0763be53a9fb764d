// vorlund-obj: converts models from the command line with the window's commands.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/console_session.h"
#include "cli/convert_model.h"
#include "cli/model_list.h"
#include "cli/options.h"
#include "control/structure_conversion.h"
#include "control/version.h"

namespace {

constexpr int exit_clean = 0, exit_not_clean = 1, exit_usage = 2;

std::string count_of(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
        say(error);
        say("try 'vorlund-obj --help'");
        return exit_usage;
    }
    if (options.help) {
        std::fputs(help_text, stdout);
        return exit_clean;
    }
    if (options.version) {
        std::puts(PROGRAM_NAME " " PROGRAM_VERSION);
        return exit_clean;
    }

    start_console_session();
    set_structure_local(options.local);
    std::vector<ModelEntry> models = list_models(options.paths, options.recursive);
    std::size_t clean = 0, doubtful = 0, failed = 0;
    for (std::size_t i = 0; i < models.size(); ++i) {
        const ModelEntry& m = models[i];
        if (!m.error.empty()) {
            say(m.path + ": " + m.error);
            ++failed;
            continue;
        }
        if (models.size() > 1) {
            std::string progress = "[";
            progress += std::to_string(i + 1) + "/" + std::to_string(models.size()) + "] " + m.path;
            show_progress(progress);
        }
        switch (convert_model(m.path, options.button_id, options.exact_text)) {
        case ModelOutcome::clean: ++clean; break;
        case ModelOutcome::doubtful: ++doubtful; break;
        case ModelOutcome::failed: ++failed; break;
        }
    }
    say(count_of(models.size(), "model", "models") + ": " + std::to_string(clean) + " clean, " +
        std::to_string(doubtful) + " doubtful, " + std::to_string(failed) + " failed");
    return doubtful == 0 && failed == 0 ? exit_clean : exit_not_clean;
}
