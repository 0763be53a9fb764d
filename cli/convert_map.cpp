#include "cli/convert_map.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "cli/console_session.h"
#include "cli/game_files.h"
#include "cli/map_scenes.h"
#include "cli/model_list.h"
#include "cli/run_context.h"
#include "control/map_run.h"
#include "control/texture_export.h"
#include "control/texture_order.h"
#include "control/version.h"
#include "game/archive.h"
#include "game/text_lines.h"

namespace fs = std::filesystem;

namespace {

constexpr int exit_clean = 0, exit_not_clean = 1;

// Where the scenes' item definitions, models and dictionaries come from.
struct MapLibrary {
    ItemIndex items;
    TextureCatalog catalog;
    ItemEffectCatalog effects;  // the 2dfx lines by model
    std::map<std::string, MapFileSource> models;  // lower-cased name -> where; the first whole one wins
    std::vector<std::pair<std::string, ArchiveDirectory>> archives;  // as named, for their stream files
    bool all_read = true;  // every item definition file and archive was read
};

void read_item_file(const std::string& file, MapLibrary& library) {
    std::string text;
    if (std::string why = read_text_file(file, text); !why.empty()) {
        say(file + ": item definitions cannot be read: " + why);
        library.all_read = false;
        return;
    }
    const ItemDefinitionFile read = read_item_definitions(text, file);
    if (std::string skipped = skipped_lines_text(read); !skipped.empty()) say(file + ": " + skipped);
    library.items.add(read);
    library.catalog.add_item_definitions(read);
    std::vector<SkippedLine> skipped;
    library.effects.add_items(read);
    library.effects.add_effects(read_item_effects(text, skipped));
    if (!skipped.empty()) say(file + ": 2dfx " + skipped_lines_text({{}, {}, skipped}));
}

// A model found by name; a damaged archive entry gives way to a whole one of the same name.
void add_model(const std::string& name, MapFileSource source, MapLibrary& library) {
    auto [it, fresh] = library.models.try_emplace(lower_name(name), source);
    if (!fresh && !it->second.damage.empty() && source.damage.empty()) it->second = std::move(source);
}

// An archive's model entries by name and its dictionaries into the catalog;
// its damage told once, here, and each damaged entry's where it is placed.
void add_archive(const std::string& path, MapLibrary& library) {
    ArchiveDirectory directory = read_archive(path);
    if (!directory.refused.empty()) {
        say(path + ": not read: " + directory.refused);
        library.all_read = false;
        return;
    }
    for (const std::string& d : directory.damage) say(path + ": " + d);
    library.catalog.add_archive(path, directory);
    for (const ArchiveEntry& e : directory.entries) {
        if (std::string(archive_entry_kind(e.name)) != "model") continue;
        add_model(entry_base_name(e.name), map_entry_source(path, directory, e), library);
    }
    library.archives.emplace_back(path, std::move(directory));
}

bool has_extension(const fs::path& p, const char* extension) { return same_name(p.extension().string(), extension); }

// The named models, folders and archives: models by name, the dictionaries in
// the models' folders and in the archives.
void add_named(const Options& options, const std::vector<std::string>& paths, std::size_t first_literal,
               MapLibrary& library) {
    std::vector<std::string> listed;
    std::size_t literal = static_cast<std::size_t>(-1);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::error_code error;
        if (i < first_literal && has_archive_extension(paths[i]) && fs::is_regular_file(paths[i], error)) {
            add_archive(absolute_path(paths[i]), library);
            continue;
        }
        if (i >= first_literal && literal > listed.size()) literal = listed.size();
        listed.push_back(paths[i]);
    }
    std::set<std::string> folders_seen;
    for (const ModelEntry& entry : list_models(listed, options.recursive, literal)) {
        if (entry.kind != ModelEntry::Kind::model || !entry.error.empty()) {
            if (!entry.error.empty()) say(entry.path + ": " + entry.error);
            continue;
        }
        const fs::path path(entry.path);
        add_model(path.stem().string(), map_file_source(path), library);
        const fs::path folder = path.parent_path();
        if (!folders_seen.insert(folder.string()).second) continue;
        std::error_code error;
        for (const fs::directory_entry& e : fs::directory_iterator(folder, error))
            if (has_extension(e.path(), ".txd") && e.is_regular_file(error)) library.catalog.add_dictionary_file(e.path());
    }
}

// The game's item definitions, shared dictionaries, archives and loose models.
void add_game(const GameFiles& game, MapLibrary& library) {
    for (const std::string& m : game.messages) say(m);
    for (const GameFile& f : game.item_definitions) read_item_file(f.file.string(), library);
    for (const GameFile& f : game.shared_dictionaries) {
        library.catalog.add_shared(f.file);
        library.catalog.add_dictionary_file(f.file);
    }
    for (const GameFile& f : game.archives) add_archive(f.file.string(), library);
    for (const GameFile& f : game.model_files) add_model(f.file.stem().string(), map_file_source(f.file), library);
}

MapRequest base_request(const Options& options, const MapLibrary& library) {
    MapRequest request;
    request.items = &library.items;
    request.options.keep_lod = options.keep_lod;
    request.options.keep_interiors = options.keep_interiors;
    request.options.apply_scale = options.apply_scale;
    if (options.hour >= 0) request.options.hour = options.hour;
    request.program_name_version = PROGRAM_NAME " " PROGRAM_VERSION;
    request.textures = !options.no_textures;
    request.obj = options.formats.obj;
    request.glb = options.formats.glb;
    request.gltf = options.formats.gltf;
    request.effects = options.effects;
    request.item_effects = &library.effects;
    return request;
}

// One scene: listed with --inspect, else written; whether it came out clean.
bool run_scene(const Options& options, MapRequest& request, const MapSources& sources, const std::string& inspect_title) {
    if (options.inspect) {
        if (!inspect_title.empty()) std::printf("== %s\n", inspect_title.c_str());
        MapOutcome outcome = inspect_map(request, sources);
        for (const std::string& line : outcome.lines) std::printf("%s\n", line.c_str());
        return outcome.clean;
    }
    std::error_code error;
    fs::create_directories(request.obj_path.parent_path(), error);
    MapOutcome outcome = write_map_scene(request, sources);
    for (const std::string& line : outcome.lines) say(line);
    return outcome.written && outcome.clean;
}

}  // namespace

int convert_map(const Options& options) {
    MapLibrary library;
    GameFiles game;
    if (!options.game_dir.empty()) {
        game = find_game_files(options.game_dir, true);
        if (!game.read) {
            say(game.root.string() + ": not read: no data/gta.dat or data/default.dat in it");
            return exit_not_clean;
        }
        add_game(game, library);
    }
    for (const std::string& file : options.item_definitions) read_item_file(file, library);
    // Named .ipl files are placement files too, so that "--map maps/*.ipl" takes them all.
    std::vector<std::string> maps = options.maps, paths;
    std::size_t first_literal = static_cast<std::size_t>(-1);
    for (std::size_t i = 0; i < options.paths.size(); ++i) {
        bool literal = i >= options.first_literal_path;
        if (literal && first_literal > paths.size()) first_literal = paths.size();
        if (!literal && has_extension(options.paths[i], ".ipl")) maps.push_back(options.paths[i]);
        else paths.push_back(options.paths[i]);
    }
    add_named(options, paths, first_literal, library);
    for (const std::string& t : options.textures) library.catalog.add_dictionary_file(t);

    MapSources sources;
    sources.model = [&](const std::string& model) {
        auto it = library.models.find(lower_name(model));
        return it == library.models.end() ? MapFileSource() : it->second;
    };
    sources.catalog = &library.catalog;
    for (const std::string& t : options.textures) sources.extra_dictionaries.push_back(t);
    TextureRun textures;  // the run's: a dictionary shared by several scenes is written once

    bool clean = library.all_read;
    if (options.game_dir.empty()) {
        MapRequest request = base_request(options, library);
        for (const std::string& map : maps) request.placement_files.push_back(map_file_source(map));
        request.obj_path = fs::path(options.output_dir) / "map.obj";
        request.texture_run = &textures;
        clean = run_scene(options, request, sources, "") && clean;
        return clean ? exit_clean : exit_not_clean;
    }

    GameScenes scenes = game_scenes(game, maps, library.archives, options.output_dir);
    for (const std::string& m : scenes.messages) say(m);
    if (!scenes.messages.empty()) clean = false;
    for (GameScene& scene : scenes.scenes) {
        MapRequest request = base_request(options, library);
        request.placement_files = std::move(scene.placement_files);
        request.obj_path = scene.obj_path;
        request.texture_root = options.output_dir;
        request.texture_run = &textures;
        clean = run_scene(options, request, sources, scene.title) && clean;
    }
    return clean ? exit_clean : exit_not_clean;
}
