#include "control/structure_conversion.h"

#include <cstdio>
#include <vector>

#include "control/commands.h"
#include "control/version.h"
#include "engine/conversion_state.h"
#include "engine/obj_output.h"
#include "engine/source_loading.h"
#include "export/obj_writer.h"
#include "model/chunk_tree.h"
#include "model/structure_reader.h"
#include "model/model.h"

namespace {

// The engine's test of a model's first byte, and its words when that fails.
constexpr unsigned char model_type_mark = 16;
const char text_not_a_model[] = "This doesn't seem to be a dff file!";

bool keep_local = false;
bool night_colors = false;
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
    // Loaded as the strategies load it, but a model whose clump follows other
    // chunks (a UV animation dictionary) is read too: only a file the reader
    // finds no clump in gets the window's refusal.
    const int loaded = load_source(source_path);
    conversion_state.source_length = loaded;
    if (loaded == 0) return;
    const auto size = static_cast<std::uint32_t>(loaded);
    Model model = read_model(conversion_state.source_buffer, size);
    if (conversion_state.source_buffer[0] != model_type_mark && model.clumps.empty()) {
        show_error_box_after_text(text_not_a_model);
        return;
    }

    ObjWriteOptions options;
    options.local = keep_local;
    options.night = night_colors;
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

void set_structure_night(bool night) { night_colors = night; }

std::uint32_t structure_geometries_written() { return geometries_written; }

const std::vector<std::string>& structure_texture_names() { return texture_names; }

const std::string& structure_first_doubt() { return first_doubt; }

bool write_structure_mtl(std::string& mtl_path) {
    // Beside the OBJ file, wherever the command line put it.
    mtl_path = mtl_file_name_for(output_file_path());
    return write_text_file(mtl_path, mtl_text);
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

std::string mtl_file_name_for(const std::string& obj_file_name) {
    const std::string extension = ".obj";
    if (obj_file_name.size() >= extension.size() &&
        obj_file_name.compare(obj_file_name.size() - extension.size(), extension.size(), extension) == 0)
        return obj_file_name.substr(0, obj_file_name.size() - extension.size()) + ".mtl";
    return obj_file_name + ".mtl";
}
