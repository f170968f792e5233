// Diagnostics (the init and error logs, the debug channel) and the helpers
// serial drivers use to talk to their modules.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "ISensorController.h"

namespace {

const int kLogLineBytes = 100;   // longer texts are cut to 99 characters
const int kDebugLineBytes = 52;  // longer texts are cut to 51 characters

}  // namespace

void ISensorController::InitPrintf(const char* p_szFormat, ...) {
    char line[kLogLineBytes];
    va_list arguments;
    va_start(arguments, p_szFormat);
    std::vsnprintf(line, sizeof(line), p_szFormat, arguments);
    va_end(arguments);
    m_initLog->WriteSensorLog("SensorInit", line);
}

void ISensorController::ErrorPrintf(const char* p_szFormat, ...) {
    char line[kLogLineBytes];
    va_list arguments;
    va_start(arguments, p_szFormat);
    std::vsnprintf(line, sizeof(line), p_szFormat, arguments);
    va_end(arguments);
    m_errorLog->WriteSensorLog("SensorError", line);
}

void ISensorController::Debug_Printf(const char* p_szFormat, ...) {
    if (m_bDebugMode != 1) {
        return;
    }
    char line[kDebugLineBytes];
    va_list arguments;
    va_start(arguments, p_szFormat);
    std::vsnprintf(line, sizeof(line), p_szFormat, arguments);
    va_end(arguments);
    std::fputs(line, stdout);
}

void ISensorController::computeSum(char* p_pFrame, int p_nLength) {
    if (p_pFrame == nullptr || p_nLength < 3) {
        return;
    }
    unsigned int sum = 0;
    for (int index = 1; index <= p_nLength - 3; ++index) {
        sum += static_cast<unsigned char>(p_pFrame[index]);
    }
    p_pFrame[p_nLength - 2] = static_cast<char>(sum & 0xFF);
}

int ISensorController::checkUARTRecv(const char* p_pPattern, int p_nPatternLength,
                                     const char* p_pData, int p_nDataLength) {
    if (p_nDataLength < 1 || p_nPatternLength < 1 || p_pPattern == nullptr || p_pData == nullptr ||
        p_nPatternLength > p_nDataLength) {
        return 0;
    }
    for (int start = 0; start + p_nPatternLength <= p_nDataLength; ++start) {
        if (std::equal(p_pPattern, p_pPattern + p_nPatternLength, p_pData + start)) {
            return 1;
        }
    }
    return 0;
}

int ISensorController::clearUartBuffer() {
    std::puts("Clear UART buffer");
    char buffer[20];
    int count;
    do {
        count = m_pUART->read(m_nUARTIndex, buffer, sizeof(buffer), 1);
    } while (count == static_cast<int>(sizeof(buffer)));
    return count;
}

void ISensorController::recodeArray(const char* p_pBytes, int p_nLength) {
    if (p_nLength <= 0 || p_pBytes == nullptr) {
        return;
    }
    std::string text;
    text.reserve(static_cast<size_t>(5 * p_nLength));
    char element[8];
    for (int index = 0; index < p_nLength; ++index) {
        std::snprintf(element, sizeof(element), index == 0 ? "0x%x" : ",0x%x",
                      static_cast<unsigned char>(p_pBytes[index]));
        text += element;
    }
    ErrorPrintf("%s", text.c_str());
}

int ISensorController::resetCamera() {
    const char reset[6] = {'\x81', '\x01', '\x04', '\x19', '\x01', '\xFF'};
    return setParameterValue(reset, sizeof(reset));
}

void ISensorController::printDebugMessage() {}
