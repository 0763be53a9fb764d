// make_city: writes a generated city for timing map scenes, the same bytes for
// the same seed: MODELS map objects (3,000 by default) in FOLDER/models with
// ten texture dictionaries, their item definitions FOLDER/city.ide, and
// INSTANCES placements (30,000) across twenty placement files
// FOLDER/maps/districtNN.ipl, each a district of a 5 x 4 grid.
//
// Usage: make_city FOLDER [MODELS [INSTANCES [SEED]]]
//
// Each model is a building: a box of 2 to 20 m a side and 4 to 60 m high,
// every side a grid of 1 to 4 squares a side, one texture of its dictionary.
// Placements stand on a jittered grid, turned about Z by any angle; one in
// fifty is a stand-in far-view copy that a detailed one names by its lod field.
// One definition in seven turns backface culling off (flag 0x200000).

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/dictionary_builder.h"
#include "support/model_builder.h"
#include "support/model_layout.h"

namespace fs = std::filesystem;

namespace {

constexpr int dictionaries = 10, textures_per_dictionary = 8, districts = 20;

struct Random {
    std::mt19937_64 engine;
    explicit Random(std::uint64_t seed) : engine(seed) {}
    int range(int low, int high) { return low + static_cast<int>(engine() % std::uint64_t(high - low + 1)); }
    float unit() { return float(engine() % 1000000) / 1000000.0f; }
};

// One side of the box: an n x n grid from corner o along u and v, facing out.
void add_side(GeometryLayout& g, const float o[3], const float u[3], const float v[3], const float normal[3], int n) {
    auto first = static_cast<std::uint16_t>(g.positions.size() / 3);
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            float a = float(i) / float(n), b = float(j) / float(n);
            for (int k = 0; k < 3; ++k) g.positions.push_back(o[k] + a * u[k] + b * v[k]);
            g.normals.insert(g.normals.end(), normal, normal + 3);
            g.uvs.push_back(a), g.uvs.push_back(b);
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            auto p = static_cast<std::uint16_t>(first + j * (n + 1) + i);
            auto q = static_cast<std::uint16_t>(p + 1), r = static_cast<std::uint16_t>(p + n + 2),
                 s = static_cast<std::uint16_t>(p + n + 1);
            g.triangles.push_back({p, q, r, 0});
            g.triangles.push_back({p, r, s, 0});
        }
}

GeometryLayout building(Random& r, const std::string& texture) {
    GeometryLayout g;
    g.flags = geometry_positions | geometry_normals | geometry_textured;
    float w = float(r.range(2, 20)), d = float(r.range(2, 20)), h = float(r.range(4, 60));
    int n = r.range(1, 4);
    float x = -w / 2, y = -d / 2;
    const float sides[6][4][3] = {
        {{x, y, 0}, {w, 0, 0}, {0, 0, h}, {0, -1, 0}},      {{x + w, y + d, 0}, {-w, 0, 0}, {0, 0, h}, {0, 1, 0}},
        {{x + w, y, 0}, {0, d, 0}, {0, 0, h}, {1, 0, 0}},   {{x, y + d, 0}, {0, -d, 0}, {0, 0, h}, {-1, 0, 0}},
        {{x, y, h}, {w, 0, 0}, {0, d, 0}, {0, 0, 1}},       {{x, y + d, 0}, {w, 0, 0}, {0, -d, 0}, {0, 0, -1}},
    };
    for (const auto& s : sides) add_side(g, s[0], s[1], s[2], s[3], n);
    g.materials = {MaterialLayout{{255, 255, 255, 255}, texture, ""}};
    return g;
}

TextureLayout facade(const std::string& name, Random& r) {
    TextureLayout t;
    t.name = name, t.width = 8, t.height = 8, t.raster_format = 0x600, t.format = 22;
    std::vector<std::uint8_t> pixels;
    const int base[3] = {r.range(60, 200), r.range(60, 200), r.range(60, 200)};
    for (int i = 0; i < 64; ++i) {
        bool window = (i / 8) % 3 == 1 && (i % 8) % 3 == 1;
        for (int k = 0; k < 3; ++k) pixels.push_back(std::uint8_t(window ? 40 : base[k]));
        pixels.push_back(255);
    }
    t.levels = {pixels};
    return t;
}

void write_bytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_city FOLDER [MODELS [INSTANCES [SEED]]]\n");
        return 2;
    }
    const fs::path folder = argv[1];
    const int models = argc > 2 ? std::atoi(argv[2]) : 3000;
    const int instances = argc > 3 ? std::atoi(argv[3]) : 30000;
    Random r(argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 20);
    if (models < 1 || instances < districts) {
        std::fprintf(stderr, "make_city: at least 1 model and %d instances\n", districts);
        return 2;
    }
    fs::create_directories(folder / "models");
    fs::create_directories(folder / "maps");

    std::uint64_t model_bytes = 0;
    for (int d = 0; d < dictionaries; ++d) {
        std::vector<TextureLayout> textures;
        for (int t = 0; t < textures_per_dictionary; ++t) textures.push_back(facade("facade" + std::to_string(t), r));
        write_bytes(folder / "models" / ("city" + std::to_string(d) + ".txd"), build_dictionary(textures));
    }
    std::ofstream ide(folder / "city.ide");
    ide << "objs\n";
    for (int m = 0; m < models; ++m) {
        char name[16];
        std::snprintf(name, sizeof name, "b%04d", m);
        int dictionary = m % dictionaries;
        ModelLayout layout = single_geometry_model(
            building(r, "facade" + std::to_string(r.range(0, textures_per_dictionary - 1))));
        layout.clumps[0].frames[0].name = name;
        std::vector<std::uint8_t> bytes = build_model(layout);
        model_bytes += bytes.size();
        write_bytes(folder / "models" / (std::string(name) + ".dff"), bytes);
        // The last tenth are far-view stand-ins: drawn far, named by detailed instances.
        ide << 1000 + m << ", " << name << ", city" << dictionary << ", " << (m >= models - models / 10 ? 1500 : 200)
            << ", " << (m % 7 == 3 ? 2097152 : 0) << "\n";
    }
    ide << "end\n";

    const int per_district = instances / districts, columns = 5;
    const int side = int(std::ceil(std::sqrt(double(per_district))));
    const float spacing = 30, district_size = spacing * float(side);
    const int detailed = models - models / 10;
    for (int d = 0; d < districts; ++d) {
        char name[32];
        std::snprintf(name, sizeof name, "district%02d.ipl", d);
        std::ofstream ipl(folder / "maps" / name);
        ipl << "# generated district " << d << "\ninst\n";
        const float ox = float(d % columns) * district_size, oy = float(d / columns) * district_size;
        int count = per_district + (d == districts - 1 ? instances - per_district * districts : 0);
        for (int i = 0; i < count; ++i) {
            bool stand_in_next = i + 1 < count && i % 50 == 0 && detailed < models;
            int model = stand_in_next ? detailed + r.range(0, models - detailed - 1) : r.range(0, std::max(detailed, 1) - 1);
            float x = ox + spacing * float(i % side) + r.unit() * 4, y = oy + spacing * float(i / side) + r.unit() * 4;
            float angle = r.unit() * 6.2831853f;
            // Stored as the inverse turn: (0, 0, -sin, cos) of half the angle.
            ipl << 1000 + model << ", b" << (model < 10 ? "000" : model < 100 ? "00" : model < 1000 ? "0" : "") << model
                << ", 0, " << x << ", " << y << ", 0, 0, 0, " << -std::sin(angle / 2) << ", " << std::cos(angle / 2)
                << ", " << (i % 50 == 1 && detailed < models ? i - 1 : -1) << "\n";
        }
        ipl << "end\n";
    }
    std::printf("%d models (%llu bytes) in %d dictionaries, %d instances in %d placement files under %s\n", models,
                static_cast<unsigned long long>(model_bytes), dictionaries, instances, districts, folder.string().c_str());
    return 0;
}
