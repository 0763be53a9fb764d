#include "cli/console_session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/terminal.h"
#include "control/platform.h"

namespace {

std::string next_model;
bool enter_model_folder = true;
std::vector<std::string> box_texts;
std::function<void(const std::string&)> box_watcher;
bool boxes_shown = true;
int box_errno = 0;
std::size_t progress_length = 0;  // characters of the progress line on screen, 0 for none

void session_message_box(WindowHandle owner, const char* text, const char* caption) {
    box_errno = errno;
    box_texts.push_back(text);
    if (boxes_shown) {
        clear_progress();
        console_platform.message_box(owner, text, caption);
    }
    if (box_watcher) box_watcher(text);
}

void session_open_dialog(WindowHandle, char* path, unsigned capacity) {
    std::string model = next_model;
    next_model.clear();
    if (model.empty() || model.size() >= capacity) return;
    std::error_code ec;
    if (enter_model_folder) std::filesystem::current_path(std::filesystem::path(model).parent_path(), ec);
    if (ec) return;
    std::memcpy(path, model.c_str(), model.size() + 1);
}

Platform session_platform;

std::size_t characters(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace

void start_console_session(bool show_boxes) {
    boxes_shown = show_boxes;
    session_platform = console_platform;
    session_platform.message_box = session_message_box;
    session_platform.open_dialog = session_open_dialog;
    set_platform(&session_platform);
}

void choose_next(const std::string& model_path, bool enter_folder) {
    next_model = model_path;
    enter_model_folder = enter_folder;
}

std::vector<std::string> take_box_texts() {
    std::vector<std::string> texts;
    texts.swap(box_texts);
    return texts;
}

void watch_boxes(std::function<void(const std::string& text)> watcher) { box_watcher = std::move(watcher); }

int errno_at_last_box() { return box_errno; }

void clear_progress() {
    if (progress_length == 0) return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(progress_length), "");
    std::fflush(stderr);
    progress_length = 0;
}

void say(const std::string& text) {
    clear_progress();
    std::fprintf(stderr, "vorlund-obj: %s\n", text.c_str());
}

void pass_on(const std::string& text) {
    clear_progress();
    std::fwrite(text.data(), 1, text.size(), stderr);
}

void show_progress(const std::string& text) {
    if (!stderr_is_terminal()) return;
    clear_progress();
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    progress_length = characters(text);
}
