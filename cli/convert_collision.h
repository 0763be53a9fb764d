#pragma once
// A collision file (.col, loose or an archive's entry) through the model's
// job: its models written as OBJ + MTL and/or glTF where the model's would go.

#include "cli/convert_model.h"

ModelOutcome convert_collision_job(const ModelJob& job);
