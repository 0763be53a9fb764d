// The marker colours a vehicle's materials carry, painted as the game paints them.
#include "control/vehicle.h"
#include "control/vehicle_steps.h"
#include "game/text_lines.h"

namespace {

struct Marker {
    std::uint8_t rgb[3];
    int slot;  // 0..3 a paint colour, 4 a light
};

constexpr Marker markers[] = {
    {{60, 255, 0}, 0},   {{255, 0, 175}, 1},  {{0, 255, 255}, 2},  {{255, 0, 255}, 3},
    {{255, 175, 0}, 4},  {{0, 255, 200}, 4},  {{185, 255, 0}, 4},  {{255, 60, 0}, 4},
};

}  // namespace

int marker_of(const std::uint8_t* rgb) {
    for (const Marker& m : markers)
        if (m.rgb[0] == rgb[0] && m.rgb[1] == rgb[1] && m.rgb[2] == rgb[2]) return m.slot;
    return -1;
}

void paint_markers(Model& model, const std::array<std::array<std::uint8_t, 3>, 4>& paint) {
    for (Clump& clump : model.clumps)
        for (Geometry& g : clump.geometries)
            for (Material& m : g.materials) {
                // The light texture is drawn white whatever its colour; texture and alpha stay.
                const int slot = same_name(m.texture, "vehiclelights128") ? 4 : marker_of(m.color);
                if (slot < 0) continue;
                for (int k = 0; k < 3; ++k) m.color[k] = slot == 4 ? 255 : paint[static_cast<std::size_t>(slot)][static_cast<std::size_t>(k)];
            }
}

bool paint_indices(const VehicleChoice& choice, const CarColourFile& colours, const std::string& model_name,
                   std::array<int, 4>& out, std::string& why) {
    out = {0, 0, 0, 0};
    if (!choice.paint.empty()) {
        for (std::size_t k = 0; k < choice.paint.size() && k < 4; ++k) out[k] = choice.paint[k];
    } else if (const CarColourLine* line = car_colours_of(colours, model_name); line && !line->combinations.empty()) {
        for (std::size_t k = 0; k < 4; ++k) out[k] = line->combinations[0][k];
    }
    for (int index : out)
        if (index < 0 || static_cast<std::size_t>(index) >= colours.colours.size()) {
            why = "colour index " + std::to_string(index) + " is past the colour table, which holds " +
                  std::to_string(colours.colours.size()) + " colours (0 to " +
                  std::to_string(static_cast<long>(colours.colours.size()) - 1) + ")";
            return false;
        }
    return true;
}
