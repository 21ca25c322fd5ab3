// What the demo leaves behind: frames as PNG, screenshots, the timing line.
#pragma once

#include <string>
#include <vector>

#include "d3d9/Control.h"

class IKDrawShell;

class FrameOutput {
public:
    explicit FrameOutput(std::string folder) : m_folder(std::move(folder)) {}
    bool Prepare() const;
    // Frames 0, the middle one and the last are kept as PNG.
    bool IsKept(int frame, int frameCount) const;
    bool SaveFrame(const lumiva::d3d9::Image& frame, int index);
    bool SavePng(const lumiva::d3d9::Image& image, const std::string& name);
    // JPEG and BMP through the shell's own SaveScreenShot, which writes
    // under the data root; they are moved into the output folder.
    bool SaveScreenShots(IKDrawShell* shell, const std::string& dataFolder);
    void RecordFrameTime(double ms) { m_frameMs.push_back(ms); }
    double MedianFrameMs() const;
    void PrintSummary() const;

private:
    std::string m_folder;
    std::vector<std::string> m_written;
    std::vector<double> m_frameMs;
};
