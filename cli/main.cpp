// vorlund-obj: converts models from the command line with the window's commands.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/console_session.h"
#include "cli/convert_in_order.h"
#include "cli/convert_model.h"
#include "cli/jobs.h"
#include "cli/jobs_option.h"
#include "cli/model_list.h"
#include "cli/options.h"
#include "cli/worker_process.h"
#include "control/version.h"

namespace {

constexpr int exit_clean = 0, exit_not_clean = 1, exit_usage = 2;

std::string count_of(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
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

    start_console_session();
    if (jobs.worker) return run_worker(options.button_id);
    std::vector<ModelEntry> models = list_models(options.paths, options.recursive);
    Tally tally;
    if (std::size_t workers = worker_count(jobs.jobs, models); workers > 1) {
        WorkerCommand command{own_executable(argv[0]), {args.begin() + 1, args.end() - 1}};
        tally = convert_with_workers(models, command, workers);
    } else {
        tally = convert_in_order(models, [&](std::size_t, const ModelEntry& m) {
            return convert_model(m.path, options.button_id);
        });
    }
    say(count_of(models.size(), "model", "models") + ": " + std::to_string(tally.clean) + " clean, " +
        std::to_string(tally.doubtful) + " doubtful, " + std::to_string(tally.failed) + " failed");
    return tally.doubtful == 0 && tally.failed == 0 ? exit_clean : exit_not_clean;
}
