// A wheel at every wheel dummy, as the game places, turns and scales it.
#include <algorithm>

#include "control/vehicle.h"
#include "control/vehicle_steps.h"
#include "game/text_lines.h"

namespace {

constexpr std::size_t no_frame = static_cast<std::size_t>(-1);

// Real wheels hang one or two frames below their dummy; a hostile chain is not followed further.
constexpr std::size_t deepest_wheel = 16;

// The first atomic met going down from frame, first child each step; -1: none.
std::int32_t stored_wheel(const Clump& clump, std::size_t frame) {
    for (std::size_t steps = 0; frame != no_frame && steps < deepest_wheel; ++steps) {
        for (std::size_t a = 0; a < clump.atomics.size(); ++a)
            if (clump.atomics[a].frame == static_cast<std::int32_t>(frame)) return static_cast<std::int32_t>(a);
        std::size_t child = no_frame;
        for (std::size_t f = 0; f < clump.frames.size() && child == no_frame; ++f)
            if (clump.frames[f].parent == static_cast<std::int32_t>(frame)) child = f;
        frame = child;
    }
    return -1;
}

std::size_t frame_named(const Clump& clump, const std::string& name) {
    for (std::size_t f = 0; f < clump.frames.size(); ++f)
        if (same_name(clump.frames[f].name, name)) return f;
    return no_frame;
}

struct WheelSource {
    const Geometry* geometry = nullptr;  // null: no wheel
    std::int32_t own_atomic = -1;        // the car's own wheel atomic
    std::string text;                    // what it is, or why there is none
};

WheelSource find_wheel(const Clump& clump, int game, const ItemDefinition* car, const VehicleFiles* files) {
    WheelSource source;
    if (game >= 3) {
        const std::size_t rf = frame_named(clump, "wheel_rf_dummy");
        source.own_atomic = rf == no_frame ? -1 : stored_wheel(clump, rf);
        if (source.own_atomic < 0) {
            source.text = "nothing hangs under wheel_rf_dummy";
            return source;
        }
        const Atomic& a = clump.atomics[static_cast<std::size_t>(source.own_atomic)];
        if (a.geometry < 0 || static_cast<std::size_t>(a.geometry) >= clump.geometries.size()) {
            source.text = "the wheel atomic's geometry is out of range";
            source.own_atomic = -1;
            return source;
        }
        source.geometry = &clump.geometries[static_cast<std::size_t>(a.geometry)];
        source.text = "its own wheel (frame " + frame_name_of(clump, a.frame) + ")";
        return source;
    }
    if (!car || car->vehicle.wheel_id < 0) {
        source.text = car ? "its cars line names none" : "no cars line names this model (--ide, --game)";
        return source;
    }
    const std::string id = std::to_string(car->vehicle.wheel_id);
    const ItemDefinition* item = files && files->items ? files->items->by_id(car->vehicle.wheel_id) : nullptr;
    if (!item) {
        source.text = "no item definition has the wheel id " + id;
        return source;
    }
    if (!files->wheels) {
        source.text = item->model + " is in wheels.dff, and no wheels.dff was given (--wheels, --game)";
        return source;
    }
    for (const Clump& c : files->wheels->clumps) {
        const std::size_t f = frame_named(c, item->model + "_l0");
        if (f == no_frame) continue;
        for (const Atomic& a : c.atomics)
            if (a.frame == static_cast<std::int32_t>(f) && a.geometry >= 0 &&
                static_cast<std::size_t>(a.geometry) < c.geometries.size()) {
                source.geometry = &c.geometries[static_cast<std::size_t>(a.geometry)];
                source.text = "generic wheel " + item->model + " (id " + id + ") from " + files->wheels_name;
                return source;
            }
    }
    source.text = files->wheels_name + " has no " + item->model + "_l0";
    return source;
}

// The wheel's scale in its own axes: x across, y and z its height.
std::array<float, 3> wheel_scale(const std::string& where, int game, const ItemDefinition* car) {
    if (game < 3) {
        const float s = car ? car->vehicle.wheel_scale : 1.0f;
        return {s, s, s};
    }
    const bool rear = where[1] != 'f';
    const float h = rear && car && car->vehicle.sizes ? car->vehicle.rear_size / car->vehicle.front_size : 1.0f;
    return {1, h, h};
}

}  // namespace

std::string wheel_position(const std::string& frame_name) {
    const std::string n = lower_name(frame_name);
    if (n.size() != 14 || n.rfind("wheel_", 0) != 0 || n.compare(8, 6, "_dummy") != 0) return {};
    const std::string where = n.substr(6, 2);
    for (const char* known : {"lf", "rf", "lm", "rm", "lb", "rb"})
        if (where == known) return where;
    return {};
}

std::string wheel_source_text(const Clump& clump, int game, const ItemDefinition* car, const VehicleFiles* files) {
    const WheelSource source = find_wheel(clump, game, car, files);
    return source.geometry ? source.text : "none (" + source.text + ")";
}

void place_wheels(Model& model, Clump& clump, int game, const ItemDefinition* car, const VehicleFiles* files,
                  std::vector<std::string>& notes) {
    (void)model;
    // The first dummy of each place, as the game finds them by name.
    std::vector<std::size_t> dummies;
    std::vector<std::string> places;
    for (std::size_t f = 0; f < clump.frames.size(); ++f) {
        const std::string where = wheel_position(clump.frames[f].name);
        if (where.empty() || std::find(places.begin(), places.end(), where) != places.end()) continue;
        places.push_back(where);
        dummies.push_back(f);
    }
    if (dummies.empty()) return;
    const WheelSource source = find_wheel(clump, game, car, files);
    if (!source.geometry) {
        notes.push_back("converted without wheels: " + source.text);
        return;
    }
    // The wheel's geometry: the car's own stays where it is; a generic one joins the clump.
    std::int32_t geometry = -1;
    std::uint32_t offset = 0;
    if (source.own_atomic >= 0) {
        const Atomic& own = clump.atomics[static_cast<std::size_t>(source.own_atomic)];
        geometry = own.geometry;
        offset = own.offset;
    } else {
        clump.geometries.push_back(*source.geometry);
        geometry = static_cast<std::int32_t>(clump.geometries.size() - 1);
        offset = source.geometry->offset;
    }
    // The stored wheels are not drawn a second time: the own one, and copies kept under other dummies.
    if (source.own_atomic >= 0) {
        std::vector<bool> drop(clump.atomics.size(), false);
        for (std::size_t d : dummies) {
            const std::int32_t a = stored_wheel(clump, d);
            if (a < 0) continue;
            const Atomic& stored = clump.atomics[static_cast<std::size_t>(a)];
            if (stored.geometry == geometry || lower_name(frame_name_of(clump, stored.frame)).rfind("wheel", 0) == 0)
                drop[static_cast<std::size_t>(a)] = true;
        }
        drop[static_cast<std::size_t>(source.own_atomic)] = true;
        std::vector<Atomic> kept;
        for (std::size_t a = 0; a < clump.atomics.size(); ++a)
            if (!drop[a]) kept.push_back(clump.atomics[a]);
        clump.atomics = std::move(kept);
    }
    // A hostile file may hold thousands of dummies: each one's children found once.
    std::vector<std::vector<std::size_t>> children(clump.frames.size());
    for (std::size_t f = 0; f < clump.frames.size(); ++f)
        if (clump.frames[f].parent >= 0 && static_cast<std::size_t>(clump.frames[f].parent) < children.size())
            children[static_cast<std::size_t>(clump.frames[f].parent)].push_back(f);
    for (std::size_t d : dummies) {
        const std::string where = wheel_position(clump.frames[d].name);
        const std::array<float, 3> s = wheel_scale(where, game, car);
        const float turn = where[0] == 'l' ? -1.0f : 1.0f;  // the left side: 180 degrees about z
        Frame& dummy = clump.frames[d];
        set_turn(dummy, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {dummy.position[0], dummy.position[1], dummy.position[2]});
        Frame wheel;
        set_turn(wheel, {turn * s[0], 0, 0, 0, turn * s[1], 0, 0, 0, s[2]}, {0, 0, 0});
        wheel.parent = static_cast<std::int32_t>(d);
        wheel.name = "wheel_" + where;
        const std::int32_t index = static_cast<std::int32_t>(clump.frames.size());
        // What else hangs under the dummy is drawn with its rewritten matrix.
        for (std::size_t child : children[d]) clump.frames[child].parent = index;
        clump.frames.push_back(wheel);
        clump.atomics.push_back({offset, index, geometry});
    }
}
