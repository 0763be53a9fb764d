#include "export/obj_names.h"

#include "model/model.h"

std::string atomic_name(const Clump& clump, const Atomic& atomic, std::size_t i) {
    if (atomic.frame >= 0 && static_cast<std::size_t>(atomic.frame) < clump.frames.size()) {
        const std::string& frame_name = clump.frames[static_cast<std::size_t>(atomic.frame)].name;
        if (!frame_name.empty()) return frame_name;
    }
    return "atomic_" + std::to_string(i);
}

std::string name_word(const std::string& name) {
    std::string word = name;
    for (char& c : word) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= ' ' || u == 0x7F) c = '_';
    }
    return word;
}

std::string UniqueNames::take(const std::string& wanted) {
    std::string base = name_word(wanted);
    if (used_.insert(base).second) return base;
    // Counting on from the last suffix handed out keeps many repeats of one
    // name (a vehicle's wheels) linear.
    std::uint32_t& next = next_suffix_[base];
    if (next < 2) next = 2;
    for (;; ++next) {
        std::string candidate = base + "_" + std::to_string(next);
        if (used_.insert(candidate).second) {
            ++next;
            return candidate;
        }
    }
}
