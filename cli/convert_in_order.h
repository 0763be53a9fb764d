#pragma once
// The run over the model list: what each entry becomes, each model's lines in
// list order, the progress line on a terminal, the outcomes counted for the
// summary. Whether a model converts here or in a worker is the caller's choice.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cli/convert_model.h"
#include "control/model_list.h"
#include "cli/options.h"

struct Tally {
    std::size_t models = 0, clean = 0, doubtful = 0, failed = 0;
    std::size_t empty_folders = 0, skipped = 0;  // not models
    void count(ModelOutcome outcome);
    std::string summary() const;
    bool all_clean() const;
};

// What the run does with one entry of the list: for a model to convert, its
// job; clash says why its output path is not its own, and then it is not converted.
struct PlannedModel {
    bool convert = false;
    ModelJob job;
    std::string clash;
};

// The job for one model as the options ask for it.
ModelJob job_for(const Options& options, const std::string& model, const std::string& output_folder,
                 const std::string& obj_path);

// Plans every entry in list order, so that two models landing on one OBJ file
// fail the second one whichever process converts them.
std::vector<PlannedModel> plan_models(const std::vector<ModelEntry>& entries, const Options& options);

// Tells about each entry in order and calls convert (with the entry's index)
// for the models to convert.
Tally convert_in_order(const std::vector<ModelEntry>& entries, const std::vector<PlannedModel>& planned,
                       bool quiet, const std::function<ModelOutcome(std::size_t, const ModelJob&)>& convert);
