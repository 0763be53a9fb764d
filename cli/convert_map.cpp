#include "cli/convert_map.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include "cli/console_session.h"
#include "cli/model_list.h"
#include "control/map_run.h"
#include "control/version.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

namespace {

constexpr int exit_clean = 0, exit_not_clean = 1;

// Each named --ide file read into the index; false when one could not be read.
bool read_item_files(const std::vector<std::string>& files, ItemIndex& items) {
    bool all = true;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        if (!in || !(text << in.rdbuf())) {
            say(file + ": item definitions cannot be read");
            all = false;
            continue;
        }
        ItemDefinitionFile read = read_item_definitions(text.str(), file);
        if (std::string skipped = skipped_lines_text(read); !skipped.empty()) say(file + ": " + skipped);
        items.add(read);
    }
    return all;
}

bool has_extension(const fs::path& p, const char* extension) { return same_name(p.extension().string(), extension); }

// Models by name from the named paths, and the dictionaries in their folders.
struct FoundFiles {
    std::map<std::string, fs::path> models, dictionaries;  // lower-cased stem -> file; the first named wins
};

FoundFiles find_files(const Options& options, const std::vector<std::string>& paths, std::size_t first_literal) {
    FoundFiles found;
    std::map<std::string, bool> folders_seen;
    for (const ModelEntry& entry : list_models(paths, options.recursive, first_literal)) {
        if (entry.kind != ModelEntry::Kind::model || !entry.error.empty()) {
            if (!entry.error.empty()) say(entry.path + ": " + entry.error);
            continue;
        }
        fs::path path(entry.path);
        found.models.try_emplace(lower_name(path.stem().string()), path);
        fs::path folder = path.parent_path();
        if (!folders_seen.try_emplace(folder.string(), true).second) continue;
        std::error_code error;
        for (const fs::directory_entry& e : fs::directory_iterator(folder, error))
            if (has_extension(e.path(), ".txd") && e.is_regular_file(error))
                found.dictionaries.try_emplace(lower_name(e.path().stem().string()), e.path());
    }
    return found;
}

}  // namespace

int convert_map(const Options& options) {
    ItemIndex items;
    bool items_read = read_item_files(options.item_definitions, items);
    // Named .ipl files are placement files too, so that "--map maps/*.ipl" takes them all.
    std::vector<std::string> maps = options.maps, paths;
    std::size_t first_literal = static_cast<std::size_t>(-1);
    for (std::size_t i = 0; i < options.paths.size(); ++i) {
        bool literal = i >= options.first_literal_path;
        if (literal && first_literal > paths.size()) first_literal = paths.size();
        if (!literal && has_extension(options.paths[i], ".ipl")) maps.push_back(options.paths[i]);
        else paths.push_back(options.paths[i]);
    }
    FoundFiles found = find_files(options, paths, first_literal);

    MapSources sources;
    sources.model_file = [&](const std::string& model) {
        auto it = found.models.find(lower_name(model));
        return it == found.models.end() ? fs::path() : it->second;
    };
    sources.dictionary_file = [&](const std::string& dictionary) {
        auto it = found.dictionaries.find(lower_name(dictionary));
        return it == found.dictionaries.end() ? fs::path() : it->second;
    };
    for (const std::string& t : options.textures) sources.shared_dictionaries.push_back(t);

    MapRequest request;
    for (const std::string& map : maps) request.placement_files.push_back(map);
    request.items = &items;
    request.options.keep_lod = options.keep_lod;
    request.options.keep_interiors = options.keep_interiors;
    request.options.apply_scale = options.apply_scale;
    if (options.hour >= 0) request.options.hour = options.hour;
    request.program_name_version = PROGRAM_NAME " " PROGRAM_VERSION;
    request.textures = !options.no_textures;
    request.obj = options.formats.obj;
    request.glb = options.formats.glb;
    request.gltf = options.formats.gltf;

    if (options.inspect) {
        MapOutcome outcome = inspect_map(request, sources);
        for (const std::string& line : outcome.lines) std::printf("%s\n", line.c_str());
        return outcome.clean && items_read ? exit_clean : exit_not_clean;
    }
    std::error_code error;
    fs::create_directories(options.output_dir, error);
    request.obj_path = fs::path(options.output_dir) / "map.obj";
    MapOutcome outcome = write_map_scene(request, sources);
    for (const std::string& line : outcome.lines) say(line);
    return outcome.written && outcome.clean && items_read ? exit_clean : exit_not_clean;
}
