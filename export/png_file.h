#pragma once
// PNG output of decoded textures. A PNG is written whole under a temporary name
// beside the target, then renamed over it: no reader ever sees half a file.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Encodes width x height RGBA pixels (rows from the top) as a PNG in memory:
// RGBA when alpha is true, otherwise RGB with the alpha bytes dropped.
// false when the encoder fails.
bool encode_png(const std::vector<std::uint8_t>& rgba, std::uint32_t width, std::uint32_t height, bool alpha,
                std::vector<std::uint8_t>& png);

// Writes bytes to target through a temporary file in the same folder.
// false with the reason in why; the target is then as it was.
bool write_file_whole(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes, std::string& why);

// encode_png, then write_file_whole.
bool write_png_file(const std::filesystem::path& target, const std::vector<std::uint8_t>& rgba, std::uint32_t width,
                    std::uint32_t height, bool alpha, std::string& why);
