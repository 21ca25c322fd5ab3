// Command-line options of lumiva-demo.
#pragma once

#include <string>

struct DemoOptions {
    std::string module = LUMIVA_MODULE_FILE;
    std::string out = "out/demo";
    std::string data;  // empty: <out>/data, written on first run
    int frames = 60;
    int width = 800;
    int height = 600;
    bool headless = false;
    // The whole client scene, or ("2d") only the 2D client screen.
    bool scene2d = false;
    // 0: the module runs on the real clock. Otherwise its clock is a manual
    // one that each frame advances by exactly this many milliseconds, and
    // every frame waits for the regions the place has asked for, so the
    // frames are the same on any machine.
    int stepMs = 0;
};

// False (after printing why) for an unknown option or a bad value.
bool ParseDemoOptions(int argc, char** argv, DemoOptions& options);
