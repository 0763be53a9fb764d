#include "cli/convert_model.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "cli/console_session.h"
#include "cli/obj_rewrite.h"
#include "control/commands.h"
#include "control/structure_conversion.h"
#include "engine/conversion_state.h"

namespace {

const char* button_name(int id) {
    if (id == id_structure) return "structure";
    static const char* const names[] = {"go1", "go2", "go3", "go4"};
    return names[id - id_go1];
}

bool shown(const std::vector<std::string>& boxes, const char* text) {
    return std::find(boxes.begin(), boxes.end(), text) != boxes.end();
}

void press(int button_id) { handle_command(nullptr, static_cast<std::uintptr_t>(button_id)); }

ModelOutcome failed(const std::string& model, const std::string& why) {
    say(model + ": not converted: " + why);
    return ModelOutcome::failed;
}

// The window ends a model it could not load as a clean conversion; here it is a failure.
const char* load_failure() {
    if (conversion_state.source_length == 0) return "the model could not be loaded";
    if (conversion_state.source_buffer[0] != 16) return "not a model file";
    return nullptr;
}

// The engine writes each group's v lines after the faces that use them; most
// importers read in one pass and would drop every face. Empty when done.
std::string vertices_first(const std::string& obj, bool exact_text) {
    std::string error;
    if (exact_text || rewrite_vertices_first(obj, error)) return "";
    return "could not put the vertices first: " + error;
}

}  // namespace

ModelOutcome convert_model(const std::string& model, int button_id, bool exact_text) {
    if (model.size() >= source_path_capacity)
        return failed(model, "its path is longer than " +
                                 std::to_string(source_path_capacity - 1) + " characters");

    take_box_texts();
    choose_next(model);
    handle_command(nullptr, id_open);
    std::vector<std::string> boxes = take_box_texts();
    std::string obj = (std::filesystem::path(model).parent_path() / conversion_state.output_path).string();
    if (!conversion_state.output_open) {
        if (shown(boxes, text_open_error)) return failed(model, "cannot create " + obj);
        return failed(model, "cannot enter its folder");
    }

    set_keep_doubtful_output(button_id != 0);
    std::vector<int> order = {button_id};
    if (button_id == 0) order = {id_structure, id_go1, id_go2, id_go3, id_go4};
    std::size_t tried = 0;
    bool structure_made_geometry = false;
    for (; tried < order.size(); ++tried) {
        press(order[tried]);
        boxes = take_box_texts();
        if (shown(boxes, text_write_error)) return failed(model, "could not write " + obj);
        if (order[tried] == id_structure) structure_made_geometry = structure_geometries_written() > 0;
        if (!conversion_state.output_open) break;
    }
    set_keep_doubtful_output(0);
    // structure's MTL file belongs to its OBJ text alone.
    const std::filesystem::path mtl = std::filesystem::path(model).parent_path() /
                                      mtl_file_name_for(conversion_state.output_path);
    std::error_code ignored;

    if (tried == order.size()) {
        // Every conversion was doubtful: the OBJ file is open and empty, as the window leaves it.
        if (structure_made_geometry) {
            set_keep_doubtful_output(1);
            press(id_structure);
            set_keep_doubtful_output(0);
            if (shown(take_box_texts(), text_write_error)) return failed(model, "could not write " + obj);
            say(model + ": no conversion is clean; structure's doubtful output is kept in " + obj);
            return ModelOutcome::doubtful;
        }
        handle_close(nullptr);
        std::filesystem::remove(mtl, ignored);
        say(model + ": no button converts it clean; " + obj +
            " is left empty (--button structure and go1 to go4 keep each one's doubtful output)");
        return ModelOutcome::doubtful;
    }
    const int used = order[tried];
    // structure writes its vertices first already.
    const bool keep_text = exact_text || used == id_structure;
    if (button_id == 0 && used != id_structure) std::filesystem::remove(mtl, ignored);
    if (conversion_state.had_errors) {
        if (button_id == 0)
            return failed(model, "could not empty " + obj + " for the next button");
        if (std::string why = vertices_first(obj, keep_text); !why.empty()) return failed(model, why);
        say(model + ": " + button_name(used) + " found doubtful output, kept in " + obj);
        return ModelOutcome::doubtful;
    }
    if (const char* why = load_failure()) return failed(model, why);
    if (std::string why = vertices_first(obj, keep_text); !why.empty()) return failed(model, why);
    say(model + ": " + button_name(used) + " converted it clean into " + obj);
    return ModelOutcome::clean;
}
