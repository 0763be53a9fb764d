#pragma once
// --extract: every texture of the named dictionaries as PNG files, beside each
// dictionary or under -o; no model is converted.

#include "cli/jobs.h"
#include "cli/jobs_option.h"
#include "cli/options.h"

// One line a dictionary (how many PNG files went where), its problems, then a
// summary, on stderr. With more than one job, the dictionaries are shared out
// to worker processes (command), their lines told in the order of the list.
// Returns the exit status: 0 when every dictionary was extracted whole.
int extract_dictionaries(const Options& options, const JobsOptions& jobs, const WorkerCommand& command);

// The worker's side: extracts the share sent on standard input, one record a
// dictionary on standard output. Returns the exit status.
int run_extract_worker(const Options& options);
