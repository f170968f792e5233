#ifndef SENSORCONTROL_TESTS_SUPPORT_HEXBYTES_H
#define SENSORCONTROL_TESTS_SUPPORT_HEXBYTES_H

#include <string>

// "81 01 04 07 00 FF" -> those bytes.
std::string hex(const std::string& p_strText);
// Bytes -> "81 01 04 07 00 FF".
std::string text(const std::string& p_strBytes);

#endif
