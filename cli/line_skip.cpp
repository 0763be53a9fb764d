#include "cli/line_skip.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define LINE_SKIP_X86 1
#endif

namespace {

template <WantedLines wanted>
bool wanted_start(char first, char second) {
    const bool vertex = first == 'v' && second == ' ';
    if (wanted == WantedLines::marks) return first == '#' || first == 'g' || vertex;
    if (wanted == WantedLines::not_vertices) return !vertex;
    return first == 'g';
}

#ifdef LINE_SKIP_X86

// No wanted line starts after a line end before at: back to the last line
// start there, an unwanted one, for the caller to go on from.
const char* last_line_start(const char* from, const char* at) {
    while (at > from && at[-1] != '\n') --at;
    return at;
}

// At each line end: are the two bytes after it a wanted start? 32 line ends
// tested at once; the last two bytes of the stretch are left to the caller.
template <WantedLines wanted>
__attribute__((target("avx2"))) const char* skip_32(const char* from, const char* end) {
    const __m256i newline = _mm256_set1_epi8('\n'), v = _mm256_set1_epi8('v'), blank = _mm256_set1_epi8(' '),
                  g = _mm256_set1_epi8('g'), hash = _mm256_set1_epi8('#');
    const char* at = from;
    for (; end - at >= 34; at += 32) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1));
        const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 2));
        const __m256i vertex = _mm256_and_si256(_mm256_cmpeq_epi8(first, v), _mm256_cmpeq_epi8(second, blank));
        __m256i start;
        if (wanted == WantedLines::marks)
            start = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(first, hash), _mm256_cmpeq_epi8(first, g)),
                                    vertex);
        else if (wanted == WantedLines::not_vertices)
            start = _mm256_andnot_si256(vertex, _mm256_set1_epi8(-1));
        else
            start = _mm256_cmpeq_epi8(first, g);
        const unsigned found =
            static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(here, newline), start)));
        if (found) return at + __builtin_ctz(found) + 1;
    }
    return last_line_start(from, at);
}

template <WantedLines wanted>
const char* skip(const char* from, const char* end) {
    // Older processors take every line in turn, as other platforms do.
    static const bool has_avx2 = __builtin_cpu_supports("avx2");
    return has_avx2 ? skip_32<wanted>(from, end) : from;
}

#else

template <WantedLines>
const char* skip(const char* from, const char*) {
    return from;
}

#endif

template <WantedLines wanted>
const char* skip_from(const char* from, const char* end) {
    if (end - from < 2 || wanted_start<wanted>(from[0], from[1])) return from;
    return skip<wanted>(from, end);
}

}  // namespace

const char* skip_unwanted_lines(const char* from, const char* end, WantedLines wanted) {
    switch (wanted) {
    case WantedLines::marks: return skip_from<WantedLines::marks>(from, end);
    case WantedLines::not_vertices: return skip_from<WantedLines::not_vertices>(from, end);
    case WantedLines::groups: return skip_from<WantedLines::groups>(from, end);
    }
    return from;
}
