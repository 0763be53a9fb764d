#include "support/process_guards.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

CurrentFolder::CurrentFolder(const std::filesystem::path& folder)
    : previous(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

CurrentFolder::~CurrentFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous, ec);
}

// The engine's tests also run as a Windows program; they need only CurrentFolder.
#if !defined(_WIN32)

Unprivileged::Unprivileged() {
    if (geteuid() != 0) return;
    // Group first: once the user is switched, the group can no longer change.
    if (setegid(unprivileged_gid) != 0) {
        active = false;
        return;
    }
    if (seteuid(unprivileged_uid) != 0) {
        (void)setegid(0);
        active = false;
        return;
    }
    switched = true;
}

Unprivileged::~Unprivileged() {
    if (!switched) return;
    (void)seteuid(0);
    (void)setegid(0);
}

void open_to_everyone(const std::filesystem::path& folder) {
    std::filesystem::permissions(folder, std::filesystem::perms::all,
                                 std::filesystem::perm_options::add);
}

#endif  // !_WIN32
