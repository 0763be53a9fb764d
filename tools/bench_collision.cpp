// bench_collision: a generated collision file of 10,000 models (versions 1 to
// 4 in turn, each with a sphere, a box, three faces and, from version 3, a
// shadow mesh) read, written as OBJ + MTL text, and written as
// a glb file. Not a test: nothing here fails on a slow machine.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/collision_gltf.h"
#include "export/collision_obj.h"
#include "game/collision_file.h"
#include "support/collision_writer.h"

namespace {

const std::vector<std::uint8_t>& city_collision() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<colw::Record> records;
        for (int i = 0; i < 10000; ++i) records.push_back(colw::sample(i % 4 + 1, "model_" + std::to_string(i)));
        return colw::file(records);
    }();
    return bytes;
}

std::string_view bytes() {
    const auto& b = city_collision();
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

void read_file(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(read_collision_file(bytes()).models.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes().size()));
}

void to_obj(benchmark::State& state) {
    for (auto _ : state) {
        const CollisionFile file = read_collision_file(bytes());
        benchmark::DoNotOptimize(write_collision_obj(file.models, false, {"bench"}, "bench.mtl").obj.size());
    }
}

void to_glb(benchmark::State& state) {
    const std::string glb_path = (std::filesystem::temp_directory_path() / "bench_collision.glb").string();
    for (auto _ : state) {
        const CollisionFile file = read_collision_file(bytes());
        auto glb = collision_gltf(file.models, false, "bench", "bench");
        std::string why;
        if (!glb->document.write_glb(glb_path, why)) state.SkipWithError(why.c_str());
    }
}

}  // namespace

BENCHMARK(read_file)->Unit(benchmark::kMillisecond);
BENCHMARK(to_obj)->Unit(benchmark::kMillisecond);
BENCHMARK(to_glb)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
