#pragma once
// The one place a texture's name becomes a file name, so that the MTL file's
// map_Kd / map_d lines and the PNG files written for them always agree.

#include <string>

// The texture's name as a file name no file system refuses and that stays in
// its folder: control characters, separators and the other reserved
// characters become '_', a trailing '.' or ' ' (which Windows drops) becomes
// '_', and a device name (con, nul, com1, ...) gets a '_' appended. Empty when
// the name cannot be made one ("", ".", "..").
std::string texture_file_stem(const std::string& texture);

// texture_file_stem with ".png"; empty when the stem is.
std::string texture_file_name(const std::string& texture);
