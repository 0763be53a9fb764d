#include "support/vehicle_layouts.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Point = std::array<double, 3>;

FrameLayout frame(const std::string& name, std::int32_t parent, Point at = {0, 0, 0}) {
    FrameLayout f;
    f.name = name;
    f.parent = parent;
    for (int k = 0; k < 3; ++k) f.matrix[9 + k] = static_cast<float>(at[k]);
    return f;
}

// One triangle whose first corner is first.
GeometryLayout piece(Point first, std::vector<MaterialLayout> materials = {MaterialLayout{}}) {
    GeometryLayout g;
    g.positions = {float(first[0]), float(first[1]), float(first[2]), 0, 0, 1, 1, 0, 0};
    for (std::uint16_t m = 0; m < materials.size(); ++m) g.triangles.push_back({0, 1, 2, m});
    g.materials = std::move(materials);
    return g;
}

MaterialLayout colour(std::uint8_t r, std::uint8_t g, std::uint8_t b, const std::string& texture = "") {
    MaterialLayout m;
    m.color = {r, g, b, 200};
    m.texture = texture;
    return m;
}

MaterialLayout solid(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    MaterialLayout m = colour(r, g, b);
    m.color[3] = 255;
    return m;
}

// A wheel about x: an eight-sided tyre, flat faces, a hub on its outer side.
GeometryLayout wheel_geometry() {
    GeometryLayout g;
    g.materials = {solid(20, 20, 20), solid(200, 200, 205)};
    const double radius = 0.36, half_width = 0.12, pi = 3.14159265358979;
    auto ring = [&](int k, double x) {
        const double a = 2 * pi * k / 8 + pi / 8;
        return Point{x, radius * std::cos(a), radius * std::sin(a)};
    };
    for (int k = 0; k < 8; ++k) {
        const auto first = static_cast<std::uint16_t>(g.positions.size() / 3);
        for (const Point& p : {ring(k, -half_width), ring(k + 1, -half_width), ring(k + 1, half_width), ring(k, half_width)})
            for (double c : p) g.positions.push_back(static_cast<float>(c));
        g.triangles.insert(g.triangles.end(), {{first, std::uint16_t(first + 1), std::uint16_t(first + 2), 0},
                                               {first, std::uint16_t(first + 2), std::uint16_t(first + 3), 0}});
    }
    for (int side = 0; side < 2; ++side) {
        const double x = side ? half_width : -half_width;
        const auto centre = static_cast<std::uint16_t>(g.positions.size() / 3);
        for (double c : {x, 0.0, 0.0}) g.positions.push_back(static_cast<float>(c));
        for (int k = 0; k < 8; ++k)
            for (double c : ring(k, x)) g.positions.push_back(static_cast<float>(c));
        for (std::uint16_t k = 0; k < 8; ++k) {
            const auto a = std::uint16_t(centre + 1 + k), b = std::uint16_t(centre + 1 + (k + 1) % 8);
            g.triangles.push_back(side ? TriangleLayout{centre, b, a, 1} : TriangleLayout{centre, a, b, 0});
        }
    }
    return g;
}

}  // namespace

ModelLayout showcase_car() {
    ClumpLayout c;
    c.frames = {frame("showcar", -1),
                frame("chassis_dummy", 0),
                frame("chassis", 1),
                frame("chassis_vlo", 0),
                frame("wheel_rf_dummy", 0, {0.85, 1.3, -0.25}),
                frame("wheel", 4),
                frame("wheel_lf_dummy", 0, {-0.85, 1.3, -0.25}),
                frame("wheel_rb_dummy", 0, {0.85, -1.3, -0.25}),
                frame("wheel_lb_dummy", 0, {-0.85, -1.3, -0.25}),
                frame("bonnet_dummy", 0, {0, 1.5, 0.3}),
                frame("bonnet_hi_ok", 9),
                frame("bonnet_hi_dam", 9)};
    c.frames[11].matrix = {0.94f, 0, 0.34f, 0, 1, 0, -0.34f, 0, 0.94f, 0.1f, 0.1f, 0.25f};  // bent up and aside
    // The body in the first marker colour, the cabin's glass dark, lights at the front.
    GeometryLayout body;
    body.materials = {solid(60, 255, 0), solid(30, 40, 50), solid(255, 175, 0)};
    add_box(body, {-0.9, -2.1, -0.25}, {0.9, 2.1, 0.3}, 0);
    add_box(body, {-0.8, -1.2, 0.3}, {0.8, 0.5, 0.75}, 1);
    add_box(body, {-0.75, -1.1, 0.75}, {0.75, 0.4, 0.8}, 0);
    add_box(body, {-0.8, 2.08, 0.0}, {-0.45, 2.12, 0.15}, 2);
    add_box(body, {0.45, 2.08, 0.0}, {0.8, 2.12, 0.15}, 2);
    GeometryLayout far;
    far.materials = {solid(60, 255, 0)};
    add_box(far, {-0.95, -2.2, -0.3}, {0.95, 2.2, 0.55}, 0);
    GeometryLayout bonnet, dented;
    bonnet.materials = dented.materials = {solid(60, 255, 0)};
    add_box(bonnet, {-0.85, -0.6, 0}, {0.85, 0.6, 0.05}, 0);
    add_box(dented, {-0.85, -0.6, 0}, {0.85, 0.6, 0.05}, 0);
    c.geometries = {body, far, wheel_geometry(), bonnet, dented};
    c.atomics = {{2, 0}, {3, 1}, {5, 2}, {10, 3}, {11, 4}};
    ModelLayout m;
    m.clumps = {c};
    return m;
}

// The newest game's kind: its own wheel under wheel_rf_dummy, six dummies,
// every part kind, markers on textured and plain materials.
ModelLayout own_wheel_car() {
    ClumpLayout c;
    c.frames = {frame("car", -1),
                frame("chassis_dummy", 0),
                frame("chassis", 1),
                frame("chassis_vlo", 0),
                frame("wheel_rf_dummy", 0, {0.9, 1.4, -0.3}),
                frame("wheel", 4, {0.05, 0, 0}),  // a few cm off, and stretched: both dropped
                frame("Wheel_LF_Dummy", 0, {-0.9, 1.4, -0.3}),
                frame("wheel_rb_dummy", 0, {0.9, -1.4, -0.3}),
                frame("wheel_lb_dummy", 0, {-0.9, -1.4, -0.3}),
                frame("wheel_rm_dummy", 0, {0.9, 0, -0.3}),
                frame("wheel_lm_dummy", 0, {-0.9, 0, -0.3}),
                frame("door_lf_dummy", 0, {-0.8, 0.5, 0}),
                frame("door_lf_ok", 11),
                frame("door_lf_dam", 11),
                frame("extra1", 0),
                frame("bonnet_lo", 0)};
    c.frames[5].matrix[0] = 2;
    c.frames[13].matrix = {0.99f, 0.14f, 0, -0.14f, 0.99f, 0, 0, 0, 1, 0.01f, 0, 0};  // a damaged twin's small turn
    c.frames[4].matrix = {0, 1, 0, -1, 0, 0, 0, 0, 1, 0.9f, 1.4f, -0.3f};        // a stored turn, thrown away
    c.geometries = {piece({0, 2, 0.5}, {colour(60, 255, 0, "body"), colour(255, 0, 175), colour(10, 20, 30, "vehiclelights128"),
                                        colour(255, 175, 0), colour(0, 255, 255)}),
                    piece({0.16, 0.1, 0.36}), piece({0, 0, 0}), piece({0, 0, 0}), piece({1, 1, 1}), piece({2, 2, 2}),
                    piece({3, 3, 3})};
    c.atomics = {{2, 0}, {3, 4}, {5, 1}, {12, 2}, {13, 3}, {14, 5}, {15, 6}};
    ModelLayout m;
    m.clumps = {c};
    return m;
}

// The older games' kind: wheel dummies only, the wheel from wheels.dff by the cars line.
ModelLayout generic_wheel_car() {
    ClumpLayout c;
    c.frames = {frame("mycar", -1), frame("chassis", 0), frame("chassis_vlo", 0), frame("chassis_lo", 0),
                frame("wheel_lf_dummy", 0, {-0.85, 1.6, -0.45}), frame("wheel_rf_dummy", 0, {0.85, 1.6, -0.45}),
                frame("bonnet_dummy", 0), frame("bonnet_hi_ok", 6), frame("bonnet_hi_dam", 6), frame("extra2", 0)};
    c.geometries = {piece({0, 2, 0.5}, {colour(60, 255, 0), colour(255, 0, 175, "grunge")}), piece({1, 1, 1}),
                    piece({2, 2, 2}), piece({0, 0, 0}), piece({0, 0, 0}), piece({4, 4, 4})};
    c.atomics = {{1, 0}, {2, 1}, {3, 2}, {7, 3}, {8, 4}, {9, 5}};
    ModelLayout m;
    m.clumps = {c};
    return m;
}

ModelLayout wheels_file() {
    ClumpLayout c;
    c.frames = {frame("wheels", -1), frame("wheel_x_l0", 0, {5, 5, 5}), frame("wheel_x_l1", 0), frame("wheel_y_l0", 0)};
    c.geometries = {piece({0.32, 0, 0.5}), piece({9, 9, 9}), piece({8, 8, 8})};
    c.atomics = {{1, 0}, {2, 1}, {3, 2}};
    ModelLayout m;
    m.clumps = {c};
    return m;
}

const char* const vehicle_items =
    "cars\n130, mycar, mycar, car, MYCAR, MYCAR, null, normal, 10, 7, 0, 250, 0.7\nend\n"
    "objs\n250, wheel_x, generic, 1, 20, 0\n251, wheel_y, generic, 1, 20, 0\nend\n";
const char* const vehicle_colours = "col\n5,5,5\n130,0,0\nend\ncar\nmycar, 0,1, 1,1\nshowcar, 1,0\nend\n";

