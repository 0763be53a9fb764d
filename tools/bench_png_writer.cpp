// bench_png_writer: the PNG writer on the generated dictionaries
// (tests/support/texture_set: every raster format, 4 x 4 to 2048 x 2048),
// side by side with the writer it replaced (stb_image_write, kept here as the
// baseline) and, where installed, libdeflate over the same filtered rows.
// Each run encodes every texture of the set once; the counters give the
// pixels' MB/s (4 bytes a pixel) and the PNG bytes in all. "extract" runs
// decode and encode together, as --extract does less its file writes.
//
// Usage: bench_png_writer [--benchmark_filter=...] [--benchmark_min_time=...]
// Not a test: the aims (3 times the baseline's speed, no more bytes) are only shown.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "export/png_encoder.h"
#include "model/texture_dictionary.h"
#include "support/texture_set.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#ifdef VORLUND_BENCH_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Image {
    Bytes rgba;
    std::uint32_t width, height;
    bool alpha;
};

// The set's dictionaries laid out, and every texture decoded once.
struct Set {
    std::vector<Bytes> files;
    std::vector<Image> images;
    std::size_t pixels = 0;
};

const Set& the_set() {
    static const Set set = [] {
        Set s;
        for (const auto& textures : texture_set(45)) s.files.push_back(build_dictionary(textures));
        for (const Bytes& file : s.files) {
            const TextureDictionary d = read_texture_dictionary(file.data(), std::uint32_t(file.size()));
            for (const DictionaryTexture& t : d.textures) {
                Image image{{}, t.width, t.height, false};
                std::string why;
                if (!decode_texture(t, image.rgba, why)) {
                    std::fprintf(stderr, "%s: %s\n", t.name.c_str(), why.c_str());
                    continue;
                }
                image.alpha = needs_alpha(t, image.rgba);
                s.pixels += image.rgba.size() / 4;
                s.images.push_back(std::move(image));
            }
        }
        std::size_t bytes = 0;
        for (const Bytes& f : s.files) bytes += f.size();
        std::fprintf(stderr, "set: %zu dictionaries, %.1f MB, %zu textures, %.1f million pixels\n", s.files.size(),
                     bytes / 1e6, s.images.size(), s.pixels / 1e6);
        return s;
    }();
    return set;
}

void stb_append(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
}

// The replaced writer, as it was called.
bool stb_png(const Image& i, Bytes& png) {
    png.clear();
    const Bytes* pixels = &i.rgba;
    Bytes rgb;
    if (!i.alpha) {
        rgb.resize(std::size_t(i.width) * i.height * 3);
        for (std::size_t a = 0, b = 0; a < i.rgba.size(); a += 4, b += 3)
            rgb[b] = i.rgba[a], rgb[b + 1] = i.rgba[a + 1], rgb[b + 2] = i.rgba[a + 2];
        pixels = &rgb;
    }
    const int comp = i.alpha ? 4 : 3;
    return stbi_write_png_to_func(stb_append, &png, int(i.width), int(i.height), comp, pixels->data(),
                                  int(i.width) * comp) != 0;
}

#ifdef VORLUND_BENCH_LIBDEFLATE
bool libdeflate_png(const Image& i, Bytes& png, int level, PngFilter filter) {
    static libdeflate_compressor* compressors[13] = {};
    if (!compressors[level]) compressors[level] = libdeflate_alloc_compressor(level);
    const Bytes rows = filtered_png_rows(i.rgba, i.width, i.height, i.alpha, filter);
    Bytes stream(libdeflate_zlib_compress_bound(compressors[level], rows.size()));
    const std::size_t n = libdeflate_zlib_compress(compressors[level], rows.data(), rows.size(), stream.data(), stream.size());
    if (n == 0) return false;
    assemble_png(i.width, i.height, i.alpha, stream.data(), n, png);
    return true;
}
#endif

template <class Encode>
void run(benchmark::State& state, Encode encode) {
    const Set& set = the_set();
    std::size_t total = 0;
    Bytes png;
    for (auto _ : state) {
        total = 0;
        for (const Image& i : set.images) {
            if (!encode(i, png)) state.SkipWithError("the encoder failed");
            total += png.size();
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * set.pixels * 4));
    state.counters["png_MB"] = double(total) / 1e6;
}

void BM_stb_baseline(benchmark::State& state) { run(state, stb_png); }

// zlib at level range(0), filter range(1), strategy range(2).
void BM_zlib(benchmark::State& state) {
    const PngCompression c{int(state.range(0)), PngFilter(state.range(1)), PngStrategy(state.range(2))};
    run(state, [&](const Image& i, Bytes& png) { return encode_png(i.rgba, i.width, i.height, i.alpha, png, c); });
}

void BM_zlib_shipped(benchmark::State& state) {
    run(state, [](const Image& i, Bytes& png) { return encode_png(i.rgba, i.width, i.height, i.alpha, png); });
}

// Decoding and encoding every texture, as an extraction does, with either writer.
void BM_extract(benchmark::State& state) {
    const Set& set = the_set();
    const bool baseline = state.range(0) == 0;
    std::size_t total = 0;
    Bytes png;
    for (auto _ : state) {
        total = 0;
        for (const Bytes& file : set.files) {
            const TextureDictionary d = read_texture_dictionary(file.data(), std::uint32_t(file.size()));
            for (const DictionaryTexture& t : d.textures) {
                Image i{{}, t.width, t.height, false};
                std::string why;
                if (!decode_texture(t, i.rgba, why)) continue;
                i.alpha = needs_alpha(t, i.rgba);
                if (!(baseline ? stb_png(i, png) : encode_png(i.rgba, i.width, i.height, i.alpha, png)))
                    state.SkipWithError("the encoder failed");
                total += png.size();
            }
        }
    }
    state.SetLabel(baseline ? "stb_image_write" : "zlib, as shipped");
    state.SetBytesProcessed(std::int64_t(state.iterations() * set.pixels * 4));
    state.counters["png_MB"] = double(total) / 1e6;
}

#ifdef VORLUND_BENCH_LIBDEFLATE
void BM_libdeflate(benchmark::State& state) {
    const int level = int(state.range(0));
    const PngFilter filter = PngFilter(state.range(1));
    run(state, [&](const Image& i, Bytes& png) { return libdeflate_png(i, png, level, filter); });
}
#endif

constexpr int paeth = int(PngFilter::paeth), adaptive = int(PngFilter::adaptive), up = int(PngFilter::up),
              sub = int(PngFilter::sub), none = int(PngFilter::none), average = int(PngFilter::average);
constexpr int normal = int(PngStrategy::normal), rle = int(PngStrategy::rle);

}  // namespace

BENCHMARK(BM_stb_baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_zlib_shipped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_extract)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_zlib)
    ->ArgNames({"level", "filter", "strategy"})
    ->ArgsProduct({{1, 2, 4, 6}, {none, paeth}, {normal}})
    ->ArgsProduct({{1}, {sub, up, average, adaptive}, {normal}})
    ->ArgsProduct({{1}, {none, paeth}, {rle}})
    ->Unit(benchmark::kMillisecond);
#ifdef VORLUND_BENCH_LIBDEFLATE
BENCHMARK(BM_libdeflate)
    ->ArgNames({"level", "filter"})
    ->ArgsProduct({{1, 2, 4, 6}, {none, paeth}})
    ->Unit(benchmark::kMillisecond);
#endif
BENCHMARK_MAIN();
