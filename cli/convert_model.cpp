#include "cli/convert_model.h"

#include <algorithm>
#include <vector>

#include "cli/console_session.h"
#include "cli/doubt_reasons.h"
#include "cli/model_check.h"
#include "cli/output_place.h"
#include "control/commands.h"
#include "engine/conversion_state.h"

namespace {

const char* button_name(int id) {
    static const char* const names[] = {"go1", "go2", "go3", "go4"};
    return names[id - id_go1];
}

bool shown(const std::vector<std::string>& boxes, const char* text) {
    return std::find(boxes.begin(), boxes.end(), text) != boxes.end();
}

void press(int button_id) { handle_command(nullptr, static_cast<std::uintptr_t>(button_id)); }

// Why each pressed button was doubtful, taken while its box was up: in auto,
// the OBJ text is emptied for the next button as soon as the box is gone.
class DoubtWatch {
public:
    DoubtWatch() {
        watch_boxes([this](const std::string& text) {
            boxes_.push_back(text);
            if (text == text_doubtful) reason_ = doubt_text(count_doubts(output_file_path(), boxes_));
        });
    }
    ~DoubtWatch() { watch_boxes(nullptr); }
    DoubtWatch(const DoubtWatch&) = delete;
    DoubtWatch& operator=(const DoubtWatch&) = delete;

    // Before each button: its boxes and reason only.
    void next_button() {
        boxes_.clear();
        reason_.clear();
    }
    const std::string& reason() const { return reason_; }

private:
    std::vector<std::string> boxes_;
    std::string reason_;
};

// The failures that show before the OBJ file is opened.
std::string problem_before_open(const ModelJob& job) {
    if (job.model_path.size() >= source_path_capacity)
        return "its path is longer than " + std::to_string(source_path_capacity - 1) + " characters";
    if (std::string problem = model_file_problem(job.model_path); !problem.empty()) return problem;
    if (!job.output_folder.empty()) {
        if (std::string problem = make_folder(job.output_folder); !problem.empty())
            return "cannot create the folder " + job.output_folder + " (" + problem + ")";
    }
    return "";
}

// The window ends a model it could not load as a clean conversion; here it is
// a failure. The file was checked before: it changed since.
std::string load_failure(const std::string& model) {
    if (conversion_state.source_length != 0 && conversion_state.source_buffer[0] == 16) return "";
    std::string now = model_file_problem(model);
    return now.empty() ? "the model could not be loaded" : now;
}

struct ButtonRun {
    int used = 0;                        // the last button pressed
    bool write_failed = false;
    std::vector<std::string> rejections;  // why each doubtful button was, in order
};

ButtonRun press_buttons(int button_id) {
    DoubtWatch watch;
    ButtonRun run;
    set_keep_doubtful_output(button_id != 0);
    int first = button_id ? button_id : id_go1, last = button_id ? button_id : id_go4;
    for (run.used = first; run.used <= last; ++run.used) {
        watch.next_button();
        press(run.used);
        std::vector<std::string> boxes = take_box_texts();
        if (shown(boxes, text_write_error)) {
            run.write_failed = true;
            break;
        }
        if (shown(boxes, text_doubtful))
            run.rejections.push_back(watch.reason());
        if (!conversion_state.output_open) break;
    }
    set_keep_doubtful_output(0);
    return run;
}

// "go1: <reason>; go2: <reason>" for auto, which starts at go1.
std::string auto_rejections(const std::vector<std::string>& reasons) {
    std::string text;
    for (std::size_t i = 0; i < reasons.size(); ++i)
        text += std::string(i ? "; " : "") + button_name(id_go1 + static_cast<int>(i)) + ": " + reasons[i];
    return text;
}

ModelOutcome finish(const ModelJob& job, const ButtonRun& run) {
    const std::string& model = job.model_path;
    const std::string obj = output_file_path();
    if (run.write_failed) return model_failed(model, "could not write " + obj);
    if (run.used > (job.button_id ? job.button_id : id_go4)) {
        // Every button was doubtful: the OBJ file is open and empty, as the window leaves it.
        handle_close(nullptr);
        say(model + ": no button converts it clean (" + auto_rejections(run.rejections) + "); " + obj +
            " is left empty (--button go1 to go4 keep each one's doubtful output)");
        return ModelOutcome::doubtful;
    }
    if (std::string why = load_failure(model); !why.empty()) return model_failed(model, why);
    if (conversion_state.had_errors) {
        if (job.button_id == 0) return model_failed(model, "could not empty " + obj + " for the next button");
        std::string why = run.rejections.empty() ? "doubtful" : run.rejections.back();
        say(model + ": " + button_name(run.used) + " found doubtful output (" + why + "), kept in " + obj);
        return ModelOutcome::doubtful;
    }
    if (!job.quiet) say(model + ": " + button_name(run.used) + " converted it clean into " + obj);
    return ModelOutcome::clean;
}

}  // namespace

ModelOutcome model_failed(const std::string& model_path, const std::string& why) {
    say(model_path + ": not converted: " + why);
    return ModelOutcome::failed;
}

ModelOutcome convert_model(const ModelJob& job) {
    if (std::string problem = problem_before_open(job); !problem.empty()) return model_failed(job.model_path, problem);

    // Checked before the Open replaces it: only a file made here may be removed.
    OutputLeftovers leftovers(job.obj_path);
    set_output_folder(job.output_folder);
    take_box_texts();
    choose_next(job.model_path);
    handle_command(nullptr, id_open);
    std::vector<std::string> boxes = take_box_texts();
    if (!conversion_state.output_open) {
        if (shown(boxes, text_open_error))
            return model_failed(job.model_path, "cannot create " + job.obj_path + " (" +
                                                    system_error_text(errno_at_last_box()) + ")");
        return model_failed(job.model_path, "cannot enter its folder");
    }
    ModelOutcome outcome = finish(job, press_buttons(job.button_id));
    if (outcome == ModelOutcome::failed) leftovers.remove_created();
    return outcome;
}
