// The public corpus of real model files from other tools: every file through
// every strategy without a fault, and the files whose single geometry the
// fixed block layout fits converted clean by go1 with their true counts.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/engine_runs.h"
#include "support/model_builder.h"

namespace {

const std::filesystem::path corpus = VORLUND_CORPUS_DIR;

std::vector<std::uint8_t> corpus_model(const std::string& name) {
    std::string bytes = read_file(corpus / name);
    return {bytes.begin(), bytes.end()};
}

struct LineCounts {
    int v = 0, vt = 0, f = 0, g = 0;
};

LineCounts count_lines(const std::string& text) {
    LineCounts c;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("v ", 0) == 0) ++c.v;
        else if (line.rfind("vt ", 0) == 0) ++c.vt;
        else if (line.rfind("f ", 0) == 0) ++c.f;
        else if (line.rfind("g ", 0) == 0) ++c.g;
    }
    return c;
}

#define SKIP_WITHOUT_CORPUS()                                                        \
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus

}  // namespace

TEST(Corpus, EveryFileThroughEveryStrategy) {
    SKIP_WITHOUT_CORPUS();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (entry.path().extension() != ".dff") continue;
        ++files;
        std::vector<std::uint8_t> model = corpus_model(entry.path().filename().string());
        for (Strategy go : {go1, go2, go3, go4}) {
            StrategyRun first = run_strategy(go, model);
            StrategyRun again = run_strategy(go, model);
            EXPECT_EQ(first.body, again.body) << entry.path();
            EXPECT_EQ(first.had_errors, again.had_errors) << entry.path();
        }
    }
    EXPECT_GT(files, 0);
}

TEST(Corpus, Go1ConvertsSingleGeometryFilesWithTheirTrueCounts) {
    SKIP_WITHOUT_CORPUS();
    struct Case {
        const char* file;
        int vertices, triangles;
    };
    const Case cases[] = {
        {"cube.dff", 24, 12},
        {"donut.dff", 36864, 12288},
        {"monkey.dff", 2875, 968},
        {"object.dff", 32, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        StrategyRun run = run_strategy(go1, corpus_model(c.file));
        LineCounts n = count_lines(run.body);
        EXPECT_EQ(run.had_errors, 0);
        EXPECT_TRUE(run.boxes.empty());
        EXPECT_EQ(n.g, 1);
        EXPECT_EQ(n.v, c.vertices);
        EXPECT_EQ(n.vt, c.vertices);
        EXPECT_EQ(n.f, c.triangles);
    }
}
