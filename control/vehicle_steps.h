#pragma once
// The steps of a vehicle's assembly, each in its own file (control/vehicle_*.cpp).

#include <array>
#include <string>

#include "control/vehicle.h"

std::string frame_name_of(const Clump& clump, std::int32_t frame);

// Sets a frame's axes (right, up, at as nine numbers) and position.
inline void set_turn(Frame& frame, const std::array<float, 9>& axes, const std::array<float, 3>& position) {
    for (int k = 0; k < 3; ++k) {
        frame.right[k] = axes[k];
        frame.up[k] = axes[3 + k];
        frame.at[k] = axes[6 + k];
        frame.position[k] = position[k];
    }
}

// Drops the atomics the choice does not show.
void select_parts(Clump& clump, int game, const VehicleChoice& choice);

// Puts the drawn wheel at every wheel dummy; notes say what could not be.
void place_wheels(Model& model, Clump& clump, int game, const ItemDefinition* car, const VehicleFiles* files,
                  std::vector<std::string>& notes);

// What place_wheels would draw: "own wheel (frame wheel)", "generic wheel wheel_x from wheels.dff", or why none.
std::string wheel_source_text(const Clump& clump, int game, const ItemDefinition* car, const VehicleFiles* files);

// Paints the marker colours of every material of the model.
void paint_markers(Model& model, const std::array<std::array<std::uint8_t, 3>, 4>& paint);

// The marker a colour is: 0..3 a paint slot, 4 a light, -1 none.
int marker_of(const std::uint8_t* rgb);
