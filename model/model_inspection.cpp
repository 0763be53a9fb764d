#include "model/model_inspection.h"

#include <cstdio>

#include "model/chunk_tree.h"
#include "model/inspection_text.h"
#include "model/model.h"
#include "model/structure_reader.h"

namespace {

constexpr int deepest = 16;

// 1460 as "1,460".
std::string grouped(std::size_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

void chunk_line(std::string& out, const std::uint8_t* bytes, const Chunk& c, Step step, int depth) {
    char version[16];
    out.append(2 * static_cast<std::size_t>(depth), ' ');
    append(out, "0x%06X  0x%X %s  %u bytes  %s", static_cast<unsigned>(c.offset),
           static_cast<unsigned>(c.id), chunk_name(c.id), static_cast<unsigned>(c.size),
           version_text(unpack_version(c.stamp), version));
    if (step == Step::cut)
        append(out, "  (states %u bytes: runs past its parent)",
               static_cast<unsigned>(read_u32(bytes + c.offset + 4)));
    out += "\n";
}

void print_children(std::string& out, const std::uint8_t* bytes, std::uint32_t from,
                    std::uint32_t limit, int depth);

void print_chunk(std::string& out, const std::uint8_t* bytes, const Chunk& c, Step step, int depth) {
    chunk_line(out, bytes, c, step, depth);
    if (!is_container(c.id)) return;
    if (depth + 1 >= deepest) {
        out.append(2 * static_cast<std::size_t>(depth + 1), ' ');
        out += "(nested deeper than 16: not shown)\n";
        return;
    }
    print_children(out, bytes, c.body(), c.end(), depth + 1);
}

void print_children(std::string& out, const std::uint8_t* bytes, std::uint32_t from,
                    std::uint32_t limit, int depth) {
    Chunk c;
    for (std::uint32_t at = from;;) {
        Step step = step_chunk(bytes, at, limit, c);
        if (step == Step::end) return;
        if (step == Step::leftover) {
            out.append(2 * static_cast<std::size_t>(depth), ' ');
            append(out, "0x%06X  %u stray bytes\n", static_cast<unsigned>(at),
                   static_cast<unsigned>(limit - at));
            return;
        }
        print_chunk(out, bytes, c, step, depth);
        at = c.end();
    }
}

void print_tree(std::string& out, const std::uint8_t* bytes, std::uint32_t size) {
    out += "chunks:\n";
    std::uint32_t data_end = zero_tail(bytes, size);
    Chunk c;
    for (std::uint32_t at = 0; at < data_end;) {
        Step step = step_chunk(bytes, at, size, c);
        if (step == Step::leftover) {
            append(out, "0x%06X  %u stray bytes\n", static_cast<unsigned>(at),
                   static_cast<unsigned>(size - at));
            return;
        }
        print_chunk(out, bytes, c, step, 0);
        at = c.end();
    }
    if (data_end < size)
        append(out, "0x%06X  %u bytes of zero padding\n", static_cast<unsigned>(data_end),
               static_cast<unsigned>(size - data_end));
}

void print_geometry(std::string& out, const Geometry& g, std::size_t index) {
    append(out, "  geometry %u at 0x%06X: %d vertices, %u triangles, UV sets %d, flags 0x%08X%s%s%s\n",
           static_cast<unsigned>(index), static_cast<unsigned>(g.offset), static_cast<int>(g.vertex_count),
           static_cast<unsigned>(g.triangles.size()), g.uv_set_count, static_cast<unsigned>(g.flags),
           g.native ? ", native" : "", g.skinned ? ", skinned" : "", g.complete ? "" : ", incomplete");
    if (g.skin.bone_count)
        append(out, "    skin: %u bones, %u used, %s layout%s\n", static_cast<unsigned>(g.skin.bone_count),
               static_cast<unsigned>(g.skin.used_bone_count), g.skin.markers ? "older" : "newer",
               g.skin.usable ? "" : ", not usable");
    if (g.bin_mesh_materials)
        out += "    BinMesh: " + grouped(g.bin_mesh_materials) + " of " + grouped(g.triangles.size()) +
               " triangles take their material from the draw lists\n";
    if (g.night_colors.data) out += "    night colours\n";
    for (std::size_t m = 0; m < g.materials.size(); ++m) {
        const Material& mat = g.materials[m];
        append(out, "    material %u: colour %u %u %u %u", static_cast<unsigned>(m), mat.color[0],
               mat.color[1], mat.color[2], mat.color[3]);
        out += ", texture " + quoted(mat.texture) + ", mask " + quoted(mat.mask) + "\n";
    }
}

void print_clump(std::string& out, const Clump& clump, std::size_t index) {
    append(out, "clump %u at 0x%06X: %u frames, %u geometries, %u atomics\n",
           static_cast<unsigned>(index), static_cast<unsigned>(clump.offset),
           static_cast<unsigned>(clump.frames.size()), static_cast<unsigned>(clump.geometries.size()),
           static_cast<unsigned>(clump.atomics.size()));
    for (std::size_t f = 0; f < clump.frames.size(); ++f) {
        append(out, "  frame %u ", static_cast<unsigned>(f));
        out += quoted(clump.frames[f].name);
        append(out, ", parent %d\n", static_cast<int>(clump.frames[f].parent));
    }
    if (clump.skeleton.frame != -1)
        append(out, "  skeleton on frame %d: %u bones%s\n", static_cast<int>(clump.skeleton.frame),
               static_cast<unsigned>(clump.skeleton.nodes.size()), clump.skeleton.usable ? "" : ", not usable");
    for (std::size_t b = 0; b < clump.skeleton.nodes.size(); ++b)
        append(out, "    bone %u: node id %d, frame %d\n", static_cast<unsigned>(b),
               static_cast<int>(clump.skeleton.nodes[b].id), static_cast<int>(clump.skeleton.nodes[b].frame));
    for (std::size_t a = 0; a < clump.atomics.size(); ++a)
        append(out, "  atomic %u: frame %d, geometry %d\n", static_cast<unsigned>(a),
               static_cast<int>(clump.atomics[a].frame), static_cast<int>(clump.atomics[a].geometry));
    for (std::size_t g = 0; g < clump.geometries.size(); ++g) print_geometry(out, clump.geometries[g], g);
}

void print_findings(std::string& out, const Model& model) {
    const Finding* damage = nullptr;
    for (const Finding& f : model.findings) {
        if (f.doubtful) {
            if (!damage) damage = &f;
            continue;
        }
        append(out, "note at 0x%06X: ", static_cast<unsigned>(f.offset));
        out += f.text + "\n";
    }
    if (!damage) {
        out += "well-formed\n";
        return;
    }
    append(out, "first damage at 0x%06X: ", static_cast<unsigned>(damage->offset));
    out += damage->text + "\n";
}

}  // namespace

std::string inspect_model(const std::uint8_t* bytes, std::uint32_t size) {
    if (!bytes) size = 0;
    std::string out;
    print_tree(out, bytes, size);
    Model model = read_model(bytes, size);
    char version[16];
    out += "\nformat version ";
    out += version_text(model.version, version);
    out += "\n";
    for (const UvAnimation& a : model.uv_animations) {
        append(out, "UV animation at 0x%06X: ", static_cast<unsigned>(a.offset));
        out += (a.name.empty() ? std::string("no readable name") : quoted(a.name)) + "\n";
    }
    for (std::size_t c = 0; c < model.clumps.size(); ++c) print_clump(out, model.clumps[c], c);
    print_findings(out, model);
    return out;
}
