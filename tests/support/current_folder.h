#pragma once
// Makes a folder the current directory for one test and returns to the
// previous one afterwards, as the Open dialog leaves the model's folder current.

#include <filesystem>

struct CurrentFolder {
    std::filesystem::path previous;
    explicit CurrentFolder(const std::filesystem::path& folder)
        : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolder() {
        std::error_code ec;
        std::filesystem::current_path(previous, ec);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
};
