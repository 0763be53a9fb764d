// vorlund-obj: converts models from the command line with the window's commands.
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "cli/console_session.h"
#include "cli/convert_in_order.h"
#include "cli/convert_map.h"
#include "cli/convert_model.h"
#include "cli/extract_dictionaries.h"
#include "cli/inspect_models.h"
#include "cli/jobs.h"
#include "cli/jobs_option.h"
#include "cli/model_list.h"
#include "cli/model_textures.h"
#include "cli/options.h"
#include "cli/run_context.h"
#include "cli/worker_process.h"
#include "control/version.h"
#include "game/text_lines.h"

namespace {

constexpr int exit_clean = 0, exit_not_clean = 1, exit_usage = 2;

bool animation_file_name(const std::string& path) {
    return path.size() > 4 && lower_name(path.substr(path.size() - 4)) == ".ifp";
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

}  // namespace

int main(int argc, char** argv) {
    Options options;
    JobsOptions jobs;
    std::vector<char*> args;  // argv without the jobs options
    std::string error;
    if (!take_jobs_options(argc, argv, jobs, args, error) ||
        !parse_options(static_cast<int>(args.size()) - 1, args.data(), options, error)) {
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
    // Each model's Open makes its folder the current one: -t names must not depend on it.
    for (std::string& dictionary : options.textures) dictionary = absolute_path(dictionary);
    const bool quiet = options.verbosity == Verbosity::quiet;
    if (options.extract) return extract_dictionaries(options);
    if (!options.maps.empty()) return convert_map(options);
    bool only_animations = !options.paths.empty();
    for (const std::string& p : options.paths) only_animations = only_animations && animation_file_name(p);
    if (options.inspect && only_animations) return inspect_animations(options.paths);
    if (options.inspect)
        return inspect_models(list_models(options.paths, options.recursive, options.first_literal_path), quiet);

    start_console_session(options.verbosity == Verbosity::verbose);
    RunContext context = prepare_run(options);
    set_texture_catalog(context.catalog);
    if (jobs.worker) return run_worker(options, context);
    for (const std::string& m : context.messages) say(m);
    std::vector<ModelEntry> models = list_models(options.paths, options.recursive, options.first_literal_path);
    if (!context.game_models.empty()) {
        models.insert(models.begin(), std::make_move_iterator(context.game_models.begin()),
                      std::make_move_iterator(context.game_models.end()));
        context.game_models = {};
    }
    std::vector<PlannedModel> planned = plan_models(models, options);
    if (!context.animations.empty())
        for (PlannedModel& p : planned) p.job.animations = &context.animations;
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
    return tally.all_clean() && !context.animations_missing ? exit_clean : exit_not_clean;
}
