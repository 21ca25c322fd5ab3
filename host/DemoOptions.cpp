#include "DemoOptions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: lumiva-demo [--frames N] [--out DIR] [--data DIR] [--size 800x600|1024x768]\n"
                 "                   [--headless] [--module FILE] [--scene whole|2d] [--step-ms N]\n");
}

bool ParseSize(const char* text, DemoOptions& options) {
    if (!std::strcmp(text, "800x600")) {
        options.width = 800;
        options.height = 600;
        return true;
    }
    if (!std::strcmp(text, "1024x768")) {
        options.width = 1024;
        options.height = 768;
        return true;
    }
    return false;
}

// A whole number from low to high; otherwise says what the option wants.
bool ParseNumber(const char* option, const char* text, long low, long high, int& value) {
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (*end || end == text || number < low || number > high) {
        std::fprintf(stderr, "lumiva-demo: %s wants %ld to %ld\n", option, low, high);
        return false;
    }
    value = int(number);
    return true;
}

}  // namespace

bool ParseDemoOptions(int argc, char** argv, DemoOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(arg, "--headless")) {
            options.headless = true;
        } else if (!std::strcmp(arg, "--out") && hasValue) {
            options.out = argv[++i];
        } else if (!std::strcmp(arg, "--data") && hasValue) {
            options.data = argv[++i];
        } else if (!std::strcmp(arg, "--module") && hasValue) {
            options.module = argv[++i];
        } else if (!std::strcmp(arg, "--frames") && hasValue) {
            if (!ParseNumber("--frames", argv[++i], 1, 100000, options.frames)) return false;
        } else if (!std::strcmp(arg, "--step-ms") && hasValue) {
            if (!ParseNumber("--step-ms", argv[++i], 1, 1000, options.stepMs)) return false;
        } else if (!std::strcmp(arg, "--scene") && hasValue) {
            const char* scene = argv[++i];
            if (std::strcmp(scene, "whole") && std::strcmp(scene, "2d")) {
                std::fprintf(stderr, "lumiva-demo: --scene is whole or 2d\n");
                return false;
            }
            options.scene2d = !std::strcmp(scene, "2d");
        } else if (!std::strcmp(arg, "--size") && hasValue) {
            if (!ParseSize(argv[++i], options)) {
                std::fprintf(stderr, "lumiva-demo: --size is 800x600 or 1024x768\n");
                return false;
            }
        } else {
            std::fprintf(stderr, "lumiva-demo: unknown option %s\n", arg);
            PrintUsage();
            return false;
        }
    }
    if (options.data.empty()) options.data = options.out + "/data";
    return true;
}
