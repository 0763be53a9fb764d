#pragma once
// A platform that records what the control logic asked of it, for tests.

#include <functional>
#include <string>
#include <vector>

#include "control/platform.h"

struct MessageBoxCall {
    WindowHandle owner;
    std::string text;
    std::string caption;
};

struct FakePlatform {
    std::vector<MessageBoxCall> boxes;
    WindowHandle active = nullptr;
    std::string module_path = "C:\\Programs\\vorlund\\vorlund.exe";
    // Runs while a box is up, as the box's own message loop would run commands.
    std::function<void(const MessageBoxCall&)> while_box_up;

    // What the Open dialog "chooses": empty for cancel. Counted in open_dialogs.
    std::string dialog_choice;
    int open_dialogs = 0;
    WindowHandle dialog_owner = nullptr;
    // Every platform call that changes the window, in order:
    // "enable 3 1", "post_close", "destroy".
    std::vector<std::string> window_calls;
    int enabled[7] = {};  // buttons 3 to 6 by id; disabled at start

    FakePlatform();   // installs itself as the platform
    ~FakePlatform();  // restores the console platform

    std::vector<std::string> box_texts() const;
};

// The fake in use, for the platform's plain function pointers.
FakePlatform& fake_platform();
