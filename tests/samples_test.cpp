// The bundled sample models are exactly what our generator makes today.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/model_builder.h"
#include "support/run_program.h"

namespace fs = std::filesystem;

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
        if (e.path().extension() != ".dff") continue;
        EXPECT_TRUE(fs::exists(made.path / e.path().filename()))
            << e.path().filename() << " is committed but no longer made";
    }
    EXPECT_EQ(compared, 3);
#endif
}
