#pragma once
// Scoped changes to the test process: its current folder, and its effective
// user for checks of file permissions, which root would simply pass.

#include <filesystem>

// Makes folder the current directory, as the Open dialog leaves it; restores on exit.
struct CurrentFolder {
    std::filesystem::path previous;
    explicit CurrentFolder(const std::filesystem::path& folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
};

// Root may write into read-only files and folders. For as long as it lives,
// a root process acts as the user nobody; any other user stays as it is.
// active is false when root could not switch (then permissions are not tested).
struct Unprivileged {
    bool active = true;
    bool switched = false;
    Unprivileged();
    ~Unprivileged();
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;
};

// The ids root switches to, so that files can be made to belong to that user.
constexpr unsigned unprivileged_uid = 65534, unprivileged_gid = 65534;

// Lets the unprivileged user write into folder (root-made folders are not theirs).
void open_to_everyone(const std::filesystem::path& folder);
