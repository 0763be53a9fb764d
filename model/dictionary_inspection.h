#pragma once
// The text of --inspect for a texture dictionary: its version, then each
// texture read (name, platform, size, depth, pixel format or palette, whether
// swizzled, levels), then every damage with its offset, or "well-formed".
// The same text on every platform.

#include <cstdint>
#include <string>

std::string inspect_dictionary(const std::uint8_t* bytes, std::uint32_t size);
