#pragma once
// Binary placement files ("bnry") laid out from records, for the tests.

#include <cstdint>
#include <string>
#include <vector>

struct BinaryInstance {
    float position[3];
    float rotation[4];  // x, y, z, w as stored
    std::int32_t id, interior, lod;
};

// The 76-byte header and the records; count_override, when not negative,
// is written as the instance count instead of the true one.
std::string binary_placement(const std::vector<BinaryInstance>& records, std::int64_t count_override = -1);
