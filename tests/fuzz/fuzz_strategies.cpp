// libFuzzer target: arbitrary bytes read as an animation file (its
// animations written as glTF channels on a small skeleton), as an archive of either version
// (each whole entry read back by offset), as item definitions (vehicles'
// lines too), as a vehicle colour file and as a data file, as a texture dictionary with every
// texture decoded in memory, read by the structure reader, inspected and
// written as OBJ text (skins posed, and as stored with night colours) and as
// a glb file (skins and all, into the scratch folder; again with every
// texture found, for the UV animations, and the bytes' 2dfx lines), then
// converted by each of the four strategies into a null stream; the same bytes
// are also read as a placement file and an item definition file, and the
// model is written as a scene placed by their records, and assembled as a
// vehicle (the same bytes as its wheels, cars lines and colours). Any crash, sanitizer
// report or leak is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "engine/conversion_state.h"
#include "control/platform.h"
#include "control/vehicle.h"
#include "engine/strategies.h"
#include "game/archive.h"
#include "game/car_colours.h"
#include "game/game_data_file.h"
#include "game/item_definitions.h"
#include "game/item_effects.h"
#include "model/dictionary_inspection.h"
#include "model/model_inspection.h"
#include "export/gltf_animation.h"
#include "export/gltf_writer.h"
#include "game/animation_file.h"
#include "export/obj_scene.h"
#include "export/obj_writer.h"
#include "game/map_selection.h"
#include "model/structure_reader.h"
#include "model/texture_dictionary.h"

namespace {

void silent_box(WindowHandle, const char*, const char*) {}
WindowHandle no_window() { return nullptr; }
void no_path(char* path, unsigned capacity) {
    if (capacity) path[0] = '\0';
}
void no_dialog(WindowHandle, char*, unsigned) {}
void no_button(WindowHandle, int, int) {}
void no_window_call(WindowHandle) {}

const Platform silent = {silent_box, no_window,      no_path,       no_dialog,
                         no_button,  no_window_call, no_window_call};

// The model is read by file name from the current folder, as the Open dialog leaves it.
std::string model_folder;
const char* const model_name = "fuzz-model.dff";

void set_up() {
    char pattern[] = "/tmp/vorlund-fuzz-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder) std::abort();
    model_folder = folder;
    set_platform(&silent);
    conversion_state.output = std::fopen("/dev/null", "w");
    if (!conversion_state.output) std::abort();
    conversion_state.output_open = 1;
}

void decode_dictionary(const std::uint8_t* data, std::size_t size) {
    const TextureDictionary d = read_texture_dictionary(data, static_cast<std::uint32_t>(size));
    std::vector<std::uint8_t> rgba;
    std::string why;
    for (const DictionaryTexture& t : d.textures) {
        if (decode_texture(t, rgba, why)) (void)needs_alpha(t, rgba);
    }
    if (inspect_dictionary(data, static_cast<std::uint32_t>(size)).empty()) std::abort();
}

void write_model(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen((model_folder + "/" + model_name).c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

// The bytes as the game's files: both archive versions from memory, then the
// same bytes as a file read through the reader that the program uses.
void read_game_files(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)read_item_definitions(text, "fuzz.ide");
    std::vector<SkippedLine> skipped;
    (void)read_item_effects(text, skipped);
    (void)car_colour_notes_text(read_car_colours(text), "fuzz.dat");
    (void)read_game_data_file(text);
    for (const ArchiveDirectory& d : {parse_version1(data, size, size), parse_version2(data, size, size)})
        (void)archive_directory_text(d);
    const std::string archive = model_folder + "/fuzz.img";
    std::FILE* f = std::fopen(archive.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    const ArchiveDirectory d = read_archive(archive);
    std::vector<std::uint8_t> bytes;
    for (const ArchiveEntry& e : d.entries) {
        if (!e.damage.empty()) continue;
        // A whole entry lies inside the file: reading it must succeed.
        if (!read_archive_entry(d.data_file, e.start, e.length, bytes).empty()) std::abort();
        (void)entry_content_length(bytes.data(), bytes.size());
    }
}

// The bytes as a vehicle, its own wheels.dff, cars lines and colour file all
// made of the same bytes, each part choice, written as OBJ text.
void assemble_as_vehicle(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ItemIndex items;
    items.add(read_item_definitions(text, "fuzz.ide"));
    VehicleFiles files;
    files.items = &items;
    files.colours = std::make_unique<CarColourFile>(read_car_colours(text));
    files.wheels = std::make_unique<Model>(read_model(data, static_cast<std::uint32_t>(size)));
    for (VehicleParts parts : {VehicleParts::near, VehicleParts::damaged, VehicleParts::far}) {
        Model model = read_model(data, static_cast<std::uint32_t>(size));
        VehicleSetup setup;
        setup.choice.parts = parts;
        setup.choice.extras = {1, 2};
        setup.files = &files;
        (void)vehicle_inspection_text(model, "fuzz", setup);
        assemble_vehicle(model, "fuzz", setup);
        ObjWriteOptions options;
        options.max_obj_bytes = 1 << 20;
        write_obj(model, options);
    }
}

// The bytes as a map: placement records, item definitions, the model placed by the first records.
void place_model(const std::uint8_t* data, std::size_t size, const Model& model) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    PlacementFile placements = read_placement_file(text, "fuzz.ipl");
    ItemIndex items;
    items.add(read_item_definitions(text, "fuzz.ide"));
    MapSelection selection = select_instances({&placements}, items, MapOptions{});
    (void)unresolved_text(selection, 4);
    std::vector<SceneInstance> instances;
    for (const Instance& i : placements.instances) {
        if (instances.size() == 16) break;
        if (!instance_transform(i, true, instances.emplace_back().transform)) std::abort();
    }
    ObjSceneOptions options;
    options.max_obj_bytes = 1 << 20;
    write_obj_scene({{"fuzz", &model, "fuzz", true}}, instances, options);
}

// The bytes as an animation file, its animations on a small skeleton of
// bone ids 0 to 2 in a document of three nodes, written as a glb into the scratch folder.
void read_animations(const std::uint8_t* data, std::size_t size) {
    const AnimationFile file = read_animation_file(std::string_view(reinterpret_cast<const char*>(data), size));
    GltfDocument document;
    GltfSkeletonNodes skeleton;
    for (int b = 0; b < 3; ++b) {
        document.add("nodes", {{"name", "bone"}, {"rotation", {0, 0, 0.6, 0.8}}, {"scale", {1, 1, 2}}});
        skeleton.bones.push_back({b, b == 1 ? " Pelvis" : "Root", b});
    }
    skeleton.above_root = {2};
    (void)add_gltf_animations(document, skeleton, file, {});
    std::string why;
    document.write_glb(model_folder + "/animations.glb", why);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size <= 0xFFFFFFFFu) decode_dictionary(data, size);
    // The structure reader must take any bytes: every model has a clump or a finding.
    std::uint32_t length = static_cast<std::uint32_t>(size);
    Model model = read_model(data, length);
    std::string text = inspect_model(data, length);
    if (text.empty() || (model.clumps.empty() && model.findings.empty())) std::abort();
    // Placed (skinned characters stood up or posed by their bones), and as
    // stored with the night colours.
    write_obj(model, ObjWriteOptions{});
    ObjWriteOptions local_night;
    local_night.local = local_night.night = true;
    write_obj(model, local_night);
    place_model(data, size, model);
    if (size <= 0xFFFFFFFFu) assemble_as_vehicle(data, size);

    static bool ready = (set_up(), true);
    (void)ready;
    // As glTF, skins and all, its buffer made byte for byte. Into the scratch
    // folder: the file is written beside its name and renamed over it.
    std::string why;
    finish_gltf(plan_gltf(model, GltfWriteOptions{}), [](const std::string&, GltfImage&) { return false; })
        .write_glb(model_folder + "/fuzz.glb", why);
    read_animations(data, size);
    // Again with every texture found, so that the UV animations reach their
    // materials, and with the bytes' 2dfx lines as the model's own.
    GltfWriteOptions with_effects;
    std::vector<SkippedLine> skipped;
    for (ItemEffect& e : read_item_effects(std::string_view(reinterpret_cast<const char*>(data), size), skipped))
        with_effects.item_effects.push_back(std::move(e.effect));
    std::vector<std::string> notes;
    finish_gltf(plan_gltf(model, with_effects),
                [](const std::string&, GltfImage& image) { return image.png = {0x89, 'P', 'N', 'G'}, true; }, &notes)
        .write_glb(model_folder + "/fuzz.glb", why);
    read_game_files(data, size);
    write_model(data, size);
    std::string path = model_folder + "/" + model_name;
    // libFuzzer reads its corpus by relative paths: leave the model's folder after each run.
    int here = open(".", O_RDONLY | O_DIRECTORY);
    if (here < 0 || chdir(model_folder.c_str()) != 0) std::abort();
    for (Strategy go : {go1, go2, go3, go4}) {
        conversion_state.had_errors = 0;
        go(path.c_str());
    }
    if (fchdir(here) != 0) std::abort();
    close(here);
    return 0;
}
