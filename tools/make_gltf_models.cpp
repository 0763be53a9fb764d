// make_gltf_models: writes the small models of the glTF tests into a folder,
// each with its texture dictionary where it has one, for the validator's check;
// and the generated vehicles with the wheels.dff and item definitions
// (vehicles.ide) the older games' car takes its wheels by.
// Usage: make_gltf_models FOLDER

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "support/gltf_test_models.h"
#include "support/vehicle_layouts.h"

namespace {

bool write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_gltf_models FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const GltfTestModel& m : gltf_test_models()) {
        if (!write(folder / (m.name + ".dff"), build_model(m.model))) return 1;
        if (!m.textures.empty() && !write(folder / (m.name + ".txd"), build_dictionary(m.textures))) return 1;
    }
    const std::string items = vehicle_items;
    if (!write(folder / "own.dff", build_model(own_wheel_car())) ||
        !write(folder / "mycar.dff", build_model(generic_wheel_car())) ||
        !write(folder / "showcar.dff", build_model(showcase_car())) ||
        !write(folder / "street-lamp.dff", build_model(street_lamp().model)) ||
        !write(folder / "wheels.dff", build_model(wheels_file())) ||
        !write(folder / "vehicles.ide", std::vector<std::uint8_t>(items.begin(), items.end())) ||
        !write(folder / "carcols.dat", std::vector<std::uint8_t>(vehicle_colours, vehicle_colours + std::strlen(vehicle_colours))))
        return 1;
    return 0;
}
