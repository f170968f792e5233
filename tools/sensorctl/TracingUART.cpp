#include "TracingUART.h"

#include <algorithm>
#include <cctype>

size_t TraceFormat::untilFF(const std::string& p_strReceived, const std::string&) {
    size_t end = p_strReceived.find('\xFF');
    return end == std::string::npos ? 0 : end + 1;
}

size_t TraceFormat::asLongAsSent(const std::string& p_strReceived, const std::string& p_strSent) {
    return !p_strSent.empty() && p_strReceived.size() >= p_strSent.size() ? p_strSent.size() : 0;
}

TracingUART::TracingUART(const SafePointer<IUARTController>& p_port, FILE* p_pOut,
                         const TraceFormat& p_format)
    : m_port(p_port), m_pOut(p_pOut), m_format(p_format) {}

TracingUART::~TracingUART() {
    flushReceived();
}

std::string TraceFormat::show(const std::string& p_strBytes) const {
    // A text protocol's raw frames (the zoom modules' masks) show as bytes.
    bool printable = std::all_of(p_strBytes.begin(), p_strBytes.end(), [](char p_c) {
        return std::isprint(static_cast<unsigned char>(p_c)) != 0;
    });
    if (bText && printable) {
        return p_strBytes;
    }
    std::string text;
    char hex[4];
    for (char byte : p_strBytes) {
        std::snprintf(hex, sizeof(hex), text.empty() ? "%02X" : " %02X",
                      static_cast<unsigned char>(byte));
        text += hex;
    }
    return text;
}

void TracingUART::printFrame(const char* p_szDirection, const std::string& p_strBytes) {
    std::fprintf(m_pOut, "%s: %s\n", p_szDirection, m_format.show(p_strBytes).c_str());
    std::fflush(m_pOut);
}

void TracingUART::flushReceived() {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!m_strReceived.empty()) {
        printFrame("rx", m_strReceived);
        m_strReceived.clear();
    }
}

int TracingUART::open(const std::string& p_strDevice) {
    return m_port->open(p_strDevice);
}

void TracingUART::close(int p_nIndex) {
    m_port->close(p_nIndex);
}

int TracingUART::setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                              int p_nParity) {
    return m_port->setParameter(p_nIndex, p_nBaudRate, p_nDataBits, p_nStopBits, p_nParity);
}

int TracingUART::write(int p_nIndex, const char* p_pBytes, int p_nLength) {
    flushReceived();
    if (p_pBytes != nullptr && p_nLength > 0) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_strSent.assign(p_pBytes, static_cast<size_t>(p_nLength));
        printFrame("tx", m_strSent);
    }
    return m_port->write(p_nIndex, p_pBytes, p_nLength);
}

int TracingUART::read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) {
    int count = m_port->read(p_nIndex, p_pBuffer, p_nMaxLength, p_nWait);
    if (count <= 0) {
        flushReceived();
        return count;
    }
    std::lock_guard<std::mutex> guard(m_mutex);
    m_strReceived.append(p_pBuffer, static_cast<size_t>(count));
    for (size_t length = m_format.frameLength(m_strReceived, m_strSent);
         length > 0 && length <= m_strReceived.size();
         length = m_format.frameLength(m_strReceived, m_strSent)) {
        printFrame("rx", m_strReceived.substr(0, length));
        m_strReceived.erase(0, length);
    }
    return count;
}
