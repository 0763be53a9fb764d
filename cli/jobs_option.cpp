#include "cli/jobs_option.h"

#include <cstring>

const char worker_option[] = "--jobs-worker";

namespace {

// A whole number from 1; more jobs than models are never started, so a
// handful of digits is plenty.
bool parse_count(const char* text, int& count) {
    std::size_t length = std::strlen(text);
    if (length == 0 || length > 6) return false;
    int n = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        n = n * 10 + (*c - '0');
    }
    if (n < 1) return false;
    count = n;
    return true;
}

// The value of a jobs option starting at argv[i], or null when arg is not one.
// Moves i past a value given as the next argument.
const char* jobs_value(int argc, char** argv, int& i, bool& missing) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "-j") == 0 || std::strcmp(arg, "--jobs") == 0) {
        if (i + 1 == argc) {
            missing = true;
            return arg;
        }
        return argv[++i];
    }
    if (std::strncmp(arg, "--jobs=", 7) == 0) return arg + 7;
    if (std::strncmp(arg, "-j", 2) == 0) return arg + 2;
    return nullptr;
}

}  // namespace

int take_jobs_options(int argc, char** argv, JobsOptions& jobs, std::vector<char*>& rest,
                      std::string& error) {
    rest.assign(argv, argv + (argc > 0 ? 1 : 0));
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (options_ended || arg[0] != '-') {
            rest.push_back(argv[i]);
            continue;
        }
        if (std::strcmp(arg, "--") == 0) options_ended = true;
        if (std::strcmp(arg, worker_option) == 0) {
            jobs.worker = true;
            continue;
        }
        // A button's value is never taken for an option.
        if ((std::strcmp(arg, "-b") == 0 || std::strcmp(arg, "--button") == 0) && i + 1 < argc) {
            rest.push_back(argv[i]);
            rest.push_back(argv[++i]);
            continue;
        }
        bool missing = false;
        const char* value = jobs_value(argc, argv, i, missing);
        if (!value) {
            rest.push_back(argv[i]);
        } else if (missing) {
            error = std::string("option '") + value + "' needs a number of jobs";
            return 0;
        } else if (!parse_count(value, jobs.jobs)) {
            error = std::string("invalid number of jobs '") + value + "' (a whole number from 1)";
            return 0;
        }
    }
    rest.push_back(nullptr);
    return 1;
}
