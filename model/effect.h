#pragma once
// A 2D effect (a lamp's light, a particle emitter, a ped attractor, ...) as
// plain data: where it stands in its model's space, what kind it is, and its
// fields by name, in the order stored. Both the geometry plug-in and the
// item definitions' 2dfx lines are read into this; the glTF writer turns it
// into a node, and a light also into a point light. Header only.

#include <cstdint>
#include <string>
#include <vector>

struct EffectField {
    std::string name;             // snake_case
    std::vector<double> numbers;  // one value or several (a direction, a colour)
    std::string text;             // a name (texture, particle effect, script) when numbers is empty
    bool integers = false;        // the numbers are whole: bytes, flags, counts
};

struct Effect {
    std::uint32_t offset = 0;          // the entry's header in the model file; the line for 2dfx lines
    float position[3] = {0, 0, 0};     // in the model's (geometry's) space
    std::uint32_t index = 0;           // the entry's place in its list, skipped ones counted
    std::string kind;                  // light, particle, attractor, ..., or type_<k>
    std::vector<EffectField> fields;
    // A light's colour (RGBA) and its point light's reach; range 0 when it has none.
    bool light = false;
    std::uint8_t colour[4] = {0, 0, 0, 0};
    float range = 0;
};
