#pragma once
// The run over the model list: each model's lines in list order, the
// progress line on a terminal, the outcomes counted for the summary.

#include <cstddef>
#include <functional>
#include <vector>

#include "cli/convert_model.h"
#include "cli/model_list.h"

struct Tally {
    std::size_t clean = 0, doubtful = 0, failed = 0;
    void count(ModelOutcome outcome);
};

// Says why each entry with an error cannot be converted and calls convert
// (with the entry's index in models) for the others, in order.
Tally convert_in_order(const std::vector<ModelEntry>& models,
                       const std::function<ModelOutcome(std::size_t, const ModelEntry&)>& convert);
