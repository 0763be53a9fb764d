// vorlund-obj: converts models from the command line with the window's commands.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/console_session.h"
#include "cli/convert_model.h"
#include "cli/model_list.h"
#include "cli/options.h"
#include "cli/output_place.h"
#include "cli/progress_line.h"
#include "cli/terminal.h"
#include "control/structure_conversion.h"
#include "control/version.h"

namespace {

constexpr int exit_clean = 0, exit_not_clean = 1, exit_usage = 2;

struct RunCounts {
    std::size_t models = 0, clean = 0, doubtful = 0, failed = 0;
    std::size_t empty_folders = 0, skipped = 0;
};

std::string count_of(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string summary(const RunCounts& c) {
    std::string text = count_of(c.models, "model", "models") + ": " + std::to_string(c.clean) + " clean, " +
                       std::to_string(c.doubtful) + " doubtful, " + std::to_string(c.failed) + " failed";
    if (c.empty_folders) text += "; " + count_of(c.empty_folders, "folder", "folders") + " without models";
    if (c.skipped) text += "; " + count_of(c.skipped, "file", "files") + " skipped";
    return text;
}

// Options that are understood but whose work is not part of this build yet.
const char* unavailable_option(const Options& o) {
    if (o.inspect) return "--inspect";
    if (!o.textures.empty()) return "--textures";
    if (o.no_textures) return "--no-textures";
    if (o.extract) return "--extract";
    return nullptr;
}

// The progress line before each model: only on a terminal, with several models.
class Progress {
public:
    Progress(std::size_t total, bool wanted) : total_(total), shown_(wanted && total > 1 && stderr_is_terminal()) {}

    void before(const std::string& model) const {
        if (!shown_) return;
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
        show_progress(progress_line(done_, total_, elapsed.count(), model, terminal_columns()));
    }
    void after() { ++done_; }
    ~Progress() { clear_progress(); }

private:
    std::size_t total_, done_ = 0;
    bool shown_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

std::size_t models_to_convert(const std::vector<ModelEntry>& entries) {
    std::size_t n = 0;
    for (const auto& e : entries) n += e.kind == ModelEntry::Kind::model && e.error.empty();
    return n;
}

// One model to convert: its output path must be its own in this run.
ModelOutcome convert_entry(const ModelEntry& m, const Options& options, OutputPlan& plan) {
    ModelJob job;
    job.model_path = m.path;
    job.button_id = options.button_id;
    job.output_folder = plan.folder_for(m);
    job.obj_path = plan.obj_path_for(m);
    job.quiet = options.verbosity == Verbosity::quiet;
    job.exact_text = options.exact_text;
    std::string first = plan.claim(job.obj_path, m.path);
    if (!first.empty())
        return model_failed(m.path, first == m.path ? "named more than once"
                                                    : job.obj_path + " is already the OBJ file of " + first);
    return convert_model(job);
}

RunCounts convert_all(const std::vector<ModelEntry>& entries, const Options& options) {
    RunCounts counts;
    const bool quiet = options.verbosity == Verbosity::quiet;
    OutputPlan plan(options.output_dir.empty() ? "" : absolute_path(options.output_dir));
    Progress progress(models_to_convert(entries), !quiet);
    for (const ModelEntry& m : entries) {
        if (m.kind == ModelEntry::Kind::skipped) {
            if (!quiet) say(m.path + ": " + m.error);
            ++counts.skipped;
            continue;
        }
        if (m.kind == ModelEntry::Kind::empty_folder) {
            say(m.path + ": " + m.error);
            ++counts.empty_folders;
            continue;
        }
        ++counts.models;
        if (!m.error.empty()) {
            say(m.path + ": " + m.error);
            ++counts.failed;
            continue;
        }
        progress.before(m.path);
        switch (convert_entry(m, options, plan)) {
        case ModelOutcome::clean: ++counts.clean; break;
        case ModelOutcome::doubtful: ++counts.doubtful; break;
        case ModelOutcome::failed: ++counts.failed; break;
        }
        progress.after();
    }
    return counts;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
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
    if (const char* option = unavailable_option(options)) {
        say(std::string("option '") + option + "' is not available in this build");
        return exit_usage;
    }

    start_console_session(options.verbosity == Verbosity::verbose);
    set_structure_local(options.local);
    std::vector<ModelEntry> models = list_models(options.paths, options.recursive, options.first_literal_path);
    RunCounts counts = convert_all(models, options);
    say(summary(counts));
    bool all_clean = counts.doubtful == 0 && counts.failed == 0 && counts.empty_folders == 0 && counts.models > 0;
    return all_clean ? exit_clean : exit_not_clean;
}
