#include "engine/obj_output.h"

#include <cstring>

#include "control/conversion_state.h"

void put_bytes(const char* bytes, unsigned count) {
    std::fwrite(bytes, 1, count, conversion_state.output);
}

void put_text(const char* text) { put_bytes(text, static_cast<unsigned>(std::strlen(text))); }
