#pragma once
// The text of the --inspect option: a model file's chunk tree, then what the
// structure reader makes of it, then the first damage or "well-formed".
// The same text on every platform: integers only, no locale, no addresses.

#include <cstdint>
#include <string>

std::string inspect_model(const std::uint8_t* bytes, std::uint32_t size);
