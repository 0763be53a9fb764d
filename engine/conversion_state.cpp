#include "engine/conversion_state.h"

ConversionState conversion_state;
