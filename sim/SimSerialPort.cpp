#include "SimSerialPort.h"

#include <algorithm>
#include <cstring>

int SimSerialPort::open(const std::string& p_strDevice) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_strDevice = p_strDevice;
    return m_nOpenResult;
}

void SimSerialPort::close(int) {}

int SimSerialPort::setParameter(int, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                                int p_nParity) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_lineParameters = {p_nBaudRate, p_nDataBits, p_nStopBits, p_nParity};
    return 1;
}

int SimSerialPort::write(int, const char* p_pBytes, int p_nLength) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (p_pBytes == nullptr || p_nLength < 0) {
        return -1;
    }
    int taken = m_nWriteLimit < 0 ? p_nLength : std::min(p_nLength, m_nWriteLimit);
    m_writes.emplace_back(p_pBytes, static_cast<size_t>(taken));
    if (!m_script.empty()) {
        std::string answer = m_script.front();
        m_script.pop_front();
        if (m_bCorrupt && m_nCorruptOffset < answer.size()) {
            answer[m_nCorruptOffset] = m_corruptByte;
            m_bCorrupt = false;
        }
        m_rx += answer;
    }
    return taken;
}

int SimSerialPort::read(int, char* p_pBuffer, int p_nMaxLength, int) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_bSilent || p_pBuffer == nullptr || p_nMaxLength <= 0) {
        return 0;
    }
    size_t count = std::min(m_rx.size(), static_cast<size_t>(p_nMaxLength));
    if (m_nShortRead > 0) {
        count = std::min(count, static_cast<size_t>(m_nShortRead));
    }
    std::memcpy(p_pBuffer, m_rx.data(), count);
    m_rx.erase(0, count);
    return static_cast<int>(count);
}

void SimSerialPort::scriptAnswer(const std::string& p_strBytes) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_script.push_back(p_strBytes);
}

void SimSerialPort::feed(const std::string& p_strBytes) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_rx += p_strBytes;
}

void SimSerialPort::setSilent(bool p_bSilent) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bSilent = p_bSilent;
}

void SimSerialPort::setShortRead(int p_nMaxBytes) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nShortRead = p_nMaxBytes;
}

void SimSerialPort::corruptNextAnswer(size_t p_nOffset, char p_byte) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bCorrupt = true;
    m_nCorruptOffset = p_nOffset;
    m_corruptByte = p_byte;
}

void SimSerialPort::setWriteLimit(int p_nMaxBytes) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nWriteLimit = p_nMaxBytes;
}

void SimSerialPort::setOpenResult(int p_nIndex) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nOpenResult = p_nIndex;
}

std::vector<std::string> SimSerialPort::writes() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_writes;
}

std::string SimSerialPort::opened() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_strDevice;
}

std::vector<int> SimSerialPort::lineParameters() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_lineParameters;
}

size_t SimSerialPort::pendingBytes() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_rx.size();
}
