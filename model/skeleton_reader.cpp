// The bone hierarchy plug-in of the frames, and the skeleton it describes:
// each frame's node id, and on the frame the skeleton hangs from the node list
// whose order the skins' bone numbers follow.
#include "model/reading.h"

namespace {

constexpr std::uint32_t plugin_head = 12, list_head = 8, node_record = 12;

// Where frame's parent chain leaves the frames or returns to a frame seen on
// it: the frame index that breaks it, or -1 when it ends at a root.
std::int32_t chain_break(const std::vector<Frame>& frames, std::int32_t frame) {
    std::size_t steps = 0;
    for (std::int32_t at = frame; at != -1; at = frames[static_cast<std::size_t>(at)].parent) {
        if (at < 0 || static_cast<std::size_t>(at) >= frames.size() || steps++ > frames.size()) return at;
    }
    return -1;
}

bool any_skin(const Clump& clump) {
    for (const Geometry& g : clump.geometries)
        if (g.skin.bone_count > 0) return true;
    return false;
}

}  // namespace

void read_bone_plugin(Reading& r, const Chunk& plugin, std::int32_t index, Frame& frame, Skeleton& skeleton) {
    const std::uint8_t* p = r.bytes + plugin.body();
    if (plugin.size < plugin_head) {
        r.doubt(plugin.offset, "bone hierarchy plug-in of " + std::to_string(plugin.size) + " bytes, too short");
        return;
    }
    frame.node_id = static_cast<std::int32_t>(read_u32(p + 4));
    const std::uint32_t count = read_u32(p + 8);
    if (count == 0) return;
    if (skeleton.frame != -1) {
        r.note(plugin.offset, "a second bone list, on frame " + std::to_string(index) + ": left out");
        return;
    }
    if (plugin.size < plugin_head + list_head ||
        std::uint64_t(count) * node_record > plugin.size - plugin_head - list_head) {
        r.doubt(plugin.offset, "bone list of " + std::to_string(count) + " nodes runs past its " +
                                   std::to_string(plugin.size) + " bytes");
        return;
    }
    skeleton.offset = plugin.offset;
    skeleton.frame = index;
    skeleton.nodes.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* n = p + plugin_head + list_head + node_record * i;
        skeleton.nodes[i] = {static_cast<std::int32_t>(read_u32(n)), static_cast<std::int32_t>(read_u32(n + 4)),
                             read_u32(n + 8), -1};
    }
}

void resolve_skeleton(Reading& r, Clump& clump) {
    Skeleton& s = clump.skeleton;
    // Trouble matters to the OBJ only when a skin is posed by the skeleton.
    const bool posed = any_skin(clump);
    auto tell = [&](std::uint32_t offset, std::string text) {
        if (posed) r.doubt(offset, std::move(text) + ": skinned geometry written as stored");
        else r.note(offset, std::move(text));
    };
    if (s.frame != -1) {
        s.usable = true;
        for (std::size_t i = 0; i < s.nodes.size(); ++i) {
            SkeletonNode& node = s.nodes[i];
            for (std::size_t f = 0; f < clump.frames.size() && node.frame == -1; ++f)
                if (clump.frames[f].node_id == node.id) node.frame = static_cast<std::int32_t>(f);
            if (node.frame == -1) {
                tell(s.offset, "bone " + std::to_string(i) + " has node id " + std::to_string(node.id) +
                                   ", which no frame carries");
                s.usable = false;
                break;
            }
            if (std::int32_t broken = chain_break(clump.frames, node.frame); broken != -1) {
                tell(s.offset, "bone " + std::to_string(i) + "'s frame " + std::to_string(node.frame) +
                                   " has a broken parent chain at frame " + std::to_string(broken));
                s.usable = false;
                break;
            }
        }
    }
    for (Geometry& g : clump.geometries) {
        Skin& skin = g.skin;
        if (!skin.usable) continue;
        if (s.frame == -1) {
            r.doubt(skin.offset, "skin of " + std::to_string(skin.bone_count) +
                                     " bones in a clump without a skeleton: written as stored");
            skin.usable = false;
        } else if (skin.bone_count > s.nodes.size()) {
            r.doubt(skin.offset, "skin of " + std::to_string(skin.bone_count) + " bones on a skeleton of " +
                                     std::to_string(s.nodes.size()) + ": written as stored");
            skin.usable = false;
        } else if (!s.usable) {
            skin.usable = false;
        }
    }
}
