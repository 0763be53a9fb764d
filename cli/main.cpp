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

namespace {

constexpr int exit_clean = 0, exit_not_clean = 1, exit_usage = 2;

int usage_error(const std::string& error) {
    say(error);
    say("try 'vorlund-obj --help'");
    return exit_usage;
}

}  // namespace

int main(int argc, char** argv) {
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
    if (options.extract) return extract_dictionaries(options);
    if (!options.maps.empty()) return convert_map(options);
    if (options.inspect) {
        RunContext vehicles;
        if (!prepare_vehicles(options, vehicles, error)) return usage_error(error);
        for (const std::string& m : vehicles.messages) say(m);
        return inspect_models(list_models(options.paths, options.recursive, options.first_literal_path), quiet,
                              &vehicles.vehicle);
    }

    start_console_session(options.verbosity == Verbosity::verbose);
    RunContext context = prepare_run(options);
    if (!prepare_vehicles(options, context, error)) return usage_error(error);
    set_vehicle_setup(&context.vehicle);
    set_texture_catalog(context.catalog);
    if (jobs.worker) return run_worker(options);
    for (const std::string& m : context.messages) say(m);
    std::vector<ModelEntry> models = list_models(options.paths, options.recursive, options.first_literal_path);
    if (!context.game_models.empty()) {
        models.insert(models.begin(), std::make_move_iterator(context.game_models.begin()),
                      std::make_move_iterator(context.game_models.end()));
        context.game_models = {};
    }
    std::vector<PlannedModel> planned = plan_models(models, options);
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
    return tally.all_clean() ? exit_clean : exit_not_clean;
}
