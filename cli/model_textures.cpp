#include "cli/model_textures.h"

#include <filesystem>

#include "cli/console_session.h"
#include "control/commands.h"
#include "control/texture_export.h"

namespace fs = std::filesystem;

namespace {

TextureRun run;  // the whole run's, in this process

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return text;
}

}  // namespace

void write_model_textures(const std::string& model_path, const std::vector<std::string>& names,
                          const std::vector<std::string>& shared, bool quiet) {
    if (names.empty()) return;
    const std::vector<fs::path> dictionaries =
        model_dictionaries(fs::path(model_path), std::vector<fs::path>(shared.begin(), shared.end()));
    const fs::path folder = fs::path(output_file_path()).parent_path();
    std::vector<std::string> messages;
    const std::size_t before = run.pngs_written;
    const std::vector<std::string> missing = write_textures(names, dictionaries, folder, run, messages);
    for (const std::string& m : messages) say(m);
    if (!missing.empty())
        say(model_path + ": textures not found: " + listed(missing) +
            (dictionaries.empty() ? " (no texture dictionary beside it, none named with -t)" : ""));
    if (const std::size_t written = run.pngs_written - before; written > 0 && !quiet)
        say(model_path + ": " + std::to_string(written) + (written == 1 ? " texture" : " textures") +
            " written to " + folder.string());
}
