#include "TextScan.h"

#include <climits>

namespace {

bool isBlank(char p_c) {
    return p_c == ' ' || p_c == '\t' || p_c == '\r' || p_c == '\n';
}

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

bool isValidUtf8(const std::string& p_strText) {
    const unsigned char* pos = reinterpret_cast<const unsigned char*>(p_strText.data());
    const unsigned char* end = pos + p_strText.size();
    while (pos < end) {
        unsigned char lead = *pos;
        int following;
        unsigned int codePoint;
        if (lead < 0x80) {
            ++pos;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            following = 1;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            following = 2;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            following = 3;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (end - pos <= following) {
            return false;
        }
        for (int n = 1; n <= following; ++n) {
            if ((pos[n] & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (pos[n] & 0x3F);
        }
        if ((following == 2 &&
             (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint <= 0xDFFF))) ||
            (following == 3 && (codePoint < 0x10000 || codePoint > 0x10FFFF))) {
            return false;
        }
        pos += following + 1;
    }
    return true;
}

int scanCommaInts(const std::string& p_strText, int* p_pValues, int p_nMax) {
    TextScan scan(p_strText);
    int count = 0;
    while (count < p_nMax) {
        if (count > 0 && !scan.accept(',')) {
            break;
        }
        scan.skipBlanks();
        int value = 0;
        if (!scan.readInt(value)) {
            break;
        }
        p_pValues[count++] = value;
    }
    return count;
}
