#include "cli/convert_model.h"

#include <algorithm>
#include <vector>

#include "cli/console_session.h"
#include "cli/doubt_reasons.h"
#include "cli/model_check.h"
#include "cli/model_textures.h"
#include "cli/obj_rewrite.h"
#include "cli/output_place.h"
#include "control/commands.h"
#include "control/structure_conversion.h"
#include "engine/conversion_state.h"

namespace {

const char* button_name(int id) {
    static const char* const names[] = {"go1", "go2", "go3", "go4"};
    return id == id_structure ? "structure" : names[id - id_go1];
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
            if (text == text_doubtful) reason_ = doubt_reason();
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
    int button = 0;  // the one pressed

private:
    std::string doubt_reason() const {
        if (button != id_structure) return doubt_text(count_doubts(output_file_path(), boxes_));
        return structure_first_doubt();
    }

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
    if (clump_after_other_chunks(model)) return "";
    std::string now = model_file_problem(model);
    return now.empty() ? "the model could not be loaded" : now;
}

struct ButtonRun {
    std::vector<int> order;               // the buttons to press, in turn
    std::size_t tried = 0;                // index of the last one pressed; order.size() when all were doubtful
    bool write_failed = false;
    std::string refusal;                  // the box of a strategy that refused the model by its first byte
    bool structure_made_geometry = false;
    std::vector<std::string> rejections;  // why each doubtful button was, in order
    int used() const { return order[tried < order.size() ? tried : order.size() - 1]; }
};

// The Open again, for the next button: a strategy that refused the model
// ended clean and closed the OBJ file.
void open_again(const std::string& model) {
    choose_next(model);
    handle_command(nullptr, id_open);
    take_box_texts();
}

ButtonRun press_buttons(int button_id, const std::string& model) {
    DoubtWatch watch;
    ButtonRun run;
    run.order = {button_id};
    if (button_id == 0) run.order = {id_structure, id_go1, id_go2, id_go3, id_go4};
    set_keep_doubtful_output(button_id != 0);
    for (; run.tried < run.order.size(); ++run.tried) {
        watch.next_button();
        watch.button = run.order[run.tried];
        press(watch.button);
        std::vector<std::string> boxes = take_box_texts();
        if (shown(boxes, text_write_error)) {
            run.write_failed = true;
            break;
        }
        if (watch.button == id_structure) run.structure_made_geometry = structure_geometries_written() > 0;
        // A clump after other chunks: structure reads it, the strategies refuse it.
        if (watch.button != id_structure && !boxes.empty() && !conversion_state.output_open &&
            refused_by_type_mark()) {
            run.rejections.push_back(boxes.front());
            if (button_id != 0) {
                run.refusal = boxes.front();
                break;
            }
            open_again(model);
            if (!conversion_state.output_open) {
                run.write_failed = true;
                break;
            }
            continue;
        }
        if (shown(boxes, text_doubtful))
            run.rejections.push_back(watch.reason());
        if (!conversion_state.output_open) break;
    }
    set_keep_doubtful_output(0);
    return run;
}

// "structure: <reason>; go1: <reason>" for auto, in the order tried.
std::string auto_rejections(const ButtonRun& run) {
    std::string text;
    for (std::size_t i = 0; i < run.rejections.size() && i < run.order.size(); ++i)
        text += std::string(i ? "; " : "") + button_name(run.order[i]) + ": " + run.rejections[i];
    return text;
}

// The engine writes each group's v lines after the faces that use them; most
// importers read in one pass and would drop every face. Empty when done.
std::string vertices_first(const ModelJob& job, int used) {
    std::string error;
    // structure writes its vertices first already.
    if (job.exact_text || used == id_structure || rewrite_vertices_first(output_file_path(), error)) return "";
    return "could not put the vertices first: " + error;
}

// structure's MTL file goes with its OBJ text once that is kept. Empty when done.
std::string keep_structure_mtl(int used) {
    std::string mtl;
    if (used != id_structure || write_structure_mtl(mtl)) return "";
    return "could not write " + mtl;
}

// Only once the output is kept: a model that fails leaves no PNG file behind.
void keep_textures(const ModelJob& job, int used) {
    if (used == id_structure && job.textures) write_model_textures(job.model_path, job.dictionaries, job.quiet);
}

// Every conversion of auto was doubtful: the OBJ file is open and empty, as
// the window leaves it, unless structure made something worth keeping.
ModelOutcome none_clean(const ModelJob& job, const ButtonRun& run) {
    const std::string& model = job.model_path;
    const std::string obj = output_file_path();
    if (run.structure_made_geometry) {
        set_keep_doubtful_output(1);
        press(id_structure);
        set_keep_doubtful_output(0);
        if (shown(take_box_texts(), text_write_error)) return model_failed(model, "could not write " + obj);
        if (std::string why = keep_structure_mtl(id_structure); !why.empty()) return model_failed(model, why);
        say(model + ": no conversion is clean (" + auto_rejections(run) + "); structure's doubtful output is kept in " +
            obj);
        keep_textures(job, id_structure);
        return ModelOutcome::doubtful;
    }
    handle_close(nullptr);
    say(model + ": no conversion is clean (" + auto_rejections(run) + "); " + obj +
        " is left empty (--button structure and go1 to go4 keep each one's doubtful output)");
    return ModelOutcome::doubtful;
}

ModelOutcome finish(const ModelJob& job, const ButtonRun& run) {
    const std::string& model = job.model_path;
    const std::string obj = output_file_path();
    if (run.write_failed) return model_failed(model, "could not write " + obj);
    if (!run.refusal.empty())
        return model_failed(model, std::string(button_name(run.used())) + " refuses it (" + run.refusal +
                                       "): its clump follows other chunks, which only structure reads");
    if (run.tried == run.order.size()) return none_clean(job, run);
    if (std::string why = load_failure(model); !why.empty()) return model_failed(model, why);
    const int used = run.used();
    if (std::string why = keep_structure_mtl(used); !why.empty()) return model_failed(model, why);
    if (conversion_state.had_errors) {
        if (job.button_id == 0) return model_failed(model, "could not empty " + obj + " for the next button");
        if (std::string why = vertices_first(job, used); !why.empty()) return model_failed(model, why);
        std::string why = run.rejections.empty() ? "doubtful" : run.rejections.back();
        say(model + ": " + button_name(used) + " found doubtful output (" + why + "), kept in " + obj);
        keep_textures(job, used);
        return ModelOutcome::doubtful;
    }
    if (std::string why = vertices_first(job, used); !why.empty()) return model_failed(model, why);
    if (!job.quiet) say(model + ": " + button_name(used) + " converted it clean into " + obj);
    keep_textures(job, used);
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
    ModelOutcome outcome = finish(job, press_buttons(job.button_id, job.model_path));
    if (outcome == ModelOutcome::failed) leftovers.remove_created();
    return outcome;
}
