#pragma once
// Reads a model file by its chunk structure into plain data. Never reads
// outside [bytes, bytes + size); damage becomes findings in the Model, and
// whatever came before the damage is kept. The Model's views point into bytes.

#include <cstdint>

#include "model/model.h"

Model read_model(const std::uint8_t* bytes, std::uint32_t size);
