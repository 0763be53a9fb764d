#include "cli/console_session.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "control/platform.h"

#ifdef _WIN32
#include <io.h>
#define stderr_is_terminal() (_isatty(_fileno(stderr)) != 0)
#else
#include <unistd.h>
#define stderr_is_terminal() (isatty(fileno(stderr)) != 0)
#endif

namespace {

std::string next_model;
std::vector<std::string> box_texts;
std::size_t progress_length = 0;  // characters of the progress line on screen, 0 for none

void clear_progress() {
    if (progress_length == 0) return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(progress_length), "");
    progress_length = 0;
}

void session_message_box(WindowHandle owner, const char* text, const char* caption) {
    clear_progress();
    box_texts.push_back(text);
    console_platform.message_box(owner, text, caption);
}

void session_open_dialog(WindowHandle, char* path, unsigned capacity) {
    std::string model = next_model;
    next_model.clear();
    if (model.empty() || model.size() >= capacity) return;
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::path(model).parent_path(), ec);
    if (ec) return;
    std::memcpy(path, model.c_str(), model.size() + 1);
}

Platform session_platform;

}  // namespace

void start_console_session() {
    session_platform = console_platform;
    session_platform.message_box = session_message_box;
    session_platform.open_dialog = session_open_dialog;
    set_platform(&session_platform);
}

void choose_next(const std::string& model_path) { next_model = model_path; }

std::vector<std::string> take_box_texts() {
    std::vector<std::string> texts;
    texts.swap(box_texts);
    return texts;
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
    std::string line = "vorlund-obj: " + text;
    // A line that wraps could not be taken back: long paths lose their middle.
    const std::size_t width = 79, head = 13;
    if (line.size() > width) {
        std::size_t tail = line.size() - (width - head - 3);
        while (tail < line.size() && (static_cast<unsigned char>(line[tail]) & 0xC0) == 0x80) ++tail;
        line = line.substr(0, head) + "..." + line.substr(tail);
    }
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    progress_length = line.size();
}
