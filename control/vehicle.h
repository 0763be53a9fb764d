#pragma once
// A vehicle made into what the game draws of it: the parts seen near and
// undamaged (or as asked), a wheel at every wheel dummy, the marker colours
// painted. Works on the read Model before it is written, so that the OBJ and
// glTF writers see an ordinary model; a model that is no vehicle is left alone.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/car_colours.h"
#include "game/item_definitions.h"
#include "game/map_items.h"
#include "model/model.h"

enum class VehicleParts { near, damaged, far, all };

// What the user asked (--parts, --extras, --paint).
struct VehicleChoice {
    VehicleParts parts = VehicleParts::near;
    std::vector<int> extras;   // 1..6: the extras shown
    std::vector<int> paint;    // 0, 2 or 4 colour indices; empty: the car's first combination
};

// The game's files a vehicle draws on, read once per run. Each may be absent.
struct VehicleFiles {
    const ItemIndex* items = nullptr;  // cars and objs lines (--ide, --game); null: none read
    std::unique_ptr<CarColourFile> colours;  // carcols.dat; null: paint grey
    std::string colours_name;                // for messages
    // wheels.dff: its bytes and the model read from them (which views them).
    std::vector<std::uint8_t> wheel_bytes;
    std::unique_ptr<Model> wheels;
    std::string wheels_name;
};

struct VehicleSetup {
    VehicleChoice choice;
    const VehicleFiles* files = nullptr;
};

// The grey painted where no carcols.dat gives colours.
inline constexpr std::uint8_t neutral_grey = 179;  // 0.7 x 255, rounded

// A vehicle by its frames (chassis_dummy, wheel_*_dummy, any case) or by a cars line naming model_name.
bool is_vehicle(const Model& model, const std::string& model_name, const VehicleFiles* files);

// What was done, for the run's messages and --inspect.
struct VehicleReport {
    bool vehicle = false;
    int game = 0;  // 3: the newest game's, whose textures come from vehicle.txd first
    std::vector<std::string> notes;  // one line each, for the user (a wheel not found, say)
};

// Changes model in place as setup asks. model_name is the model's base name
// without extension, as a cars line names it.
VehicleReport assemble_vehicle(Model& model, const std::string& model_name, const VehicleSetup& setup);

// The lines --inspect adds for a vehicle: wheel dummies, the wheel drawn,
// parts by kind, marker materials. Empty for a model that is no vehicle.
std::string vehicle_inspection_text(const Model& model, const std::string& model_name, const VehicleSetup& setup);

// The colour indices a paint of this car uses (the choice, else the car's first
// combination, else 0s); false with why when one is past the table.
bool paint_indices(const VehicleChoice& choice, const CarColourFile& colours, const std::string& model_name,
                   std::array<int, 4>& out, std::string& why);

// ---- pieces, shared by the files of this module and its tests ----

enum class PartKind { plain, ok, dam, vlo, lo, hi, extra, moving, wheel };
PartKind part_kind(const std::string& frame_name);
const char* part_kind_name(PartKind kind);

// A wheel dummy's place: "lf", "rf", "lm", "rm", "lb", "rb", or "" for no wheel dummy.
std::string wheel_position(const std::string& frame_name);

// The game that drew it: 1 or 2 for the older games (generic wheels), 3 for the newest (own wheel).
int vehicle_game(const Clump& clump, const ItemDefinition* car);
