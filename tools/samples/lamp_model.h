#pragma once
// The street lamp sample: a stone base, a metal post, an arm and a hanging
// lantern head, each its own geometry placed by a chain of frames. Its
// textures are in the dictionary lamp_textures.h makes.

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> lamp_model();
