#ifndef SENSORCONTROL_TESTS_CONTROLLERS_SERIAL_REGISTERTESTING_H
#define SENSORCONTROL_TESTS_CONTROLLERS_SERIAL_REGISTERTESTING_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/HexBytes.h"

// What a call printed on the console (the error log's lines are echoed
// there too).
template <class Call>
std::string printed(Call p_call) {
    testing::internal::CaptureStdout();
    p_call();
    return testing::internal::GetCapturedStdout();
}

inline bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

// Frames as hex text, for comparing what the line carried.
inline std::vector<std::string> texts(const std::vector<std::string>& p_frames) {
    std::vector<std::string> result;
    for (const std::string& frame : p_frames) {
        result.push_back(text(frame));
    }
    return result;
}

#endif
