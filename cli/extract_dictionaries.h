#pragma once
// --extract: every texture of the named dictionaries as PNG files, beside each
// dictionary or under -o; no model is converted.

#include "cli/jobs.h"
#include "cli/options.h"

class GameCatalog;

// One line a dictionary (how many PNG files went where), its problems, then a
// summary, on stderr. With more than one job the dictionaries are shared out
// to worker processes (command), their lines told in the catalog's order, as
// one process would. Returns the exit status: 0 when every dictionary was
// extracted whole.
int extract_dictionaries(const Options& options, const GameCatalog& catalog, int jobs, const WorkerCommand& command);

// The worker's side: extracts the dictionaries of the catalog (built from the
// same command line) whose places come on standard input, one record each on
// standard output. Returns the exit status.
int run_extract_worker(const Options& options, const GameCatalog& catalog);
