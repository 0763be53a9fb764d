// vorlund-obj: converts models from the command line with the window's commands.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "cli/console_session.h"
#include "cli/exit_status.h"
#include "cli/convert_in_order.h"
#include "cli/convert_map.h"
#include "cli/convert_model.h"
#include "cli/extract_dictionaries.h"
#include "cli/inspect_models.h"
#include "cli/jobs.h"
#include "cli/jobs_option.h"
#include "control/model_effects.h"
#include "cli/model_textures.h"
#include "cli/options.h"
#include "cli/worker_process.h"
#include "control/animation_source.h"
#include "control/collision_catalog.h"
#include "control/game_catalog.h"
#include "control/vehicle_files.h"
#include "control/version.h"

namespace {

// Large buffers (a model's or an animation file's bytes, a glb's views) from
// the heap rather than each from a mapping of its own: freed, their pages
// serve the next buffer instead of going back to the system, and every page
// a buffer takes anew costs a fault (microseconds each in a virtual machine).
// An animation file's bytes, freed once read, then hold the animations' floats and text.
void keep_freed_pages() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

// --inspect of animation files only: each one's animations on stdout.
int inspect_animations(const std::vector<std::string>& paths) {
    int status = exit_clean;
    for (const std::string& path : paths) {
        NamedAnimations loaded;
        std::string text;
        if (std::string why = load_animation_file(path, loaded); !why.empty()) {
            say(path + ": not read as animations (" + why + ")");
            status = exit_not_clean;
            continue;
        }
        if (!inspect_animation_file(loaded, text)) status = exit_not_clean;
        std::fputs(text.c_str(), stdout);
    }
    return status;
}

// What the catalog is asked to gather, from the options.
CatalogRequest catalog_request(const Options& options, CatalogRequest::Command command) {
    CatalogRequest request;
    request.command = command;
    request.paths = options.paths;
    request.first_literal_path = options.first_literal_path;
    request.recursive = options.recursive;
    request.item_definitions = options.item_definitions;
    request.dictionaries = options.textures;
    request.maps = options.maps;
    request.game_dir = options.game_dir;
    request.output_dir = options.output_dir;
    request.car_colours = options.carcols_file;
    request.wheels = options.wheels_file;
    return request;
}

int usage_error(const std::string& error) {
    say(error);
    say("try 'vorlund-obj --help'");
    return exit_usage;
}

// What vehicles are made into, with the files the catalog found; false with a usage error.
bool vehicle_setup(const Options& options, const GameCatalog& catalog, std::unique_ptr<VehicleFiles>& files,
                   VehicleSetup& setup, std::vector<std::string>& messages, std::string& error) {
    files = read_vehicle_files(catalog, messages);
    VehicleChoice& choice = setup.choice;
    choice.parts = options.parts == "damaged" ? VehicleParts::damaged
                   : options.parts == "far"   ? VehicleParts::far
                   : options.parts == "all"   ? VehicleParts::all
                                              : VehicleParts::near;
    choice.extras = options.extras;
    choice.paint = options.paint;
    setup.files = files.get();
    return check_paint(choice, *files, error);
}

}  // namespace

int main(int argc, char** argv) {
    keep_freed_pages();
    Options options;
    JobsOptions jobs;
    std::vector<char*> args;  // argv without the jobs options
    std::string error;
    if (!take_jobs_options(argc, argv, jobs, args, error) ||
        !parse_options(static_cast<int>(args.size()) - 1, args.data(), options, error))
        return usage_error(error);
    if (options.help) {
        std::fputs(help_text, stdout);
        return exit_clean;
    }
    if (options.version) {
        std::puts(PROGRAM_NAME " " PROGRAM_VERSION);
        return exit_clean;
    }
    // Each model's Open makes its folder the current one: -t names must not depend on it.
    for (std::string& dictionary : options.textures) dictionary = absolute_path(dictionary);
    const bool quiet = options.verbosity == Verbosity::quiet;
    using Command = CatalogRequest::Command;
    if (options.extract) {
        const GameCatalog catalog = build_catalog(catalog_request(options, Command::extract));
        if (jobs.worker) return run_extract_worker(options, catalog);
        return extract_dictionaries(options, catalog, jobs.jobs, {own_executable(argv[0]), {args.begin() + 1, args.end() - 1}});
    }
    if (!options.maps.empty()) return convert_map(options, build_catalog(catalog_request(options, Command::map)));
    std::unique_ptr<VehicleFiles> vehicle_files;
    VehicleSetup vehicles;
    std::vector<std::string> vehicle_messages;
    if (options.inspect) {
        // Named .ifp files are animation files; the rest are inspected as models.
        std::vector<std::string> animation_paths, model_paths;
        std::size_t literal = options.first_literal_path;
        for (std::size_t i = 0; i < options.paths.size(); ++i) {
            const bool animation = i < options.first_literal_path && is_animation_path(options.paths[i]);
            (animation ? animation_paths : model_paths).push_back(options.paths[i]);
            if (animation && i < options.first_literal_path && literal != static_cast<std::size_t>(-1)) --literal;
        }
        const int animations_status = inspect_animations(animation_paths);
        if (model_paths.empty() && options.game_dir.empty()) return animations_status;
        options.paths = model_paths;
        options.first_literal_path = literal;
        const GameCatalog catalog = build_catalog(catalog_request(options, Command::inspect));
        if (!vehicle_setup(options, catalog, vehicle_files, vehicles, vehicle_messages, error)) return usage_error(error);
        for (const std::string& m : catalog.messages) say(m);
        for (const std::string& m : vehicle_messages) say(m);
        const int models_status = inspect_models(catalog.models, quiet, &vehicles);
        return std::max(animations_status, models_status);
    }

    start_console_session(options.verbosity == Verbosity::verbose);
    const GameCatalog catalog = build_catalog(catalog_request(options, jobs.worker ? Command::worker : Command::convert));
    set_texture_catalog(catalog.textures);
    // Read once, before any model's Open changes the current folder.
    std::vector<NamedAnimations> animations;
    std::vector<std::string> animation_messages;
    const bool animations_read = load_animations(options.animations, catalog, animations, animation_messages);
    if (options.collision) set_collision_sources(catalog.sources(SourceKind::collision));
    set_effect_catalog(catalog.effects);
    if (!vehicle_setup(options, catalog, vehicle_files, vehicles, vehicle_messages, error)) return usage_error(error);
    set_vehicle_setup(&vehicles);
    if (jobs.worker) return run_worker(options, animations, catalog.game.third_game);
    for (const std::string& m : catalog.messages) say(m);
    for (const std::string& m : animation_messages) say(m);
    for (const std::string& m : vehicle_messages) say(m);
    const std::vector<ModelEntry>& models = catalog.models;
    std::vector<PlannedModel> planned = plan_models(models, options);
    for (PlannedModel& p : planned) {
        if (!animations.empty()) p.job.animations = &animations;
        p.job.third_game = catalog.game.third_game;
    }
    Tally tally;
    if (std::size_t workers = worker_count(jobs.jobs, planned); workers > 1) {
        WorkerCommand command{own_executable(argv[0]), {args.begin() + 1, args.end() - 1}};
        tally = convert_with_workers(models, planned, quiet, command, workers);
    } else {
        tally = convert_in_order(models, planned, quiet,
                                 [](std::size_t, const ModelJob& job) { return convert_model(job); });
    }
    say(tally.summary());
    // Exit status 1: a script must not take a run that converted nothing for success.
    if (tally.models == 0 && tally.empty_folders == 0 && tally.skipped > 0)
        say("nothing was converted: every file named was skipped");
    return tally.all_clean() && animations_read ? exit_clean : exit_not_clean;
}
