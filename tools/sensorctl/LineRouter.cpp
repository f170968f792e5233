#include "LineRouter.h"

#include <utility>

LineRouter::LineRouter(const SafePointer<IUARTController>& p_main, const std::string& p_strDevice,
                       const SafePointer<IUARTController>& p_routed)
    : m_main(p_main), m_strDevice(p_strDevice), m_routed(p_routed) {}

LineRouter::Line LineRouter::line(int p_nIndex) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (p_nIndex < 0 || static_cast<size_t>(p_nIndex) >= m_lines.size()) {
        return Line{nullptr, -1};
    }
    return m_lines[static_cast<size_t>(p_nIndex)];
}

int LineRouter::open(const std::string& p_strDevice) {
    IUARTController* port = p_strDevice == m_strDevice ? m_routed.get() : m_main.get();
    int index = port->open(p_strDevice);
    if (index < 0) {
        return index;
    }
    std::lock_guard<std::mutex> guard(m_mutex);
    m_lines.push_back(Line{port, index});
    return static_cast<int>(m_lines.size() - 1);
}

void LineRouter::close(int p_nIndex) {
    Line closed{nullptr, -1};
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (p_nIndex >= 0 && static_cast<size_t>(p_nIndex) < m_lines.size()) {
            std::swap(closed, m_lines[static_cast<size_t>(p_nIndex)]);
        }
    }
    if (closed.pPort != nullptr) {
        closed.pPort->close(closed.nIndex);
    }
}

int LineRouter::setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                             int p_nParity) {
    Line target = line(p_nIndex);
    return target.pPort == nullptr
               ? 0
               : target.pPort->setParameter(target.nIndex, p_nBaudRate, p_nDataBits, p_nStopBits,
                                            p_nParity);
}

int LineRouter::write(int p_nIndex, const char* p_pBytes, int p_nLength) {
    Line target = line(p_nIndex);
    return target.pPort == nullptr ? -1 : target.pPort->write(target.nIndex, p_pBytes, p_nLength);
}

int LineRouter::read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) {
    Line target = line(p_nIndex);
    return target.pPort == nullptr
               ? -1
               : target.pPort->read(target.nIndex, p_pBuffer, p_nMaxLength, p_nWait);
}
