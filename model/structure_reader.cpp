#include "model/structure_reader.h"

#include <cstdio>

#include "model/reading.h"

namespace {

std::string past_end_text(const Reading& r, const Chunk& chunk, const char* parent) {
    std::uint32_t stated = read_u32(r.bytes + chunk.offset + 4);
    return std::string(chunk_name(chunk.id)) + " chunk " + hex(chunk.id) + " of " +
           std::to_string(stated) + " bytes runs past the end of " + parent;
}

}  // namespace

std::vector<Chunk> read_children(Reading& r, const Chunk& parent) {
    std::vector<Chunk> children;
    std::uint32_t at = parent.body();
    Chunk child;
    for (;;) {
        Step step = step_chunk(r.bytes, at, parent.end(), child);
        if (step == Step::end) break;
        if (step == Step::leftover) {
            r.doubt(at, std::to_string(parent.end() - at) + " stray bytes at the end of " +
                            chunk_name(parent.id) + " chunk at " + hex(parent.offset));
            break;
        }
        if (step == Step::cut) r.doubt(at, past_end_text(r, child, "its parent"));
        children.push_back(child);
        at = child.end();
    }
    return children;
}

const Chunk* first_of(const std::vector<Chunk>& chunks, std::uint32_t id) {
    for (const Chunk& c : chunks)
        if (c.id == id) return &c;
    return nullptr;
}

std::string chunk_text(const Reading& r, const Chunk& chunk) {
    const char* text = reinterpret_cast<const char*>(r.bytes + chunk.body());
    std::uint32_t length = 0;
    while (length < chunk.size && text[length] != '\0') ++length;
    return std::string(text, length);
}

namespace {

void read_atomic(Reading& r, const Chunk& chunk, Clump& clump) {
    Atomic atomic;
    atomic.offset = chunk.offset;
    std::vector<Chunk> children = read_children(r, chunk);
    const Chunk* data = first_of(children, chunk_id::struct_data);
    if (data && data->size >= 8) {
        atomic.frame = static_cast<std::int32_t>(read_u32(r.bytes + data->body()));
        atomic.geometry = static_cast<std::int32_t>(read_u32(r.bytes + data->body() + 4));
    } else {
        r.doubt(chunk.offset, "atomic without its frame and geometry numbers");
    }
    // Files before 3.0.4 have no geometry list: each atomic holds its own.
    const Chunk* held = first_of(children, chunk_id::geometry);
    if (r.version < 0x30400 && held) {
        clump.geometries.emplace_back();
        read_geometry(r, *held, clump.geometries.back());
        atomic.geometry = static_cast<std::int32_t>(clump.geometries.size() - 1);
    }
    clump.atomics.push_back(atomic);
}

void read_geometry_list(Reading& r, const Chunk& list, std::vector<Geometry>& geometries) {
    std::vector<Chunk> children = read_children(r, list);
    const Chunk* data = first_of(children, chunk_id::struct_data);
    std::uint32_t promised = 0;
    if (data && data->size >= 4) promised = read_u32(r.bytes + data->body());
    else r.doubt(list.offset, "geometry list without its count");
    std::uint32_t held = 0;
    for (const Chunk& c : children) {
        if (c.id != chunk_id::geometry) continue;
        ++held;
        geometries.emplace_back();
        read_geometry(r, c, geometries.back());
    }
    if (data && held != promised)
        r.doubt(list.offset, "geometry list promises " + std::to_string(promised) +
                                 " geometries and holds " + std::to_string(held));
}

Clump read_clump(Reading& r, const Chunk& chunk) {
    Clump clump;
    clump.offset = chunk.offset;
    std::vector<Chunk> children = read_children(r, chunk);
    // 4 bytes (atomics) or, from 3.3 on, 12 (also lights and cameras).
    const Chunk* data = first_of(children, chunk_id::struct_data);
    if (!data || data->size < 4) r.doubt(chunk.offset, "clump without its atomic count");
    bool frames_read = false, geometries_read = false;
    for (const Chunk& c : children) {
        if (c.id == chunk_id::frame_list && !frames_read) {
            read_frame_list(r, c, clump.frames, clump.skeleton);
            frames_read = true;
        } else if (c.id == chunk_id::geometry_list && !geometries_read) {
            read_geometry_list(r, c, clump.geometries);
            geometries_read = true;
        } else if (c.id == chunk_id::atomic) {
            read_atomic(r, c, clump);
        }
    }
    if (!frames_read) r.doubt(chunk.offset, "clump without a frame list");
    resolve_skeleton(r, clump);
    return clump;
}

// After a damaged chunk before any clump: the first clump header further on
// whose body and first child fit in the file, or size when there is none.
std::uint32_t next_whole_clump(const std::uint8_t* bytes, std::uint32_t from, std::uint32_t size) {
    Chunk clump, first;
    for (std::uint32_t at = from; at < size && size - at >= 24; ++at) {
        if (bytes[at] != chunk_id::clump || !read_chunk(bytes, at, size, clump) || clump.id != chunk_id::clump)
            continue;
        if (read_chunk(bytes, clump.body(), clump.end(), first) && first.id == chunk_id::struct_data) return at;
    }
    return size;
}

}  // namespace

Model read_model(const std::uint8_t* bytes, std::uint32_t size) {
    Model model;
    if (!bytes) size = 0;
    Reading r{bytes, size, 0, model.findings};
    // Zero padding after the last chunk is how files end, not damage.
    std::uint32_t data_end = zero_tail(bytes, size);
    std::uint32_t at = 0;
    Chunk chunk;
    while (at < data_end) {
        Step step = step_chunk(bytes, at, size, chunk);
        bool damaged = step == Step::leftover || (step == Step::cut && chunk.id != chunk_id::clump);
        if (damaged && model.clumps.empty() && step == Step::cut && chunk.id == chunk_id::uv_dictionary) {
            // The dictionary is of no use to the mesh: the clump after it may still be whole.
            r.doubt(at, past_end_text(r, chunk, "the file"));
            at = next_whole_clump(bytes, chunk.body(), size);
            continue;
        }
        if (damaged) {
            // Before any clump this is no model of ours; after one, damage.
            if (!model.clumps.empty())
                r.doubt(at, step == Step::leftover ? "stray bytes after the last chunk"
                                                   : past_end_text(r, chunk, "the file"));
            break;
        }
        if (step == Step::cut) r.doubt(at, past_end_text(r, chunk, "the file"));
        if (chunk.id == chunk_id::clump) {
            r.version = unpack_version(chunk.stamp);
            if (model.clumps.empty()) model.version = r.version;
            model.clumps.push_back(read_clump(r, chunk));
        } else if (chunk.id == chunk_id::uv_dictionary && model.clumps.empty()) {
            read_uv_dictionary(r, chunk, model.uv_animations);
        }
        at = chunk.end();
    }
    if (model.clumps.empty()) {
        r.doubt(0, "not a chunked model: no clump among the first chunks");
    }
    return model;
}
