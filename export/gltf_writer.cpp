#include "export/gltf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "export/gltf_effects.h"
#include "export/gltf_mesh.h"
#include "export/gltf_uv_animation.h"
#include "export/gltf_nodes.h"
#include "export/mtl_writer.h"
#include "export/skin_pose.h"
#include "model/chunk.h"

namespace {

using nlohmann::json;

Placement placement_of_frame(const Frame& f) {
    Placement p;
    const float* axes[3] = {f.right, f.up, f.at};
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 3; ++k) p.axes[a][k] = axes[a][k];
    for (int k = 0; k < 3; ++k) p.position[k] = f.position[k];
    return p;
}

class Planner {
public:
    Planner(const GltfWriteOptions& options, GltfModel& plan)
        : options_(options), plan_(plan), d_(plan.document), mtl_("") {}

    void plan(const Model& model) {
        char version[16];
        d_.json()["asset"]["generator"] = options_.program_name_version;
        d_.json()["asset"]["extras"] = {{"formatVersion", version_text(model.version, version)},
                                        {"model", options_.model_path}};
        for (const Finding& f : model.findings)
            if (f.doubtful) doubt("doubtful at " + hex(f.offset) + ": " + f.text, f.text + " (at " + hex(f.offset) + ")");
        root_ = d_.add_z_up_root(names_.take(root_name()));
        many_clumps_ = model.clumps.size() > 1;
        for (std::size_t c = 0; c < model.clumps.size(); ++c) plan_clump(model.clumps[c], c);
        // The item definitions' effects stand in the model's space.
        if (options_.effects) effects_.add(root_, options_.item_effects, names_);
        plan_.uv_animations = model.uv_animations;
        if (!plan_.doubts.empty()) d_.node(root_)["extras"] = {{"doubts", plan_.doubts}};
        // A skinned mesh is drawn where its joints are: its node stands at the
        // scene's top, as glTF wants, beside the root.
        json scene_nodes = {root_};
        for (int n : skinned_nodes_) scene_nodes.push_back(n);
        d_.json()["scenes"] = json::array({{{"nodes", scene_nodes}}});
        d_.json()["scene"] = 0;
        plan_.texture_names = mtl_.take_textures();
        plan_.mask_names = mtl_.take_masks();
    }

private:
    std::string root_name() const {
        const std::string& path = options_.model_path;
        std::size_t at = path.find_last_of("/\\");
        return at == std::string::npos ? path : path.substr(at + 1);
    }


    int add_node(int parent, const std::string& name, json extra = json::object()) {
        extra["name"] = names_.take(name);
        int index = d_.add("nodes", std::move(extra));
        d_.attach(parent, index);
        return index;
    }

    void doubt(const std::string& line, const std::string& first = "") {
        if (!plan_.doubtful) plan_.first_doubt = first.empty() ? line : first;
        plan_.doubtful = true;
        plan_.doubts.push_back(line);
    }

    // A frame's parent chain ends at a root without running out of range or in circles.
    bool chain_ends(const std::vector<Frame>& frames, std::size_t frame, std::int32_t& broken_at) const {
        std::vector<bool> seen(frames.size(), false);
        for (std::int32_t at = static_cast<std::int32_t>(frame); at != -1; at = frames[static_cast<std::size_t>(at)].parent) {
            if (at < 0 || static_cast<std::size_t>(at) >= frames.size() || seen[static_cast<std::size_t>(at)]) {
                broken_at = at;
                return false;
            }
            seen[static_cast<std::size_t>(at)] = true;
        }
        return true;
    }

    // One node a frame, each under its parent's; a frame whose chain is broken
    // hangs from the clump's top. Their transforms come later, from place_frames.
    std::vector<int> frame_nodes(const Clump& clump, int top, const std::string& where) {
        const std::vector<Frame>& frames = clump.frames;
        std::vector<int> nodes(frames.size());
        node_parent_.assign(frames.size(), -1);
        for (std::size_t f = 0; f < frames.size(); ++f) {
            json n = json::object();
            n["name"] = names_.take(frames[f].name.empty() ? "frame_" + std::to_string(f) : frames[f].name);
            nodes[f] = d_.add("nodes", std::move(n));
        }
        for (std::size_t f = 0; f < frames.size(); ++f) {
            std::int32_t broken_at = -1;
            const std::int32_t parent = frames[f].parent;
            if (parent == -1) {
                d_.attach(top, nodes[f]);
            } else if (!chain_ends(frames, f, broken_at)) {
                doubt("frame " + std::to_string(f) + where + ": its chain of parents breaks at frame " +
                      std::to_string(broken_at) + ": placed without the rest of the chain");
                d_.attach(top, nodes[f]);
            } else {
                d_.attach(nodes[static_cast<std::size_t>(parent)], nodes[f]);
                node_parent_[f] = parent;
            }
        }
        return nodes;
    }

    // Each frame node's translation, rotation and scale from its local
    // placement, parents first: what a parent's node could not take (its
    // rest) goes into each child's placement. Returns each frame's rest.
    std::vector<Placement> place_frames(const std::vector<int>& nodes, const std::vector<Placement>& locals) {
        std::vector<Placement> rests(nodes.size());
        std::vector<bool> done(nodes.size(), false);
        for (std::size_t f = 0; f < nodes.size(); ++f) {
            // The chain above f that is not placed yet, placed from its top down;
            // chains were checked to end by frame_nodes.
            std::vector<std::size_t> chain;
            for (std::int32_t at = static_cast<std::int32_t>(f); at != -1 && !done[static_cast<std::size_t>(at)];
                 at = node_parent_[static_cast<std::size_t>(at)])
                chain.push_back(static_cast<std::size_t>(at));
            for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
                const std::int32_t parent = node_parent_[*at];
                const Placement parent_rest = parent == -1 ? Placement{} : rests[static_cast<std::size_t>(parent)];
                const SplitPlacement split = split_placement(then(locals[*at], parent_rest));
                set_node_transform(d_.node(nodes[*at]), split.node);
                rests[*at] = split.rest;
                done[*at] = true;
            }
        }
        return rests;
    }

    bool writable(const Geometry& g, const std::string& what) {
        if (g.native) doubt(what + " is in a console's native layout: left out");
        else if (!g.complete) doubt(what + " was not read whole: left out");
        else if (g.vertex_count > 0 && (!g.positions.data || g.positions.count < static_cast<std::uint32_t>(g.vertex_count)))
            doubt(what + " has no positions for its vertices: left out");
        else return true;
        return false;
    }

    // The joints of a skinned geometry: the frame nodes of its bones, in bone
    // order; empty when the skin cannot draw it (it is then a static mesh).
    std::vector<int> joints_of(const Clump& clump, const Geometry& g, const std::vector<int>& frame_nodes,
                               const std::string& what, bool tell = true) {
        if (options_.local || !g.skinned || !g.skin.usable || !clump.skeleton.usable || g.skin.bone_count == 0 ||
            g.skin.inverse_bind.size() < g.skin.bone_count || clump.skeleton.nodes.size() < g.skin.bone_count)
            return {};
        std::vector<int> joints;
        for (std::uint32_t b = 0; b < g.skin.bone_count; ++b) {
            const int n = frame_nodes[static_cast<std::size_t>(clump.skeleton.nodes[b].frame)];
            if (std::find(joints.begin(), joints.end(), n) != joints.end()) {
                if (tell) doubt(what + ": two of its bones are the same frame: written in its stored pose, without its skin");
                return {};
            }
            joints.push_back(n);
        }
        return joints;
    }

    // The skin of a geometry, made the first time: its joints and their inverse
    // bind matrices, the format's rows as glTF's columns. A joint whose node
    // has a rest takes it after its inverse bind matrix: the joint's node
    // times it is then the bone's frame, as before.
    int skin_for(const Clump& clump, const Geometry& g, std::size_t number, const std::vector<int>& joints,
                 const std::vector<Placement>& rests) {
        auto found = skins_.find(number);
        if (found != skins_.end()) return found->second;
        std::vector<Matrix3x4> matrices = g.skin.inverse_bind;
        const std::size_t count = joints.size();
        for (std::size_t b = 0; b < count; ++b) {
            const Placement& rest = rests[static_cast<std::size_t>(clump.skeleton.nodes[b].frame)];
            if (linear_identity(rest)) continue;
            const Placement moved = then(placement_of(matrices[b]), rest);
            for (int a = 0; a < 4; ++a)
                for (int k = 0; k < 3; ++k)
                    matrices[b][3 * a + k] = static_cast<float>(a < 3 ? moved.axes[a][k] : moved.position[k]);
        }
        int view = d_.add_view(64 * count, [matrices, count](std::uint8_t* out) {
            for (std::size_t b = 0; b < count; ++b)
                for (int i = 0; i < 16; ++i) {
                    const float v = i % 4 < 3 ? matrices[b][3 * (i / 4) + i % 4] : (i == 15 ? 1.0f : 0.0f);
                    const float f = std::isfinite(v) ? v : 0.0f;
                    std::memcpy(out + 64 * b + 4 * i, &f, 4);
                }
        });
        json skin = {{"joints", joints}, {"inverseBindMatrices", d_.add_accessor(view, gltf::float_type, count, "MAT4")}};
        return skins_[number] = d_.add("skins", std::move(skin));
    }

    // Stands a skeleton with a pelvis upright as the OBJ output does: the
    // joints' common ancestor takes the turn that puts the pelvis at G, so the
    // bones keep their own matrices and the mesh stays on them.
    void stand_upright(const Clump& clump, std::vector<Placement>& locals, const std::vector<int>& joint_frames) {
        const int pelvis = pelvis_bone(clump);
        Placement pelvis_world, undo_pelvis;
        pelvis_world = place_frame(clump.frames, clump.skeleton.nodes[static_cast<std::size_t>(pelvis)].frame).placement;
        if (!invert(pelvis_world, undo_pelvis)) return;
        const Placement correction = then(undo_pelvis, pelvis_to_upright());
        for (std::int32_t top : correction_tops(clump.frames, joint_frames)) {
            const Frame& f = clump.frames[static_cast<std::size_t>(top)];
            Placement parent_world, undo_parent;
            if (f.parent != -1) parent_world = place_frame(clump.frames, f.parent).placement;
            if (!invert(parent_world, undo_parent)) continue;
            const Placement local =
                then(then(then(placement_of_frame(f), parent_world), correction), undo_parent);
            locals[static_cast<std::size_t>(top)] = local;
        }
    }

    // The deepest frame above (or at) every joint frame; without one, the
    // root of each joint's chain.
    static std::vector<std::int32_t> correction_tops(const std::vector<Frame>& frames,
                                                     const std::vector<int>& joint_frames) {
        std::vector<std::uint32_t> below(frames.size(), 0);
        auto walk = [&](std::int32_t f, auto visit) {
            for (std::size_t steps = 0; f != -1 && steps < frames.size(); ++steps) {
                if (!visit(f)) return;
                f = frames[static_cast<std::size_t>(f)].parent;
            }
        };
        for (int j : joint_frames) walk(j, [&](std::int32_t f) { return ++below[static_cast<std::size_t>(f)], true; });
        std::vector<std::int32_t> tops;
        walk(joint_frames[0], [&](std::int32_t f) {
            if (below[static_cast<std::size_t>(f)] == joint_frames.size()) tops.push_back(f);
            return tops.empty();
        });
        if (!tops.empty()) return tops;
        for (int j : joint_frames) {
            std::int32_t root = j;
            walk(j, [&](std::int32_t f) { return root = f, true; });
            if (std::find(tops.begin(), tops.end(), root) == tops.end()) tops.push_back(root);
        }
        return tops;
    }

    // The bones' nodes for animations, and the frames' nodes above the root
    // bone up to the clump's top. The skin's bones were checked by joints_of.
    void note_skeleton(const Clump& clump, const Skin& skin, const std::vector<int>& frame_nodes, int top) {
        GltfSkeletonNodes& s = plan_.skeleton;
        for (std::uint32_t b = 0; b < skin.bone_count; ++b) {
            const SkeletonNode& n = clump.skeleton.nodes[b];
            const std::size_t f = static_cast<std::size_t>(n.frame);
            s.bones.push_back({n.id, clump.frames[f].name, frame_nodes[f]});
        }
        std::int32_t f = clump.frames[static_cast<std::size_t>(clump.skeleton.nodes[0].frame)].parent;
        for (std::size_t steps = 0; f >= 0 && static_cast<std::size_t>(f) < clump.frames.size() &&
                                    steps < clump.frames.size();
             ++steps, f = clump.frames[static_cast<std::size_t>(f)].parent)
            if (frame_nodes[static_cast<std::size_t>(f)] != top) s.above_root.push_back(frame_nodes[static_cast<std::size_t>(f)]);
    }

    // The geometry's mesh, made the first time; -1 when it has no vertices.
    // A mesh on a node with a rest is its own, moved by that rest; frame names
    // the node's frame then (one mesh a geometry and frame).
    int mesh_for(const Geometry& g, std::size_t number, bool skinned = false, const Placement* rest = nullptr,
                 std::int64_t frame = -1) {
        if (rest && linear_identity(*rest)) rest = nullptr;
        const std::pair<std::size_t, std::int64_t> key{number, rest ? frame : -1};
        auto found = meshes_.find(key);
        if (found != meshes_.end()) return found->second;
        GltfMeshInput input;
        input.geometry = &g;
        input.rest = rest;
        input.name = "geometry_" + std::to_string(number);
        input.night = options_.night;
        if (skinned) input.skin = &g.skin;
        // A geometry's materials once, whichever of its meshes comes first.
        auto [materials, fresh] = geometry_materials_.try_emplace(number);
        if (fresh)
            for (const std::string& name : mtl_.add_geometry(g, static_cast<std::uint32_t>(number))) {
                materials->second.push_back(static_cast<int>(plan_.materials.size()));
                plan_.materials.push_back({name, g.materials[materials->second.size() - 1]});
            }
        input.materials = materials->second;
        for (const Triangle& t : g.triangles)
            if (t.material >= g.materials.size()) {
                input.default_material = default_material();
                break;
            }
        const bool first = written_.insert(number).second;
        GltfMeshResult result = add_gltf_mesh(d_, input);
        // A geometry moved by a rest for a second frame is told and counted once.
        if (first) {
            for (const std::string& line : result.doubts) doubt(line);
            ++plan_.geometries_written;
        }
        return meshes_[key] = result.mesh;
    }

    void add_effects(int parent, const Geometry& g, const Placement* parent_rest = nullptr) {
        if (options_.effects) effects_.add(parent, g.effects, names_, parent_rest);
    }

    int default_material() {
        if (default_material_ < 0) {
            default_material_ = static_cast<int>(plan_.materials.size());
            plan_.materials.push_back({mtl_.default_material(), Material{}});
        }
        return default_material_;
    }

    void plan_clump(const Clump& clump, std::size_t clump_index) {
        const std::string where = many_clumps_ ? " of clump " + std::to_string(clump_index) : "";
        const int top = many_clumps_ ? add_node(root_, "clump_" + std::to_string(clump_index)) : root_;
        std::vector<int> frames;
        if (!options_.local) frames = frame_nodes(clump, top, where);
        std::vector<bool> ok(clump.geometries.size()), used(clump.geometries.size(), false);
        for (std::size_t g = 0; g < clump.geometries.size(); ++g)
            ok[g] = writable(clump.geometries[g], "geometry " + std::to_string(g) + where);
        std::vector<bool> frame_has_mesh(frames.size(), false);
        std::vector<int> joint_frames;  // of the skins that stand upright from the pelvis
        const int pelvis = pelvis_bone(clump);
        std::vector<Placement> rests;
        if (!options_.local) {
            // The skins first: the frames above their joints take the turn that
            // stands the character upright, before the nodes are placed.
            for (std::size_t i = 0; i < clump.atomics.size(); ++i) {
                const Atomic& atomic = clump.atomics[i];
                if (atomic.geometry < 0 || static_cast<std::size_t>(atomic.geometry) >= clump.geometries.size() ||
                    !ok[static_cast<std::size_t>(atomic.geometry)])
                    continue;
                const Geometry& geometry = clump.geometries[static_cast<std::size_t>(atomic.geometry)];
                if (joints_of(clump, geometry, frames, "", false).empty()) continue;
                if (pelvis >= 0 && static_cast<std::uint32_t>(pelvis) < geometry.skin.bone_count)
                    for (std::uint32_t b = 0; b < geometry.skin.bone_count; ++b)
                        joint_frames.push_back(clump.skeleton.nodes[b].frame);
            }
            std::vector<Placement> locals(frames.size());
            for (std::size_t f = 0; f < frames.size(); ++f) locals[f] = placement_of_frame(clump.frames[f]);
            if (!joint_frames.empty()) stand_upright(clump, locals, joint_frames);
            rests = place_frames(frames, locals);
        }
        plan_.frame_nodes.push_back(frames);
        plan_.frame_rests.push_back(rests);

        for (std::size_t i = 0; i < clump.atomics.size(); ++i) {
            const Atomic& atomic = clump.atomics[i];
            const std::string name = atomic_name(clump, atomic, i);
            if (atomic.geometry < 0 || static_cast<std::size_t>(atomic.geometry) >= clump.geometries.size()) {
                doubt("atomic " + std::to_string(i) + where + " (" + name + "): its geometry " +
                      std::to_string(atomic.geometry) + " is out of range, left out");
                continue;
            }
            const std::size_t g = static_cast<std::size_t>(atomic.geometry);
            used[g] = true;
            const Geometry& geometry = clump.geometries[g];
            const bool frame_known = atomic.frame >= 0 && static_cast<std::size_t>(atomic.frame) < clump.frames.size();
            // An effect stands in its geometry's space: on the node of each frame that draws it.
            if (!options_.local && frame_known)
                add_effects(frames[static_cast<std::size_t>(atomic.frame)], geometry, &rests[static_cast<std::size_t>(atomic.frame)]);
            if (!ok[g]) continue;
            if (!options_.local) {
                const std::vector<int> joints =
                    joints_of(clump, geometry, frames, "atomic " + std::to_string(i) + where + " (" + name + ")");
                if (!joints.empty()) {
                    const int mesh = mesh_for(geometry, geometry_base_ + g, true);
                    if (mesh < 0) continue;
                    if (plan_.skeleton.bones.empty()) note_skeleton(clump, geometry.skin, frames, top);
                    const int skin = skin_for(clump, geometry, geometry_base_ + g, joints, rests);
                    skinned_nodes_.push_back(d_.add("nodes", {{"name", names_.take(name)}, {"mesh", mesh}, {"skin", skin}}));
                    continue;
                }
            }
            const bool on_frame = !options_.local && frame_known;
            const int mesh = mesh_for(geometry, geometry_base_ + g, false,
                                      on_frame ? &rests[static_cast<std::size_t>(atomic.frame)] : nullptr, atomic.frame);
            if (!options_.local && !frame_known)
                doubt("atomic " + std::to_string(i) + where + " (" + name + "): its frame " +
                      std::to_string(atomic.frame) + " is out of range: placed in its own space");
            if (options_.local || !frame_known) {
                add_effects(add_node(top, name, mesh < 0 ? json::object() : json{{"mesh", mesh}}), geometry);
                continue;
            }
            // The first atomic of a frame is that frame's node; further ones are its children.
            const std::size_t f = static_cast<std::size_t>(atomic.frame);
            if (mesh < 0) continue;
            if (!frame_has_mesh[f]) {
                d_.node(frames[f])["mesh"] = mesh;
                frame_has_mesh[f] = true;
            } else {
                add_node(frames[f], name, {{"mesh", mesh}});
            }
        }
        // Geometries no atomic places stand in their own space.
        for (std::size_t g = 0; g < clump.geometries.size(); ++g) {
            if (used[g] || !ok[g]) continue;
            const int mesh = mesh_for(clump.geometries[g], geometry_base_ + g);
            add_effects(add_node(top, "geometry_" + std::to_string(g), mesh < 0 ? json::object() : json{{"mesh", mesh}}),
                        clump.geometries[g]);
        }
        geometry_base_ += clump.geometries.size();
    }

    const GltfWriteOptions& options_;
    GltfModel& plan_;
    GltfDocument& d_;
    MtlWriter mtl_;  // names the materials as the MTL file does
    UniqueNames names_;
    GltfEffects effects_{d_};
    std::map<std::pair<std::size_t, std::int64_t>, int> meshes_;
    std::map<std::size_t, int> skins_;
    std::set<std::size_t> written_;
    std::map<std::size_t, std::vector<int>> geometry_materials_;
    std::vector<std::int32_t> node_parent_;  // each frame's parent node's frame, -1 at the clump's top
    std::vector<int> skinned_nodes_;
    int root_ = 0, default_material_ = -1;
    std::size_t geometry_base_ = 0;
    bool many_clumps_ = false;
};

}  // namespace

GltfModel plan_gltf(const Model& model, const GltfWriteOptions& options) {
    GltfModel plan;
    Planner(options, plan).plan(model);
    return plan;
}

GltfDocument finish_gltf(GltfModel plan, const GltfImageLookup& lookup, std::vector<std::string>* notes) {
    GltfDocument document = std::move(plan.document);
    add_gltf_materials(document, plan.materials, lookup);
    std::vector<std::string> lines;
    add_gltf_uv_animations(document, plan.materials, plan.uv_animations, lines);
    if (notes) notes->insert(notes->end(), lines.begin(), lines.end());
    return document;
}
