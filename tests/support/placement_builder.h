#pragma once
// Binary placement files ("bnry") laid out from records, for the tests.

#include <cstdint>
#include <string>
#include <vector>

#include "support/model_layout.h"

struct BinaryInstance {
    float position[3];
    float rotation[4];  // x, y, z, w as stored
    std::int32_t id, interior, lod;
};

// A map object of three atomics on frames that move and turn them (which a
// map does not apply): NAME_L0 with first vertex (1, 2, 3), NAME_L1 and
// NAME_dam. One triangle each, with normals, UVs and one material.
ModelLayout map_object_layout(const std::string& name, const std::string& texture);

// The 76-byte header and the records; count_override, when not negative,
// is written as the instance count instead of the true one.
std::string binary_placement(const std::vector<BinaryInstance>& records, std::int64_t count_override = -1);
