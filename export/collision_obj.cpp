#include "export/collision_obj.h"

#include <map>

#include "export/collision_geometry.h"
#include "export/mtl_writer.h"
#include "export/obj_names.h"
#include "export/obj_object.h"
#include "export/obj_text_out.h"

struct CollisionObjWriter::State {
    State(std::function<void(std::string_view)> s) : sink(std::move(s)), out(result.obj, sink), mtl("") {}
    std::function<void(std::string_view)> sink;
    CollisionObjText result;
    ObjTextOut out;
    MtlWriter mtl;
    UniqueNames names;
    ObjIndexBase base;
    // A model placed many times is made into triangles and named in the MTL once.
    struct Prepared {
        SurfaceTable table;
        CollisionParts parts;
        std::vector<std::string> solid_materials, shadow_materials;
    };
    std::map<const CollisionModel*, Prepared> prepared;
};

CollisionObjWriter::CollisionObjWriter(const std::vector<std::string>& header, const std::string& mtl_file_name,
                                       std::function<void(std::string_view)> sink)
    : state_(std::make_unique<State>(std::move(sink))) {
    for (const std::string& line : header) state_->out.comment(line);
    state_->out.append("mtllib " + mtl_file_name + "\n");
}

CollisionObjWriter::~CollisionObjWriter() = default;

std::string collision_object_name(const CollisionModel& model) {
    return model.name.empty() ? std::string("collision") : model.name;
}

void CollisionObjWriter::add(const CollisionModel& model, bool third_game, const Placement* placement,
                             const std::string& name) {
    State& s = *state_;
    auto [it, fresh] = s.prepared.try_emplace(&model);
    State::Prepared& p = it->second;
    if (fresh) {
        p.table = surface_table_for(model.version, third_game);
        p.parts = collision_parts(model, p.table);
        for (const auto& [g, names] : {std::pair{&p.parts.solid, &p.solid_materials}, std::pair{&p.parts.shadow, &p.shadow_materials}})
            for (std::size_t i = 0; i < g->surfaces.size(); ++i)
                names->push_back(s.mtl.add_named(surface_material_name(p.table, g->surfaces[i]), g->geometry.materials[i]));
    }
    const CollisionParts& parts = p.parts;
    const std::string object = s.names.take(name.empty() ? collision_object_name(model) : name);
    auto write = [&](const CollisionGeometry& g, const std::string& object_name) {
        const std::vector<std::string>& materials = &g == &parts.solid ? p.solid_materials : p.shadow_materials;
        ObjObject o;
        o.name = object_name;
        o.geometry = &g.geometry;
        o.material_names = &materials;
        o.placement = placement;
        write_object(o, s.mtl, s.out, s.base);
        ++s.result.objects;
    };
    // Every model gets its object, an empty one too.
    write(parts.solid, object);
    if (!parts.shadow.empty()) write(parts.shadow, s.names.take(object + ".shadow"));
}

CollisionObjText CollisionObjWriter::finish() {
    State& s = *state_;
    s.out.hand_on();
    s.result.mtl = s.mtl.take_text();
    return std::move(s.result);
}

CollisionObjText write_collision_obj(const std::vector<CollisionModel>& models, bool third_game,
                                     const std::vector<std::string>& header, const std::string& mtl_file_name) {
    CollisionObjWriter writer(header, mtl_file_name);
    for (const CollisionModel& m : models) writer.add(m, third_game);
    return writer.finish();
}
