#pragma once
// --extract: every texture of the named dictionaries as PNG files, beside each
// dictionary or under -o; no model is converted.

#include "cli/options.h"

class GameCatalog;

// One line a dictionary (how many PNG files went where), its problems, then a
// summary, on stderr. Returns the exit status: 0 when every dictionary was
// extracted whole.
int extract_dictionaries(const Options& options, const GameCatalog& catalog);
