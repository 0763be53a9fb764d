#pragma once
// glTF files read back for the tests: the JSON and the binary buffer of a
// .glb (checking its container) or of a .gltf with its .bin, and an
// accessor's numbers.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct Gltf {
    nlohmann::json doc;
    std::string bin;
};

Gltf read_glb(const std::filesystem::path& file);
Gltf read_gltf(const std::filesystem::path& file);

// Accessor a's numbers as doubles (normalized ones as fractions), each checked to lie in its view.
std::vector<double> numbers(const Gltf& g, int a);

using Matrix = std::array<double, 16>;  // column-major

Matrix times(const Matrix& a, const Matrix& b);

// A node's translation, rotation and scale as one column-major matrix; a
// node with a matrix fails the test.
Matrix node_matrix(const nlohmann::json& node);
