#include "export/obj_scene.h"

#include <unordered_set>

#include "export/mtl_writer.h"
#include "export/obj_object.h"
#include "export/obj_text_out.h"
#include "game/text_lines.h"

namespace {

struct PreparedObjModel {
    bool prepared = false;
    std::vector<ScenePart> parts;
    std::vector<std::vector<std::string>> material_names;  // one list a part
    std::uint32_t instances = 0;
};

class SceneWriter {
public:
    SceneWriter(const ObjSceneOptions& options, ObjSceneText& result)
        : options_(options), result_(result), out_(result.obj, options.obj_sink), mtl_("") {}

    void write(const std::vector<SceneModel>& models, const std::vector<SceneInstance>& instances) {
        for (const std::string& line : options_.header) out_.comment(line);
        out_.append("mtllib " + options_.mtl_file_name + "\n");
        prepared_.resize(models.size());
        for (const SceneInstance& instance : instances) {
            if (instance.model >= models.size()) continue;
            if (options_.max_obj_bytes && out_.size() > options_.max_obj_bytes) {
                out_.doubt("the OBJ text passed " + std::to_string(options_.max_obj_bytes) + " bytes: " +
                           std::to_string(instances.size() - result_.instances_written) +
                           " more instances are left out");
                result_.stopped = true;
                break;
            }
            write_instance(models[instance.model], prepared_[instance.model], instance.transform);
        }
        out_.hand_on();
        result_.doubtful = out_.doubtful;
        result_.first_doubt = out_.first_doubt;
        result_.mtl = mtl_.take_text();
    }

private:
    void prepare(const SceneModel& model, PreparedObjModel& p) {
        p.prepared = true;
        if (!model.model) return;
        p.parts = scene_parts(*model.model).parts;
        std::string folder = options_.texture_folder ? options_.texture_folder(model.dictionary) : "";
        for (const ScenePart& part : p.parts) {
            std::vector<std::string>& names = p.material_names.emplace_back();
            for (const Material& m : part.geometry->materials) {
                names.push_back(mtl_.add_shared(scene_material_key(model.dictionary, m), m, folder));
                for (const std::string* t : {&m.texture, &m.mask})
                    if (!t->empty() && textures_seen_.insert(lower_name(model.dictionary) + '\0' + *t).second)
                        result_.textures.push_back({model.dictionary, *t});
            }
        }
    }

    void write_instance(const SceneModel& model, PreparedObjModel& p, const InstanceTransform& t) {
        if (!p.prepared) prepare(model, p);
        if (p.parts.empty()) return;
        Placement points, normals;
        instance_placements(t, points, normals);
        std::string name = objects_.take(model.name + "_" + std::to_string(++p.instances));
        for (std::size_t i = 0; i < p.parts.size(); ++i) {
            ObjObject object;
            object.name = name;
            object.geometry = p.parts[i].geometry;
            object.material_names = &p.material_names[i];
            object.placement = &points;
            object.normal_placement = &normals;
            object.continued = i > 0;
            write_object(object, mtl_, out_, base_);
        }
        ++result_.instances_written;
    }

    const ObjSceneOptions& options_;
    ObjSceneText& result_;
    ObjTextOut out_;
    MtlWriter mtl_;
    UniqueNames objects_;
    ObjIndexBase base_;
    std::vector<PreparedObjModel> prepared_;
    std::unordered_set<std::string> textures_seen_;
};

}  // namespace

void instance_placements(const InstanceTransform& t, Placement& points, Placement& normals) {
    // The writer places x*axes[0] + y*axes[1] + z*axes[2]: the axes are R's columns, scaled.
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) {
            points.axes[j][k] = t.rotation[k][j] * t.scale[j];
            normals.axes[j][k] = t.scale[j] != 0 ? t.rotation[k][j] / t.scale[j] : 0.0;
        }
    for (int k = 0; k < 3; ++k) {
        points.position[k] = t.position[k];
        normals.position[k] = 0;
    }
}

ObjSceneText write_obj_scene(const std::vector<SceneModel>& models, const std::vector<SceneInstance>& instances,
                             const ObjSceneOptions& options) {
    ObjSceneText result;
    SceneWriter(options, result).write(models, instances);
    return result;
}
