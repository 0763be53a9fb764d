#include "export/obj_object.h"

#include <cfloat>
#include <cmath>

#include "export/mtl_writer.h"
#include "export/obj_numbers.h"
#include "export/skin_pose.h"
#include "export/trouble_tally.h"

namespace {

// A line per damaged vertex or triangle, up to the tally's limit; the object is doubtful from the first.
TroubleTally trouble_log(ObjTextOut& out, const std::string& object, const char* kind) {
    return TroubleTally([&out](const std::string& line) {
        out.doubt(line);
        out.doubtful = true;
    }, object, kind);
}

// A coordinate as the float it rounds to; what is no finite float becomes 0.
char* put_coordinate(char* at, double value, bool& bad) {
    if (!(std::fabs(value) <= FLT_MAX)) {
        bad = true;
        value = 0;
    }
    return put_float(at, static_cast<float>(value));
}

char* put_three(char* at, const double xyz[3], bool& bad) {
    for (int k = 0; k < 3; ++k) at = put_coordinate(put_char(at, ' '), xyz[k], bad);
    return at;
}

void read_three(const std::uint8_t* p, double xyz[3]) {
    for (int k = 0; k < 3; ++k) xyz[k] = read_f32(p + 4 * k);
}

struct Arrays {
    std::uint32_t vertices = 0;
    const std::uint8_t *positions = nullptr, *colors = nullptr, *uvs = nullptr, *normals = nullptr;
};

Arrays arrays_of(const Geometry& g, bool night) {
    Arrays a;
    a.vertices = g.vertex_count > 0 ? static_cast<std::uint32_t>(g.vertex_count) : 0;
    auto whole = [&](const ByteView& v) { return v.data && v.count >= a.vertices ? v.data : nullptr; };
    a.positions = whole(g.positions);
    a.colors = whole(night && g.night_colors.data ? g.night_colors : g.colors);
    a.uvs = whole(g.uvs);
    a.normals = whole(g.normals);
    return a;
}

// A point, or a direction (no translation), by the object's placement; as
// stored where it has none.
void place(const ObjObject& object, std::uint32_t vertex, const double in[3], double out[3], bool point) {
    if (object.bone_poses)
        skin_vertex(*object.bone_poses, object.geometry->skin, vertex, in, out, point);
    else if (object.placement)
        place_point(*object.placement, in, out, point);
    else
        for (int k = 0; k < 3; ++k) out[k] = in[k];
}

void write_positions(const ObjObject& object, const Arrays& a, ObjTextOut& out) {
    TroubleTally log = trouble_log(out, object.name, "vertices with numbers that are not finite, written as 0");
    char line[192];
    for (std::uint32_t i = 0; i < a.vertices; ++i) {
        double local[3], world[3];
        read_three(a.positions + 12 * std::size_t(i), local);
        place(object, i, local, world, true);
        bool bad = false;
        char* p = put_three(put_char(line, 'v'), world, bad);
        if (a.colors) {
            const std::uint8_t* c = a.colors + 4 * std::size_t(i);
            for (int k = 0; k < 3; ++k) p = put_unit(put_char(p, ' '), c[k]);
        }
        p = put_char(p, '\n');
        if (bad) log.tell("vertex " + std::to_string(i) + ": a position that is not a finite number, written as 0");
        out.append(line, static_cast<std::size_t>(p - line));
    }
}

void write_uvs(const ObjObject& object, const Arrays& a, ObjTextOut& out) {
    TroubleTally log = trouble_log(out, object.name, "texture coordinates that are not finite, written as 0");
    char line[64];
    for (std::uint32_t i = 0; i < a.vertices; ++i) {
        const std::uint8_t* uv = a.uvs + 8 * std::size_t(i);
        bool bad = false;
        char* p = put_char(put_char(line, 'v'), 't');
        p = put_coordinate(put_char(p, ' '), read_f32(uv), bad);
        p = put_coordinate(put_char(p, ' '), 1.0 - read_f32(uv + 4), bad);
        p = put_char(p, '\n');
        if (bad) log.tell("vertex " + std::to_string(i) + ": a texture coordinate that is not finite, written as 0");
        out.append(line, static_cast<std::size_t>(p - line));
    }
}

void write_normals(const ObjObject& object, const Arrays& a, ObjTextOut& out) {
    TroubleTally log = trouble_log(out, object.name, "normals that are not finite, written as 0");
    char line[96];
    for (std::uint32_t i = 0; i < a.vertices; ++i) {
        double stored[3], turned[3];
        read_three(a.normals + 12 * std::size_t(i), stored);
        if (object.normal_placement) place_point(*object.normal_placement, stored, turned, false);
        else place(object, i, stored, turned, false);
        double length = std::sqrt(turned[0] * turned[0] + turned[1] * turned[1] + turned[2] * turned[2]);
        // A zero normal stays zero: there is no direction to make unit length.
        if (length > 0 && std::isfinite(length))
            for (double& t : turned) t /= length;
        bool bad = false;
        char* p = put_three(put_char(put_char(line, 'v'), 'n'), turned, bad);
        p = put_char(p, '\n');
        if (bad) log.tell("vertex " + std::to_string(i) + ": a normal that is not finite, written as 0");
        out.append(line, static_cast<std::size_t>(p - line));
    }
}

char* put_corner(char* p, std::uint32_t index, const Arrays& a, const ObjIndexBase& base) {
    p = put_uint(put_char(p, ' '), base.v + index + 1);
    if (a.uvs) p = put_uint(put_char(p, '/'), base.vt + index + 1);
    if (a.normals) {
        if (!a.uvs) p = put_char(p, '/');
        p = put_uint(put_char(p, '/'), base.vn + index + 1);
    }
    return p;
}

void write_faces(const ObjObject& object, const Arrays& a, MtlWriter& mtl, ObjTextOut& out,
                 const ObjIndexBase& base) {
    TroubleTally log = trouble_log(out, object.name, "triangles with a vertex index past the vertex count, left out");
    const std::vector<std::string>& names = *object.material_names;
    const std::string* current = nullptr;
    char line[3 * (3 * number_room + 4) + 8];
    const std::vector<Triangle>& triangles = object.geometry->triangles;
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        const Triangle& tri = triangles[t];
        if (tri.a >= a.vertices || tri.b >= a.vertices || tri.c >= a.vertices) {
            log.tell("triangle " + std::to_string(t) + " (" + std::to_string(tri.a) + ", " +
                     std::to_string(tri.b) + ", " + std::to_string(tri.c) + ") has a vertex index at or past the vertex count " +
                     std::to_string(a.vertices) + ", left out");
            continue;
        }
        const std::string* material = tri.material < names.size() ? &names[tri.material] : &mtl.default_material();
        if (material != current) {
            current = material;
            out.append("usemtl ");
            out.append(*material);
            out.append("\n");
        }
        char* p = put_char(line, 'f');
        p = put_corner(p, tri.a, a, base);
        p = put_corner(p, tri.b, a, base);
        p = put_corner(p, tri.c, a, base);
        p = put_char(p, '\n');
        out.append(line, static_cast<std::size_t>(p - line));
    }
}

}  // namespace

const char* unwritable_reason(const Geometry& g) {
    if (g.native) return "is in a console's native layout";
    if (!g.complete) return "was not read whole";
    if (g.vertex_count > 0 && (!g.positions.data || g.positions.count < static_cast<std::uint32_t>(g.vertex_count)))
        return "has no positions for its vertices";
    return nullptr;
}

void write_object(const ObjObject& object, MtlWriter& mtl, ObjTextOut& out, ObjIndexBase& base) {
    const Arrays a = arrays_of(*object.geometry, object.night);
    if (!object.continued) {
        out.append("o ");
        out.append(object.name);
        out.append("\n");
    }
    if (!object.skinning.empty()) out.comment(object.name + " is skinned" + object.skinning);
    // Every vertex of the object comes before its faces: importers read in one pass.
    write_positions(object, a, out);
    if (a.uvs) write_uvs(object, a, out);
    if (a.normals) write_normals(object, a, out);
    write_faces(object, a, mtl, out, base);
    base.v += a.vertices;
    if (a.uvs) base.vt += a.vertices;
    if (a.normals) base.vn += a.vertices;
}
