#pragma once
// Several models at once. The engine keeps one state and one source buffer a
// process, so each further model at once is a worker process: this program
// again, with the worker option and the same other arguments. The parent hands
// each worker a share of the models (model k of the list to worker k % N),
// reads their records in the order of the list and says each model's lines as
// it reaches them, so that everything reads as a run with one job would.

#include <cstddef>
#include <string>
#include <vector>

#include "cli/convert_in_order.h"
#include "control/animation_source.h"
#include "control/model_list.h"

// How a worker is started: the executable and its arguments besides the
// worker option (the command line as given, the jobs options taken out).
struct WorkerCommand {
    std::string program;
    std::vector<std::string> args;
};

// Worker processes for jobs (0: one per processor core), never more than
// models to convert; 1 means converting in this process.
std::size_t worker_count(int jobs, const std::vector<PlannedModel>& planned);

// Converts models with workers worker processes, telling each model's result
// on stderr in list order, with the progress line on a terminal.
Tally convert_with_workers(const std::vector<ModelEntry>& entries, const std::vector<PlannedModel>& planned,
                           bool quiet, const WorkerCommand& command, std::size_t workers);

// The worker's side: converts the share sent on standard input as the
// options say, one record a model on standard output. Returns the exit status.
int run_worker(const Options& options, const std::vector<NamedAnimations>& animations, bool third_game);
