#pragma once
// --collision by name: the game's collision files (COLFILE lines, .col
// entries of its archives, .col files named), read once on first use, each
// record under its name without case; a later record of a name replaces an
// earlier one. The file's or entry's name and the stored id never decide.

#include <string>
#include <vector>

#include "game/collision_file.h"
#include "game/file_source.h"

// The files to look in, for this process's conversions.
void set_collision_sources(const std::vector<FileSource>& sources);

// The record named name (without case), or null.
const CollisionModel* collision_by_name(const std::string& name);
