// The material list: new materials and repeats of earlier entries, each with
// its colour and, when textured, the texture's and mask's names.
#include "model/reading.h"

namespace {

void read_texture(Reading& r, const Chunk& chunk, Material& material) {
    std::vector<Chunk> children = read_children(r, chunk);
    if (const Chunk* data = first_of(children, chunk_id::struct_data); data && data->size >= 4)
        material.sampling = read_u32(r.bytes + data->body()) & 0xFFFF;
    int strings = 0;
    for (const Chunk& c : children) {
        if (c.id != chunk_id::string) continue;
        if (strings == 0) material.texture = chunk_text(r, c);
        else material.mask = chunk_text(r, c);
        if (++strings == 2) break;
    }
    if (strings == 0) r.doubt(chunk.offset, "texture without its name");
}

// The UV animation plug-in: a Struct holding a slot mask, then a 32-byte
// name a set bit, lowest bit first.
void read_uv_animation_names(Reading& r, const Chunk& plugin, Material& material) {
    std::vector<Chunk> children = read_children(r, plugin);
    const Chunk* data = first_of(children, chunk_id::struct_data);
    if (!data || data->size < 4) {
        r.note(plugin.offset, "material's UV animation plug-in without its slots");
        return;
    }
    const std::uint32_t mask = read_u32(r.bytes + data->body());
    std::uint32_t at = 4;
    for (int bit = 0; bit < 32; ++bit) {
        if (!(mask >> bit & 1)) continue;
        if (data->size - at < 32) {
            r.note(plugin.offset, "material's UV animation plug-in names fewer animations than its slots");
            return;
        }
        const char* name = reinterpret_cast<const char*>(r.bytes + data->body() + at);
        std::size_t length = 0;
        while (length < 32 && name[length] != '\0') ++length;
        material.uv_animations.emplace_back(name, length);
        at += 32;
    }
}

void read_material(Reading& r, const Chunk& chunk, Material& material) {
    std::vector<Chunk> children = read_children(r, chunk);
    const Chunk* data = first_of(children, chunk_id::struct_data);
    if (!data || data->size < 16) {
        r.doubt(chunk.offset, "material without its colour");
        return;
    }
    const std::uint8_t* p = r.bytes + data->body();
    for (int i = 0; i < 4; ++i) material.color[i] = p[4 + i];
    bool textured = read_u32(p + 12) != 0;
    const Chunk* texture = first_of(children, chunk_id::texture);
    if (texture) read_texture(r, *texture, material);
    else if (textured) r.doubt(chunk.offset, "material promises a texture and holds none");
    if (const Chunk* extension = first_of(children, chunk_id::extension))
        for (const Chunk& c : read_children(r, *extension))
            if (c.id == chunk_id::uv_animation_plugin) read_uv_animation_names(r, c, material);
}

}  // namespace

void read_material_list(Reading& r, const Chunk& list, std::vector<Material>& materials) {
    std::vector<Chunk> children = read_children(r, list);
    const Chunk* data = first_of(children, chunk_id::struct_data);
    if (!data || data->size < 4) {
        r.doubt(list.offset, "material list without its count");
        return;
    }
    std::uint32_t count = read_u32(r.bytes + data->body());
    if (std::uint64_t(count) * 4 > data->size - 4) {
        r.doubt(data->offset, "material list promises " + std::to_string(count) + " entries in " +
                                  std::to_string(data->size) + " bytes");
        return;
    }
    std::vector<const Chunk*> chunks;
    for (const Chunk& c : children)
        if (c.id == chunk_id::material) chunks.push_back(&c);

    materials.resize(count);
    std::size_t next = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        // -1 takes the next Material chunk; any other entry repeats an earlier one.
        std::int32_t entry = static_cast<std::int32_t>(read_u32(r.bytes + data->body() + 4 + 4 * i));
        if (entry == -1) {
            if (next < chunks.size()) read_material(r, *chunks[next++], materials[i]);
            else r.doubt(list.offset, "material list runs out of materials at entry " + std::to_string(i));
        } else if (entry >= 0 && static_cast<std::uint32_t>(entry) < i) {
            materials[i] = materials[static_cast<std::uint32_t>(entry)];
        } else {
            r.doubt(data->offset, "material entry " + std::to_string(i) + " repeats entry " +
                                      std::to_string(entry) + ", which is not an earlier one");
        }
    }
}
