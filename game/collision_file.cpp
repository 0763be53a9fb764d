#include "game/collision_file.h"

#include "game/little_endian.h"

namespace {

void three(const std::uint8_t* p, float out[3]) {
    for (int k = 0; k < 3; ++k) out[k] = f32_at(p + 4 * k);
}
CollisionSurface surface(const std::uint8_t* p) { return {p[0], p[1], p[2], p[3]}; }

// The bytes of one record: reads are checked against its end, never the file's.
struct Record {
    const std::uint8_t* bytes;
    std::size_t size;
    std::string why;  // the first fault

    bool fail(std::string text) {
        if (why.empty()) why = std::move(text);
        return false;
    }
    // Whether count items of item bytes fit at offset.
    bool holds(std::size_t offset, std::uint64_t count, std::size_t item, const char* what) {
        if (offset > size || count > (size - offset) / item)
            return fail(std::to_string(count) + " " + what + " at byte " + std::to_string(offset) +
                        " run past the record's " + std::to_string(size) + " bytes");
        return true;
    }
};

// Version 1 from the bounds on: lists of a u32 count and items.
bool read_body_v1(Record& r, std::size_t at, CollisionModel& m) {
    if (!r.holds(at, 1, 40, "bounds")) return false;
    m.radius = f32_at(r.bytes + at);
    three(r.bytes + at + 4, m.centre);
    three(r.bytes + at + 16, m.bounds_min);
    three(r.bytes + at + 28, m.bounds_max);
    at += 40;
    auto count = [&](std::size_t item, const char* what, std::uint32_t& n) {
        if (!r.holds(at, 1, 4, (std::string(what) + " count").c_str())) return false;
        n = u32_at(r.bytes + at);
        at += 4;
        if (!r.holds(at, n, item, what)) return false;
        return true;
    };
    std::uint32_t n = 0;
    if (!count(20, "spheres", n)) return false;
    m.spheres.resize(n);
    for (auto& s : m.spheres) {
        s.radius = f32_at(r.bytes + at);
        three(r.bytes + at + 4, s.centre);
        s.surface = surface(r.bytes + at + 16);
        at += 20;
    }
    if (!count(24, "lines", n)) return false;
    at += std::size_t(n) * 24;
    if (!count(28, "boxes", n)) return false;
    m.boxes.resize(n);
    for (auto& b : m.boxes) {
        three(r.bytes + at, b.min);
        three(r.bytes + at + 12, b.max);
        b.surface = surface(r.bytes + at + 24);
        at += 28;
    }
    if (!count(12, "vertices", n)) return false;
    m.mesh.vertices.resize(std::size_t(n) * 3);
    for (std::uint32_t i = 0; i < n; ++i, at += 12) three(r.bytes + at, &m.mesh.vertices[3 * i]);
    if (!count(16, "faces", n)) return false;
    m.mesh.faces.resize(n);
    const std::uint32_t vertices = static_cast<std::uint32_t>(m.mesh.vertex_count());
    for (std::uint32_t i = 0; i < n; ++i, at += 16) {
        CollisionFace& f = m.mesh.faces[i];
        f.a = u32_at(r.bytes + at);
        f.b = u32_at(r.bytes + at + 4);
        f.c = u32_at(r.bytes + at + 8);
        f.material = r.bytes[at + 12];
        f.light = r.bytes[at + 15];
        if (f.a >= vertices || f.b >= vertices || f.c >= vertices)
            return r.fail("face " + std::to_string(i) + " names a vertex past the record's " + std::to_string(vertices));
    }
    return true;
}

// Faces of 8 bytes, then the vertices they name (none stored as a count:
// the highest index + 1), each offset counted from record + 4.
bool read_compressed_mesh(Record& r, std::uint32_t face_count, std::uint32_t vertex_offset,
                          std::uint32_t face_offset, const char* what, CollisionMesh& mesh) {
    if (face_count == 0) return true;
    const std::string faces_word = *what ? std::string(what) + " faces" : std::string("faces");
    if (face_offset == 0) return r.fail(std::to_string(face_count) + " " + faces_word + " but no offset");
    const std::size_t faces_at = std::size_t(face_offset) + 4;
    if (!r.holds(faces_at, face_count, 8, faces_word.c_str())) return false;
    mesh.faces.resize(face_count);
    std::uint32_t highest = 0;
    for (std::uint32_t i = 0; i < face_count; ++i) {
        const std::uint8_t* p = r.bytes + faces_at + 8 * std::size_t(i);
        CollisionFace& f = mesh.faces[i];
        f.a = u16_at(p);
        f.b = u16_at(p + 2);
        f.c = u16_at(p + 4);
        f.material = p[6];
        f.light = p[7];
        for (std::uint32_t v : {f.a, f.b, f.c}) highest = v > highest ? v : highest;
    }
    const std::uint32_t vertices = highest + 1;
    const std::string vertices_word = *what ? std::string(what) + " vertices" : std::string("vertices");
    if (vertex_offset == 0) return r.fail(faces_word + " but no offset of their vertices");
    if (!r.holds(std::size_t(vertex_offset) + 4, vertices, 6, vertices_word.c_str())) return false;
    mesh.vertices.resize(std::size_t(vertices) * 3);
    const std::uint8_t* p = r.bytes + std::size_t(vertex_offset) + 4;
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i)
        mesh.vertices[i] = static_cast<float>(static_cast<std::int16_t>(u16_at(p + 2 * i))) / 128.0f;
    return true;
}

// Versions 2-4: a header of counts and offsets, the sections where they point.
bool read_body_v2(Record& r, CollisionModel& m, std::vector<std::string>* warnings) {
    const std::size_t header = m.version == 2 ? 108 : m.version == 3 ? 120 : 124;
    if (r.size < header)
        return r.fail("the record's " + std::to_string(r.size) + " bytes are shorter than its header of " +
                      std::to_string(header));
    const std::uint8_t* h = r.bytes;
    three(h + 32, m.bounds_min);
    three(h + 44, m.bounds_max);
    three(h + 56, m.centre);
    m.radius = f32_at(h + 68);
    const std::uint16_t spheres = u16_at(h + 72), boxes = u16_at(h + 74), faces = u16_at(h + 76);
    m.flags = u32_at(h + 80);
    const std::uint32_t sphere_offset = u32_at(h + 84), box_offset = u32_at(h + 88), vertex_offset = u32_at(h + 96),
                        face_offset = u32_at(h + 100);
    std::uint32_t shadow_faces = 0, shadow_vertex_offset = 0, shadow_face_offset = 0;
    if (m.version >= 3) {
        shadow_faces = u32_at(h + 108);
        shadow_vertex_offset = u32_at(h + 112);
        shadow_face_offset = u32_at(h + 116);
    }
    if (!(m.flags & 2) && (spheres || boxes || faces || shadow_faces) && warnings)
        warnings->push_back("'" + m.name + "' has data but its flags (" + std::to_string(m.flags) +
                            ") say none: the game ignores it; converted anyway");
    auto section = [&](std::uint32_t count, std::uint32_t offset, std::size_t item, const char* what) {
        if (count == 0) return true;
        if (offset == 0) return r.fail(std::to_string(count) + " " + what + " but no offset");
        return r.holds(std::size_t(offset) + 4, count, item, what);
    };
    if (!section(spheres, sphere_offset, 20, "spheres")) return false;
    m.spheres.resize(spheres);
    for (std::size_t i = 0; i < spheres; ++i) {
        const std::uint8_t* p = r.bytes + sphere_offset + 4 + 20 * i;
        three(p, m.spheres[i].centre);
        m.spheres[i].radius = f32_at(p + 12);
        m.spheres[i].surface = surface(p + 16);
    }
    if (!section(boxes, box_offset, 28, "boxes")) return false;
    m.boxes.resize(boxes);
    for (std::size_t i = 0; i < boxes; ++i) {
        const std::uint8_t* p = r.bytes + box_offset + 4 + 28 * i;
        three(p, m.boxes[i].min);
        three(p + 12, m.boxes[i].max);
        m.boxes[i].surface = surface(p + 24);
    }
    if (!read_compressed_mesh(r, faces, vertex_offset, face_offset, "", m.mesh)) return false;
    if ((m.flags & 8) && faces > 0 && face_offset >= 4) {
        // The group count sits just before the faces; counted, never converted.
        const std::size_t at = std::size_t(face_offset);
        if (at + 4 <= r.size) {
            const std::uint32_t groups = u32_at(r.bytes + at);
            if (std::uint64_t(groups) * 28 <= at) m.face_groups = groups;
            else if (warnings) warnings->push_back("'" + m.name + "': its face group count runs past its start");
        }
    }
    return read_compressed_mesh(r, shadow_faces, shadow_vertex_offset, shadow_face_offset, "shadow", m.shadow);
}

// The name field: up to a NUL, or all 22 bytes; trailing spaces cut.
std::string record_name(const std::uint8_t* p) {
    std::size_t n = 0;
    while (n < 22 && p[n] != 0) ++n;
    while (n > 0 && p[n - 1] == ' ') --n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

bool all_zero(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (p[i]) return false;
    return true;
}

// The body as the record's version lays it out; empty when read, else the first fault.
std::string read_whole(Record& r, CollisionModel& m, std::vector<std::string>* warnings) {
    const bool ok = m.version == 1 ? read_body_v1(r, 32, m) : read_body_v2(r, m, warnings);
    if (!ok) return r.why.empty() ? std::string("damaged") : r.why;
    return {};
}

}  // namespace

int collision_version(std::string_view fourcc) {
    if (fourcc.size() < 4) return 0;
    fourcc = fourcc.substr(0, 4);
    if (fourcc == "COLL") return 1;
    if (fourcc == "COL2") return 2;
    if (fourcc == "COL3") return 3;
    if (fourcc == "COL4") return 4;
    return 0;
}

std::string read_collision_record(std::string_view bytes, CollisionModel& model, std::vector<std::string>* warnings) {
    model = CollisionModel{};
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const int version = collision_version(bytes);
    if (version == 0) {
        // A bare version-1 body from the bounds on.
        Record r{p, bytes.size(), {}};
        if (!read_body_v1(r, 0, model)) return r.why;
        return {};
    }
    if (bytes.size() < 32) return "the record's " + std::to_string(bytes.size()) + " bytes hold no name";
    const std::uint32_t size = u32_at(p + 4);
    std::size_t length = bytes.size();
    if (size <= bytes.size() - 8) length = std::size_t(size) + 8;
    model.version = version;
    model.name = record_name(p + 8);
    model.id = u16_at(p + 30);
    Record r{p, length, {}};
    return read_whole(r, model, warnings);
}

CollisionFile read_collision_file(std::string_view bytes) {
    CollisionFile file;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t total = bytes.size();
    if (total < 4 || collision_version(bytes) == 0) {
        file.refused = total < 4 ? "it is too short to hold a collision record"
                                 : "it starts with no collision record (COLL, COL2, COL3 or COL4)";
        return file;
    }
    std::size_t at = 0;
    while (at < total) {
        const std::size_t left = total - at;
        if (left < 4 || collision_version(bytes.substr(at, 4)) == 0) {
            // Zero padding after the last record is normal (archive sectors).
            if (!all_zero(p + at, left))
                file.warnings.push_back(std::to_string(left) + " bytes from byte " + std::to_string(at) +
                                        " are no collision record; the file ends there");
            break;
        }
        if (left < 8) {
            file.skipped.push_back({at, "", "the record is cut off in its header"});
            break;
        }
        const std::uint32_t size = u32_at(p + at + 4);
        const std::string name = left >= 30 && size >= 22 ? record_name(p + at + 8) : std::string();
        if (size > left - 8) {
            file.skipped.push_back({at, name,
                                    "its size of " + std::to_string(size) + " bytes runs past the end of the file (" +
                                        std::to_string(left - 8) + " left); the file ends here"});
            break;
        }
        const std::size_t length = std::size_t(size) + 8;
        if (length < 32) {
            file.skipped.push_back({at, name, "its " + std::to_string(length) + " bytes hold no name"});
        } else {
            CollisionModel m;
            m.offset = at;
            m.version = collision_version(bytes.substr(at, 4));
            m.name = name;
            m.id = u16_at(p + at + 30);
            Record r{p + at, length, {}};
            std::string why = read_whole(r, m, &file.warnings);
            if (why.empty()) file.models.push_back(std::move(m));
            else file.skipped.push_back({at, name, std::move(why)});
        }
        at += length;
    }
    return file;
}

namespace {

struct ChunkHeader {
    std::uint32_t id = 0, size = 0;
    std::size_t body = 0, end = 0;
};

bool chunk_at(std::string_view bytes, std::size_t at, ChunkHeader& c) {
    if (at > bytes.size() || bytes.size() - at < 12) return false;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data()) + at;
    c.id = u32_at(p);
    c.size = u32_at(p + 4);
    c.body = at + 12;
    c.end = c.body + c.size;
    return true;
}

constexpr std::uint32_t clump_id = 0x10, extension_id = 0x3;
constexpr std::uint32_t collision_chunk_id = 0x253F2FA, collision_chunk_alt_id = 0x253F2FF;

}  // namespace

bool find_embedded_collision(std::string_view bytes, std::string_view& payload) {
    ChunkHeader top;
    std::size_t at = 0;
    // Dictionaries may stand before the clump.
    while (chunk_at(bytes, at, top) && top.id != clump_id) {
        if (top.end <= at) return false;
        at = top.end;
    }
    if (top.id != clump_id || !chunk_at(bytes, at, top)) return false;
    // The clump's children by their own sizes; its extension is the last one.
    std::size_t child_at = top.body;
    ChunkHeader child;
    bool found = false;
    const std::size_t limit = top.end < bytes.size() ? top.end : bytes.size();
    while (child_at < limit && chunk_at(bytes, child_at, child)) {
        if (child.id == extension_id) {
            ChunkHeader plugin;
            std::size_t plugin_at = child.body;
            const std::size_t plugin_limit = child.end < bytes.size() ? child.end : bytes.size();
            while (plugin_at < plugin_limit && chunk_at(bytes, plugin_at, plugin)) {
                if (plugin.id == collision_chunk_id || plugin.id == collision_chunk_alt_id) {
                    const std::size_t end = plugin.end < bytes.size() ? plugin.end : bytes.size();
                    payload = bytes.substr(plugin.body, end - plugin.body);
                    found = true;
                    break;
                }
                plugin_at = plugin.end;
            }
        }
        if (found) break;
        child_at = child.end;
    }
    return found;
}
