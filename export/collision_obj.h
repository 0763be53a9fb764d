#pragma once
// Collision models as OBJ + MTL: an object per model (its stored name, made
// unique), its shadow mesh as NAME.shadow, one material per surface used,
// named col_<id>_<name> and coloured by the surface's group.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/obj_placement.h"
#include "game/collision_file.h"

struct CollisionObjText {
    std::string obj, mtl;
    std::size_t objects = 0;  // o lines
};

class CollisionObjWriter {
public:
    // Comment lines first, then the mtllib line. With a sink the OBJ text is
    // handed there in pieces and CollisionObjText::obj stays empty.
    CollisionObjWriter(const std::vector<std::string>& header, const std::string& mtl_file_name,
                       std::function<void(std::string_view)> sink = {});
    ~CollisionObjWriter();

    // One model, in its own space or placed; third_game picks the surface
    // table of version-1 records. name: as the object is to be called before
    // it is made unique ("" for the model's stored name).
    void add(const CollisionModel& model, bool third_game, const Placement* placement = nullptr,
             const std::string& name = "");

    CollisionObjText finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// A whole collision file's models in their own space.
CollisionObjText write_collision_obj(const std::vector<CollisionModel>& models, bool third_game,
                                     const std::vector<std::string>& header, const std::string& mtl_file_name);

// The name an object of the model is wanted under: its stored name, or
// "collision" when it has none.
std::string collision_object_name(const CollisionModel& model);
