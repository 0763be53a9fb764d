#pragma once
// The character sample: a small figure of boxes bound to a skeleton of ten
// bones, stored as real characters are: its points in the pelvis bone's space
// and its frames lying on their back, so that only the skin stands it up.

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> character_model();
