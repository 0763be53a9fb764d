#pragma once
// Byte tests on the source buffer at offsets that a model's own data computed,
// so they may point anywhere; nothing outside the buffer is ever touched.

#include "engine/conversion_state.h"

// The byte at offset, or 0 at or past the end of the 127,000,000-byte buffer.
inline unsigned buffer_byte(unsigned long long offset) {
    return offset < source_capacity ? conversion_state.source_buffer[offset] : 0u;
}

// The byte at offset, or 0 at or past the source length: what lies behind the
// current model never decides anything.
inline unsigned loaded_byte(unsigned long long offset) {
    unsigned long long length = static_cast<unsigned>(conversion_state.source_length);
    return offset < length ? conversion_state.source_buffer[offset] : 0u;
}

// Little-endian unsigned 32-bit number at offset, bytes outside the buffer as 0.
inline unsigned buffer_u32(unsigned long long offset) {
    return buffer_byte(offset) | buffer_byte(offset + 1) << 8 | buffer_byte(offset + 2) << 16 |
           buffer_byte(offset + 3) << 24;
}
