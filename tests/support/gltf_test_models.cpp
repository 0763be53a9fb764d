#include "support/gltf_test_models.h"

#include "support/character_layout.h"
#include "support/effect_layout.h"

namespace {

// A texture of 2 x 2 A8R8G8B8 pixels (stored B, G, R, A) with these alphas.
TextureLayout texture(const std::string& name, std::uint8_t a0, std::uint8_t a1) {
    TextureLayout t;
    t.name = name;
    t.raster_format = 0x500;
    t.format = 21;
    t.width = t.height = 2;
    t.levels = {{10, 20, 200, a0, 30, 40, 220, a1, 50, 60, 240, 255, 70, 80, 250, 255}};
    return t;
}

FrameLayout frame(const std::string& name, std::int32_t parent, std::array<float, 12> matrix) {
    FrameLayout f;
    f.name = name;
    f.parent = parent;
    f.matrix = matrix;
    return f;
}

// A unit quad moved along x, with prelit colours.
GeometryLayout coloured_quad(float x) {
    GeometryLayout g = quad_geometry();
    g.flags |= geometry_prelit;
    for (std::size_t i = 0; i < g.positions.size(); i += 3) g.positions[i] += x;
    g.colors = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 128, 188, 188, 188, 255};
    return g;
}

GltfTestModel hierarchy() {
    GltfTestModel m{"hierarchy", {}, {texture("paint", 255, 255), texture("leaves", 0, 255), texture("glass", 100, 255)}};
    ClumpLayout c;
    // A quarter turn about z, then a body, a door on it, a handle on the door.
    c.frames = {frame("car", -1, {0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 0, 0}),
                frame("door", 0, {1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 2, 0}),
                frame("handle", 1, {2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0.5f})};
    GeometryLayout body = coloured_quad(0);
    body.materials = {MaterialLayout{{255, 255, 255, 255}, "paint", "", 0x2206},
                      MaterialLayout{{200, 100, 50, 255}, "", ""}};
    body.triangles[1].material = 1;
    GeometryLayout door = quad_geometry();
    door.materials = {MaterialLayout{{255, 255, 255, 255}, "leaves", "", 0x3301}};
    GeometryLayout handle = quad_geometry();
    handle.materials = {MaterialLayout{{255, 255, 255, 200}, "glass", "", 0x1102}};
    c.geometries = {body, door, handle};
    c.atomics = {{0, 0}, {1, 1}, {2, 2}, {1, 2}};  // the handle's geometry also on the door
    m.model.clumps = {c};
    return m;
}

GltfTestModel two_uv_sets() {
    GltfTestModel m{"two-uv-sets", {}, {}};
    GeometryLayout g = coloured_quad(0);
    g.flags = geometry_positions | geometry_prelit | geometry_textured2 | uv_sets_flag(2);
    g.normals.clear();
    g.uvs = {0, 0, 1, 0, 1, 1, 0, 1, 0.5f, 0.5f, 0.75f, 0.5f, 0.75f, 0.75f, 0.5f, 0.75f};
    // Night colours beside the day ones.
    g.plugins.push_back(night_colors_plugin({10, 10, 40, 255, 20, 20, 60, 255, 30, 30, 80, 255, 255, 200, 0, 255}));
    g.materials = {MaterialLayout{{128, 128, 128, 255}, "body", ""}};
    m.model = single_geometry_model(g);
    return m;
}

GltfTestModel several_clumps() {
    GltfTestModel m{"clumps", {}, {}};
    for (int i = 0; i < 3; ++i) {
        ClumpLayout c;
        c.frames = {frame("part", -1, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, static_cast<float>(i)})};
        c.geometries = {coloured_quad(static_cast<float>(i))};
        c.atomics = {{0, 0}};
        m.model.clumps.push_back(c);
    }
    return m;
}

GltfTestModel unused_geometry() {
    GltfTestModel m{"unused-geometry", {}, {}};
    ClumpLayout c;
    c.frames = {frame("root", -1, {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 2, 3})};
    GeometryLayout spare = quad_geometry();
    spare.materials.clear();  // its triangles use material 0, which it lacks
    c.geometries = {quad_geometry(), spare};
    c.atomics = {{0, 0}};
    m.model.clumps = {c};
    return m;
}

// Doubtful: parents in a circle, a parent out of range, an atomic's frame out
// of range, a triangle past the vertex count.
GltfTestModel broken_chains() {
    GltfTestModel m{"broken-chains", {}, {}};
    ClumpLayout c;
    c.frames = {frame("root", -1, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}), frame("left", 2, {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0}),
                frame("right", 1, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0}), frame("lost", 9, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1})};
    GeometryLayout bent = quad_geometry();
    bent.triangles.push_back({0, 1, 9, 0});
    c.geometries = {quad_geometry(), bent};
    c.atomics = {{0, 0}, {1, 1}, {2, 0}, {3, 0}, {7, 0}};
    m.model.clumps = {c};
    return m;
}

// Frames no node matrix may hold: a mirror, then a shear with an uneven
// scale, then a turned frame below it; the same quad on each.
GltfTestModel sheared_frames() {
    GltfTestModel m{"sheared-frames", {}, {}};
    ClumpLayout c;
    c.frames = {frame("base", -1, {0.8660254f, 0.5f, 0, -0.5f, 0.8660254f, 0, 0, 0, 1, 1, 2, 3}),
                frame("mirror", 0, {-1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0}),
                frame("shear", 1, {2, 0, 0, 0.5f, 1, 0, 0, 0.25f, 1.5f, 1, 0, 0}),
                frame("tip", 2, {0, 1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 1})};
    GeometryLayout quad = quad_geometry();
    quad.normals = {0, 0.6f, 0.8f, 0, 0, 1, 0.6f, 0, 0.8f, 0, 0, 1};
    c.geometries = {quad};
    c.atomics = {{0, 0}, {1, 0}, {2, 0}, {3, 0}};
    m.model.clumps = {c};
    return m;
}

// A sign seen from both sides: each triangle twice, the second turned round.
GltfTestModel double_sided() {
    GltfTestModel m{"double-sided", {}, {}};
    GeometryLayout g = quad_geometry();
    g.triangles = {{0, 1, 2, 0}, {0, 2, 3, 0}, {2, 1, 0, 0}, {3, 2, 0, 0}};
    m.model = single_geometry_model(g);
    return m;
}

// Records that all say material 0, as some exporters write them, and a
// BinMesh that splits the triangles over three materials, a list and a strip.
GltfTestModel bin_mesh_materials() {
    GltfTestModel m{"binmesh-materials", {}, {}};
    GeometryLayout g = quad_geometry();
    g.positions = {0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 0, 1, 1, 0, 2, 1, 0};
    g.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    g.uvs = {0, 0, 0.5f, 0, 1, 0, 0, 1, 0.5f, 1, 1, 1};
    g.triangles = {{0, 1, 4, 0}, {0, 4, 3, 0}, {1, 2, 5, 0}, {1, 5, 4, 0}};
    g.materials = {MaterialLayout{{255, 0, 0, 255}, "", ""}, MaterialLayout{{0, 255, 0, 255}, "", ""},
                   MaterialLayout{{0, 0, 255, 255}, "", ""}};
    g.bin_mesh = BinMeshLayout{1, {{2, {3, 0, 4, 1}}, {1, {1, 2, 5}}, {0, {1, 5, 4}}}};
    m.model = single_geometry_model(g);
    return m;
}

}  // namespace

GltfTestModel lamp_post() {
    GltfTestModel m{"lamp-post", {}, {texture("water", 255, 255), texture("sign", 255, 255)}};
    ClumpLayout c;
    // The post, and two arms turned a quarter about z, 4 up, each drawing the lamp head.
    c.frames = {frame("post", -1, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}),
                frame("arm", 0, {0, 1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 4}),
                frame("arm_back", 0, {0, -1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 4})};
    GeometryLayout post = quad_geometry();
    post.materials = {MaterialLayout{{255, 255, 255, 255}, "water", "", 0x1106, {uv_animation_names_plugin({"Flow"})}},
                      MaterialLayout{{255, 255, 255, 255}, "sign", "", 0x1106, {uv_animation_names_plugin({"scroll"})}},
                      MaterialLayout{{255, 255, 255, 255}, "glass", "", 0x1106, {uv_animation_names_plugin({"flow"})}}};
    post.triangles[1].material = 1;
    post.triangles.push_back({0, 2, 3, 2});
    std::vector<EffectEntryLayout> every;
    for (std::uint32_t type = 0; type <= 12; ++type)
        every.push_back({{static_cast<float>(type), 0, 1}, type, effect_body(type)});
    every.push_back({{0, 0, 2}, 0, effect_body(0, true)});    // the shorter light
    every.push_back({{0, 0, 3}, 1, std::vector<std::uint8_t>(20, 'a')});  // a particle of the wrong size
    every.push_back({{0, 0, 3}, 0, std::vector<std::uint8_t>(78, 1)});  // a light of the wrong size
    post.plugins.push_back(effects_plugin(every));
    GeometryLayout head = quad_geometry();
    head.plugins.push_back(effects_plugin({{{0.5f, -0.25f, 3.0f}, 0, effect_body(0)}}));
    c.geometries = {post, head};
    c.atomics = {{0, 0}, {1, 1}, {2, 1}};
    m.model.clumps = {c};
    m.model.uv_dictionary = true;
    // Flow: node 0 moves the base texture, node 1 the second pass; their keys
    // interleave at the same times; one key names a previous key that is not there.
    m.model.uv_animation_chunks = {
        uv_animation_chunk("flow", 0x1C1, {0, 1},
                           {{0, {0, 1, 1, 0, 0, 0}, 7},
                            {0, {0, 1, 1, 0, 0, 0}, 0x7F7F},
                            {1, {0.5f, 2, 1, 0, 0.25f, 0}, 0},
                            {1, {0, 1, 1, 0, 0.5f, 0}, 1},
                            {2, {6.0f, 2, 1, 0.25f, 0.5f, 0}, 2},
                            {3, {0, 1, 1, 0, 0, 0}, 99}}),
        // Scroll: a linear matrix turned a quarter, scaled by 2 along v and skewed.
        uv_animation_chunk("scroll", 0x1C0, {0},
                           {{0, {1, 0, 0, 1, 0, 0}, -1}, {0.5f, {0, 1, -2, 0.5f, 0.25f, 0.75f}, 0}}),
        uv_animation_chunk("idle", 0x1C1, {0}, {{0, {0, 1, 1, 0, 0, 0}, 0}})};
    return m;
}

GltfTestModel street_lamp() {
    GltfTestModel m{"street-lamp", {}, {}};
    ClumpLayout c;
    c.frames = {frame("street-lamp", -1, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0})};
    GeometryLayout g;
    g.materials = {MaterialLayout{{110, 110, 115, 255}}, MaterialLayout{{40, 45, 50, 255}}, MaterialLayout{{255, 230, 170, 255}}};
    add_box(g, {-4, -4, -0.1}, {4, 4, 0}, 0);        // the pavement
    add_box(g, {-0.1, -0.1, 0}, {0.1, 0.1, 5}, 1);     // the post
    add_box(g, {-0.05, 0, 4.8}, {0.05, 1.5, 4.9}, 1);  // the arm
    add_box(g, {-0.25, 1.2, 4.6}, {0.25, 1.8, 4.8}, 1);  // the head
    add_box(g, {-0.2, 1.25, 4.58}, {0.2, 1.75, 4.6}, 2);  // its glass
    std::vector<std::uint8_t> light = effect_body(0);
    g.plugins.push_back(effects_plugin({{{0, 1.5f, 4.4f}, 0, light}}));
    c.geometries = {g};
    c.atomics = {{0, 0}};
    m.model.clumps = {c};
    return m;
}

std::vector<GltfTestModel> gltf_test_models() {
    GltfTestModel character{"character", character_model({}).model, {}};
    return {hierarchy(),      two_uv_sets(),   several_clumps(),      unused_geometry(), broken_chains(),
            sheared_frames(), double_sided(),  bin_mesh_materials(), character,
            lamp_post()};
}
