// Which atomics of a vehicle the game draws, by their frames' names.
#include <algorithm>
#include <set>

#include "control/vehicle.h"
#include "control/vehicle_steps.h"
#include "game/text_lines.h"

namespace {

bool has(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }
bool starts(const std::string& s, const char* part) { return s.rfind(part, 0) == 0; }

// extra1..extra6 → 1..6; 0 for any other name.
int extra_number(const std::string& lower) {
    if (!starts(lower, "extra") || lower.size() < 6) return 0;
    const char d = lower[5];
    return d >= '1' && d <= '9' ? d - '0' : 0;
}

// Parts hung under these dummies are drawn on the dummy itself: their own
// frame's matrix (a small turn on some damaged twins) is dropped.
bool moving_part_dummy(const std::string& lower) {
    if (lower.size() < 6 || lower.compare(lower.size() - 6, 6, "_dummy") != 0) return false;
    for (const char* part : {"door", "bonnet", "boot", "bump", "wing", "windscreen"})
        if (has(lower, part)) return true;
    return false;
}

bool shown(PartKind kind, int game, VehicleParts parts, bool has_damaged_twin, bool extra_asked) {
    const bool older = game < 3;
    switch (parts) {
    case VehicleParts::all: return true;
    case VehicleParts::far:
        if (kind == PartKind::vlo || kind == PartKind::wheel) return true;
        return older && kind == PartKind::plain;
    case VehicleParts::near:
    case VehicleParts::damaged: break;
    }
    const bool damaged = parts == VehicleParts::damaged;
    switch (kind) {
    case PartKind::dam: return damaged;
    case PartKind::ok: return !(damaged && has_damaged_twin);
    case PartKind::vlo: case PartKind::moving: return false;
    case PartKind::lo: return !older;
    case PartKind::extra: return extra_asked;
    case PartKind::hi: case PartKind::plain: case PartKind::wheel: return true;
    }
    return true;
}

}  // namespace

PartKind part_kind(const std::string& frame_name) {
    const std::string n = lower_name(frame_name);
    // The frames the wheels were put on (wheel_lf, ...).
    if (n.size() == 8 && starts(n, "wheel_") && !wheel_position(n + "_dummy").empty()) return PartKind::wheel;
    if (has(n, "_dam")) return PartKind::dam;
    if (has(n, "_vlo")) return PartKind::vlo;
    if (has(n, "_lo")) return PartKind::lo;
    if (has(n, "_hi")) return PartKind::hi;
    if (starts(n, "extra")) return PartKind::extra;
    if (starts(n, "moving_rotor") || starts(n, "moving_prop")) return PartKind::moving;
    if (has(n, "_ok")) return PartKind::ok;
    return PartKind::plain;
}

const char* part_kind_name(PartKind kind) {
    switch (kind) {
    case PartKind::plain: return "plain";
    case PartKind::ok: return "intact (_ok)";
    case PartKind::dam: return "damaged (_dam)";
    case PartKind::vlo: return "far (_vlo)";
    case PartKind::lo: return "low detail (_lo)";
    case PartKind::hi: return "near only (_hi)";
    case PartKind::extra: return "extra";
    case PartKind::moving: return "moving rotor";
    case PartKind::wheel: return "wheel";
    }
    return "";
}

std::string frame_name_of(const Clump& clump, std::int32_t frame) {
    if (frame < 0 || static_cast<std::size_t>(frame) >= clump.frames.size()) return {};
    return clump.frames[static_cast<std::size_t>(frame)].name;
}

void select_parts(Clump& clump, int game, const VehicleChoice& choice) {
    if (choice.parts == VehicleParts::all) return;
    std::vector<std::string> names;
    for (const Frame& f : clump.frames) names.push_back(lower_name(f.name));
    const std::set<std::string> known(names.begin(), names.end());
    auto twin_of = [&](const std::string& ok_name) {
        std::string dam = ok_name;
        const std::size_t at = dam.find("_ok");
        dam.replace(at, 3, "_dam");
        return known.count(dam) > 0;
    };
    std::vector<Atomic> kept;
    for (const Atomic& a : clump.atomics) {
        const std::string name = lower_name(frame_name_of(clump, a.frame));
        const PartKind kind = part_kind(name);
        const int extra = extra_number(name);
        const bool asked = std::find(choice.extras.begin(), choice.extras.end(), extra) != choice.extras.end();
        // An intact part (bonnet_hi_ok too) gives way to its damaged twin.
        const bool twin = has(name, "_ok") && twin_of(name);
        if (choice.parts == VehicleParts::damaged && twin) continue;
        if (!shown(kind, game, choice.parts, twin, extra > 0 && asked)) continue;
        kept.push_back(a);
        if (kind != PartKind::ok && kind != PartKind::dam) continue;
        Frame& frame = clump.frames[static_cast<std::size_t>(a.frame)];
        if (frame.parent >= 0 && static_cast<std::size_t>(frame.parent) < clump.frames.size() &&
            moving_part_dummy(names[static_cast<std::size_t>(frame.parent)]))
            set_turn(frame, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0});
    }
    clump.atomics = std::move(kept);
}
