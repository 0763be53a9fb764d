#include "control/structure_conversion.h"

#include <cstdio>
#include <vector>

#include "control/commands.h"
#include "control/version.h"
#include "engine/conversion_state.h"
#include "engine/obj_output.h"
#include "engine/source_loading.h"
#include "control/collision_catalog.h"
#include "export/collision_gltf.h"
#include "export/obj_writer.h"
#include "game/text_lines.h"
#include "model/chunk_tree.h"
#include "model/structure_reader.h"
#include "model/model.h"

namespace {

// The engine's test of a model's first byte, and its words when that fails.
constexpr unsigned char model_type_mark = 16;
const char text_not_a_model[] = "This doesn't seem to be a dff file!";

// Written under a temporary name first: a half-written MTL file never stands
// under the name the OBJ file reads.
bool write_text_file(const std::string& name, const std::string& text) {
    const std::string temporary = name + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "w");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0) ok = false;
#ifdef _WIN32
    // rename does not replace an existing file there.
    if (ok) std::remove(name.c_str());
#endif
    if (ok && std::rename(temporary.c_str(), name.c_str()) != 0) ok = false;
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

// "cars/MyCar.dff" gives "MyCar", the name a cars line gives it.
std::string model_base_name(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The record the loaded model embeds, else the one found by its name.
void find_collision(const char* source_path, const StructureRequest& request, std::uint32_t size,
                    StructureResult& result) {
    const std::string_view bytes(reinterpret_cast<const char*>(conversion_state.source_buffer), size);
    std::string_view payload;
    if (find_embedded_collision(bytes, payload)) {
        CollisionModel m;
        if (std::string why = read_collision_record(payload, m); why.empty()) {
            result.collision.push_back(std::move(m));
            // Only the third game reads a model's own record.
            result.collision_third_game = true;
            return;
        } else {
            result.collision_note = "its embedded collision is not read: " + why;
        }
    }
    result.collision = request.collision_by_name;
    result.collision_third_game = request.third_game;
    if (result.collision.empty()) {
        // The game's collision model of the model's name: its file's name without the extension.
        if (const CollisionModel* m = collision_by_name(model_base_name(source_path))) result.collision.push_back(*m);
    }
}

void run_structure(const char* source_path, const StructureRequest& request, StructureResult& result) {
    // Loaded as the strategies load it, but a model whose clump follows other
    // chunks (a UV animation dictionary) is read too: only a file the reader
    // finds no clump in gets the window's refusal.
    const int loaded = load_source(source_path);
    conversion_state.source_length = loaded;
    if (loaded == 0) return;
    const auto size = static_cast<std::uint32_t>(loaded);
    result.model = std::make_unique<Model>(read_model(conversion_state.source_buffer, size));
    if (request.vehicle) {
        VehicleReport report = assemble_vehicle(*result.model, model_base_name(source_path), *request.vehicle);
        result.vehicle_notes = std::move(report.notes);
        result.vehicle_game = report.vehicle ? report.game : 0;
    }
    const Model& model = *result.model;
    if (conversion_state.source_buffer[0] != model_type_mark && model.clumps.empty()) {
        show_error_box_after_text(text_not_a_model);
        return;
    }
    bool doubtful = false;
    if (request.collision) find_collision(source_path, request, size, result);

    if (request.obj) {
        ObjWriteOptions options;
        options.local = request.local;
        options.night = request.night;
        options.model_path = source_path;
        options.mtl_file_name = mtl_file_name_for(conversion_state.output_path);
        options.program_name_version = PROGRAM_NAME " " PROGRAM_VERSION;
        options.obj_sink = [](std::string_view piece) {
            put_bytes(piece.data(), static_cast<unsigned>(piece.size()));
        };
        options.max_obj_bytes = text_bytes_floor + text_bytes_per_model_byte * size;
        ObjText text = write_obj(model, options);
        result.geometries_written = text.geometries_written;
        result.texture_names = text.texture_names;
        result.texture_names.insert(result.texture_names.end(), text.mask_names.begin(), text.mask_names.end());
        result.first_doubt = text.first_doubt;
        result.mtl_text = std::move(text.mtl);
        doubtful = text.doubtful;
    }
    if (request.gltf) {
        GltfWriteOptions options;
        options.local = request.local;
        options.night = request.night;
        options.model_path = source_path;
        options.program_name_version = PROGRAM_NAME " " PROGRAM_VERSION;
        options.effects = request.effects;
        options.item_effects = request.item_effects;
        GltfModel plan = plan_gltf(model, options);
        if (!result.collision.empty()) {
            const int root = plan.document.json()["scenes"][0]["nodes"][0].get<int>();
            add_collision_group(plan.document, plan.materials, root, result.collision, result.collision_third_game,
                                result.collision_bytes);
        }
        if (!request.obj) {
            result.geometries_written = plan.geometries_written;
            result.texture_names = plan.texture_names;
            result.texture_names.insert(result.texture_names.end(), plan.mask_names.begin(), plan.mask_names.end());
            result.first_doubt = plan.first_doubt;
            doubtful = plan.doubtful;
        }
        result.gltf = std::move(plan);
    }
    if (doubtful) conversion_state.had_errors = 1;
}

}  // namespace

StructureResult convert_structure(const char* source_path, const StructureRequest& request) {
    StructureResult result;
    run_gathered([&] { run_structure(source_path, request, result); });
    return result;
}

void structure(const char* source_path) { convert_structure(source_path, StructureRequest{}); }

bool write_structure_mtl(const StructureResult& result, std::string& mtl_path) {
    // Beside the OBJ file, wherever the command line put it.
    mtl_path = mtl_file_name_for(output_file_path());
    return write_text_file(mtl_path, result.mtl_text);
}

bool clump_after_other_chunks(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    // Most files that are no model give themselves away by their first header:
    // a chunk that runs past the file (other than a dictionary cut short).
    std::uint8_t head[12];
    const bool headed = std::fread(head, 1, sizeof head, f) == sizeof head;
    std::vector<std::uint8_t> bytes(head, head + (headed ? sizeof head : 0));
    bool hopeless = !headed || head[0] == model_type_mark;
    if (!hopeless && read_u32(head) != chunk_id::uv_dictionary && std::fseek(f, 0, SEEK_END) == 0) {
        const long end = std::ftell(f);
        hopeless = end < 12 || static_cast<unsigned long long>(end) - 12 < read_u32(head + 4);
    }
    if (hopeless || std::fseek(f, 12, SEEK_SET) != 0) {
        std::fclose(f);
        return false;
    }
    std::uint8_t block[1 << 16];
    bool ok = true;
    for (std::size_t got; ok && (got = std::fread(block, 1, sizeof block, f)) > 0;) {
        bytes.insert(bytes.end(), block, block + got);
        ok = bytes.size() <= max_model_size;
    }
    ok = ok && !std::ferror(f);
    std::fclose(f);
    if (!ok) return false;
    return !read_model(bytes.data(), static_cast<std::uint32_t>(bytes.size())).clumps.empty();
}

bool refused_by_type_mark() {
    return conversion_state.source_length > 0 && conversion_state.source_buffer[0] != model_type_mark;
}

void place_structure_textures(StructureResult& result, const std::map<std::string, std::string>& path_of) {
    result.mtl_text = place_mtl_textures(result.mtl_text, path_of);
}

std::string place_mtl_textures(const std::string& mtl_text, const std::map<std::string, std::string>& path_of) {
    std::string text;
    std::size_t pos = 0;
    while (pos < mtl_text.size()) {
        std::size_t end = mtl_text.find('\n', pos);
        end = end == std::string::npos ? mtl_text.size() : end + 1;
        std::string line = mtl_text.substr(pos, end - pos);
        pos = end;
        for (const char* map : {"map_Kd ", "map_d "}) {
            const std::string prefix = map;
            if (line.compare(0, prefix.size(), prefix) != 0) continue;
            std::string file = line.substr(prefix.size());
            const bool ends_line = !file.empty() && file.back() == '\n';
            if (ends_line) file.pop_back();
            auto it = path_of.find(lower_name(file));
            if (it != path_of.end()) line = prefix + it->second + (ends_line ? "\n" : "");
        }
        text += line;
    }
    return text;
}

std::string mtl_file_name_for(const std::string& obj_file_name) {
    const std::string extension = ".obj";
    if (obj_file_name.size() >= extension.size() &&
        obj_file_name.compare(obj_file_name.size() - extension.size(), extension.size(), extension) == 0)
        return obj_file_name.substr(0, obj_file_name.size() - extension.size()) + ".mtl";
    return obj_file_name + ".mtl";
}
