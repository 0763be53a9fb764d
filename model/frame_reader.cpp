// The frame list: each frame's axes, position and parent, and its name from
// the frame-name plug-in in the frame's Extension.
#include "model/reading.h"

namespace {

constexpr std::uint32_t frame_record = 56;
constexpr std::uint32_t longest_name = 128;

// The plug-in's whole body is the name; some tools pad it with NULs. Bytes
// outside printable ASCII would garble the text the name ends up in.
std::string frame_name(const Reading& r, const Chunk& plugin) {
    std::string name = chunk_text(r, plugin);
    if (name.size() > longest_name) name.resize(longest_name);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '_';
    return name;
}

void read_frame(const std::uint8_t* p, Frame& frame) {
    for (int i = 0; i < 3; ++i) {
        frame.right[i] = read_f32(p + 4 * i);
        frame.up[i] = read_f32(p + 12 + 4 * i);
        frame.at[i] = read_f32(p + 24 + 4 * i);
        frame.position[i] = read_f32(p + 36 + 4 * i);
    }
    frame.parent = static_cast<std::int32_t>(read_u32(p + 48));
}

}  // namespace

void read_frame_list(Reading& r, const Chunk& list, std::vector<Frame>& frames, Skeleton& skeleton) {
    std::vector<Chunk> children = read_children(r, list);
    const Chunk* data = first_of(children, chunk_id::struct_data);
    if (!data || data->size < 4) {
        r.doubt(list.offset, "frame list without its count");
        return;
    }
    std::uint32_t count = read_u32(r.bytes + data->body());
    if (std::uint64_t(count) * frame_record > data->size - 4) {
        r.doubt(data->offset, "frame list promises " + std::to_string(count) + " frames in " +
                                  std::to_string(data->size) + " bytes");
        return;
    }
    frames.resize(count);
    for (std::uint32_t i = 0; i < count; ++i)
        read_frame(r.bytes + data->body() + 4 + i * frame_record, frames[i]);

    std::uint32_t index = 0;
    for (const Chunk& c : children) {
        if (c.id != chunk_id::extension) continue;
        if (index >= count) break;
        Frame& frame = frames[index];
        std::vector<Chunk> plugins = read_children(r, c);
        if (const Chunk* name = first_of(plugins, chunk_id::frame_name)) frame.name = frame_name(r, *name);
        if (const Chunk* bone = first_of(plugins, chunk_id::bone))
            read_bone_plugin(r, *bone, static_cast<std::int32_t>(index), frame, skeleton);
        ++index;
    }
}
