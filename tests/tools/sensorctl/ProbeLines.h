#ifndef SENSORCONTROL_TESTS_PROBELINES_H
#define SENSORCONTROL_TESTS_PROBELINES_H

#include <string>

#include "sim/SimSerialPort.h"

// Lines with no module on them, for the probe.

// A line that gives back whatever is sent on it.
class EchoLine : public SimSerialPort {
public:
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override {
        feed(std::string(p_pBytes, static_cast<size_t>(p_nLength)));
        return SimSerialPort::write(p_nIndex, p_pBytes, p_nLength);
    }
};

// A line that answers every byte with a byte of noise.
class NoisyLine : public SimSerialPort {
public:
    explicit NoisyLine(unsigned int p_nSeed) : m_nState(p_nSeed) {}
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override {
        std::string noise;
        for (int index = 0; index < p_nLength; ++index) {
            m_nState = m_nState * 1103515245u + 12345u;
            noise += static_cast<char>(m_nState >> 16);
        }
        feed(noise);
        return SimSerialPort::write(p_nIndex, p_pBytes, p_nLength);
    }

private:
    unsigned int m_nState;
};

#endif
