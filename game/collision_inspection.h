#pragma once
// A collision file as --inspect lists it: a line a model (name, id, version,
// counts, flags, bounds), a line a skipped record, its warnings.

#include <string>

#include "game/collision_file.h"

std::string collision_inspection_text(const CollisionFile& file);
