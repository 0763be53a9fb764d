#pragma once
// --extract: the dictionaries that the named files, folders, archives and
// --game stand for, in the order they are extracted, each with the folder its
// PNG files go to; and in their places the lines that say what was not found.

#include <string>
#include <vector>

#include "cli/options.h"
#include "control/texture_export.h"

struct ExtractEntry {
    // A dictionary to extract when line is empty; otherwise a line to say in
    // its place (an archive's damage, a folder without dictionaries).
    DictionarySource source;
    std::string name;   // how its lines name it: as named, or ARCHIVE/ENTRY
    std::string line;
    bool failure = false;  // the line stands for a dictionary not extracted
};

// Every dictionary, folders made: with one dictionary its PNGs go beside it
// (or under -o) as they always have; with more, each dictionary's into a
// folder of its own, ROOT/textures/NAME (lower case, as a game's conversion
// names them), ROOT being -o or the dictionary's folder. An archive's always
// go to ROOT/textures/NAME, ROOT being -o or a folder named after the archive.
std::vector<ExtractEntry> list_dictionaries(const Options& options);
