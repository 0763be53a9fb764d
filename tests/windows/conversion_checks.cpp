// A whole conversion through the real Open dialog, button after button.
#include <cstdio>
#include <string>

#include "driver_support.h"
#include "scenarios.h"

namespace {

const char errors_text[] = "There were errors!\n\nChoose another button.";
const char choose_text[] = "Choose a dff file!";

bool choose_model(const Program& program, const std::string& model) {
    post_command(program, id_open);
    HWND dialog = nullptr;
    if (!wait_until([&] { return (dialog = find_open_dialog(program)) != nullptr; })) {
        check(false, "File/Open shows the Open dialog");
        return false;
    }
    check_equal(window_text(dialog), " load *.dff", "Open dialog title");
    check(GetWindow(dialog, GW_OWNER) == program.window, "the main window owns the Open dialog");
    HWND types = GetDlgItem(dialog, 0x470);
    check_equal(static_cast<long long>(SendMessageW(types, CB_GETCOUNT, 0, 0)), 2, "file types");
    check_equal(combo_line(types, 0), "Vorlund models (*.dff)", "first file type");
    check_equal(combo_line(types, 1), "All Files (*.*)", "second file type");
    check_equal(static_cast<long long>(SendMessageW(types, CB_GETCURSEL, 0, 0)), 0,
                "the first file type is chosen");

    const std::string path = windows_path(model);
    SendMessageA(GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    bool ready = wait_until([&] {
        if (IsWindow(dialog) && IsWindowVisible(dialog)) return false;
        for (int n = 1; n <= 4; ++n)
            if (!IsWindowEnabled(button(program, n))) return false;
        return true;
    });
    check(ready, "after choosing " + path + " the dialog is gone and all four buttons are enabled");
    return ready;
}

struct Reference {
    std::string text;    // without the header line
    bool doubtful = false;
};

bool load_reference(const std::string& folder, int n, Reference& reference) {
    const std::string name = folder + "/go" + std::to_string(n);
    std::string text, status;
    if (!read_whole_file(name + ".obj", text) || !read_whole_file(name + ".status", status)) {
        check(false, "reference files " + name + ".obj and .status");
        return false;
    }
    reference.text = text.substr(text.find('\n') + 1);
    reference.doubtful = status.rfind("doubtful", 0) == 0;
    return true;
}

// The OBJ text as the Linux build would write it: LF line ends, and a header
// line that names the model by the path this program was given.
void check_obj_text(const std::string& obj, const std::string& model, const Reference& reference,
                    const std::string& what) {
    std::string text;
    if (!read_whole_file(obj, text)) {
        check(false, what + ": the OBJ file " + obj + " exists");
        return;
    }
    check(text.find("\r\n") != std::string::npos, what + ": CR LF line ends");
    text = without_carriage_returns(text);
    const size_t header_end = text.find('\n') + 1;
    check_equal(lower(text.substr(0, header_end)), lower("# " + windows_path(model) + "\n"),
                what + ": header line");
    const std::string body = text.substr(header_end);
    check(body == reference.text, what + ": the OBJ text equals the Linux build's (" +
                                      std::to_string(body.size()) + " bytes, expected " +
                                      std::to_string(reference.text.size()) + ")");
    if (body != reference.text) {
        size_t i = 0;
        while (i < body.size() && i < reference.text.size() && body[i] == reference.text[i]) ++i;
        const size_t from = body.rfind('\n', i) == std::string::npos ? 0 : body.rfind('\n', i) + 1;
        std::printf("  first difference at byte %zu:\n  got:      %s\n  expected: %s\n", i,
                    body.substr(from, body.find('\n', i) - from).c_str(),
                    reference.text.substr(from, reference.text.find('\n', i) - from).c_str());
    }
}

std::string caption_for(const Program& program) { return lower(program.path.substr(0, 127)); }

}  // namespace

int run_convert(const char* exe, const std::string& model, const std::string& references,
                const char* picture) {
    Program program;
    if (!start_program(program, exe, "", -1)) return 1;
    const std::string obj = model + ".obj";
    bool ready = false, pressed_refused = false;
    int chosen_before = 1;  // the first button pressed since the model was last chosen
    for (int n = 1; n <= 4; ++n) {
        Reference reference;
        if (!load_reference(references, n, reference)) break;
        const std::string what = "go" + std::to_string(n);
        if (!ready) {
            if (!choose_model(program, model)) break;
            chosen_before = n;
            std::string text = "?";
            read_whole_file(obj, text);
            check(text.empty(), what + ": the OBJ file is there and empty once the model is chosen");
            check_focus(program, "after the Open dialog");
            ready = true;
        }
        post_command(program, 2 + n);
        int error_boxes = 0;
        bool done = wait_until(
            [&] {
                if (HWND box = find_message_box(program)) {
                    const bool owned = GetWindow(box, GW_OWNER) == program.window;
                    const bool main_enabled = IsWindowEnabled(program.window) != 0;
                    const std::string text = window_text(GetDlgItem(box, 0xFFFF));
                    if (text == errors_text) {
                        // The doubtful output stays in the file while the box is up.
                        check_obj_text(obj, model, reference, what + " (doubtful, box up)");
                        ++error_boxes;
                    }
                    BoxSeen seen = dismiss_box(box);
                    std::printf("%s: box \"%s\"\n", what.c_str(), seen.text.c_str());
                    check_equal(lower(seen.caption), caption_for(program), what + ": box caption");
                    check(owned && !main_enabled, what + ": the box is owned by the main window, "
                                                         "which is disabled meanwhile");
                    return false;
                }
                return !IsWindowEnabled(button(program, n));
            },
            60000);
        check(done, what + ": the conversion ends with the button disabled");
        if (!done) break;
        if (error_boxes) check_focus(program, "after the message box");
        if (reference.doubtful) {
            check_equal(error_boxes, 1, what + ": \"There were errors!\" boxes");
            std::string text = "?";
            read_whole_file(obj, text);
            check(text.empty(), what + ": the OBJ file is emptied after the box");
            check(file_is_held_open(obj), what + ": the OBJ file stays open for the next button");
        } else {
            check_equal(error_boxes, 0, what + ": \"There were errors!\" boxes");
            check_obj_text(obj, model, reference, what + " (clean)");
            check(!file_is_held_open(obj), what + ": the OBJ file is closed");
            ready = false;
            if (picture) {
                take_picture(program, picture);
                picture = nullptr;
            }
            // The other buttons stay enabled, but there is nothing to convert.
            for (int m = 1; m <= 4 && !pressed_refused; ++m) {
                if (m == n || !IsWindowEnabled(button(program, m))) continue;
                pressed_refused = true;
                post_command(program, 2 + m);
                HWND box = nullptr;
                check(wait_until([&] { return (box = find_message_box(program)) != nullptr; }),
                      "go" + std::to_string(m) + " after a clean conversion shows a box");
                if (box) {
                    BoxSeen seen = dismiss_box(box);
                    check_equal(seen.text, choose_text, "go" + std::to_string(m) + " refused");
                    check_equal(lower(seen.caption), caption_for(program), "its caption");
                }
                Sleep(200);
                check(IsWindowEnabled(button(program, m)) != 0,
                      "go" + std::to_string(m) + " stays enabled after the refusal");
            }
        }
        // Each button used since the model was chosen is disabled, the others not.
        for (int m = 1; m <= 4; ++m)
            check(!IsWindowEnabled(button(program, m)) == (m >= chosen_before && m <= n),
                  what + ": go" + std::to_string(m) + " is " +
                      (m >= chosen_before && m <= n ? "disabled once used" : "still enabled"));
    }
    exit_by_menu(program);
    if (ready) {
        std::string text = "?";
        read_whole_file(obj, text);
        check(text.empty(), "closing with a chosen model leaves its OBJ file empty");
    }
    return failed_checks;
}
