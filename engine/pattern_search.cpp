#include "engine/pattern_search.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "engine/conversion_state.h"

namespace {

// Source positions are screened 16 at a time. The compiler maps this onto the
// target's vector registers, or onto plain bytes where it has none.
constexpr unsigned lanes = 16;
typedef unsigned char Lanes __attribute__((vector_size(lanes)));
// What comparing two Lanes gives: all ones where equal.
typedef signed char LaneMask __attribute__((vector_size(lanes)));

// Patterns up to this length are compared whole in vector registers once a
// step holds a candidate; longer ones have their candidates tried one by one.
constexpr int vector_compared_length = 16;

int matches_at(const unsigned char* at, const int* pattern, int length) {
    int k = 0;
    while (k < length && at[k] == pattern[k]) ++k;
    return k == length;
}

// The first lane that is set (all ones), or lanes when none is.
unsigned first_set_lane(LaneMask hits) {
    std::uint64_t words[lanes / 8];
    std::memcpy(words, &hits, sizeof words);
    if constexpr (std::endian::native == std::endian::little) {
        if (words[0] != 0) return static_cast<unsigned>(std::countr_zero(words[0])) / 8;
        if (words[1] != 0) return 8 + static_cast<unsigned>(std::countr_zero(words[1])) / 8;
        return lanes;
    } else {
        unsigned char bytes[lanes];
        std::memcpy(bytes, &hits, lanes);
        for (unsigned i = 0; i < lanes; ++i)
            if (bytes[i]) return i;
        return lanes;
    }
}

}  // namespace

unsigned find_pattern(unsigned start, unsigned window, const int* pattern, int length) {
    if (length < 1) return 0;
    // A source byte is 0 to 255, so an element outside that range never matches.
    for (int k = 0; k < length; ++k)
        if (pattern[k] < 0 || pattern[k] > 255) return 0;

    // Positions in 64 bits: start + window + length must not wrap around.
    unsigned long long loaded = conversion_state.source_length > 0
                                    ? static_cast<unsigned long long>(conversion_state.source_length)
                                    : 0;
    if (loaded > source_capacity) loaded = source_capacity;
    const unsigned long long count = static_cast<unsigned long long>(length);
    if (static_cast<unsigned long long>(start) + count > loaded) return 0;
    // The last position tried: the window's end, or where the pattern's last
    // element meets the last loaded byte, whichever comes first.
    unsigned long long last = static_cast<unsigned long long>(start) + window;
    if (last > loaded - count) last = loaded - count;

    // A candidate holds the first element and one more: a non-zero one where
    // the pattern has it, since zero is by far the commonest byte of a model,
    // else one that differs from the first. Such a pair is far rarer than one byte.
    int second = 1;
    while (second < length && pattern[second] == 0) ++second;
    if (second == length) {
        second = 1;
        while (second < length && pattern[second] == pattern[0]) ++second;
    }
    if (second == length) second = length - 1;

    const unsigned char* source = conversion_state.source_buffer;
    Lanes first_value, second_value;
    std::memset(&first_value, pattern[0], sizeof first_value);
    std::memset(&second_value, pattern[second], sizeof second_value);
    const bool whole_in_vectors = length <= vector_compared_length;
    Lanes element_value[vector_compared_length];
    if (whole_in_vectors)
        for (int k = 0; k < length; ++k) std::memset(&element_value[k], pattern[k], lanes);

    // Two vectors a step. A step is taken only when its last position is at
    // most last, so it reads below last + length: inside the loaded source.
    unsigned long long at = start;
    while (at <= last && last - at >= 2 * lanes - 1) {
        Lanes here0, ahead0, here1, ahead1;
        std::memcpy(&here0, source + at, lanes);
        std::memcpy(&ahead0, source + at + second, lanes);
        std::memcpy(&here1, source + at + lanes, lanes);
        std::memcpy(&ahead1, source + at + lanes + second, lanes);
        LaneMask hits0 = (here0 == first_value) & (ahead0 == second_value);
        LaneMask hits1 = (here1 == first_value) & (ahead1 == second_value);
        LaneMask any = hits0 | hits1;
        std::uint64_t words[lanes / 8];
        std::memcpy(words, &any, sizeof words);
        if ((words[0] | words[1]) != 0 && whole_in_vectors) {
            // Model data holds candidates often (zeros and ones are common in
            // counts and indices); comparing the other elements for all lanes
            // at once costs less than trying candidates one by one.
            for (int k = 1; k < length; ++k) {
                if (k == second) continue;
                Lanes at0, at1;
                std::memcpy(&at0, source + at + k, lanes);
                std::memcpy(&at1, source + at + lanes + k, lanes);
                hits0 &= at0 == element_value[k];
                hits1 &= at1 == element_value[k];
            }
            unsigned lane = first_set_lane(hits0);
            if (lane == lanes) lane = lanes + first_set_lane(hits1);
            if (lane < 2 * lanes) return static_cast<unsigned>(at + lane - start);
        } else if ((words[0] | words[1]) != 0) {
            // The step's candidates, tried in order of position.
            unsigned char candidate[2 * lanes];
            std::memcpy(candidate, &hits0, lanes);
            std::memcpy(candidate + lanes, &hits1, lanes);
            for (unsigned i = 0; i < 2 * lanes; ++i)
                if (candidate[i] && matches_at(source + at + i, pattern, length))
                    return static_cast<unsigned>(at + i - start);
        }
        at += 2 * lanes;
    }
    for (; at <= last; ++at)
        if (matches_at(source + at, pattern, length)) return static_cast<unsigned>(at - start);
    return 0;
}
