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

const Platform fake = {fake_message_box, fake_active_window, fake_module_path};

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
