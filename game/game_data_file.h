#pragma once
// The game's data files (data/gta.dat, data/default.dat): one directive a
// line, naming the files the game loads. Paths stay as written (with '\' and
// in any case); game_paths.h finds them on disk.

#include <string>
#include <string_view>
#include <vector>

#include "game/item_definitions.h"

struct GamePath {
    std::string path;  // as written
    std::size_t line = 0;
};

struct GameDataFile {
    std::vector<GamePath> item_definitions;     // IDE
    std::vector<GamePath> archives;             // IMG (the main models\gta3.img is never listed)
    std::vector<GamePath> shared_dictionaries;  // TEXDICTION
    std::vector<GamePath> model_files;          // MODELFILE
    std::vector<GamePath> placements;           // IPL
    std::vector<GamePath> collision_files;      // COLFILE n PATH: the path after the level digit n
    std::vector<SkippedLine> skipped;           // a known directive without its path
};

// Reads a data file's text. Directives are compared without case; others
// (SPLASH, HIERFILE, ...) are passed over.
GameDataFile read_game_data_file(std::string_view text);
