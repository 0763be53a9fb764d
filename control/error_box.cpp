#include "engine/error_box.h"

#include "control/platform.h"

void show_error_box(const char* text) {
    char caption[128] = {};
    const Platform& p = platform();
    p.module_path(caption, sizeof caption);
    caption[sizeof caption - 1] = '\0';
    p.message_box(p.active_window(), text, caption);
}
