#include "support/gltf_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/model_builder.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::uint32_t u32(const std::string& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

std::size_t components(const std::string& type) {
    return type == "SCALAR" ? 1 : type == "VEC2" ? 2 : type == "VEC3" ? 3 : type == "MAT4" ? 16 : 4;
}
std::size_t component_size(int type) { return type == 5126 || type == 5125 ? 4 : type == 5123 ? 2 : 1; }

}  // namespace

Gltf read_glb(const fs::path& file) {
    const std::string bytes = read_file(file);
    Gltf g;
    EXPECT_GE(bytes.size(), 20u);
    EXPECT_EQ(bytes.substr(0, 4), "glTF");
    EXPECT_EQ(u32(bytes, 4), 2u);
    EXPECT_EQ(u32(bytes, 8), bytes.size());
    const std::uint32_t json_length = u32(bytes, 12);
    EXPECT_EQ(bytes.substr(16, 4), "JSON");
    g.doc = json::parse(bytes.substr(20, json_length));
    const std::size_t bin_at = 20 + json_length;
    if (bin_at < bytes.size()) {
        EXPECT_EQ(bytes.substr(bin_at + 4, 4), std::string("BIN\0", 4));
        g.bin = bytes.substr(bin_at + 8, u32(bytes, bin_at));
        EXPECT_EQ(bin_at + 8 + g.bin.size(), bytes.size());
    }
    return g;
}

Gltf read_gltf(const fs::path& file) {
    Gltf g;
    g.doc = json::parse(read_file(file));
    if (g.doc.contains("buffers")) g.bin = read_file(file.parent_path() / g.doc["buffers"][0]["uri"].get<std::string>());
    return g;
}

std::vector<double> numbers(const Gltf& g, int a) {
    const json& acc = g.doc["accessors"][a];
    const json& view = g.doc["bufferViews"][acc["bufferView"].get<int>()];
    const std::size_t n = acc["count"].get<std::size_t>() * components(acc["type"]);
    const int type = acc["componentType"];
    const std::size_t size = component_size(type), at = view["byteOffset"];
    EXPECT_EQ(view["byteLength"].get<std::size_t>(), n * size);
    EXPECT_LE(at + n * size, g.bin.size());
    EXPECT_EQ(at % 4, 0u);
    std::vector<double> out;
    for (std::size_t i = 0; i < n && at + (i + 1) * size <= g.bin.size(); ++i) {
        const char* p = g.bin.data() + at + i * size;
        if (type == 5126) {
            float f;
            std::memcpy(&f, p, 4);
            out.push_back(f);
        } else if (type == 5125) {
            out.push_back(u32(g.bin, at + i * size));
        } else if (type == 5123) {
            std::uint16_t v;
            std::memcpy(&v, p, 2);
            out.push_back(acc.value("normalized", false) ? v / 65535.0 : v);
        } else {
            out.push_back(static_cast<unsigned char>(*p));
        }
    }
    return out;
}

Matrix times(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k) m[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
    return m;
}


Matrix node_matrix(const nlohmann::json& node) {
    // glTF refuses a matrix that is not exactly a rotation and a scale: the program writes none.
    EXPECT_FALSE(node.contains("matrix")) << node.dump();
    const nlohmann::json t = node.value("translation", nlohmann::json({0, 0, 0}));
    const nlohmann::json q = node.value("rotation", nlohmann::json({0, 0, 0, 1}));
    const nlohmann::json s = node.value("scale", nlohmann::json({1, 1, 1}));
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    EXPECT_NEAR(x * x + y * y + z * z + w * w, 1, 1e-6) << node.dump();
    const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                            {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                            {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    Matrix m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) m[4 * c + row] = r[row][c] * s[c].get<double>();
        m[12 + c] = t[c];
    }
    return m;
}
