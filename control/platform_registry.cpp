#include "control/platform.h"

namespace {
const Platform* current = nullptr;
}

const Platform& platform() { return current ? *current : console_platform; }

void set_platform(const Platform* p) { current = p; }
