#include "ZMAParam.h"

#include "OVFile.h"
#include "internal/TextScan.h"

namespace {

const uint64_t kMaxTableBytes = 1024u * 1024u;

bool parseRow(const std::string& p_strLine, ZMAParam& p_row) {
    std::string line = p_strLine;
    for (char& c : line) {
        if (c == ',' || c == '\t') {
            c = ' ';
        }
    }
    TextScan scan(line);
    int values[4];
    for (int& value : values) {
        scan.skipBlanks();
        if (!scan.readInt(value)) {
            return false;
        }
    }
    scan.skipBlanks();
    if (!scan.atEnd()) {
        return false;
    }
    p_row = ZMAParam(values[0], values[1], values[2], values[3]);
    return true;
}

}  // namespace

int ZMAParamFileToArray::setFilePath(const std::string& p_strPath) {
    m_strPath = p_strPath;
    return OVFile::isExist(p_strPath.c_str());
}

int ZMAParamFileToArray::get(std::vector<ZMAParam>& p_rows) {
    OVFile file;
    if (!file.open(m_strPath.c_str(), OVFile::MODE_READ)) {
        return 0;
    }
    uint64_t length = file.getLength();
    if (length > kMaxTableBytes) {
        return 0;
    }
    std::string text(static_cast<size_t>(length), '\0');
    if (file.read(&text[0], static_cast<unsigned int>(length)) != length) {
        return 0;
    }
    std::vector<ZMAParam> rows;
    std::string::size_type start = 0;
    while (start <= text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        std::string::size_type comment = line.find('#');
        if (comment != std::string::npos) {
            line.resize(comment);
        }
        line = trimBlanks(line);
        if (line.empty()) {
            continue;
        }
        ZMAParam row;
        if (!parseRow(line, row) || (!rows.empty() && row.getZoom() <= rows.back().getZoom())) {
            return 0;
        }
        rows.push_back(row);
    }
    if (rows.empty()) {
        return 0;
    }
    p_rows.swap(rows);
    return 1;
}

CameraLensZMAAlgorithm::~CameraLensZMAAlgorithm() = default;

int CameraLensZMAAlgorithm::interpolate(int p_nZoom, int (ZMAParam::*p_field)() const,
                                        int& p_nValue) const {
    if (m_rows.empty()) {
        return 0;
    }
    if (p_nZoom <= m_rows.front().getZoom()) {
        p_nValue = (m_rows.front().*p_field)();
        return 1;
    }
    for (size_t index = 1; index < m_rows.size(); ++index) {
        const ZMAParam& low = m_rows[index - 1];
        const ZMAParam& high = m_rows[index];
        if (p_nZoom <= high.getZoom()) {
            long long span = high.getZoom() - low.getZoom();
            long long offset = p_nZoom - low.getZoom();
            long long from = (low.*p_field)();
            long long to = (high.*p_field)();
            p_nValue = static_cast<int>(from + (to - from) * offset / span);
            return 1;
        }
    }
    p_nValue = (m_rows.back().*p_field)();
    return 1;
}

int CameraLensZMAAlgorithm::getMagnification(int p_nZoom, int& p_nMagnification) const {
    return interpolate(p_nZoom, &ZMAParam::getMagnification, p_nMagnification);
}

int CameraLensZMAAlgorithm::getFocusRange(int p_nZoom, int& p_nNear, int& p_nFar) const {
    return interpolate(p_nZoom, &ZMAParam::getFocusNear, p_nNear) &&
           interpolate(p_nZoom, &ZMAParam::getFocusFar, p_nFar);
}
