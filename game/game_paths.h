#pragma once
// The game's files name each other by paths written for another file system:
// '\' between parts and any letter case. On a case-sensitive file system each
// part is found by comparing names without case.

#include <filesystem>
#include <string>
#include <string_view>

// The file or folder that written names under root, or empty when there is none.
// An exact spelling is taken first; ".." and absolute paths are refused: the
// game's files name nothing outside its folder.
std::filesystem::path resolve_game_path(const std::filesystem::path& root, std::string_view written);

// Where the scene of a game's placement file goes under the output folder,
// from the file's path relative to the game's folder: in lower case, with '/',
// without a leading "data/" (the game keeps its maps in data/maps/), the
// extension ".obj": "DATA/MAPS/country/countN2.IPL" gives
// "maps/country/countn2.obj". Empty for an empty path.
std::string placement_scene_path(std::string_view relative);
