#include "control/conversion_state.h"

ConversionState conversion_state;
