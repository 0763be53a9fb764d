#include "export/collision_geometry.h"

#include <cmath>
#include <cstring>

namespace {

// A unit circle's coordinate with the rounding left over at its zeros taken
// off: 1.5e-17 is 0.
double exact(double v) { return std::fabs(v) < 1e-12 ? 0.0 : v; }

struct Builder {
    CollisionGeometry& out;
    SurfaceTable table;

    std::uint32_t material_of(std::uint8_t surface) {
        for (std::size_t i = 0; i < out.surfaces.size(); ++i)
            if (out.surfaces[i] == surface) return static_cast<std::uint32_t>(i);
        out.surfaces.push_back(surface);
        Material m;
        const auto rgb = surface_group_colour(surface_kind(table, surface).group);
        for (int k = 0; k < 3; ++k) m.color[k] = rgb[k];
        out.geometry.materials.push_back(m);
        return static_cast<std::uint32_t>(out.surfaces.size() - 1);
    }
    std::uint32_t vertex(double x, double y, double z) {
        out.positions.push_back(static_cast<float>(x));
        out.positions.push_back(static_cast<float>(y));
        out.positions.push_back(static_cast<float>(z));
        return static_cast<std::uint32_t>(out.positions.size() / 3 - 1);
    }
    const float* at(std::uint32_t v) const { return &out.positions[3 * std::size_t(v)]; }

    // A triangle of a closed convex shape around centre, turned so that
    // (c - a) x (b - a) points away from it.
    void outward(std::uint32_t a, std::uint32_t b, std::uint32_t c, const double centre[3], std::uint32_t material) {
        const float *pa = at(a), *pb = at(b), *pc = at(c);
        double u[3], w[3], mid[3];
        for (int k = 0; k < 3; ++k) {
            u[k] = double(pc[k]) - pa[k];
            w[k] = double(pb[k]) - pa[k];
            mid[k] = (double(pa[k]) + pb[k] + pc[k]) / 3 - centre[k];
        }
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        if (n[0] * mid[0] + n[1] * mid[1] + n[2] * mid[2] < 0) std::swap(b, c);
        out.geometry.triangles.push_back({a, b, c, material});
    }

    void box(const CollisionBox& b) {
        const std::uint32_t material = material_of(b.surface.material);
        std::uint32_t corner[8];
        for (int i = 0; i < 8; ++i)
            corner[i] = vertex(i & 1 ? b.max[0] : b.min[0], i & 2 ? b.max[1] : b.min[1], i & 4 ? b.max[2] : b.min[2]);
        double centre[3];
        for (int k = 0; k < 3; ++k) centre[k] = (double(b.min[k]) + b.max[k]) / 2;
        // Each side as two triangles over its corners in cyclic order.
        static const int sides[6][4] = {{0, 2, 6, 4}, {1, 3, 7, 5}, {0, 1, 5, 4},
                                        {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 5, 7, 6}};
        for (const auto& s : sides) {
            outward(corner[s[0]], corner[s[1]], corner[s[2]], centre, material);
            outward(corner[s[0]], corner[s[2]], corner[s[3]], centre, material);
        }
    }

    void sphere(const CollisionSphere& s) {
        const std::uint32_t material = material_of(s.surface.material);
        const double pi = 3.14159265358979323846, r = s.radius;
        const double centre[3] = {s.centre[0], s.centre[1], s.centre[2]};
        const std::uint32_t top = vertex(centre[0], centre[1], centre[2] + r);
        std::uint32_t first_ring = 0;
        for (int stack = 1; stack < sphere_stacks; ++stack) {
            const double polar = pi * stack / sphere_stacks;
            for (int slice = 0; slice < sphere_slices; ++slice) {
                const double around = 2 * pi * slice / sphere_slices;
                const std::uint32_t v = vertex(centre[0] + r * exact(std::sin(polar) * std::cos(around)),
                                               centre[1] + r * exact(std::sin(polar) * std::sin(around)),
                                               centre[2] + r * exact(std::cos(polar)));
                if (stack == 1 && slice == 0) first_ring = v;
            }
        }
        const std::uint32_t bottom = vertex(centre[0], centre[1], centre[2] - r);
        auto ring = [&](int stack, int slice) {
            return first_ring + static_cast<std::uint32_t>((stack - 1) * sphere_slices + slice % sphere_slices);
        };
        // A sphere of radius 0 still gets every triangle: the count stays fixed.
        auto tri = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
            if (r > 0) outward(a, b, c, centre, material);
            else out.geometry.triangles.push_back({a, b, c, material});
        };
        for (int slice = 0; slice < sphere_slices; ++slice) {
            tri(top, ring(1, slice), ring(1, slice + 1));
            tri(bottom, ring(sphere_stacks - 1, slice + 1), ring(sphere_stacks - 1, slice));
            for (int stack = 1; stack + 1 < sphere_stacks; ++stack) {
                tri(ring(stack, slice), ring(stack + 1, slice), ring(stack + 1, slice + 1));
                tri(ring(stack, slice), ring(stack + 1, slice + 1), ring(stack, slice + 1));
            }
        }
    }

    void mesh(const CollisionMesh& m) {
        const std::uint32_t base = static_cast<std::uint32_t>(out.positions.size() / 3);
        out.positions.insert(out.positions.end(), m.vertices.begin(), m.vertices.end());
        for (const CollisionFace& f : m.faces)
            out.geometry.triangles.push_back({base + f.a, base + f.b, base + f.c, material_of(f.material)});
    }
};

void finish(CollisionGeometry& g) {
    g.geometry.complete = true;
    g.geometry.vertex_count = static_cast<std::int32_t>(g.positions.size() / 3);
    g.geometry.positions.data = reinterpret_cast<const std::uint8_t*>(g.positions.data());
    g.geometry.positions.count = static_cast<std::uint32_t>(g.positions.size() / 3);
    if (g.positions.empty()) g.geometry.positions.data = nullptr;
}

}  // namespace

CollisionParts collision_parts(const CollisionModel& model, SurfaceTable table) {
    CollisionParts parts;
    Builder solid{parts.solid, table};
    solid.mesh(model.mesh);
    for (const CollisionBox& b : model.boxes) solid.box(b);
    for (const CollisionSphere& s : model.spheres) solid.sphere(s);
    finish(parts.solid);
    Builder shadow{parts.shadow, table};
    shadow.mesh(model.shadow);
    finish(parts.shadow);
    return parts;
}

std::array<std::uint8_t, 3> surface_group_colour(SurfaceGroup group) {
    static const std::array<std::uint8_t, 3> colours[surface_group_count] = {
        {150, 140, 120},  // ground
        {70, 70, 75},     // road
        {170, 170, 165},  // pavement
        {70, 150, 60},    // grass
        {215, 190, 120},  // sand, gravel, dirt
        {120, 105, 90},   // rock
        {110, 140, 170},  // metal
        {140, 90, 50},    // wood
        {150, 220, 235},  // glass
        {40, 90, 200},    // water
        {200, 50, 50},    // vehicle
        {230, 150, 180},  // person
        {200, 120, 220},  // soft: cloth, rubber, plastic, cardboard
        {255, 0, 255},    // unknown
    };
    const auto i = static_cast<std::size_t>(group);
    return i < surface_group_count ? colours[i] : colours[surface_group_count - 1];
}
