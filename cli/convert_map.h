#pragma once
// --map: the placement files named written as one scene under -o, or with
// --inspect their instances listed. Models and dictionaries are found by name
// among the models and folders named.

#include "cli/options.h"

// Returns the exit status: 0 when every instance resolved and every model
// converted clean.
int convert_map(const Options& options);
