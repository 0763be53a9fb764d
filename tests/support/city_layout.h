#pragma once
// A generated city, the same bytes for the same seed: map objects (boxes of
// buildings, each with one texture of one of ten dictionaries), their item
// definitions, and placements across twenty placement files, each a district
// of a 5 x 4 grid; one in fifty placements a far-view stand-in that the next
// one names by its lod field. tools/make_city writes it to disk; the tests
// pack it into archives.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct CityFile {
    std::string name;  // b0000.dff, city0.txd, district00.ipl, ...
    std::vector<std::uint8_t> bytes;
};

struct City {
    std::vector<CityFile> models, dictionaries, placements;
    std::string items;                       // city.ide
    std::vector<std::array<float, 3>> first_vertices;  // each model's, in model order
    std::uint64_t model_bytes = 0;
};

constexpr int city_dictionaries = 10, city_districts = 20;

// models >= 1 and instances >= city_districts.
City make_city_layout(int models, int instances, std::uint64_t seed);
