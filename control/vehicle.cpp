#include "control/vehicle.h"

#include <algorithm>

#include "control/vehicle_steps.h"
#include "game/text_lines.h"

namespace {

bool vehicle_frames(const Clump& clump) {
    for (const Frame& f : clump.frames)
        if (same_name(f.name, "chassis_dummy") || !wheel_position(f.name).empty()) return true;
    return false;
}

const ItemDefinition* cars_line(const std::string& model_name, const VehicleFiles* files) {
    if (!files || !files->items) return nullptr;
    const ItemDefinition* item = files->items->by_name(model_name);
    return item && item->section == "cars" ? item : nullptr;
}

bool own_wheel_stored(const Clump& clump) {
    for (std::size_t f = 0; f < clump.frames.size(); ++f) {
        if (!same_name(clump.frames[f].name, "wheel_rf_dummy")) continue;
        // Anything drawn below the first right front dummy.
        for (const Atomic& a : clump.atomics)
            for (std::int32_t at = a.frame, steps = 0;
                 at >= 0 && static_cast<std::size_t>(at) < clump.frames.size() && steps < 16;
                 at = clump.frames[static_cast<std::size_t>(at)].parent, ++steps)
                if (at == static_cast<std::int32_t>(f)) return true;
        return false;
    }
    return false;
}

std::array<std::array<std::uint8_t, 3>, 4> paint_of(const std::string& model_name, const VehicleSetup& setup,
                                                    std::vector<std::string>& notes) {
    std::array<std::array<std::uint8_t, 3>, 4> paint;
    for (auto& c : paint) c = {neutral_grey, neutral_grey, neutral_grey};
    const CarColourFile* colours = setup.files ? setup.files->colours.get() : nullptr;
    if (!colours) return paint;
    std::array<int, 4> indices{};
    std::string why;
    if (!paint_indices(setup.choice, *colours, model_name, indices, why)) {
        notes.push_back("painted grey: " + setup.files->colours_name + ": " + why);
        return paint;
    }
    for (std::size_t k = 0; k < 4; ++k) paint[k] = colours->colours[static_cast<std::size_t>(indices[k])];
    return paint;
}

std::vector<bool> used_geometries(const Clump& clump) {
    std::vector<bool> used(clump.geometries.size(), false);
    for (const Atomic& a : clump.atomics)
        if (a.geometry >= 0 && static_cast<std::size_t>(a.geometry) < used.size()) used[static_cast<std::size_t>(a.geometry)] = true;
    return used;
}

// Geometries of the parts left out are left out too: the writers give a
// geometry no atomic places a place of its own. Those the file itself left
// unplaced stay.
void drop_unplaced(Clump& clump, const std::vector<bool>& placed_before) {
    const std::vector<bool> placed = used_geometries(clump);
    std::vector<std::int32_t> index(clump.geometries.size(), -1);
    std::vector<Geometry> kept;
    for (std::size_t g = 0; g < clump.geometries.size(); ++g) {
        if (!placed[g] && g < placed_before.size() && placed_before[g]) continue;
        index[g] = static_cast<std::int32_t>(kept.size());
        kept.push_back(std::move(clump.geometries[g]));
    }
    clump.geometries = std::move(kept);
    for (Atomic& a : clump.atomics)
        if (a.geometry >= 0 && static_cast<std::size_t>(a.geometry) < index.size()) a.geometry = index[static_cast<std::size_t>(a.geometry)];
}

}  // namespace

int vehicle_game(const Clump& clump, const ItemDefinition* car) {
    if (car && car->vehicle.game > 0) return car->vehicle.game;
    return own_wheel_stored(clump) ? 3 : 2;
}

bool is_vehicle(const Model& model, const std::string& model_name, const VehicleFiles* files) {
    for (const Clump& c : model.clumps)
        if (vehicle_frames(c)) return true;
    return cars_line(model_name, files) != nullptr;
}

VehicleReport assemble_vehicle(Model& model, const std::string& model_name, const VehicleSetup& setup) {
    VehicleReport report;
    if (!is_vehicle(model, model_name, setup.files)) return report;
    report.vehicle = true;
    const ItemDefinition* car = cars_line(model_name, setup.files);
    for (Clump& clump : model.clumps) {
        const int game = vehicle_game(clump, car);
        report.game = std::max(report.game, game);
        const std::vector<bool> placed_before = used_geometries(clump);
        // Far away the older games draw no wheels. The wheels first: the own
        // wheel is found where the file keeps it, whatever parts are shown.
        const bool wheels = setup.choice.parts != VehicleParts::all && (setup.choice.parts != VehicleParts::far || game >= 3);
        if (wheels) place_wheels(model, clump, game, car, setup.files, report.notes);
        select_parts(clump, game, setup.choice);
        drop_unplaced(clump, placed_before);
    }
    paint_markers(model, paint_of(model_name, setup, report.notes));
    return report;
}

std::string vehicle_inspection_text(const Model& model, const std::string& model_name, const VehicleSetup& setup) {
    if (!is_vehicle(model, model_name, setup.files)) return {};
    const ItemDefinition* car = cars_line(model_name, setup.files);
    std::string text = "vehicle";
    if (car) text += " (cars line " + std::to_string(car->id) + " of " + car->file + ")";
    text += "\n";
    for (std::size_t c = 0; c < model.clumps.size(); ++c) {
        const Clump& clump = model.clumps[c];
        if (model.clumps.size() > 1) text += " clump " + std::to_string(c) + "\n";
        const int game = vehicle_game(clump, car);
        text += "  wheel dummies:";
        bool any = false;
        for (const Frame& f : clump.frames)
            if (!wheel_position(f.name).empty()) text += " " + f.name, any = true;
        text += any ? "\n" : " none\n";
        if (any) text += "  wheel drawn: " + wheel_source_text(clump, game, car, setup.files) + "\n";
        std::vector<std::pair<PartKind, std::string>> parts;
        for (const PartKind kind : {PartKind::plain, PartKind::ok, PartKind::dam, PartKind::hi, PartKind::lo,
                                    PartKind::vlo, PartKind::extra, PartKind::moving}) {
            std::string names;
            for (const Atomic& a : clump.atomics) {
                const std::string name = frame_name_of(clump, a.frame);
                if (part_kind(name) == kind) names += " " + (name.empty() ? "(unnamed)" : name);
            }
            if (!names.empty()) text += "  parts " + std::string(part_kind_name(kind)) + ":" + names + "\n";
        }
        static const char* const slot_names[] = {"primary", "secondary", "tertiary", "quaternary", "light"};
        for (std::size_t g = 0; g < clump.geometries.size(); ++g)
            for (std::size_t m = 0; m < clump.geometries[g].materials.size(); ++m) {
                const Material& mat = clump.geometries[g].materials[m];
                const int slot = same_name(mat.texture, "vehiclelights128") ? 4 : marker_of(mat.color);
                if (slot < 0) continue;
                text += "  marker: geometry " + std::to_string(g) + " material " + std::to_string(m) + " " +
                        slot_names[slot] + (mat.texture.empty() ? "" : " (texture " + mat.texture + ")") + "\n";
            }
    }
    return text;
}
