#include "ModuleParameterParser.h"

#include "internal/TextScan.h"

int ModuleParameterParser::parse(const std::string& p_strText) {
    m_values.clear();
    if (p_strText.find('\0') != std::string::npos) {
        return 0;
    }
    std::map<std::string, std::string> values;
    std::string::size_type start = 0;
    while (start <= p_strText.size()) {
        std::string::size_type end = p_strText.find_first_of(";\n", start);
        if (end == std::string::npos) {
            end = p_strText.size();
        }
        std::string entry = trimBlanks(p_strText.substr(start, end - start));
        start = end + 1;
        if (entry.empty() || entry[0] == '#') {
            continue;
        }
        std::string::size_type equals = entry.find('=');
        if (equals == std::string::npos) {
            return 0;
        }
        std::string key = trimBlanks(entry.substr(0, equals));
        if (key.empty()) {
            return 0;
        }
        values[key] = trimBlanks(entry.substr(equals + 1));
    }
    m_values.swap(values);
    return 1;
}

int ModuleParameterParser::getValue(const std::string& p_strKey, std::string& p_strValue) const {
    auto found = m_values.find(p_strKey);
    if (found == m_values.end()) {
        return 0;
    }
    p_strValue = found->second;
    return 1;
}
