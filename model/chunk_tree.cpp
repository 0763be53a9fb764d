#include "model/chunk_tree.h"

#include "model/model.h"

const char* chunk_name(std::uint32_t id) {
    switch (id) {
        case chunk_id::struct_data: return "Struct";
        case chunk_id::string: return "String";
        case chunk_id::extension: return "Extension";
        case chunk_id::texture: return "Texture";
        case chunk_id::material: return "Material";
        case chunk_id::material_list: return "MaterialList";
        case chunk_id::frame_list: return "FrameList";
        case chunk_id::geometry: return "Geometry";
        case chunk_id::clump: return "Clump";
        case chunk_id::atomic: return "Atomic";
        case chunk_id::geometry_list: return "GeometryList";
        case chunk_id::animation: return "Animation";
        case chunk_id::uv_dictionary: return "UV animation dictionary";
        case chunk_id::skin: return "Skin";
        case chunk_id::bone: return "Bone hierarchy";
        case chunk_id::bin_mesh: return "BinMesh";
        case chunk_id::native_data: return "Native data";
        case chunk_id::effects_2d: return "2D effects";
        case chunk_id::night_colors: return "Night vertex colours";
        case chunk_id::frame_name: return "Frame name";
        default: return "unknown";
    }
}

bool is_container(std::uint32_t id) {
    switch (id) {
        case chunk_id::clump:
        case chunk_id::frame_list:
        case chunk_id::geometry_list:
        case chunk_id::geometry:
        case chunk_id::material_list:
        case chunk_id::material:
        case chunk_id::texture:
        case chunk_id::atomic:
        case chunk_id::extension:
        case chunk_id::uv_dictionary: return true;
        default: return false;
    }
}

Step step_chunk(const std::uint8_t* bytes, std::uint32_t offset, std::uint32_t limit, Chunk& chunk) {
    if (offset >= limit) return Step::end;
    if (limit - offset < 12) return Step::leftover;
    if (read_chunk(bytes, offset, limit, chunk)) return Step::whole;
    chunk.size = limit - offset - 12;
    return Step::cut;
}

std::uint32_t zero_tail(const std::uint8_t* bytes, std::uint32_t size) {
    while (size > 0 && bytes[size - 1] == 0) --size;
    return size;
}
