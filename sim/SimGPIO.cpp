#include "SimGPIO.h"

int SimGPIO::start() {
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_nStartCalls;
    return m_nStartResult;
}

int SimGPIO::stop() {
    return 1;
}

int SimGPIO::setLevel(int p_nGroup, int p_nPin, int p_nLevel) {
    std::lock_guard<std::mutex> guard(m_mutex);
    Pin pin(p_nGroup, p_nPin);
    if (m_failWrites[pin]) {
        return 0;
    }
    m_levels[pin] = p_nLevel;
    m_writes.push_back(Write{p_nGroup, p_nPin, p_nLevel});
    return 1;
}

int SimGPIO::getLevel(int p_nGroup, int p_nPin, int& p_nLevel) {
    std::lock_guard<std::mutex> guard(m_mutex);
    Pin pin(p_nGroup, p_nPin);
    if (m_failReads[pin]) {
        return 0;
    }
    p_nLevel = m_levels[pin];
    return 1;
}

int SimGPIO::level(int p_nGroup, int p_nPin) {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_levels[Pin(p_nGroup, p_nPin)];
}

void SimGPIO::setInput(int p_nGroup, int p_nPin, int p_nLevel) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_levels[Pin(p_nGroup, p_nPin)] = p_nLevel;
}

void SimGPIO::failWrites(int p_nGroup, int p_nPin, bool p_bFail) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_failWrites[Pin(p_nGroup, p_nPin)] = p_bFail;
}

void SimGPIO::failReads(int p_nGroup, int p_nPin, bool p_bFail) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_failReads[Pin(p_nGroup, p_nPin)] = p_bFail;
}

void SimGPIO::setStartResult(int p_nResult) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nStartResult = p_nResult;
}

std::vector<SimGPIO::Write> SimGPIO::writes() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_writes;
}

void SimGPIO::clearWrites() {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<Write>().swap(m_writes);  // the memory too: long runs clear often
}

int SimGPIO::startCalls() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nStartCalls;
}
