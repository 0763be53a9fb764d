#pragma once
// --map: the placement files named written as one scene under -o, or with
// --inspect their instances listed. Models and dictionaries are found by name
// in the run's catalog: the models, folders and archives named, the game's.

#include "cli/options.h"

class GameCatalog;

// Returns the exit status: 0 when every instance resolved and every model
// converted clean.
int convert_map(const Options& options, const GameCatalog& catalog);
