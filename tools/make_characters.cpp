// make_characters: writes skinned characters in every layout real ones come
// in, for checking in a modelling program that they stand upright.
//
// Usage: make_characters FOLDER
//   FOLDER/character-<layout>.dff: the bind pose stored in the pelvis bone's
//   space, the root bone's or the clump's, and the older skin layout; one with
//   a UV animation dictionary before its clump; walk-anpk.ifp and walk-anp3.ifp,
//   animations for them in both layouts. Prints each character's name and
//   the height its head and feet must come out at: NAME LOW HIGH.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/animation_layout.h"
#include "support/character_layout.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_characters FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const struct {
        const char* name;
        CharacterLayout layout;
        bool dictionary;
    } kinds[] = {
        {"pelvis-space", {SkinSpace::pelvis, false, true}, false},
        {"root-bone-space", {SkinSpace::root_bone, false, true}, false},
        {"clump-space", {SkinSpace::clump, false, true}, false},
        {"older-skin", {SkinSpace::clump, true, true}, false},
        {"dictionary-first", {SkinSpace::root_bone, false, true}, true},
    };
    for (const auto& k : kinds) {
        Character c = character_model(k.layout);
        c.model.uv_dictionary = k.dictionary;
        if (k.dictionary) c.model.uv_animations = {"blink"};
        const std::vector<std::uint8_t> bytes = build_model(c.model);
        const std::string name = std::string("character-") + k.name + ".dff";
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "make_characters: cannot write %s\n", (folder / name).string().c_str());
            return 1;
        }
        double low = c.upright[0][2], high = low;
        for (const Point& p : c.upright) {
            low = std::min(low, p[2]);
            high = std::max(high, p[2]);
        }
        std::printf("%s %.4f %.4f\n", name.c_str(), low, high);
    }
    // A walk for them in both layouts (ANP3 with compressed keys), not listed: they are no characters.
    for (const bool anpk : {true, false}) {
        const AnimationFileRow walk = walk_rows({{42}, 42}, anpk, !anpk);
        const std::string bytes = anpk ? anpk_file(walk) : anp3_file(walk);
        std::ofstream out(folder / (anpk ? "walk-anpk.ifp" : "walk-anp3.ifp"), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) return 1;
    }
    return 0;
}
