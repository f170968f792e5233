#ifndef SENSORCONTROL_PLATFORM_MODULEPARAMETERPARSER_H
#define SENSORCONTROL_PLATFORM_MODULEPARAMETERPARSER_H
/// @file
/// ModuleParameterParser, the reader of a module configuration's key/value texts.

#include <map>
#include <string>

#include "Export.h"

/// Reads the key/value texts of a module configuration (its detail and
/// parameter strings).
///
/// Grammar:
///   - The text is a list of entries separated by ';' or line breaks.
///   - An entry is  key=value. Blanks (space, tab, CR) around the key and
///     around the value are dropped. The value is everything after the first
///     '=' and may hold ',', '/', ':' and further '=' ("GPIO=1,2,0",
///     "RS485=/dev/ttyAMA1").
///   - The value may be empty; the key may not.
///   - Empty entries (";;", blank lines, a separator at either end) and entries
///     whose first non-blank character is '#' (comments) are skipped.
///   - A key given twice keeps its last value.
///   - An entry without '=', an empty key or a zero byte anywhere makes the
///     text malformed: parse fails and the parser then holds no keys.
/// Keys are case-sensitive.
class SC_EXPORT ModuleParameterParser {
public:
    /// Non-zero on success. Replaces whatever an earlier parse read.
    int parse(const std::string& p_strText);
    /// Non-zero and the value set when the key is present; else 0, value untouched.
    int getValue(const std::string& p_strKey, std::string& p_strValue) const;
    /// Every key with its value.
    const std::map<std::string, std::string>& getAll() const { return m_values; }

private:
    std::map<std::string, std::string> m_values;
};

#endif
