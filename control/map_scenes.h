#pragma once
// --map with --game: one scene per placement file the game's data files name
// (IPL lines of .ipl files; zone files hold no instances), each with the
// stream files of it that the game's archives hold, written under the output
// folder where placement_scene_path puts it. Named --map values choose among
// them: "all" takes every one, another value the files whose path as the data
// file writes it, whose path in the game's folder or whose file name it is,
// without case and with '\' or '/'.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "game/archive.h"
#include "game/file_source.h"
#include "game/game_files.h"

struct GameScene {
    std::string title;  // the text placement file, as --inspect heads its lines
    std::vector<FileSource> placement_files;  // the text file first, then its stream files
    std::filesystem::path obj_path;
};

struct GameScenes {
    std::vector<GameScene> scenes;
    std::vector<std::string> messages;  // values that choose nothing, scenes that would share a file
};

GameScenes game_scenes(const GameFiles& game, const std::vector<std::string>& chosen,
                       const std::vector<std::pair<std::string, ArchiveDirectory>>& archives,
                       const std::filesystem::path& output_dir);
