// Drives the window program from outside, as a user would, and checks what it
// shows and writes. Runs under Wine beside the program, on the same display.
//
//   window_driver startup PROGRAM [PICTURE.bmp]
//       the window, its class, controls, help lines, resources and focus; the
//       menu by keyboard (About, Open cancelled); a resize that moves nothing;
//       File/Exit ends the process with code 0
//   window_driver minimized PROGRAM
//       started minimized with a model path as argument, which changes nothing;
//       the close box ends the process with code 0
//   window_driver convert PROGRAM MODEL REFERENCE_FOLDER [PICTURE.bmp]
//       chooses MODEL in the real Open dialog and presses go1 to go4 in turn,
//       choosing it again after each clean conversion. REFERENCE_FOLDER holds
//       goN.obj (the text the Linux build writes for button N) and goN.status
//       ("clean" or "doubtful"). Checks the OBJ file, the boxes, the buttons.
#include <cstdio>
#include <string>

#include "scenarios.h"

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string scenario = argc > 2 ? argv[1] : "";
    int failures = -1;
    if (scenario == "startup")
        failures = run_startup(argv[2], argc > 3 ? argv[3] : nullptr);
    else if (scenario == "minimized")
        failures = run_minimized(argv[2]);
    else if (scenario == "convert" && argc > 4)
        failures = run_convert(argv[2], argv[3], argv[4], argc > 5 ? argv[5] : nullptr);
    if (failures < 0) {
        std::fprintf(stderr,
                     "usage: window_driver startup PROGRAM [PICTURE.bmp]\n"
                     "       window_driver minimized PROGRAM\n"
                     "       window_driver convert PROGRAM MODEL REFERENCE_FOLDER [PICTURE.bmp]\n");
        return 2;
    }
    std::printf("%s: %s (%d failed checks)\n", scenario.c_str(), failures ? "FAILED" : "passed",
                failures);
    return failures ? 1 : 0;
}
