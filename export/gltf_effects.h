#pragma once
// 2D effects in a glTF document: a node fx_<kind>_<n> at each effect's
// position with every field in its extras, and for a light a
// KHR_lights_punctual point light on that node. One light is shared by the
// nodes of the same effect (a geometry drawn twice, a scene's instances).

#include <map>
#include <vector>

#include "export/gltf_document.h"
#include "export/obj_placement.h"
#include "export/obj_names.h"
#include "model/effect.h"

// The point light's intensity in candela: 10 lx at the edge of its range
// (a street's lighting), 10 * range^2; a light without a range is taken as
// reaching 10 m.
double effect_light_intensity(float range);

class GltfEffects {
public:
    explicit GltfEffects(GltfDocument& document) : d_(document) {}

    // The effects' nodes as children of parent, named through names; a
    // parent whose node could not take all of its frame passes on its rest.
    void add(int parent, const std::vector<Effect>& effects, UniqueNames& names,
             const Placement* parent_rest = nullptr);

private:
    int light_for(const Effect& e);

    GltfDocument& d_;
    std::map<const Effect*, int> lights_;
};

// Names the extension in extensionsUsed, once.
void use_gltf_extension(GltfDocument& document, const char* name);
