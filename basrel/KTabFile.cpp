#include "KTabFile.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "DebugLog.h"
#include "KPakFile.h"
#include "PlainText.h"
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
        std::string_view line = basrel::TakeLine(text);
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
    basrel::CopyToBuffer(cell ? std::string_view(*cell) : (defaultValue ? defaultValue : ""), buffer, size);
    return cell ? 1 : 0;
}

int KTabFile::GetInteger(int row, int column, int defaultValue, int* value) const {
    return basrel::ReadNumber(m_pImpl->Cell(row, column), basrel::ParseInteger32, defaultValue, value) ? 1 : 0;
}

int KTabFile::GetFloat(int row, int column, float defaultValue, float* value) const {
    return basrel::ReadNumber(m_pImpl->Cell(row, column), basrel::ParseFloat, defaultValue, value) ? 1 : 0;
}
