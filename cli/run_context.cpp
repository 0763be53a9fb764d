#include "cli/run_context.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#include "cli/game_files.h"
#include "game/archive.h"
#include "game/item_definitions.h"
#include "game/game_paths.h"
#include "game/text_lines.h"
#include "model/structure_reader.h"

namespace fs = std::filesystem;

namespace {

// Item definition and data files are some hundred kilobytes.
constexpr std::uintmax_t largest_text_file = std::uintmax_t(64) << 20;

// The models item definitions name, as written, for telling those no archive holds.
using DefinedModels = std::vector<std::string>;

void add_item_definitions(const std::string& file, RunContext& context, DefinedModels* defined = nullptr) {
    std::string text;
    if (std::string why = read_text_file(file, text); !why.empty()) {
        context.messages.push_back(file + ": item definitions not read: " + why);
        return;
    }
    const ItemDefinitionFile definitions = read_item_definitions(text, file);
    if (std::string skipped = skipped_lines_text(definitions); !skipped.empty())
        context.messages.push_back(file + ": " + skipped);
    context.catalog.add_item_definitions(definitions);
    context.vehicle_files->items.add(definitions);
    context.vehicle_files->have_items = true;
    if (defined)
        for (const ItemDefinition& item : definitions.items) defined->push_back(item.model);
}

// One line for the models the game's item definitions name that none of its
// archives or model files holds: no model's line can tell of them.
void tell_models_not_held(const DefinedModels& defined, const std::vector<ModelEntry>& models,
                          RunContext& context) {
    std::set<std::string> held;
    for (const ModelEntry& m : models)
        if (m.kind == ModelEntry::Kind::model)
            held.insert(lower_name(m.in_archive() ? entry_base_name(m.entry_name) : fs::path(m.path).stem().string()));
    std::vector<std::string> missing;
    std::set<std::string> told;
    for (const std::string& model : defined)
        if (!held.count(lower_name(model)) && told.insert(lower_name(model)).second) missing.push_back(model);
    if (missing.empty()) return;
    constexpr std::size_t shown = 10;
    std::string text;
    for (std::size_t i = 0; i < missing.size() && i < shown; ++i) text += (i ? ", " : "") + missing[i];
    if (missing.size() > shown) text += ", ...";
    context.messages.push_back(std::to_string(missing.size()) +
                               (missing.size() == 1 ? " model the item definitions name is" : " models the item definitions name are") +
                               " in no archive or model file: " + text);
}

// A named archive's or the game's: its dictionaries join the catalog; the
// game's also give their models, under a folder named after the archive.
void add_archive(const std::string& path, RunContext& context, bool game_models) {
    const ArchiveDirectory directory = read_archive(path);
    if (!directory.refused.empty()) {
        if (game_models)
            context.game_models.push_back(entry_of(path, "not read: " + directory.refused, ModelEntry::Kind::model));
        return;
    }
    context.catalog.add_archive(path, directory);
    if (!game_models) return;
    const std::size_t first = context.game_models.size();
    add_archive_models(path, directory, context.game_models);
    for (std::size_t i = first; i < context.game_models.size(); ++i)
        context.game_models[i].relative_folder = fs::path(path).stem().string();
}

void read_colour_file(const std::string& file, RunContext& context) {
    std::string text;
    if (std::string why = read_text_file(file, text); !why.empty()) {
        context.messages.push_back(file + ": vehicle colours not read: " + why + "; vehicles are painted grey");
        return;
    }
    VehicleFiles& vehicles = *context.vehicle_files;
    vehicles.colours = std::make_unique<CarColourFile>(read_car_colours(text));
    vehicles.colours_name = file;
    if (std::string skipped = car_colour_notes_text(*vehicles.colours, file); !skipped.empty())
        context.messages.push_back(skipped);
}

void read_wheels_file(const std::string& file, RunContext& context) {
    std::string text;
    if (std::string why = read_text_file(file, text); !why.empty()) {
        context.messages.push_back(file + ": wheels not read: " + why);
        return;
    }
    VehicleFiles& vehicles = *context.vehicle_files;
    vehicles.wheel_bytes.assign(text.begin(), text.end());
    vehicles.wheels = std::make_unique<Model>(
        read_model(vehicles.wheel_bytes.data(), static_cast<std::uint32_t>(vehicles.wheel_bytes.size())));
    vehicles.wheels_name = file;
    if (vehicles.wheels->clumps.empty()) context.messages.push_back(file + ": wheels not read: no model in it");
}

void add_game(const std::string& folder, RunContext& context) {
    const GameFiles game = find_game_files(folder, false);
    if (!game.read) {
        context.game_models.push_back(entry_of(game.root.string(), "not read: no data/gta.dat or data/default.dat in it",
                                               ModelEntry::Kind::model));
        return;
    }
    context.messages.insert(context.messages.end(), game.messages.begin(), game.messages.end());
    DefinedModels defined;
    for (const GameFile& f : game.item_definitions) add_item_definitions(f.file.string(), context, &defined);
    for (const GameFile& f : game.shared_dictionaries) {
        context.catalog.add_shared(f.file);
        context.catalog.add_dictionary_file(f.file);
    }
    for (const GameFile& f : game.archives) add_archive(f.file.string(), context, true);
    for (const GameFile& f : game.model_files) {
        const std::string relative = f.file.parent_path().lexically_relative(game.root).generic_string();
        context.game_models.push_back(entry_of(f.file.string(), "", ModelEntry::Kind::model, relative == "." ? "" : relative));
    }
    tell_models_not_held(defined, context.game_models, context);
    // The vehicles' files where the game keeps them; each may be missing.
    VehicleFiles& vehicles = *context.vehicle_files;
    if (!vehicles.colours)
        if (const fs::path file = resolve_game_path(game.root, "data/carcols.dat"); !file.empty())
            read_colour_file(file.string(), context);
    if (!vehicles.wheels)
        if (const fs::path file = resolve_game_path(game.root, "models/generic/wheels.dff"); !file.empty())
            read_wheels_file(file.string(), context);
}

}  // namespace

bool prepare_vehicles(const Options& options, RunContext& context, std::string& why) {
    if (!context.vehicle_files) {
        context.vehicle_files = std::make_unique<VehicleFiles>();
        context.vehicle.files = context.vehicle_files.get();
        if (!options.carcols_file.empty()) read_colour_file(options.carcols_file, context);
        if (!options.wheels_file.empty()) read_wheels_file(options.wheels_file, context);
        for (const std::string& file : options.item_definitions) add_item_definitions(file, context);
    }
    VehicleChoice& choice = context.vehicle.choice;
    choice.parts = options.parts == "damaged" ? VehicleParts::damaged
                   : options.parts == "far"   ? VehicleParts::far
                   : options.parts == "all"   ? VehicleParts::all
                                              : VehicleParts::near;
    choice.extras = options.extras;
    choice.paint = options.paint;
    if (choice.paint.empty()) return true;
    const VehicleFiles& files = *context.vehicle_files;
    if (!files.colours) {
        why = "option '--paint' needs the vehicles' colour file: name it with '--carcols FILE' or '--game DIR'";
        return false;
    }
    std::array<int, 4> indices{};
    std::string past;
    if (paint_indices(choice, *files.colours, "", indices, past)) return true;
    why = "option '--paint': " + past + " in " + files.colours_name;
    return false;
}

std::string read_text_file(const std::string& path, std::string& text) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return fs::exists(path, ec) ? "not a file" : "no such file";
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) return ec.message();
    if (size > largest_text_file) return "larger than " + std::to_string(largest_text_file >> 20) + " MB";
    std::ifstream in(path, std::ios::binary);
    text.assign(static_cast<std::size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(size))) return "cannot be read";
    return "";
}

RunContext prepare_run(const Options& options) {
    RunContext context;
    context.vehicle_files = std::make_unique<VehicleFiles>();
    context.vehicle.files = context.vehicle_files.get();
    if (!options.carcols_file.empty()) read_colour_file(options.carcols_file, context);
    if (!options.wheels_file.empty()) read_wheels_file(options.wheels_file, context);
    if (!options.game_dir.empty()) add_game(options.game_dir, context);
    for (const std::string& file : options.item_definitions) add_item_definitions(file, context);
    for (std::size_t i = 0; i < options.paths.size() && i < options.first_literal_path; ++i) {
        const std::string path = absolute_path(options.paths[i]);
        std::error_code ec;
        if (has_archive_extension(path) && fs::is_regular_file(path, ec)) add_archive(path, context, false);
    }
    // Dictionaries named with -t are found by name too, where an item definition names them.
    for (const std::string& file : options.textures) context.catalog.add_dictionary_file(file);
    return context;
}
