#include "cli/model_textures.h"

#include <filesystem>

#include "cli/console_session.h"
#include "control/commands.h"
#include "control/structure_conversion.h"
#include "control/texture_export.h"
#include "control/texture_order.h"
#include "control/vehicle_files.h"

namespace fs = std::filesystem;

namespace {

TextureRun run;  // the whole run's, in this process
const TextureCatalog* run_catalog = nullptr;

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return text;
}

TextureOrder order_for(const ModelJob& job) {
    static const TextureCatalog no_catalog;
    const TextureCatalog& catalog = run_catalog ? *run_catalog : no_catalog;
    const std::vector<fs::path> extra(job.dictionaries.begin(), job.dictionaries.end());
    if (!job.entry.archive_data.empty())
        return catalog.order_for_entry(job.entry.archive_data, job.entry.entry_name, extra, job.texture_root);
    return catalog.order_for_file(job.model_path, extra, job.texture_root);
}

}  // namespace

void set_texture_catalog(const TextureCatalog& catalog) { run_catalog = &catalog; }

void write_model_textures(const ModelJob& job, StructureResult& result) {
    const std::vector<std::string>& names = result.texture_names;
    if (names.empty()) return;
    TextureOrder order = order_for(job);
    if (result.vehicle_game >= 3) vehicle_dictionary_first(order.dictionaries);
    const fs::path folder = fs::path(output_file_path()).parent_path();
    std::vector<std::string> messages;
    std::map<std::string, fs::path> placed;
    const std::size_t before = run.pngs_written;
    const std::vector<std::string> missing = write_textures(names, order.dictionaries, folder, run, messages, &placed);
    if (!job.texture_root.empty()) {
        std::map<std::string, std::string> path_of;
        for (const auto& [file, path] : placed) path_of[file] = path.lexically_relative(folder).generic_string();
        place_structure_textures(result, path_of);
        result.texture_paths = std::move(path_of);
    }
    for (const std::string& m : messages) say(m);
    const std::string& model = job.model_path;
    if (!missing.empty()) {
        std::string why = listed(order.missing);
        if (order.dictionaries.empty() && why.empty())
            why = job.entry.archive_data.empty() ? "no texture dictionary beside it, none named with -t"
                                                 : "no dictionary of its name in the archive, none named with -t or --ide";
        say(model + ": textures not found: " + listed(missing) + (why.empty() ? "" : " (" + why + ")"));
    }
    if (const std::size_t written = run.pngs_written - before; written > 0 && !job.quiet) {
        const fs::path where = job.texture_root.empty() ? folder : fs::path(job.texture_root) / "textures";
        say(model + ": " + std::to_string(written) + (written == 1 ? " texture" : " textures") + " written to " +
            where.string());
    }
}
