#pragma once
// -j N / --jobs N: how many models are converted at once. Taken out of the
// arguments before the other options are parsed; everything else passes on.

#include <string>
#include <vector>

struct JobsOptions {
    int jobs = 0;         // models at once; 0 for one per processor core
    bool worker = false;  // started by another vorlund-obj as one of its workers
};

// The hidden option that makes a process a worker (see jobs.h).
extern const char worker_option[];

// Takes -j N, -jN, --jobs N, --jobs=N and the worker option out of argv, up to
// "--"; the other arguments go to rest in their order, argv[0] first, ending in
// a null pointer as argv does. 1 on success; 0 on a usage error, with error set.
int take_jobs_options(int argc, char** argv, JobsOptions& jobs, std::vector<char*>& rest,
                      std::string& error);
