#pragma once
// Little-endian numbers from bytes the caller has checked are there: the
// game's files store them so whatever the machine.

#include <cstdint>
#include <cstring>

inline std::uint16_t u16_at(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

inline std::uint32_t u32_at(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

inline float f32_at(const std::uint8_t* p) {
    const std::uint32_t bits = u32_at(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
