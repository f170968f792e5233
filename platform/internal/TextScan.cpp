#include "TextScan.h"

#include <climits>

namespace {

bool isBlank(char p_c) { return p_c == ' ' || p_c == '\t' || p_c == '\r' || p_c == '\n'; }

}  // namespace

void TextScan::skipBlanks() {
    while (m_pPos != m_pEnd && isBlank(*m_pPos)) {
        ++m_pPos;
    }
}

bool TextScan::accept(char p_c) {
    if (m_pPos != m_pEnd && *m_pPos == p_c) {
        ++m_pPos;
        return true;
    }
    return false;
}

bool TextScan::readInt(int& p_nValue) {
    const char* pos = m_pPos;
    bool negative = false;
    if (pos != m_pEnd && (*pos == '-' || *pos == '+')) {
        negative = *pos == '-';
        ++pos;
    }
    if (pos == m_pEnd || *pos < '0' || *pos > '9') {
        return false;
    }
    // Accumulate as a negative number, whose range includes INT_MIN.
    long long value = 0;
    while (pos != m_pEnd && *pos >= '0' && *pos <= '9') {
        value = value * 10 - (*pos - '0');
        if (value < INT_MIN) {
            return false;
        }
        ++pos;
    }
    if (!negative) {
        if (value < -static_cast<long long>(INT_MAX)) {
            return false;
        }
        value = -value;
    }
    p_nValue = static_cast<int>(value);
    m_pPos = pos;
    return true;
}

bool parseWholeInt(const std::string& p_strText, int& p_nValue) {
    TextScan scan(p_strText);
    scan.skipBlanks();
    int value = 0;
    if (!scan.readInt(value)) {
        return false;
    }
    scan.skipBlanks();
    if (!scan.atEnd()) {
        return false;
    }
    p_nValue = value;
    return true;
}

std::string trimBlanks(const std::string& p_strText) {
    std::string::size_type first = 0;
    std::string::size_type last = p_strText.size();
    while (first < last && isBlank(p_strText[first])) {
        ++first;
    }
    while (last > first && isBlank(p_strText[last - 1])) {
        --last;
    }
    return p_strText.substr(first, last - first);
}
