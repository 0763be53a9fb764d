// The bundled sample models are exactly what our generator makes today, and
// the lamp converts and textures as it is meant to.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "export/obj_writer.h"
#include "model/structure_reader.h"
#include "model/texture_dictionary.h"
#include "support/model_builder.h"
#include "support/run_program.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> sample_bytes(const std::string& name) {
    std::string text = read_file(fs::path(VORLUND_SOURCE_DIR) / "samples" / name);
    return {text.begin(), text.end()};
}

}  // namespace

TEST(Samples, CommittedModelsAreWhatTheGeneratorMakes) {
#ifndef MAKE_SAMPLES_PROGRAM
    GTEST_SKIP() << "make_samples is not built (VORLUND_TOOLS off)";
#else
    TempFolder made;
    ProgramRun run = run_program(MAKE_SAMPLES_PROGRAM, {made.path.string()});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const fs::path committed = fs::path(VORLUND_SOURCE_DIR) / "samples";
    int compared = 0;
    for (const auto& e : fs::directory_iterator(made.path)) {
        fs::path name = e.path().filename();
        ASSERT_TRUE(fs::exists(committed / name)) << name << " is made but not committed";
        EXPECT_TRUE(read_file(e.path()) == read_file(committed / name))
            << name << " differs from what make_samples writes now";
        ++compared;
    }
    for (const auto& e : fs::directory_iterator(committed)) {
        if (e.path().extension() != ".dff" && e.path().extension() != ".txd" && e.path().extension() != ".ifp") continue;
        EXPECT_TRUE(fs::exists(made.path / e.path().filename()))
            << e.path().filename() << " is committed but no longer made";
    }
    EXPECT_EQ(compared, 8);
#endif
}

// The head hangs at the arm's end only when its frame, the arm's (a quarter
// turn) and those below are all composed: its first point in the OBJ is where
// that chain, walked here by hand, puts it.
TEST(Samples, LampHeadIsPlacedByItsWholeFrameChain) {
    const std::vector<std::uint8_t> bytes = sample_bytes("lamp.dff");
    const Model model = read_model(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    ASSERT_EQ(model.clumps.size(), 1u);
    EXPECT_TRUE(model.findings.empty());
    const Clump& clump = model.clumps[0];
    ASSERT_EQ(clump.atomics.size(), 4u);
    const Atomic& head = clump.atomics[3];
    ASSERT_EQ(clump.frames.at(head.frame).name, "head");

    double p[3];
    for (int k = 0; k < 3; ++k) p[k] = read_f32(clump.geometries.at(head.geometry).positions.data + 4 * k);
    for (std::int32_t f = head.frame; f >= 0; f = clump.frames[f].parent) {
        const Frame& fr = clump.frames[f];
        double q[3];
        for (int k = 0; k < 3; ++k) q[k] = p[0] * fr.right[k] + p[1] * fr.up[k] + p[2] * fr.at[k] + fr.position[k];
        std::copy(q, q + 3, p);
    }
    EXPECT_GT(p[0], 0.7) << "the head should hang beyond the post, at the arm's end";

    const std::string obj = write_obj(model, {}).obj;
    const std::size_t at = obj.find("\no head\nv ");
    ASSERT_NE(at, std::string::npos);
    const char* v = obj.c_str() + at + 10;
    for (int k = 0; k < 3; ++k) {
        char* end = nullptr;
        EXPECT_NEAR(std::strtod(v, &end), p[k], 1e-5) << "coordinate " << k;
        v = end;
    }
}

// Each texture the lamp's materials name is in lamp.txd, in its own pixel format, and decodes.
TEST(Samples, LampDictionaryHoldsEveryTextureInItsFormat) {
    const std::vector<std::uint8_t> bytes = sample_bytes("lamp.txd");
    const TextureDictionary d = read_texture_dictionary(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    EXPECT_TRUE(d.findings.empty());
    const std::vector<std::uint8_t> lamp = sample_bytes("lamp.dff");
    ObjText named = write_obj(read_model(lamp.data(), static_cast<std::uint32_t>(lamp.size())), {});
    named.texture_names.insert(named.texture_names.end(), named.mask_names.begin(), named.mask_names.end());
    const struct {
        const char* name;
        PixelFormat format;
        int size;
    } expected[] = {{"stone", PixelFormat::dxt1, 32},
                    {"metal", PixelFormat::r5g6b5, 16},
                    {"glass", PixelFormat::a8r8g8b8, 16},
                    {"glass_mask", PixelFormat::palette8, 16}};
    ASSERT_EQ(d.textures.size(), std::size(expected));
    EXPECT_EQ(named.texture_names.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const DictionaryTexture& t = d.textures[i];
        EXPECT_EQ(t.name, expected[i].name);
        EXPECT_EQ(t.format, expected[i].format) << t.name;
        EXPECT_EQ(t.width, expected[i].size) << t.name;
        EXPECT_NE(std::find(named.texture_names.begin(), named.texture_names.end(), t.name), named.texture_names.end())
            << t.name << " is not named by the lamp's materials";
        std::vector<std::uint8_t> rgba;
        std::string why;
        EXPECT_TRUE(decode_texture(t, rgba, why)) << t.name << ": " << why;
    }
}
