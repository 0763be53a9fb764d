#pragma once
// PNG output of decoded textures. A PNG is written whole under a temporary name
// beside the target, then renamed over it: no reader ever sees half a file.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "export/png_encoder.h"

// Writes bytes to target through a temporary file in the same folder.
// false with the reason in why; the target is then as it was.
bool write_file_whole(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes, std::string& why);

// encode_png, then write_file_whole.
bool write_png_file(const std::filesystem::path& target, const std::vector<std::uint8_t>& rgba, std::uint32_t width,
                    std::uint32_t height, bool alpha, std::string& why);
