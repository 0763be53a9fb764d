// bench_structure: the structure conversion's time on a large generated model
// of many geometries (positions, normals, UVs, vertex colours, textured
// materials, placed by a frame chain).
//
// Usage: bench_structure FOLDER [MB] [REPEATS]
//   writes FOLDER/structure-<MB>mb.dff once (default 40 MB), then times, each
//   REPEATS times (default 3), median shown:
//     read     read_model on the bytes in memory
//     write    write_obj, its OBJ text handed to a sink that only counts it
//     glb      the same model as glTF: plan_gltf, finish_gltf and write_glb
//              into FOLDER/structure-<MB>mb.glb, its numbers binary
//     whole    the conversion through the commands, as --button structure:
//              the model loaded from disk, the OBJ and MTL files written
// Not a test: nothing here fails on a slow machine.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "control/commands.h"
#include "control/platform.h"
#include "control/structure_conversion.h"
#include "engine/conversion_state.h"
#include "export/gltf_writer.h"
#include "export/obj_writer.h"
#include "model/structure_reader.h"
#include "support/model_builder.h"
#include "support/model_layout.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t grid = 90;  // vertices a side: 8100 a geometry, under the u16 limit

GeometryLayout grid_geometry(std::uint32_t seed) {
    GeometryLayout g;
    g.flags = geometry_positions | geometry_normals | geometry_textured | geometry_prelit | uv_sets_flag(1);
    for (std::uint32_t y = 0; y < grid; ++y)
        for (std::uint32_t x = 0; x < grid; ++x) {
            float fx = static_cast<float>(x) * 0.173f + static_cast<float>(seed), fy = static_cast<float>(y) * 0.291f;
            g.positions.insert(g.positions.end(), {fx, fy, (fx * fy) * 0.01f});
            g.normals.insert(g.normals.end(), {0.1f * fx, 0.3f, 0.9f});
            g.uvs.insert(g.uvs.end(), {static_cast<float>(x) / grid, static_cast<float>(y) / grid});
            g.colors.insert(g.colors.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 200, 255});
        }
    for (std::uint32_t y = 0; y + 1 < grid; ++y)
        for (std::uint32_t x = 0; x + 1 < grid; ++x) {
            auto at = [](std::uint32_t i, std::uint32_t j) { return static_cast<std::uint16_t>(j * grid + i); };
            const auto material = static_cast<std::uint16_t>((x / 30) % 2);
            g.triangles.push_back({at(x, y), at(x + 1, y), at(x, y + 1), material});
            g.triangles.push_back({at(x + 1, y), at(x + 1, y + 1), at(x, y + 1), material});
        }
    g.materials = {MaterialLayout{{200, 10, 10, 255}, "paint", ""}, MaterialLayout{{20, 20, 200, 100}, "glass", "glass_a"}};
    return g;
}

std::vector<std::uint8_t> large_model(unsigned mb) {
    ClumpLayout c;
    c.frames.clear();
    const std::size_t per_geometry = std::size_t(grid) * grid * (12 + 12 + 8 + 4) + 8 * 2 * (grid - 1) * (grid - 1);
    const std::size_t count = std::max<std::size_t>(1, std::size_t(mb) * 1000000 / per_geometry);
    for (std::size_t i = 0; i < count; ++i) {
        FrameLayout f;
        f.name = "part";  // repeated on purpose: names are made unique
        f.parent = i == 0 ? -1 : static_cast<std::int32_t>(i / 2);
        f.matrix = {0, 1, 0, -1, 0, 0, 0, 0, 1, 1, 2, 3};
        c.frames.push_back(f);
        c.geometries.push_back(grid_geometry(static_cast<std::uint32_t>(i)));
        c.atomics.push_back({static_cast<std::int32_t>(i), static_cast<std::int32_t>(i)});
    }
    ModelLayout m;
    m.clumps = {c};
    return build_model(m);
}

std::string chosen_model;

void choose_the_model(WindowHandle, char* path, unsigned capacity) {
    std::snprintf(path, capacity, "%s", chosen_model.c_str());
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F>
double seconds_of(F&& f) {
    const Clock::time_point start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_structure FOLDER [MB] [REPEATS]\n");
        return 2;
    }
    const unsigned mb = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 40;
    const int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const fs::path folder = fs::absolute(argv[1]);
    fs::create_directories(folder);
    const fs::path model = folder / ("structure-" + std::to_string(mb) + "mb.dff");
    if (!fs::exists(model)) {
        std::vector<std::uint8_t> bytes = large_model(mb);
        std::FILE* f = std::fopen(model.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return 1;
        std::fclose(f);
    }
    const std::string bytes_text = read_file(model);
    const std::vector<std::uint8_t> bytes(bytes_text.begin(), bytes_text.end());
    const double size_mb = static_cast<double>(bytes.size()) / 1e6;

    std::vector<double> read_times, write_times, glb_times, whole_times;
    std::uintmax_t glb_bytes = 0;
    const fs::path glb = folder / ("structure-" + std::to_string(mb) + "mb.glb");
    std::size_t obj_bytes = 0, geometries = 0;
    bool doubtful = false;
    Platform p = console_platform;
    p.open_dialog = choose_the_model;
    set_platform(&p);
    fs::current_path(folder);
    chosen_model = model.string();
    for (int r = 0; r < repeats; ++r) {
        Model m;
        read_times.push_back(seconds_of([&] { m = read_model(bytes.data(), static_cast<std::uint32_t>(bytes.size())); }));
        ObjText text;
        obj_bytes = 0;
        ObjWriteOptions options{false, false, model.string(), "x.mtl", "bench",
                                [&](std::string_view piece) { obj_bytes += piece.size(); }, 0};
        write_times.push_back(seconds_of([&] { text = write_obj(m, options); }));
        geometries = text.geometries_written;
        glb_times.push_back(seconds_of([&] {
            GltfWriteOptions gltf_options;
            gltf_options.model_path = model.string();
            gltf_options.program_name_version = "bench";
            GltfModel plan = plan_gltf(m, gltf_options);
            std::string why;
            if (!finish_gltf(std::move(plan), [](const std::string&, GltfImage&) { return false; }).write_glb(glb.string(), why))
                std::fprintf(stderr, "%s\n", why.c_str());
        }));
        glb_bytes = fs::file_size(glb);
        whole_times.push_back(seconds_of([&] {
            if (choose_model(nullptr, conversion_state.source_path, conversion_state.output_path))
                run_conversion(nullptr, id_structure, structure);
        }));
        doubtful = doubtful || text.doubtful || conversion_state.had_errors;
        if (conversion_state.output_open) handle_close(nullptr);
    }
    std::printf("%s: %.1f MB, %zu geometries, %.1f MB of OBJ text, %.1f MB of glb%s\n", model.filename().c_str(),
                size_mb, geometries, static_cast<double>(obj_bytes) / 1e6, static_cast<double>(glb_bytes) / 1e6,
                doubtful ? " (doubtful!)" : "");
    for (auto [name, times] : {std::pair{"read ", &read_times}, {"write", &write_times}, {"glb  ", &glb_times},
                               {"whole", &whole_times}})
        std::printf("  %s %8.3f s  %8.1f MB/s of model\n", name, median(*times), size_mb / median(*times));
    fs::remove(model.filename().string() + ".obj");
    fs::remove(model.filename().string() + ".mtl");
    fs::remove(glb);
    return 0;
}
