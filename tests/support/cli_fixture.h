#pragma once
// A scratch folder to run vorlund-obj in, with the bundled samples at hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/model_builder.h"
#include "support/run_program.h"

#ifdef VORLUND_OBJ_PROGRAM

class CliFolder : public ::testing::Test {
protected:
    TempFolder folder;

    ProgramRun cli(const std::vector<std::string>& args, bool unprivileged = false) {
        return run_program(VORLUND_OBJ_PROGRAM, args, RunSettings{folder.path.string(), unprivileged});
    }

    std::filesystem::path copy_sample(const std::string& name, const std::string& as = "") {
        std::filesystem::path to = folder.path / (as.empty() ? name : as);
        std::filesystem::create_directories(to.parent_path());
        std::filesystem::copy_file(std::filesystem::path(VORLUND_SOURCE_DIR) / "samples" / name, to);
        return to;
    }

    std::string at(const std::string& name) const { return (folder.path / name).string(); }

    // Everything in the folder, relative to it, sorted: for "nothing else touched".
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::recursive_directory_iterator(folder.path))
            names.push_back(e.path().lexically_relative(folder.path).generic_string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

inline std::vector<std::string> lines_of_text(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

#endif
