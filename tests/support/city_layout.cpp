#include "support/city_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

#include "support/dictionary_builder.h"
#include "support/model_builder.h"
#include "support/model_layout.h"

namespace {

constexpr int textures_per_dictionary = 8;

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

}  // namespace

City make_city_layout(int models, int instances, std::uint64_t seed) {
    City city;
    Random r(seed);
    for (int d = 0; d < city_dictionaries; ++d) {
        std::vector<TextureLayout> textures;
        for (int t = 0; t < textures_per_dictionary; ++t) textures.push_back(facade("facade" + std::to_string(t), r));
        city.dictionaries.push_back({"city" + std::to_string(d) + ".txd", build_dictionary(textures)});
    }
    std::ostringstream ide;
    ide << "objs\n";
    for (int m = 0; m < models; ++m) {
        char name[16];
        std::snprintf(name, sizeof name, "b%04d", m);
        int dictionary = m % city_dictionaries;
        ModelLayout layout = single_geometry_model(
            building(r, "facade" + std::to_string(r.range(0, textures_per_dictionary - 1))));
        layout.clumps[0].frames[0].name = name;
        const std::vector<float>& p = layout.clumps[0].geometries[0].positions;
        city.first_vertices.push_back({p[0], p[1], p[2]});
        std::vector<std::uint8_t> bytes = build_model(layout);
        city.model_bytes += bytes.size();
        city.models.push_back({std::string(name) + ".dff", std::move(bytes)});
        // The last tenth are far-view stand-ins: drawn far, named by detailed instances.
        // One definition in seven turns backface culling off (flag 0x200000).
        ide << 1000 + m << ", " << name << ", city" << dictionary << ", " << (m >= models - models / 10 ? 1500 : 200)
            << ", " << (m % 7 == 3 ? 2097152 : 0) << "\n";
    }
    ide << "end\n";
    city.items = ide.str();

    const int per_district = instances / city_districts, columns = 5;
    const int side = int(std::ceil(std::sqrt(double(per_district))));
    const float spacing = 30, district_size = spacing * float(side);
    const int detailed = models - models / 10;
    for (int d = 0; d < city_districts; ++d) {
        char name[32];
        std::snprintf(name, sizeof name, "district%02d.ipl", d);
        std::ostringstream ipl;
        ipl << "# generated district " << d << "\ninst\n";
        const float ox = float(d % columns) * district_size, oy = float(d / columns) * district_size;
        int count = per_district + (d == city_districts - 1 ? instances - per_district * city_districts : 0);
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
        const std::string text = ipl.str();
        city.placements.push_back({name, std::vector<std::uint8_t>(text.begin(), text.end())});
    }
    return city;
}
