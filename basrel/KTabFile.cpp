#include "KTabFile.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "DebugLog.h"
#include "KPakFile.h"
#include "TextNumbers.h"

namespace {

// Data tables stay far below this.
constexpr uint32_t kLargestTabFile = 64u << 20;

}  // namespace

struct KTabFile::Impl {
    std::vector<std::vector<std::string>> rows;
    int width = 0;

    const std::string* Cell(int row, int column) const {
        if (row < 1 || column < 1 || size_t(row) > rows.size()) return nullptr;
        const std::vector<std::string>& cells = rows[size_t(row) - 1];
        if (size_t(column) > cells.size() || cells[size_t(column) - 1].empty()) return nullptr;
        return &cells[size_t(column) - 1];
    }
};

KTabFile::KTabFile() : m_pImpl(std::make_unique<Impl>()) {}

KTabFile::~KTabFile() = default;

void KTabFile::Clear() {
    m_pImpl->rows.clear();
    m_pImpl->width = 0;
}

int KTabFile::Load(const char* fileName) {
    Clear();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(fileName, kLargestTabFile, bytes)) return 0;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.find('\0') != std::string_view::npos) {
        g_DebugLog("[Basrel]KTabFile: %s holds a NUL byte", fileName);
        return 0;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::vector<std::string> cells;
        for (;;) {
            size_t tab = line.find('\t');
            cells.emplace_back(line.substr(0, tab));
            if (tab == std::string_view::npos) break;
            line.remove_prefix(tab + 1);
        }
        m_pImpl->width = std::max(m_pImpl->width, int(cells.size()));
        m_pImpl->rows.push_back(std::move(cells));
    }
    return 1;
}

int KTabFile::GetWidth() const { return m_pImpl->width; }

int KTabFile::GetHeight() const { return int(m_pImpl->rows.size()); }

int KTabFile::GetString(int row, int column, const char* defaultValue, char* buffer, int size) const {
    const std::string* cell = m_pImpl->Cell(row, column);
    if (buffer != nullptr && size > 0) {
        std::string text = cell ? *cell : (defaultValue ? defaultValue : "");
        size_t n = std::min(text.size(), size_t(size) - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return cell ? 1 : 0;
}

int KTabFile::GetInteger(int row, int column, int defaultValue, int* value) const {
    const std::string* cell = m_pImpl->Cell(row, column);
    int parsed = defaultValue;
    bool good = cell && basrel::ParseInteger32(*cell, parsed);
    if (value) *value = good ? parsed : defaultValue;
    return good ? 1 : 0;
}

int KTabFile::GetFloat(int row, int column, float defaultValue, float* value) const {
    const std::string* cell = m_pImpl->Cell(row, column);
    float parsed = defaultValue;
    bool good = cell && basrel::ParseFloat(*cell, parsed);
    if (value) *value = good ? parsed : defaultValue;
    return good ? 1 : 0;
}
