#pragma once
// Generated vehicles for the vehicle tests and the validator's check: the
// newest game's kind with its own wheel (six wheel dummies, every part kind,
// markers on textured and plain materials), the older games' kind whose
// wheel comes from wheels.dff by its cars line, that wheels.dff, and the
// item definitions and colour file that go with them.

#include "support/model_layout.h"

ModelLayout own_wheel_car();     // written as own.dff: no cars line needed
ModelLayout generic_wheel_car(); // written as mycar.dff: the cars line names "mycar"
ModelLayout wheels_file();       // wheels.dff: wheel_x (id 250, _l0 and _l1) and wheel_y (251)
// A car that looks like one, for the README's picture: a painted body, a
// crumpled bonnet twin and a far-view body over it, its own wheel at the
// front right of four wheel dummies. Written as showcar.dff.
ModelLayout showcase_car();

extern const char* const vehicle_items;   // cars.ide: mycar's cars line and the wheels' objs lines
extern const char* const vehicle_colours; // carcols.dat: colours 0 (5,5,5) and 1 (130,0,0); mycar 0,1 and 1,1; showcar 1,0
