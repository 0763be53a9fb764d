#include "game/collision_inspection.h"

#include <cstdio>

namespace {

std::string three(const float v[3]) {
    char text[96];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", double(v[0]), double(v[1]), double(v[2]));
    return text;
}

}  // namespace

std::string collision_inspection_text(const CollisionFile& file) {
    if (!file.refused.empty()) return "not a collision file: " + file.refused + "\n";
    std::string text = std::to_string(file.models.size()) + (file.models.size() == 1 ? " model" : " models");
    if (!file.skipped.empty()) text += ", " + std::to_string(file.skipped.size()) + " skipped";
    text += "\n";
    for (const CollisionModel& m : file.models) {
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%X", m.flags);
        text += "  " + (m.name.empty() ? std::string("(no name)") : m.name) + ": id " + std::to_string(m.id) +
                ", version " + std::to_string(m.version) + ", " + std::to_string(m.spheres.size()) + " spheres, " +
                std::to_string(m.boxes.size()) + " boxes, " + std::to_string(m.mesh.faces.size()) + " faces, " +
                std::to_string(m.mesh.vertex_count()) + " vertices, " + std::to_string(m.shadow.faces.size()) +
                " shadow faces, " + std::to_string(m.face_groups) + " face groups, flags " + flags + ", bounds " +
                three(m.bounds_min) + " to " + three(m.bounds_max) + "\n";
    }
    for (const CollisionFault& f : file.skipped)
        text += "  skipped at byte " + std::to_string(f.offset) + (f.name.empty() ? "" : " ('" + f.name + "')") +
                ": " + f.reason + "\n";
    for (const std::string& w : file.warnings) text += "  warning: " + w + "\n";
    return text;
}
