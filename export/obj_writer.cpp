#include "export/obj_writer.h"

#include <cstdio>

#include "model/chunk.h"
#include "export/mtl_writer.h"
#include "export/obj_object.h"
#include "export/obj_text_out.h"
#include "export/skin_pose.h"

namespace {

std::string count_of(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Program, model, format version and counts; the model's path may hold any byte but a line break.
void write_header(const Model& model, const ObjWriteOptions& options, ObjTextOut& out) {
    std::size_t frames = 0, atomics = 0, geometries = 0, materials = 0;
    for (const Clump& c : model.clumps) {
        frames += c.frames.size();
        atomics += c.atomics.size();
        geometries += c.geometries.size();
        for (const Geometry& g : c.geometries) materials += g.materials.size();
    }
    char version[16];
    out.comment(options.program_name_version + ", by the model's structure");
    out.comment("model " + options.model_path);
    out.comment("format version " + std::string(version_text(model.version, version)));
    out.comment(count_of(frames, "frame", "frames") + ", " + count_of(atomics, "atomic", "atomics") + ", " +
                count_of(geometries, "geometry", "geometries") + ", " +
                count_of(materials, "material", "materials"));
}

std::string chain_break_text(const PlacedFrame& placed) {
    switch (placed.broken) {
    case ChainBreak::frame_out_of_range:
        return "its frame " + std::to_string(placed.broken_at) + " is out of range: placed in its own space";
    case ChainBreak::parent_out_of_range:
        return "parent frame " + std::to_string(placed.broken_at) +
               " is out of range: placed without the rest of the chain";
    case ChainBreak::parent_cycle:
        return "frame " + std::to_string(placed.broken_at) +
               " is its own ancestor: placed without the rest of the chain";
    case ChainBreak::none: break;
    }
    return {};
}

// Stored positions, which --local keeps, or the frames' pose.
const char* const mesh_only = "; the OBJ holds the mesh without its skeleton";
const char* const stored_pose = ": written in the pose it is stored in; the skinning is not part of the OBJ";

std::string bones_text(const Skin& skin) { return ", " + count_of(skin.bone_count, "bone", "bones"); }

// How an atomic stands: a skinned one by its skin (stood up from its pelvis,
// or posed by the frames when the skeleton has no pelvis), any other by its
// frame chain.
struct AtomicPlace {
    Placement placement;
    const Placement* placed = nullptr;
    std::vector<Placement> bone_poses;
    bool by_bones = false;
    std::string skinning;
};

void place_skinned(const Clump& clump, const Geometry& g, bool local, AtomicPlace& place) {
    if (!g.skin.usable) {
        place.skinning = stored_pose;
        return;
    }
    if (local) {
        place.skinning = bones_text(g.skin) + ": written as stored, in its own space" + mesh_only;
        return;
    }
    if (int pelvis = pelvis_bone(clump); pelvis >= 0 && static_cast<std::uint32_t>(pelvis) < g.skin.bone_count) {
        place.placement = upright_placement(g.skin, pelvis);
        place.placed = &place.placement;
        place.skinning = bones_text(g.skin) + ": stood upright from its pelvis bone, its frames left aside" + mesh_only;
        return;
    }
    place.bone_poses = frame_pose(clump, g.skin);
    place.by_bones = true;
    place.skinning = bones_text(g.skin) + ", and its skeleton has no pelvis bone: skinned with the frames' pose" +
                     mesh_only;
}

class ModelWriter {
public:
    ModelWriter(const ObjWriteOptions& options, ObjText& result)
        : options_(options), result_(result), out_(result.obj, options.obj_sink),
          mtl_("# " + options.program_name_version + ", materials of " + options.model_path + "\n") {}

    void write(const Model& model) {
        write_header(model, options_, out_);
        out_.append("mtllib " + options_.mtl_file_name + "\n");
        for (const Finding& f : model.findings) {
            std::string line = std::string(f.doubtful ? "doubtful" : "note") + " at " + hex(f.offset) + ": " + f.text;
            if (f.doubtful) {
                const bool first = !out_.doubtful;
                out_.doubt(line);
                if (first) out_.first_doubt = f.text + " (at " + hex(f.offset) + ")";
            } else
                out_.comment(line);
        }
        if (options_.night) tell_missing_night(model);
        many_clumps_ = model.clumps.size() > 1;
        for (std::size_t c = 0; c < model.clumps.size() && !stopped_; ++c) write_clump(model.clumps[c], c);
        out_.hand_on();
        result_.doubtful = out_.doubtful;
        result_.first_doubt = out_.first_doubt;
        result_.mtl = mtl_.take_text();
        result_.texture_names = mtl_.take_textures();
        result_.mask_names = mtl_.take_masks();
    }

private:
    struct GeometryState {
        bool writable = false, written = false, used = false;
        std::vector<std::string> material_names;
        bool named = false;
    };

    // Once a model: which geometries keep their day colours.
    void tell_missing_night(const Model& model) {
        std::size_t without = 0, all = 0;
        for (const Clump& c : model.clumps)
            for (const Geometry& g : c.geometries) {
                ++all;
                if (!g.night_colors.data) ++without;
            }
        if (without)
            out_.comment("night colours: " + std::to_string(without) + " of " + count_of(all, "geometry", "geometries") +
                         " have none and keep their day colours");
    }

    void write_clump(const Clump& clump, std::size_t clump_index) {
        std::string where = many_clumps_ ? " of clump " + std::to_string(clump_index) : "";
        std::vector<GeometryState> states(clump.geometries.size());
        for (std::size_t g = 0; g < clump.geometries.size(); ++g)
            states[g].writable = check_geometry(clump.geometries[g], "geometry " + std::to_string(g) + where);

        for (std::size_t i = 0; i < clump.atomics.size() && !stopped_; ++i) {
            const Atomic& atomic = clump.atomics[i];
            std::string name = atomic_name(clump, atomic, i);
            if (atomic.geometry < 0 || static_cast<std::size_t>(atomic.geometry) >= clump.geometries.size()) {
                out_.doubt("atomic " + std::to_string(i) + where + " (" + name + "): its geometry " +
                           std::to_string(atomic.geometry) + " is out of range, left out");
                continue;
            }
            std::size_t g = static_cast<std::size_t>(atomic.geometry);
            states[g].used = true;
            if (!states[g].writable) continue;
            const Geometry& geometry = clump.geometries[g];
            AtomicPlace place;
            if (geometry.skinned) place_skinned(clump, geometry, options_.local, place);
            if (!options_.local && !place.placed && !place.by_bones) {
                PlacedFrame frame = place_frame(clump.frames, atomic.frame);
                if (frame.broken != ChainBreak::none)
                    out_.doubt("atomic " + std::to_string(i) + where + " (" + name + "): " + chain_break_text(frame));
                place.placement = frame.placement;
                place.placed = &place.placement;
            }
            write_geometry(geometry, states[g], geometry_base_ + g, name, place);
        }
        // Geometries no atomic places stand in their own space.
        for (std::size_t g = 0; g < clump.geometries.size() && !stopped_; ++g)
            if (!states[g].used && states[g].writable) {
                AtomicPlace place;
                if (clump.geometries[g].skinned) place.skinning = stored_pose;
                write_geometry(clump.geometries[g], states[g], geometry_base_ + g, "geometry_" + std::to_string(g),
                               place);
            }
        geometry_base_ += clump.geometries.size();
    }

    bool check_geometry(const Geometry& g, const std::string& what) {
        const char* reason = unwritable_reason(g);
        if (reason) out_.doubt(what + " " + reason + ": left out");
        return !reason;
    }

    void write_geometry(const Geometry& geometry, GeometryState& state, std::size_t number,
                        const std::string& wanted_name, const AtomicPlace& place) {
        if (options_.max_obj_bytes && out_.size() > options_.max_obj_bytes) {
            out_.doubt("the OBJ text passed " + std::to_string(options_.max_obj_bytes) +
                       " bytes: the remaining objects are left out");
            stopped_ = true;
            return;
        }
        if (!state.named) {
            state.material_names = mtl_.add_geometry(geometry, static_cast<std::uint32_t>(number));
            state.named = true;
        }
        ObjObject object{objects_.take(wanted_name), &geometry, &state.material_names, place.placed,
                         place.by_bones ? &place.bone_poses : nullptr, options_.night, place.skinning};
        write_object(object, mtl_, out_, base_);
        if (!state.written) ++result_.geometries_written;
        state.written = true;
    }

    const ObjWriteOptions& options_;
    ObjText& result_;
    ObjTextOut out_;
    MtlWriter mtl_;
    UniqueNames objects_;
    ObjIndexBase base_;
    std::size_t geometry_base_ = 0;
    bool stopped_ = false;
    bool many_clumps_ = false;
};

}  // namespace

ObjText write_obj(const Model& model, const ObjWriteOptions& options) {
    ObjText result;
    ModelWriter(options, result).write(model);
    return result;
}
