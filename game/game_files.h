#pragma once
// The files a game's data files (data/default.dat, data/gta.dat) name, found
// in its folder without case and never outside it: item definitions, archives
// (models/gta3.img, which no data file lists, first), shared dictionaries,
// loose models and, when asked for, placement files; each once however often
// it is named.

#include <filesystem>
#include <string>
#include <vector>

struct GameFile {
    std::filesystem::path file;  // as found on disk
    std::string written;         // as the data file writes it
};

struct GameFiles {
    std::filesystem::path root;  // the game's folder, absolute
    bool read = false;           // one of its data files was read
    std::vector<GameFile> item_definitions, archives, shared_dictionaries, model_files, placements;
    std::vector<GameFile> collision_files;  // COLFILE
    // The third game: its version-1 collision records are read with its own
    // surface table. Told by data/surfinfo.dat (where it names its surfaces)
    // or a version-2 archive ("VER2"), which only it has: a name looked up and
    // four bytes an archive; either will do, as a trimmed copy may lack one.
    bool third_game = false;
    std::vector<std::string> messages;  // each path that is not there, with its data file and line
};

GameFiles find_game_files(const std::string& folder, bool placements);
