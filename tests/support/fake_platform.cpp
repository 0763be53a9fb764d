#include "support/fake_platform.h"

#include <cstring>
#include <stdexcept>

namespace {

FakePlatform* current = nullptr;

void fake_message_box(WindowHandle owner, const char* text, const char* caption) {
    MessageBoxCall call{owner, text, caption};
    current->boxes.push_back(call);
    if (current->while_box_up) current->while_box_up(call);
}

WindowHandle fake_active_window() { return current->active; }

void fake_module_path(char* path, unsigned capacity) {
    std::strncpy(path, current->module_path.c_str(), capacity - 1);
    path[capacity - 1] = '\0';
}

void fake_open_dialog(WindowHandle owner, char* path, unsigned capacity) {
    ++current->open_dialogs;
    current->dialog_owner = owner;
    if (current->dialog_choice.empty()) return;
    std::strncpy(path, current->dialog_choice.c_str(), capacity - 1);
    path[capacity - 1] = '\0';
}

void fake_enable_button(WindowHandle, int id, int enable) {
    current->window_calls.push_back("enable " + std::to_string(id) + " " + std::to_string(enable));
    if (id >= 3 && id <= 6) current->enabled[id] = enable;
}

void fake_post_close(WindowHandle) { current->window_calls.push_back("post_close"); }
void fake_destroy_window(WindowHandle) { current->window_calls.push_back("destroy"); }

const Platform fake = {fake_message_box,   fake_active_window, fake_module_path,   fake_open_dialog,
                       fake_enable_button, fake_post_close,    fake_destroy_window};

}  // namespace

FakePlatform::FakePlatform() {
    if (current) throw std::logic_error("one FakePlatform at a time");
    current = this;
    set_platform(&fake);
}

FakePlatform::~FakePlatform() {
    set_platform(nullptr);
    current = nullptr;
}

std::vector<std::string> FakePlatform::box_texts() const {
    std::vector<std::string> texts;
    for (const auto& b : boxes) texts.push_back(b.text);
    return texts;
}

FakePlatform& fake_platform() { return *current; }
