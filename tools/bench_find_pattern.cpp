// Throughput of find_pattern over a 120 MB source next to memchr alone on the
// same bytes, and next to a scan that takes its candidates from memchr.
// Run: build/release/tools/bench_find_pattern
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "engine/conversion_state.h"
#include "engine/pattern_search.h"
#include "engine/source_loading.h"

namespace {

constexpr unsigned bench_size = 120000000;
const int double_one_marker[] = {1, 0, 0, 0, 1, 0, 0, 0};
const int mid_one_marker[] = {0, 0, 1, 0, 0, 0};

unsigned char bytes[bench_size];

// Random bytes 0 to 254, so that memchr for 255 scans everything. A pattern's
// first element shows up every 128 to 256 bytes, a whole match only where one
// is planted, every 8 MB.
void place_random_source(const int* pattern, int length) {
    std::mt19937 rng(7);
    for (unsigned i = 0; i < bench_size; ++i) bytes[i] = static_cast<unsigned char>(rng() % 255);
    // Keep chance matches out: the first two elements never meet by chance.
    for (unsigned i = 0; i + 1 < bench_size; ++i)
        if (bytes[i] == pattern[0] && bytes[i + 1] == pattern[1]) bytes[i + 1] = 77;
    for (unsigned at = 8000000; at + 16 < bench_size; at += 8000000)
        for (int k = 0; k < length; ++k) bytes[at + k] = static_cast<unsigned char>(pattern[k]);
    place_source(bytes, bench_size);
}

// More like a model: runs of zeros, small counts, float bytes. Every byte
// value except 255 occurs; matches still only where planted.
void place_model_like_source(const int* pattern, int length) {
    std::mt19937 rng(11);
    for (unsigned i = 0; i < bench_size; ++i) {
        unsigned r = rng() % 100;
        bytes[i] = r < 60 ? 0 : r < 63 ? 1 : static_cast<unsigned char>(rng() % 255);
    }
    for (unsigned i = 0; i + 16 < bench_size; ++i) {
        int k = 0;
        while (k < length && bytes[i + k] == pattern[k]) ++k;
        if (k == length) bytes[i + length - 1] = 77;
    }
    for (unsigned at = 8000000; at + 16 < bench_size; at += 8000000)
        for (int k = 0; k < length; ++k) bytes[at + k] = static_cast<unsigned char>(pattern[k]);
    place_source(bytes, bench_size);
}

// One pass as a strategy makes it: search to the end, resume behind each hit.
template <class Search>
unsigned long long count_matches(Search search, const int* pattern, int length) {
    unsigned long long matches = 0;
    unsigned start = 0;
    for (;;) {
        unsigned distance = search(start, static_cast<unsigned>(conversion_state.source_length), pattern, length);
        if (distance == 0) break;
        ++matches;
        start += distance + 1;
    }
    return matches;
}

// For comparison only: candidates for the first element from memchr, then the rest.
unsigned memchr_led_search(unsigned start, unsigned window, const int* pattern, int length) {
    unsigned long long loaded = static_cast<unsigned long long>(conversion_state.source_length);
    if (start + static_cast<unsigned long long>(length) > loaded) return 0;
    unsigned long long last = static_cast<unsigned long long>(start) + window;
    if (last > loaded - length) last = loaded - length;
    const unsigned char* source = conversion_state.source_buffer;
    for (unsigned long long at = start; at <= last; ++at) {
        const void* hit = std::memchr(source + at, pattern[0], last - at + 1);
        if (!hit) return 0;
        at = static_cast<unsigned long long>(static_cast<const unsigned char*>(hit) - source);
        int k = 1;
        while (k < length && source[at + k] == pattern[k]) ++k;
        if (k == length) return static_cast<unsigned>(at - start);
    }
    return 0;
}

void memchr_alone(benchmark::State& state) {
    place_random_source(double_one_marker, 8);
    for (auto _ : state) {
        const void* hit = std::memchr(conversion_state.source_buffer, 255, bench_size);
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * bench_size);
}

template <class Search>
void pass(benchmark::State& state, Search search, const int* pattern, int length) {
    unsigned long long matches = 0;
    for (auto _ : state) {
        matches = count_matches(search, pattern, length);
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * bench_size);
}

void random_find_pattern_double_one(benchmark::State& state) {
    place_random_source(double_one_marker, 8);
    pass(state, find_pattern, double_one_marker, 8);
}
void random_find_pattern_mid_one(benchmark::State& state) {
    place_random_source(mid_one_marker, 6);
    pass(state, find_pattern, mid_one_marker, 6);
}
void random_memchr_led_double_one(benchmark::State& state) {
    place_random_source(double_one_marker, 8);
    pass(state, memchr_led_search, double_one_marker, 8);
}
void model_like_find_pattern_double_one(benchmark::State& state) {
    place_model_like_source(double_one_marker, 8);
    pass(state, find_pattern, double_one_marker, 8);
}
void model_like_find_pattern_mid_one(benchmark::State& state) {
    place_model_like_source(mid_one_marker, 6);
    pass(state, find_pattern, mid_one_marker, 6);
}
void model_like_memchr_led_mid_one(benchmark::State& state) {
    place_model_like_source(mid_one_marker, 6);
    pass(state, memchr_led_search, mid_one_marker, 6);
}

}  // namespace

BENCHMARK(memchr_alone)->Unit(benchmark::kMillisecond);
BENCHMARK(random_find_pattern_double_one)->Unit(benchmark::kMillisecond);
BENCHMARK(random_find_pattern_mid_one)->Unit(benchmark::kMillisecond);
BENCHMARK(random_memchr_led_double_one)->Unit(benchmark::kMillisecond);
BENCHMARK(model_like_find_pattern_double_one)->Unit(benchmark::kMillisecond);
BENCHMARK(model_like_find_pattern_mid_one)->Unit(benchmark::kMillisecond);
BENCHMARK(model_like_memchr_led_mid_one)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
