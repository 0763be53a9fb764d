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
// FOLDER/collision/city.col holds a collision model of each model's name.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/city_layout.h"
#include "support/collision_writer.h"

namespace fs = std::filesystem;

namespace {

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
    const std::uint64_t seed = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 20;
    if (models < 1 || instances < city_districts) {
        std::fprintf(stderr, "make_city: at least 1 model and %d instances\n", city_districts);
        return 2;
    }
    fs::create_directories(folder / "models");
    fs::create_directories(folder / "maps");
    const City city = make_city_layout(models, instances, seed);
    for (const CityFile& f : city.dictionaries) write_bytes(folder / "models" / f.name, f.bytes);
    for (const CityFile& f : city.models) write_bytes(folder / "models" / f.name, f.bytes);
    std::ofstream(folder / "city.ide", std::ios::binary) << city.items;
    for (const CityFile& f : city.placements) write_bytes(folder / "maps" / f.name, f.bytes);
    // Each model's collision model, of its name, in a folder of its own: a
    // building's box, as the game gives its buildings.
    std::vector<colw::Record> collision;
    for (const CityFile& f : city.models) {
        colw::Record r;
        r.version = 3;
        r.name = f.name.substr(0, f.name.rfind('.'));
        r.boxes.push_back({{-5, -5, 0}, {5, 5, 20}, 7});
        collision.push_back(r);
    }
    fs::create_directories(folder / "collision");
    write_bytes(folder / "collision" / "city.col", colw::file(collision));
    std::printf("%d models (%llu bytes) in %d dictionaries, %d instances in %d placement files under %s\n", models,
                static_cast<unsigned long long>(city.model_bytes), city_dictionaries, instances, city_districts,
                folder.string().c_str());
    return 0;
}
