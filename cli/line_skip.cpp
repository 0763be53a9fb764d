#include "cli/line_skip.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool wanted_start(char first, char second, WantedLines wanted) {
    const bool vertex = first == 'v' && second == ' ';
    switch (wanted) {
    case WantedLines::marks: return first == '#' || first == 'g' || vertex;
    case WantedLines::not_vertices: return !vertex;
    case WantedLines::groups: return first == 'g';
    }
    return true;
}

}  // namespace

const char* skip_unwanted_lines(const char* from, const char* end, WantedLines wanted) {
    if (end - from < 2 || wanted_start(from[0], from[1], wanted)) return from;
#if defined(__SSE2__)
    // At each line end: are the two bytes after it a wanted start? 16 line
    // ends tested at once; the last two bytes are left to the caller.
    const __m128i newline = _mm_set1_epi8('\n'), hash = _mm_set1_epi8('#'), g = _mm_set1_epi8('g'),
                  v = _mm_set1_epi8('v'), blank = _mm_set1_epi8(' ');
    const char* at = from;
    for (; end - at >= 18; at += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2));
        const __m128i vertex = _mm_and_si128(_mm_cmpeq_epi8(first, v), _mm_cmpeq_epi8(second, blank));
        __m128i start;
        switch (wanted) {
        case WantedLines::marks:
            start = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(first, hash), _mm_cmpeq_epi8(first, g)), vertex);
            break;
        case WantedLines::not_vertices: start = _mm_andnot_si128(vertex, _mm_set1_epi8(-1)); break;
        default: start = _mm_cmpeq_epi8(first, g); break;
        }
        const int found = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, newline), start));
        if (found) return at + __builtin_ctz(static_cast<unsigned>(found)) + 1;
    }
    // No wanted line starts after a line end before at: go back to the last
    // line start there, an unwanted one, for the caller to go on from.
    while (at > from && at[-1] != '\n') --at;
    return at;
#else
    return from;
#endif
}
