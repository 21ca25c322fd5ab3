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
};

// False (after printing why) for an unknown option or a bad value.
bool ParseDemoOptions(int argc, char** argv, DemoOptions& options);
