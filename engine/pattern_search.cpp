#include "engine/pattern_search.h"

#include <cstring>

#include "control/conversion_state.h"

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

    const unsigned char* source = conversion_state.source_buffer;
    const unsigned char first = static_cast<unsigned char>(pattern[0]);
    unsigned long long at = start;
    while (at <= last) {
        // Candidates for the first element come from memchr, bounded so that
        // nothing at or past the source length is read.
        const void* hit = std::memchr(source + at, first, static_cast<std::size_t>(last - at + 1));
        if (!hit) return 0;
        at = static_cast<unsigned long long>(static_cast<const unsigned char*>(hit) - source);
        int k = 1;
        while (k < length && source[at + static_cast<unsigned>(k)] == pattern[k]) ++k;
        if (k == length) return static_cast<unsigned>(at - start);
        ++at;
    }
    return 0;
}
