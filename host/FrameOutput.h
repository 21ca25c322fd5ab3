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
    // Frames drawn again with the device's "no raster" switch: the module's own time.
    void RecordNoRasterFrameTime(double ms) { m_noRasterMs.push_back(ms); }
    void SetRegionsStreamed(int regions) { m_regionsStreamed = regions; }
    double MedianFrameMs() const { return Median(m_frameMs); }
    double MedianNoRasterFrameMs() const { return Median(m_noRasterMs); }
    void PrintSummary() const;

private:
    static double Median(const std::vector<double>& times);

    std::string m_folder;
    std::vector<std::string> m_written;
    std::vector<double> m_frameMs;
    std::vector<double> m_noRasterMs;
    int m_regionsStreamed = -1;  // -1: no scene place drawn
};
