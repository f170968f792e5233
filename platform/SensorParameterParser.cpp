#include "SensorParameterParser.h"

#include <climits>

#include "internal/TextScan.h"

namespace {

// Writes an int in decimal just before p_pEnd; returns the first character.
char* formatIntBackwards(char* p_pEnd, int p_nValue) {
    unsigned int magnitude = p_nValue < 0 ? 0u - static_cast<unsigned int>(p_nValue)
                                          : static_cast<unsigned int>(p_nValue);
    char* pos = p_pEnd;
    do {
        *--pos = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (p_nValue < 0) {
        *--pos = '-';
    }
    return pos;
}

}  // namespace

int SensorParameterParser::parseSensorParameter(const std::string& p_strText,
                                                std::map<int, int>& p_values) {
    TextScan scan(p_strText);
    for (;;) {
        scan.skipBlanks();
        if (scan.atEnd()) {
            return 1;
        }
        int id = 0;
        int value = 0;
        if (!scan.accept('(')) {
            return 0;
        }
        scan.skipBlanks();
        if (!scan.readInt(id)) {
            return 0;
        }
        scan.skipBlanks();
        if (!scan.accept(',')) {
            return 0;
        }
        scan.skipBlanks();
        if (!scan.readInt(value)) {
            return 0;
        }
        scan.skipBlanks();
        if (!scan.accept(')')) {
            return 0;
        }
        p_values[id] = value;
    }
}

void SensorParameterParser::appendGroup(std::string& p_strText, int p_nId, int p_nValue) {
    // "(" + 11 + "," + 11 + ")" fits in 32 characters.
    char group[32];
    char* end = group + sizeof(group);
    char* pos = end;
    *--pos = ')';
    pos = formatIntBackwards(pos, p_nValue);
    *--pos = ',';
    pos = formatIntBackwards(pos, p_nId);
    *--pos = '(';
    p_strText.append(pos, static_cast<size_t>(end - pos));
}

std::string SensorParameterParser::createSensorParameterString(const std::map<int, int>& p_values) {
    std::string text;
    text.reserve(p_values.size() * 12);
    for (const auto& pair : p_values) {
        appendGroup(text, pair.first, pair.second);
    }
    return text;
}

int SensorParameterParser::parseParameterIdList(const std::string& p_strText,
                                                std::set<int>& p_ids) {
    TextScan scan(p_strText);
    scan.skipBlanks();
    if (scan.atEnd()) {
        return 1;
    }
    for (;;) {
        scan.skipBlanks();
        int id = 0;
        if (!scan.readInt(id)) {
            return 0;
        }
        scan.skipBlanks();
        p_ids.insert(id);
        if (scan.atEnd()) {
            return 1;
        }
        if (!scan.accept(',')) {
            return 0;
        }
    }
}
