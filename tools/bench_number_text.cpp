// Number text against the C library's printf("%f"), on values shaped like
// model coordinates, and the vector writer into a null stream.

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "engine/conversion_state.h"
#include "engine/float_decoding.h"
#include "engine/number_output.h"
#include "engine/number_text.h"

namespace {

// Positions within a few hundred units, texture coordinates within 0..1.
std::vector<std::uint32_t> coordinate_words() {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> position(-500.0f, 500.0f), uv(0.0f, 1.0f);
    std::vector<std::uint32_t> words(1 << 16);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = std::bit_cast<std::uint32_t>(i % 3 == 2 ? uv(rng) : position(rng));
    return words;
}

double decode_word(std::uint32_t w) {
    return decode_float(static_cast<unsigned char>(w), static_cast<unsigned char>(w >> 8),
                        static_cast<unsigned char>(w >> 16), static_cast<unsigned char>(w >> 24));
}

void BM_format_fixed(benchmark::State& state) {
    const std::vector<std::uint32_t> words = coordinate_words();
    char out[fixed_text_capacity];
    std::size_t i = 0, bytes = 0;
    for (auto _ : state) {
        bytes += format_fixed(decode_word(words[i++ & 0xFFFF]), out);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_format_fixed);

void BM_format_float_word(benchmark::State& state) {
    const std::vector<std::uint32_t> words = coordinate_words();
    char out[fixed_text_capacity];
    std::size_t i = 0, bytes = 0;
    for (auto _ : state) {
        bytes += format_float_word(words[i++ & 0xFFFF], out);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_format_float_word);

void BM_format_int_index(benchmark::State& state) {
    char out[16];
    std::uint32_t v = 1234567;
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes += format_int(static_cast<int>(v), out);
        v = v * 1664525u + 1013904223u;
        v = 1000000 + v % 3000000;  // OBJ numbers of a large model
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_format_int_index);

void BM_snprintf_f(benchmark::State& state) {
    const std::vector<std::uint32_t> words = coordinate_words();
    char out[400];
    std::size_t i = 0, bytes = 0;
    for (auto _ : state) {
        bytes += static_cast<std::size_t>(std::snprintf(out, sizeof out, "%f", decode_word(words[i++ & 0xFFFF])));
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_snprintf_f);

void BM_write_vector(benchmark::State& state) {
    const std::vector<std::uint32_t> words = coordinate_words();
    const unsigned count = static_cast<unsigned>(words.size());
    for (unsigned i = 0; i < count; ++i) std::memcpy(conversion_state.source_buffer + 4 * i, &words[i], 4);
    conversion_state.output = std::fopen("/dev/null", "w");
    unsigned read_pos = 0, consumed = 0;
    for (auto _ : state) {
        if (read_pos + 12 > 4 * count) read_pos = 0;
        write_vector(read_pos, consumed, "v ");
    }
    std::fclose(conversion_state.output);
    conversion_state.output = nullptr;
    std::memset(conversion_state.source_buffer, 0, 4 * count);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_write_vector);

}  // namespace

BENCHMARK_MAIN();
