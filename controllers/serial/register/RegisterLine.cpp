#include "RegisterLine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace RegisterBytes {

unsigned char additiveSum(const char* p_pBytes, size_t p_nLength) {
    unsigned int sum = 0;
    for (size_t index = 0; index < p_nLength; ++index) {
        sum += at(p_pBytes, index);
    }
    return static_cast<unsigned char>(sum & 0xFF);
}

unsigned char invertedSum(const char* p_pBytes, size_t p_nLength) {
    return static_cast<unsigned char>(~additiveSum(p_pBytes, p_nLength));
}

int littleEndian16(const char* p_pBytes) {
    return at(p_pBytes, 0) | (at(p_pBytes, 1) << 8);
}

int bigEndian16(const char* p_pBytes) {
    return (at(p_pBytes, 0) << 8) | at(p_pBytes, 1);
}

uint32_t bigEndian32(const char* p_pBytes) {
    return (static_cast<uint32_t>(at(p_pBytes, 0)) << 24) |
           (static_cast<uint32_t>(at(p_pBytes, 1)) << 16) |
           (static_cast<uint32_t>(at(p_pBytes, 2)) << 8) | at(p_pBytes, 3);
}

void putLittleEndian16(char* p_pBytes, int p_nValue) {
    p_pBytes[0] = static_cast<char>(p_nValue & 0xFF);
    p_pBytes[1] = static_cast<char>((p_nValue >> 8) & 0xFF);
}

void putBigEndian16(char* p_pBytes, int p_nValue) {
    p_pBytes[0] = static_cast<char>((p_nValue >> 8) & 0xFF);
    p_pBytes[1] = static_cast<char>(p_nValue & 0xFF);
}

namespace {

unsigned int mask(int p_nBits) {
    return p_nBits >= 32 ? 0xFFFFFFFFu : (1u << p_nBits) - 1u;
}

}  // namespace

int field(int p_nValue, int p_nWidth, int p_nLow, int p_nCount) {
    return static_cast<int>(((static_cast<unsigned int>(p_nValue) & mask(p_nWidth)) >> p_nLow) &
                            mask(p_nCount));
}

int replaceField(int p_nValue, int p_nWidth, int p_nField, int p_nLow, int p_nCount) {
    unsigned int value =
        static_cast<unsigned int>(p_nValue) & mask(p_nWidth) & ~(mask(p_nCount) << p_nLow);
    return static_cast<int>(value | (static_cast<unsigned int>(p_nField) << p_nLow));
}

std::string dump(const char* p_pBytes, int p_nLength, const char* p_szFormat) {
    std::string text;
    char element[16];
    for (int index = 0; index < p_nLength; ++index) {
        std::snprintf(element, sizeof(element), p_szFormat, at(p_pBytes, index));
        text += element;
    }
    return text;
}

}  // namespace RegisterBytes

ReplySource::~ReplySource() = default;

int BufferSource::read(char* p_pBuffer, int p_nLength, int) {
    if (p_nLength <= 0) {
        return 0;
    }
    size_t count = std::min(m_nLeft, static_cast<size_t>(p_nLength));
    std::memcpy(p_pBuffer, m_pBytes, count);
    m_pBytes += count;
    m_nLeft -= count;
    return static_cast<int>(count);
}

int RegisterLine::write(const char* p_pBytes, int p_nLength) {
    m_strRequest.assign(p_pBytes, static_cast<size_t>(std::max(p_nLength, 0)));
    m_bHeard = false;
    return m_port->write(m_nIndex, p_pBytes, p_nLength);
}

int RegisterLine::read(char* p_pBuffer, int p_nLength, int p_nWait) {
    int total = 0;
    while (total < p_nLength) {
        int count = m_port->read(m_nIndex, p_pBuffer + total, p_nLength - total, p_nWait);
        if (count <= 0) {
            break;
        }
        total += std::min(count, p_nLength - total);
    }
    m_bHeard = m_bHeard || total > 0;
    return total;
}

int RegisterLine::recvLeftData() {
    char byte = 0;
    int dropped = 0;
    while (dropped < DRAIN_LIMIT && m_port->read(m_nIndex, &byte, 1, DRAIN_WAIT) > 0) {
        ++dropped;
    }
    if (!m_bHeard && dropped == 0 && !m_strRequest.empty()) {
        std::string request = RegisterBytes::dump(m_strRequest.data(),
                                                  static_cast<int>(m_strRequest.size()), "%02X ");
        request.pop_back();
        m_owner.ErrorPrintf("the module did not answer %s", request.c_str());
    }
    return dropped;
}
