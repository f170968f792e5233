#ifndef SENSORCONTROL_PLATFORM_SENSORPARAMETERPARSER_H
#define SENSORCONTROL_PLATFORM_SENSORPARAMETERPARSER_H
/// @file
/// SensorParameterParser, the reader and writer of parameter text "(id,value)...".

#include <map>
#include <set>
#include <string>

#include "Export.h"

/// Parameter text and id-list text.
///
/// Parameter text: groups "(id,value)" of decimal ints, e.g. "(1,50)(2,-3)".
///   - Produced back to back, ascending by id, with nothing in between.
///   - Read back with optional blanks (space, tab, CR, LF) before, between and
///     inside groups, and an optional '+' or '-' sign on each number.
///   - The empty text (or blanks only) is a valid text with no pairs.
///   - An id given twice keeps its last value, so a text followed directly by
///     more groups reads as the union of both.
///   - Anything else (other characters, a missing parenthesis or comma, a
///     number that does not fit an int, a zero byte) makes the text malformed.
///     The pairs read before the fault stay in the map.
///
/// Id-list text: decimal ids separated by commas, e.g. "1,2,500". Blanks around
///   each id are allowed; the empty text is the empty list. An empty entry
///   ("1,,2", a leading or trailing comma), other characters or a number that
///   does not fit an int make the list malformed.
class SC_EXPORT SensorParameterParser {
public:
    /// Non-zero on success, with every pair of the text put into the map.
    static int parseSensorParameter(const std::string& p_strText, std::map<int, int>& p_values);
    /// The parameter text of the pairs, ascending by id.
    static std::string createSensorParameterString(const std::map<int, int>& p_values);
    /// Non-zero on success, with every id of the list put into the set.
    static int parseParameterIdList(const std::string& p_strText, std::set<int>& p_ids);
    /// Appends one group "(id,value)" to the text.
    static void appendGroup(std::string& p_strText, int p_nId, int p_nValue);
};

#endif
