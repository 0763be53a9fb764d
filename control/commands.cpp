#include "control/commands.h"

#include <cstdio>
#include <string>

#include "engine/conversion_state.h"
#include "engine/error_box.h"
#include "control/structure_conversion.h"
#include "control/version.h"

const char text_choose_model[] = "Choose a dff file!";
const char text_doubtful[] = "There were errors!\n\nChoose another button.";
const char text_open_error[] = "<*.obj> open error!";
const char text_write_error[] = "<*.obj> write error!";

namespace {

// Set while a strategy runs and while its doubtful-output message is up. A box
// without owner (the program not being the active one) lets commands through;
// they would write to a closed stream or close one twice, so they are dropped.
int conversion_busy = 0;

// The command line keeps doubtful output to show it; the window empties it.
int keep_doubtful = 0;

// The command line's output folder; empty for the window, whose OBJ file is a
// bare name in the model's folder (the current one after the Open dialog).
std::string output_folder;

// The path the OBJ file is opened by: the bare name, or the name in the output folder.
std::string output_file;

// Models produce hundreds of megabytes of text: one large buffer saves most of
// the write calls. One stream is open at a time, so one static buffer serves.
char output_buffer[1 << 20];

int open_output() {
    std::FILE* f = std::fopen(output_file.c_str(), "w");
    conversion_state.output = f;
    if (!f) return 0;
    std::setvbuf(f, output_buffer, _IOFBF, sizeof output_buffer);
    return 1;
}

// 0 when something written to the stream did not reach the file.
int close_output() {
    std::FILE* f = conversion_state.output;
    conversion_state.output = nullptr;
    int failed = std::ferror(f) != 0;
    if (std::fclose(f) != 0) failed = 1;
    return !failed;
}

bool is_path_separator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

std::string output_file_for(const char* name) {
    if (output_folder.empty()) return name;
    std::string path = output_folder;
    if (!is_path_separator(path.back())) {
#ifdef _WIN32
        path += '\\';
#else
        path += '/';
#endif
    }
    return path + name;
}

void show_about() {
    static const char text[] = PROGRAM_NAME " " PROGRAM_VERSION
        "\n\nTurns Vorlund model files (*.dff) into Wavefront OBJ text.";
    platform().message_box(nullptr, text, "About " PROGRAM_NAME);
}

void open_model(WindowHandle main_window) {
    if (!choose_model(main_window, conversion_state.source_path, conversion_state.output_path))
        return;
    for (int id = id_go1; id <= id_go4; ++id) platform().enable_button(main_window, id, 1);
}

}  // namespace

void set_keep_doubtful_output(int keep) { keep_doubtful = keep; }

void set_output_folder(const std::string& folder) { output_folder = folder; }

std::string output_file_path() {
    for (char c : output_file)
        if (is_path_separator(c)) return output_file;
    // A bare name lies in the model's folder, named as the dialog named the model.
    std::string path = conversion_state.source_path;
    std::size_t name = path.size();
    while (name > 0 && !is_path_separator(path[name - 1])) --name;
    return path.substr(0, name) + output_file;
}

int choose_model(WindowHandle main_window, char* source_path, char* output_path) {
    source_path[0] = '\0';
    platform().open_dialog(main_window, source_path, source_path_capacity);
    if (source_path[0] == '\0') return 0;

    // The OBJ file is named after the model's whole file name, extension included.
    const char* name = source_path;
    for (const char* c = source_path; *c; ++c)
        if (is_path_separator(*c)) name = c + 1;
    std::snprintf(output_path, output_path_capacity, "%s.obj", name);
    output_file = output_file_for(output_path);

    // The previous model's OBJ file is still empty: nothing to check.
    if (conversion_state.output_open) close_output();
    conversion_state.output_open = 0;

    if (!open_output()) {
        show_error_box(text_open_error);
        return 0;
    }
    conversion_state.output_open = 1;
    return 1;
}

namespace {

// Runs one conversion with the retry protocol after doubtful output.
template <class Convert>
void run_with_retry(WindowHandle main_window, int button_id, Convert&& convert) {
    if (!conversion_state.output_open) {
        show_error_box(text_choose_model);
        return;
    }
    conversion_busy = 1;
    conversion_state.had_errors = 0;
    convert();

    // A full disk must not pass for a finished conversion: the file is cut off.
    if (!close_output()) {
        conversion_state.output_open = 0;
        show_error_box(text_write_error);
    } else if (conversion_state.had_errors) {
        // The doubtful output stays on disk while the message is up, to be looked at.
        show_error_box(text_doubtful);
        if (keep_doubtful || !open_output()) conversion_state.output_open = 0;
    } else {
        conversion_state.output_open = 0;
    }
    conversion_busy = 0;
    platform().enable_button(main_window, button_id, 0);
}

}  // namespace

void run_conversion(WindowHandle main_window, int button_id, Strategy strategy) {
    run_with_retry(main_window, button_id, [&] { strategy(conversion_state.source_path); });
}

void run_structure_conversion(WindowHandle main_window, const StructureRequest& request, StructureResult& result) {
    if (conversion_busy) return;
    run_with_retry(main_window, id_structure,
                   [&] { result = convert_structure(conversion_state.source_path, request); });
}

int handle_command(WindowHandle main_window, std::uintptr_t wparam) {
    if (conversion_busy) return 0;
    switch (static_cast<int>(wparam & 0xFFFF)) {
    case id_go1: run_conversion(main_window, id_go1, go1); break;
    case id_go2: run_conversion(main_window, id_go2, go2); break;
    case id_go3: run_conversion(main_window, id_go3, go3); break;
    case id_go4: run_conversion(main_window, id_go4, go4); break;
    case id_structure: run_conversion(main_window, id_structure, structure); break;
    case id_about: show_about(); break;
    case id_open: open_model(main_window); break;
    case id_exit: platform().post_close(main_window); break;
    default: break;
    }
    return 0;
}

int handle_close(WindowHandle main_window) {
    // The doubtful-output message may be up with the stream already closed.
    if (conversion_busy) return 0;
    if (conversion_state.output_open) close_output();
    conversion_state.output_open = 0;
    platform().destroy_window(main_window);
    return 0;
}
