// Every one of the 2^32 four-byte patterns: decode_float must give the
// single-precision value (or the flushed zero, the infinity, the NaN with its
// sign), and format_fixed must write what the C library's printf("%f") writes
// for the decoded value. Run on glibc; long, so it has a ctest label of its own.

#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/float_decoding.h"
#include "engine/number_text.h"

namespace {

constexpr std::uint64_t pattern_count = std::uint64_t{1} << 32;
constexpr std::uint32_t chunk_size = 1u << 20;

std::atomic<std::uint64_t> next_chunk{0};
std::atomic<std::uint64_t> mismatches{0};
std::mutex report_lock;

void report(const char* what, std::uint32_t word, const char* ours, const char* library) {
    std::lock_guard<std::mutex> guard(report_lock);
    if (mismatches.fetch_add(1) < 20) std::printf("%s: pattern %08x: \"%s\" vs \"%s\"\n", what, word, ours, library);
}

bool decoded_as_expected(std::uint32_t word, double decoded) {
    const unsigned exponent = (word >> 23) & 0xFF;
    const bool negative = (word >> 31) != 0;
    if (std::signbit(decoded) != negative) return false;
    if (exponent < 96) return decoded == 0;
    if (exponent == 255) return (word & 0x7FFFFF) == 0 ? std::isinf(decoded) : std::isnan(decoded);
    return std::bit_cast<std::uint64_t>(decoded) ==
           std::bit_cast<std::uint64_t>(static_cast<double>(std::bit_cast<float>(word)));
}

void check_chunks() {
    char ours[fixed_text_capacity + 1];
    char library[fixed_text_capacity + 1];
    for (;;) {
        const std::uint64_t chunk = next_chunk.fetch_add(1);
        if (chunk * chunk_size >= pattern_count) return;
        const std::uint32_t first = static_cast<std::uint32_t>(chunk * chunk_size);
        for (std::uint32_t i = 0; i < chunk_size; ++i) {
            const std::uint32_t word = first + i;
            const double decoded =
                decode_float(static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
                             static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24));
            const unsigned n = format_fixed(decoded, ours);
            ours[n] = '\0';
            const int m = std::snprintf(library, sizeof library, "%f", decoded);
            if (!decoded_as_expected(word, decoded)) report("decode", word, ours, library);
            if (m < 0 || static_cast<unsigned>(m) != n || std::memcmp(ours, library, n) != 0)
                report("text", word, ours, library);
        }
    }
}

}  // namespace

int main() {
    const auto start = std::chrono::steady_clock::now();
    unsigned threads = std::thread::hardware_concurrency();
    if (threads == 0) threads = 1;
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) workers.emplace_back(check_chunks);
    for (std::thread& w : workers) w.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu patterns checked on %u threads in %.0f s: %llu mismatches\n",
                static_cast<unsigned long long>(pattern_count), threads, seconds,
                static_cast<unsigned long long>(mismatches.load()));
    return mismatches.load() == 0 ? 0 : 1;
}
