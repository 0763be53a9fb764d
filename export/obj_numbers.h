#pragma once
// Number text for OBJ and MTL lines, written into a caller's line buffer: no
// allocation a number, since a large model has tens of millions of them.

#include <charconv>
#include <cstdint>

// Room one number may take: the longest shortest float text is 15 characters,
// the longest 64-bit unsigned 20.
constexpr int number_room = 24;

// The shortest text that reads back as the same float. f must be finite.
inline char* put_float(char* at, float f) { return std::to_chars(at, at + number_room, f).ptr; }

inline char* put_uint(char* at, std::uint64_t n) { return std::to_chars(at, at + number_room, n).ptr; }

// A colour byte as a fraction from 0 to 1.
inline char* put_unit(char* at, std::uint8_t c) { return put_float(at, static_cast<float>(c / 255.0)); }

inline char* put_char(char* at, char c) {
    *at = c;
    return at + 1;
}
