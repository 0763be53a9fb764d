#include "cli/convert_model.h"

#include <algorithm>
#include <optional>
#include <filesystem>
#include <vector>

#include "cli/console_session.h"
#include "cli/convert_collision.h"
#include "cli/doubt_reasons.h"
#include "control/model_check.h"
#include "control/model_effects.h"
#include "cli/model_textures.h"
#include "cli/output_place.h"
#include "cli/vertices_first_output.h"
#include "control/collision_conversion.h"
#include "control/commands.h"
#include "control/gltf_output.h"
#include "control/structure_conversion.h"
#include "engine/conversion_state.h"
#include "engine/source_loading.h"
#include "engine/error_box.h"

namespace {

const char* button_name(int id) {
    static const char* const names[] = {"go1", "go2", "go3", "go4"};
    return id == id_structure ? "structure" : names[id - id_go1];
}

bool shown(const std::vector<std::string>& boxes, const char* text) {
    return std::find(boxes.begin(), boxes.end(), text) != boxes.end();
}

void press(int button_id) { handle_command(nullptr, static_cast<std::uintptr_t>(button_id)); }

// The engine writes each group's v lines after the faces that use them; most
// importers read in one pass and would drop every face. So go1..go4's text is
// written vertices first as it is made, unless the window's text is asked
// for. false when the text could not be held to be reordered.
bool press_vertices_first(int button_id, bool exact_text) {
    if (exact_text) {
        press(button_id);
        return true;
    }
    VerticesFirstOutput reordered;
    press(button_id);
    return !reordered.out_of_memory();
}

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
    const StructureResult* structure = nullptr;  // structure's, while it is pressed

private:
    std::string doubt_reason() const {
        if (button != id_structure) return doubt_text(count_doubts(output_file_path(), boxes_));
        return structure ? structure->first_doubt : std::string();
    }

    std::vector<std::string> boxes_;
    std::string reason_;
};

// The path the engine is given: the model's file, or for an archive's entry
// the archive's path with the entry's output name, which has no file.
std::string engine_path(const ModelJob& job) {
    if (job.entry.archive_data.empty()) return job.model_path;
    return job.model_path.substr(0, job.model_path.size() - job.entry.entry_name.size()) + job.entry.file_name;
}

// The engine loads an archive entry's bytes instead of a file while this lives.
class GivenSource {
public:
    explicit GivenSource(const std::vector<std::uint8_t>& bytes) { set_source_bytes(bytes.data(), bytes.size()); }
    ~GivenSource() { set_source_bytes(nullptr, 0); }
    GivenSource(const GivenSource&) = delete;
    GivenSource& operator=(const GivenSource&) = delete;
};

// The failures that show before the OBJ file is opened.
std::string problem_before_open(const ModelJob& job, std::vector<std::uint8_t>& entry_bytes) {
    if (engine_path(job).size() >= source_path_capacity)
        return "its path is longer than " + std::to_string(source_path_capacity - 1) + " characters";
    const char* window_box = nullptr;
    if (!job.entry.archive_data.empty()) {
        if (std::string problem = read_model_entry(job.entry.archive_data, job.entry.start, job.entry.length, entry_bytes);
            !problem.empty())
            return problem;
    } else if (std::string problem = model_file_problem(job.model_path, &window_box); !problem.empty()) {
        // The window would get as far as its box; with -v the line says what it showed.
        if (window_box) show_error_box(window_box);
        return problem;
    }
    if (!job.output_folder.empty()) {
        if (std::string problem = make_folder(job.output_folder); !problem.empty())
            return "cannot create the folder " + job.output_folder + " (" + problem + ")";
    }
    return "";
}

// The window ends a model it could not load as a clean conversion; here it is
// a failure. The file was checked before: it changed since.
std::string load_failure(const ModelJob& job) {
    const std::string& model = job.model_path;
    if (conversion_state.source_length != 0 && conversion_state.source_buffer[0] == 16) return "";
    if (!job.entry.archive_data.empty()) return "the model could not be loaded";
    if (clump_after_other_chunks(model)) return "";
    std::string now = model_file_problem(model);
    return now.empty() ? "the model could not be loaded" : now;
}

struct ButtonRun {
    std::vector<int> order;               // the buttons to press, in turn
    std::size_t tried = 0;                // index of the last one pressed; order.size() when all were doubtful
    bool write_failed = false;
    std::string refusal;                  // the box of a strategy that refused the model by its first byte
    bool too_large_to_reorder = false;
    bool structure_made_geometry = false;
    std::vector<std::string> rejections;  // why each doubtful button was, in order
    StructureResult structure;            // what structure found, when it was pressed
    int used() const { return order[tried < order.size() ? tried : order.size() - 1]; }
};

// The run's vehicle setup, set once before the models are converted.
const VehicleSetup* run_vehicles = nullptr;

StructureRequest structure_request(const ModelJob& job) {
    StructureRequest request;
    request.vehicle = run_vehicles;
    request.local = job.local;
    request.night = job.night;
    request.collision = job.collision;
    request.third_game = job.third_game;
    request.obj = job.formats.obj;
    request.gltf = job.formats.any_gltf();
    request.effects = job.effects;
    if (request.gltf && job.effects) request.item_effects = item_effects_for(job.model_path, job.entry.archive_data.empty() ? std::string() : job.entry.entry_name);
    return request;
}

// Presses the button; structure runs as the job asks (it writes its vertices
// first already), and tells what it found in result. false when a strategy's
// text could not be held to be put vertices first.
bool press_for(const ModelJob& job, int button_id, StructureResult& result) {
    if (button_id != id_structure) return press_vertices_first(button_id, job.exact_text);
    run_structure_conversion(nullptr, structure_request(job), result);
    return true;
}

// The Open again, for the next button: a strategy that refused the model
// ended clean and closed the OBJ file.
void open_again(const ModelJob& job) {
    choose_next(engine_path(job), job.entry.archive_data.empty());
    handle_command(nullptr, id_open);
    take_box_texts();
}

ButtonRun press_buttons(const ModelJob& job) {
    const int button_id = job.button_id;
    DoubtWatch watch;
    ButtonRun run;
    watch.structure = &run.structure;
    run.order = {button_id};
    if (button_id == 0) run.order = {id_structure, id_go1, id_go2, id_go3, id_go4};
    set_keep_doubtful_output(button_id != 0);
    for (; run.tried < run.order.size(); ++run.tried) {
        watch.next_button();
        watch.button = run.order[run.tried];
        const bool reordered = press_for(job, watch.button, run.structure);
        // Text emptied for the next button does not count.
        run.too_large_to_reorder = !reordered && !conversion_state.output_open;
        std::vector<std::string> boxes = take_box_texts();
        if (shown(boxes, text_write_error)) {
            run.write_failed = true;
            break;
        }
        if (run.too_large_to_reorder) break;
        if (watch.button == id_structure) run.structure_made_geometry = run.structure.geometries_written > 0;
        // A clump after other chunks: structure reads it, the strategies refuse it.
        if (watch.button != id_structure && !boxes.empty() && !conversion_state.output_open &&
            refused_by_type_mark()) {
            run.rejections.push_back(boxes.front());
            if (button_id != 0) {
                run.refusal = boxes.front();
                break;
            }
            open_again(job);
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

// structure's MTL file goes with its OBJ text once that is kept. Empty when done.
std::string keep_structure_mtl(const ModelJob& job, const ButtonRun& run, int used) {
    std::string mtl;
    if (used != id_structure || !job.formats.obj || write_structure_mtl(run.structure, mtl)) return "";
    return "could not write " + mtl;
}

// Only once the output is kept: a model that fails leaves no PNG file behind.
// Textures in folders of their own are placed before the MTL file names them.
void keep_textures(const ModelJob& job, ButtonRun& run, int used, bool before_mtl) {
    if (used == id_structure && job.textures && before_mtl == !job.texture_root.empty())
        write_model_textures(job, run.structure);
}

// structure's MTL file with its textures: those in per-dictionary folders first.
std::string keep_structure_output(const ModelJob& job, ButtonRun& run, int used) {
    keep_textures(job, run, used, true);
    return keep_structure_mtl(job, run, used);
}

// The files a kept conversion leaves, for its line: the OBJ file unless
// structure wrote none, then the glTF files. Empty why when done.
struct Kept {
    std::string files, why;
};

// --collision: the collision OBJ beside the model's, or why there is none.
void keep_collision(const ModelJob& job, const ButtonRun& run, int used, Kept& kept) {
    if (!job.collision || used != id_structure) return;
    if (!run.structure.collision_note.empty()) kept.files += " (" + run.structure.collision_note + ")";
    if (run.structure.collision.empty()) {
        kept.files += " (no collision found)";
        return;
    }
    if (!job.formats.obj) return;
    std::string written, why;
    if (!write_model_collision(run.structure.collision, run.structure.collision_third_game, output_file_path(),
                               job.model_path, written, why)) {
        kept.why = why;
        return;
    }
    kept.files += ", " + written;
}

Kept keep_gltf(const ModelJob& job, ButtonRun& run, int used) {
    const std::string obj = output_file_path();
    Kept kept;
    if (used != id_structure || job.formats.obj) kept.files = obj;
    keep_collision(job, run, used, kept);
    if (!kept.why.empty()) return kept;
    if (!job.formats.any_gltf()) return kept;
    if (used != id_structure) {
        kept.files += "; no glTF was made (only structure writes glTF)";
        return kept;
    }
    // No OBJ text was written: the file the commands opened goes.
    if (!job.formats.obj) {
        std::error_code ignored;
        std::filesystem::remove(obj, ignored);
    }
    const std::string folder = std::filesystem::path(obj).parent_path().string();
    const struct {
        bool wanted;
        GltfContainer container;
    } containers[] = {{job.formats.glb, GltfContainer::glb}, {job.formats.gltf, GltfContainer::gltf}};
    // The animations join the plan once, before it is copied for a second container.
    std::string counted;
    if (job.animations && run.structure.gltf)
        counted = add_animations(*run.structure.gltf, *job.animations, job.animation_names);
    for (const auto& c : containers) {
        if (!c.wanted || !run.structure.gltf) continue;
        std::string written, why;
        // The last one takes the plan; one before it, a copy.
        GltfModel plan = c.container == GltfContainer::glb && job.formats.gltf ? *run.structure.gltf
                                                                                : std::move(*run.structure.gltf);
        std::vector<std::string> notes;
        if (!write_gltf_files(std::move(plan), c.container, obj, folder, run.structure.texture_paths, job.textures,
                              written, why, &notes)) {
            kept.why = "could not write " + written + " (" + why + ")";
            return kept;
        }
        kept.files += (kept.files.empty() ? "" : ", ") + written;
        if (job.verbose && c.container == (job.formats.gltf ? GltfContainer::gltf : GltfContainer::glb))
            for (const std::string& note : notes) say(job.model_path + ": " + note);
    }
    if (!counted.empty()) kept.files += " (" + counted + ")";
    return kept;
}

// The textures, the glTF files and the model's line, which names the files
// kept after line. The glTF files are written before it, as it names them;
// without them the line comes before the textures' lines, as it always has.
ModelOutcome keep(const ModelJob& job, ButtonRun& run, int used, const std::string& line, bool tell,
                  ModelOutcome outcome) {
    if (used == id_structure)
        for (const std::string& note : run.structure.vehicle_notes) say(job.model_path + ": " + note);
    if (used != id_structure || !job.formats.any_gltf()) {
        const Kept kept = keep_gltf(job, run, used);
        if (!kept.why.empty()) return model_failed(job.model_path, kept.why);
        if (tell) say(line + kept.files);
        keep_textures(job, run, used, false);
        return outcome;
    }
    keep_textures(job, run, used, false);
    Kept kept = keep_gltf(job, run, used);
    if (!kept.why.empty()) return model_failed(job.model_path, kept.why);
    if (tell) say(line + kept.files);
    return outcome;
}

// Every conversion of auto was doubtful: the OBJ file is open and empty, as
// the window leaves it, unless structure made something worth keeping.
ModelOutcome none_clean(const ModelJob& job, ButtonRun& run) {
    const std::string& model = job.model_path;
    const std::string obj = output_file_path();
    if (run.structure_made_geometry) {
        set_keep_doubtful_output(1);
        press_for(job, id_structure, run.structure);
        set_keep_doubtful_output(0);
        if (shown(take_box_texts(), text_write_error)) return model_failed(model, "could not write " + obj);
        if (std::string why = keep_structure_output(job, run, id_structure); !why.empty()) return model_failed(model, why);
        return keep(job, run, id_structure,
                    model + ": no conversion is clean (" + auto_rejections(run) +
                        "); structure's doubtful output is kept in ",
                    true, ModelOutcome::doubtful);
    }
    handle_close(nullptr);
    say(model + ": no conversion is clean (" + auto_rejections(run) + "); " + obj +
        " is left empty (--button structure and go1 to go4 keep each one's doubtful output)");
    return ModelOutcome::doubtful;
}

ModelOutcome finish(const ModelJob& job, ButtonRun run) {
    const std::string& model = job.model_path;
    const std::string obj = output_file_path();
    if (run.write_failed) return model_failed(model, "could not write " + obj);
    if (!run.refusal.empty())
        return model_failed(model, std::string(button_name(run.used())) + " refuses it (" + run.refusal +
                                       "): its clump follows other chunks, which only structure reads");
    if (run.too_large_to_reorder)
        return model_failed(model, "not enough memory to put the vertices of a group first in " + obj);
    if (run.tried == run.order.size()) return none_clean(job, run);
    if (std::string why = load_failure(job); !why.empty()) return model_failed(model, why);
    const int used = run.used();
    if (std::string why = keep_structure_output(job, run, used); !why.empty()) return model_failed(model, why);
    if (conversion_state.had_errors) {
        if (job.button_id == 0) return model_failed(model, "could not empty " + obj + " for the next button");
        std::string why = run.rejections.empty() ? "doubtful" : run.rejections.back();
        return keep(job, run, used, model + ": " + button_name(used) + " found doubtful output (" + why + "), kept in ",
                    true, ModelOutcome::doubtful);
    }
    return keep(job, run, used, model + ": " + button_name(used) + " converted it clean into ", !job.quiet,
                ModelOutcome::clean);
}

}  // namespace

void set_vehicle_setup(const VehicleSetup* setup) { run_vehicles = setup; }

ModelOutcome model_failed(const std::string& model_path, const std::string& why) {
    say(model_path + ": not converted: " + why);
    return ModelOutcome::failed;
}

ModelOutcome convert_model(const ModelJob& job) {
    if (is_collision_path(job.entry.archive_data.empty() ? job.model_path : job.entry.entry_name))
        return convert_collision_job(job);
    std::vector<std::uint8_t> entry_bytes;
    if (std::string problem = problem_before_open(job, entry_bytes); !problem.empty())
        return model_failed(job.model_path, problem);
    const bool is_entry = !job.entry.archive_data.empty();
    std::optional<GivenSource> given;
    if (is_entry) given.emplace(entry_bytes);

    // Checked before the Open replaces it: only a file made here may be removed.
    OutputLeftovers leftovers(job.obj_path, job.formats.obj);
    set_output_folder(job.output_folder);
    take_box_texts();
    choose_next(engine_path(job), !is_entry);
    handle_command(nullptr, id_open);
    std::vector<std::string> boxes = take_box_texts();
    if (!conversion_state.output_open) {
        if (shown(boxes, text_open_error))
            return model_failed(job.model_path, "cannot create " + job.obj_path + " (" +
                                                    system_error_text(errno_at_last_box()) + ")");
        return model_failed(job.model_path, "cannot enter its folder");
    }
    ModelOutcome outcome = finish(job, press_buttons(job));
    if (outcome == ModelOutcome::failed) leftovers.remove_created();
    std::error_code ec;
    leftovers.settle_obj(outcome != ModelOutcome::failed && std::filesystem::exists(job.obj_path, ec));
    return outcome;
}
