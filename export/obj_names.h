#pragma once
// Names of OBJ objects and MTL materials: one word each, unique in their file.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

// The name with every space and control character turned into '_': a name
// is the rest of its line, and importers split it at white space.
std::string name_word(const std::string& name);

struct Clump;
struct Atomic;

// What an atomic (number i of its clump) is called before it is made unique:
// its frame's name, or atomic_<i> when the frame has none or is out of range.
std::string atomic_name(const Clump& clump, const Atomic& atomic, std::size_t i);

class UniqueNames {
public:
    // wanted as a word when unused, else wanted_2, wanted_3, ... (the first free one).
    std::string take(const std::string& wanted);
    // Keeps a name from ever being handed out by take.
    void reserve(const std::string& name) { used_.insert(name); }

private:
    std::unordered_set<std::string> used_;
    std::unordered_map<std::string, std::uint32_t> next_suffix_;
};
