#include "cli/convert_in_order.h"

#include <chrono>

#include "cli/console_session.h"
#include "cli/output_place.h"
#include "cli/progress_line.h"
#include "cli/terminal.h"

namespace {

std::string count_of(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
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

std::size_t models_to_convert(const std::vector<PlannedModel>& planned) {
    std::size_t n = 0;
    for (const auto& p : planned) n += p.convert;
    return n;
}

}  // namespace

void Tally::count(ModelOutcome outcome) {
    switch (outcome) {
    case ModelOutcome::clean: ++clean; break;
    case ModelOutcome::doubtful: ++doubtful; break;
    case ModelOutcome::failed: ++failed; break;
    }
}

std::string Tally::summary() const {
    std::string text = count_of(models, "model", "models") + ": " + std::to_string(clean) + " clean, " +
                       std::to_string(doubtful) + " doubtful, " + std::to_string(failed) + " failed";
    if (empty_folders) text += "; " + count_of(empty_folders, "folder", "folders") + " without models";
    if (skipped) text += "; " + count_of(skipped, "file", "files") + " skipped";
    return text;
}

bool Tally::all_clean() const { return doubtful == 0 && failed == 0 && empty_folders == 0 && models > 0; }

ModelJob job_for(const Options& options, const std::string& model, const std::string& output_folder,
                 const std::string& obj_path) {
    ModelJob job;
    job.model_path = model;
    job.button_id = options.button_id;
    job.output_folder = output_folder;
    job.obj_path = obj_path;
    job.quiet = options.verbosity == Verbosity::quiet;
    job.exact_text = options.exact_text;
    job.textures = !options.no_textures;
    job.dictionaries = options.textures;
    job.formats = options.formats;
    job.local = options.local;
    job.night = options.night;
    job.animation_names = options.animation_names;
    job.collision = options.collision;
    job.effects = options.effects;
    job.verbose = options.verbosity == Verbosity::verbose;
    return job;
}

std::vector<PlannedModel> plan_models(const std::vector<ModelEntry>& entries, const Options& options) {
    OutputPlan plan(options.output_dir.empty() ? "" : absolute_path(options.output_dir));
    std::vector<PlannedModel> planned(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ModelEntry& m = entries[i];
        PlannedModel& p = planned[i];
        if (m.kind != ModelEntry::Kind::model || !m.error.empty()) continue;
        p.job = job_for(options, m.path, plan.folder_for(m), plan.obj_path_for(m));
        if (m.in_archive()) {
            p.job.entry = {m.entry.file.string(), m.entry.start, m.entry.length, m.entry_name, m.file_name};
            // Shared by the archive's models: the output's top, not each model's folder.
            p.job.texture_root = options.output_dir.empty() ? m.archive_folder : absolute_path(options.output_dir);
        } else if (!options.game_dir.empty()) {
            p.job.texture_root = absolute_path(options.output_dir);
        }
        std::string first = plan.claim(p.job.obj_path, m.path);
        if (!first.empty())
            p.clash = first == m.path ? "named more than once" : p.job.obj_path + " is already the OBJ file of " + first;
        p.convert = p.clash.empty();
    }
    return planned;
}

Tally convert_in_order(const std::vector<ModelEntry>& entries, const std::vector<PlannedModel>& planned,
                       bool quiet, const std::function<ModelOutcome(std::size_t, const ModelJob&)>& convert) {
    Tally tally;
    Progress progress(models_to_convert(planned), !quiet);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ModelEntry& m = entries[i];
        if (m.kind == ModelEntry::Kind::skipped) {
            if (!quiet) say(m.path + ": " + m.error);
            ++tally.skipped;
            continue;
        }
        if (m.kind == ModelEntry::Kind::directory) continue;
        if (m.kind == ModelEntry::Kind::notice) {
            say(m.path + ": " + m.error);
            continue;
        }
        if (m.kind == ModelEntry::Kind::empty_folder) {
            say(m.path + ": " + m.error);
            ++tally.empty_folders;
            continue;
        }
        ++tally.models;
        if (!m.error.empty()) {
            if (m.in_archive()) tally.count(model_failed(m.path, m.error));
            else say(m.path + ": " + m.error), ++tally.failed;
            continue;
        }
        if (!planned[i].convert) {
            tally.count(model_failed(m.path, planned[i].clash));
            continue;
        }
        progress.before(m.path);
        tally.count(convert(i, planned[i].job));
        progress.after();
    }
    return tally;
}
