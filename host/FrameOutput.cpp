#include "FrameOutput.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "lumiva/IKDrawShell.h"

bool FrameOutput::Prepare() const {
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    if (error) std::fprintf(stderr, "lumiva-demo: cannot create %s: %s\n", m_folder.c_str(), error.message().c_str());
    return !error;
}

bool FrameOutput::IsKept(int frame, int frameCount) const {
    return frame == 0 || frame == frameCount / 2 || frame == frameCount - 1;
}

bool FrameOutput::SaveFrame(const lumiva::d3d9::Image& frame, int index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.png", index);
    return SavePng(frame, name);
}

bool FrameOutput::SavePng(const lumiva::d3d9::Image& image, const std::string& name) {
    const std::string path = m_folder + "/" + name;
    if (image.pixels.empty() || !lumiva::d3d9::SavePng(image, path)) {
        std::fprintf(stderr, "lumiva-demo: cannot write %s\n", path.c_str());
        return false;
    }
    m_written.push_back(path);
    return true;
}

bool FrameOutput::SaveScreenShots(IKDrawShell* shell, const std::string& dataFolder) {
    bool ok = true;
    for (const auto& [name, jpeg] : {std::pair{"screenshot.jpg", 1}, std::pair{"screenshot.bmp", 0}}) {
        const std::string saved = dataFolder + "/" + name;
        const std::string kept = m_folder + "/" + name;
        std::error_code error;
        if (shell->SaveScreenShot(name, jpeg, 90)) std::filesystem::rename(saved, kept, error);
        if (!error && std::filesystem::exists(kept)) {
            m_written.push_back(kept);
        } else {
            std::fprintf(stderr, "lumiva-demo: the shell did not save %s\n", name);
            ok = false;
        }
    }
    return ok;
}

double FrameOutput::Median(const std::vector<double>& times) {
    if (times.empty()) return 0;
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
}

void FrameOutput::PrintSummary() const {
    std::printf("lumiva-demo: %zu frames, median frame time %.2f ms, %.2f ms with the device's \"no raster\" "
                "switch (%zu frames)\n",
                m_frameMs.size(), MedianFrameMs(), MedianNoRasterFrameMs(), m_noRasterMs.size());
    if (m_regionsStreamed >= 0) std::printf("lumiva-demo: regions streamed: %d\n", m_regionsStreamed);
    std::printf("lumiva-demo: images in %s:\n", m_folder.c_str());
    for (const std::string& path : m_written) std::printf("  %s\n", path.c_str());
}
