#include "cli/convert_map.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "cli/console_session.h"
#include "cli/exit_status.h"
#include "control/collision_catalog.h"
#include "control/game_catalog.h"
#include "control/map_run.h"
#include "control/texture_export.h"
#include "control/version.h"

namespace fs = std::filesystem;

namespace {

MapRequest base_request(const Options& options, const GameCatalog& catalog) {
    MapRequest request;
    request.items = &catalog.items;
    request.options.keep_lod = options.keep_lod;
    request.options.keep_interiors = options.keep_interiors;
    request.options.apply_scale = options.apply_scale;
    if (options.hour >= 0) request.options.hour = options.hour;
    request.program_name_version = PROGRAM_NAME " " PROGRAM_VERSION;
    request.textures = !options.no_textures;
    request.obj = options.formats.obj;
    request.glb = options.formats.glb;
    request.gltf = options.formats.gltf;
    request.collision = options.collision;
    request.third_game = catalog.game.third_game;
    if (options.collision) set_collision_sources(catalog.sources(SourceKind::collision));
    request.effects = options.effects;
    request.item_effects = &catalog.effects;
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

int convert_map(const Options& options, const GameCatalog& catalog) {
    for (const std::string& m : catalog.messages) say(m);
    if (catalog.game_refused) return exit_not_clean;

    MapSources sources;
    sources.model = [&](const std::string& model) {
        const FileSource* found = catalog.find(SourceKind::model, model);
        return found ? *found : FileSource();
    };
    sources.catalog = &catalog.textures;
    for (const std::string& t : options.textures) sources.extra_dictionaries.push_back(t);
    TextureRun textures;  // the run's: a dictionary shared by several scenes is written once

    bool clean = catalog.all_read;
    if (options.game_dir.empty()) {
        MapRequest request = base_request(options, catalog);
        request.placement_files = catalog.sources(SourceKind::placement);
        request.obj_path = fs::path(options.output_dir) / "map.obj";
        request.texture_run = &textures;
        clean = run_scene(options, request, sources, "") && clean;
        return clean ? exit_clean : exit_not_clean;
    }

    for (const GameScene& scene : catalog.scenes.scenes) {
        MapRequest request = base_request(options, catalog);
        request.placement_files = scene.placement_files;
        request.obj_path = scene.obj_path;
        request.texture_root = options.output_dir;
        request.texture_run = &textures;
        clean = run_scene(options, request, sources, scene.title) && clean;
    }
    return clean ? exit_clean : exit_not_clean;
}
