#include "control/structure_conversion.h"

#include <cstdio>
#include <vector>

#include "control/commands.h"
#include "control/version.h"
#include "engine/conversion_state.h"
#include "engine/obj_output.h"
#include "engine/source_loading.h"
#include "export/obj_writer.h"
#include "model/structure_reader.h"
#include "model/model.h"

namespace {

bool keep_local = false;
std::uint32_t geometries_written = 0;
std::vector<std::string> texture_names;
std::string first_doubt;
std::string mtl_text;

// Atomics may place one geometry many times; a small hostile file must not
// make endless text. Real models make a few times their size.
constexpr std::uint64_t text_bytes_per_model_byte = 64;
constexpr std::uint64_t text_bytes_floor = 64u << 20;

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

void run_structure(const char* source_path) {
    geometries_written = 0;
    texture_names.clear();
    first_doubt.clear();
    mtl_text.clear();
    if (!prepare_source(source_path)) return;
    const auto size = static_cast<std::uint32_t>(conversion_state.source_length);
    Model model = read_model(conversion_state.source_buffer, size);

    ObjWriteOptions options;
    options.local = keep_local;
    options.model_path = source_path;
    options.mtl_file_name = mtl_file_name_for(conversion_state.output_path);
    options.program_name_version = PROGRAM_NAME " " PROGRAM_VERSION;
    options.obj_sink = [](std::string_view piece) {
        put_bytes(piece.data(), static_cast<unsigned>(piece.size()));
    };
    options.max_obj_bytes = text_bytes_floor + text_bytes_per_model_byte * size;
    ObjText text = write_obj(model, options);
    geometries_written = text.geometries_written;
    texture_names = text.texture_names;
    texture_names.insert(texture_names.end(), text.mask_names.begin(), text.mask_names.end());
    first_doubt = text.first_doubt;

    mtl_text = std::move(text.mtl);
    if (text.doubtful) conversion_state.had_errors = 1;
}

}  // namespace

void structure(const char* source_path) { run_with_gathered_output(run_structure, source_path); }

void set_structure_local(bool local) { keep_local = local; }

std::uint32_t structure_geometries_written() { return geometries_written; }

const std::vector<std::string>& structure_texture_names() { return texture_names; }

const std::string& structure_first_doubt() { return first_doubt; }

bool write_structure_mtl(std::string& mtl_path) {
    // Beside the OBJ file, wherever the command line put it.
    mtl_path = mtl_file_name_for(output_file_path());
    return write_text_file(mtl_path, mtl_text);
}

void place_structure_textures(const std::map<std::string, std::string>& path_of) {
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
            std::string key = file;
            for (char& c : key) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            auto it = path_of.find(key);
            if (it != path_of.end()) line = prefix + it->second + (ends_line ? "\n" : "");
        }
        text += line;
    }
    mtl_text = std::move(text);
}

std::string mtl_file_name_for(const std::string& obj_file_name) {
    const std::string extension = ".obj";
    if (obj_file_name.size() >= extension.size() &&
        obj_file_name.compare(obj_file_name.size() - extension.size(), extension.size(), extension) == 0)
        return obj_file_name.substr(0, obj_file_name.size() - extension.size()) + ".mtl";
    return obj_file_name + ".mtl";
}
