// Throughput of a whole conversion: a large model of clean blocks through go1
// (anchor passes, byte tests, the block decoder and all number output), and
// go4's walk when hundreds of anchors lead to one far marker.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/conversion_state.h"
#include "engine/strategies.h"
#include "support/model_builder.h"

namespace {

constexpr std::uint32_t vertices_per_block = 10000;
constexpr std::uint32_t faces_per_block = 20000;
constexpr int block_count = 150;  // about 54 MB of model

BlockSpec large_block() {
    BlockSpec shape;
    shape.vertex_count = vertices_per_block;
    shape.face_count = faces_per_block;
    shape.uvs = {0.75f, 0.5f};  // the first u passes go1's byte tests
    shape.indices.clear();
    for (std::uint32_t f = 0; f < faces_per_block; ++f) {
        auto i = static_cast<std::uint16_t>(1 + f % (vertices_per_block - 2));
        shape.indices.insert(shape.indices.end(), {0, i, i, static_cast<std::uint16_t>(i + 1)});
    }
    return shape;
}

struct ModelFile {
    std::filesystem::path path;
    std::size_t size = 0;
    ~ModelFile() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove(path, ec);
    }
};

const ModelFile& block_model() {
    static ModelFile file;
    if (file.size != 0) return file;
    ModelBuilder m;
    m.u8(16);
    BlockSpec shape = large_block();
    for (int b = 0; b < block_count; ++b) {
        m.fill(100, 0x55);
        append_block(m, shape);
    }
    m.raw({1, 0, 0, 0, 1, 0, 0, 0});
    file.path = std::filesystem::temp_directory_path() / "vorlund-bench-blocks.dff";
    std::FILE* f = std::fopen(file.path.string().c_str(), "wb");
    std::fwrite(m.bytes.data(), 1, m.bytes.size(), f);
    std::fclose(f);
    file.size = m.bytes.size();
    return file;
}

// 900 "paint name" anchors, then one marker and a small block at the very end.
const ModelFile& far_marker_model() {
    static ModelFile file;
    if (file.size != 0) return file;
    ModelBuilder m;
    m.u8(16);
    for (int a = 0; a < 900; ++a) {
        m.text("paint name");
        m.fill(30000, 0x55);
    }
    m.raw({1, 0, 0, 0, 1, 0, 0, 0});
    m.fill(32, 0x55);
    append_block(m, BlockSpec());
    file.path = std::filesystem::temp_directory_path() / "vorlund-bench-far-marker.dff";
    std::FILE* f = std::fopen(file.path.string().c_str(), "wb");
    std::fwrite(m.bytes.data(), 1, m.bytes.size(), f);
    std::fclose(f);
    file.size = m.bytes.size();
    return file;
}

void run(benchmark::State& state, Strategy strategy, const ModelFile& model) {
    std::FILE* sink = std::fopen("/dev/null", "w");
    conversion_state.output = sink;
    conversion_state.output_open = 1;
    // The model is opened by its name in the current folder.
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(model.path.parent_path());
    std::string path = model.path.string();
    for (auto _ : state) {
        conversion_state.had_errors = 0;
        strategy(path.c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * model.size));
    conversion_state.output = nullptr;
    conversion_state.output_open = 0;
    std::fclose(sink);
    std::filesystem::current_path(previous);
}

void BM_Go1LargeModel(benchmark::State& state) { run(state, go1, block_model()); }
void BM_Go4AnchorsBeforeOneFarMarker(benchmark::State& state) { run(state, go4, far_marker_model()); }

BENCHMARK(BM_Go1LargeModel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Go4AnchorsBeforeOneFarMarker)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
