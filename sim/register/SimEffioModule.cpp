#include "SimEffioModule.h"

namespace {

const int kRead = 0x52;
const int kWrite = 0x57;
const int kOk = 0x00;
const int kCommunicationError = 0xF0;
const int kCategoryError = 0xF1;
const int kByteNumberError = 0xF2;
const int kOtherError = 0xFE;
const size_t kMaxRead = 16;
const int kCategories[] = {0x02, 0x03, 0x04, 0x05, 0x06, 0x0C, 0x12};

bool knownCategory(int p_nCategory) {
    for (int category : kCategories) {
        if (category == p_nCategory) {
            return true;
        }
    }
    return false;
}

}  // namespace

SimEffioModule::SimEffioModule() {
    // Power-on values with neighbouring bits set, so a write that does not
    // keep them shows.
    m_registers[key(0x02, 0x61)] = 0x1F;
    m_registers[key(0x02, 0x62)] = 0x10;  // B gain 128 in bits 5-12 of 61-62
    m_registers[key(0x02, 0x63)] = 0x10;  // R gain 128, brightness 128
    m_registers[key(0x02, 0x64)] = 0xF0;
    m_registers[key(0x02, 0x99)] = 0x80;
    m_registers[key(0x02, 0x6D)] = 0xA4;
    m_registers[key(0x02, 0x8D)] = 0x91;  // day picture
    m_registers[key(0x03, 0x01)] = 0x40;
    m_registers[key(0x03, 0x02)] = 0xC0;
    m_registers[key(0x03, 0x0D)] = 0x60;
    m_registers[key(0x03, 0x17)] = 0x05;
    m_registers[key(0x03, 0x21)] = 0x80;
    m_registers[key(0x04, 0x01)] = 0x83;
    m_registers[key(0x05, 0x01)] = 0x30;
    m_registers[key(0x06, 0x49)] = 0x20;
    m_registers[key(0x0C, 0x03)] = 0x06;
    m_registers[key(0x12, 0x29)] = 0x2C;  // AE level 300
    m_registers[key(0x12, 0x2A)] = 0xF1;
}

void SimEffioModule::setAELevel(int p_nLevel) {
    std::lock_guard<std::mutex> guard(m_mutex);
    int high = m_registers[key(0x12, 0x2A)];
    m_registers[key(0x12, 0x29)] = p_nLevel & 0xFF;
    m_registers[key(0x12, 0x2A)] = (high & 0xFC) | ((p_nLevel >> 8) & 0x03);
}

int SimEffioModule::requestLength(const std::string& p_strInput) {
    int first = simByte(p_strInput, 0);
    return first == 0x06 || first == 0x07 ? first : -1;
}

std::string SimEffioModule::reply(int p_nStatus, const std::string& p_strData) {
    std::string bytes;
    bytes += static_cast<char>(p_strData.size() + 3);
    bytes += static_cast<char>(p_nStatus);
    bytes += p_strData;
    bytes += static_cast<char>(simSum(bytes, bytes.size()));
    return bytes;
}

size_t SimEffioModule::replyDataLength(const std::string& p_strRequest) {
    if (simByte(p_strRequest, 1) != kRead || p_strRequest.size() != 6) {
        return 0;
    }
    int first = simByte(p_strRequest, 3);
    int last = simByte(p_strRequest, 4);
    return last >= first ? static_cast<size_t>(last - first + 1) : 0;
}

std::string SimEffioModule::answer(const std::string& p_strRequest) {
    size_t length = p_strRequest.size();
    size_t data = replyDataLength(p_strRequest);
    std::string zeros(data <= kMaxRead ? data : 0, '\0');
    if (simByte(p_strRequest, length - 1) != simSum(p_strRequest, length - 1)) {
        return reply(kCommunicationError, zeros);
    }
    int command = simByte(p_strRequest, 1);
    if (command != kRead && command != kWrite) {
        return reply(kOtherError, "");
    }
    int category = simByte(p_strRequest, 2);
    if (!knownCategory(category)) {
        return reply(kCategoryError, zeros);
    }
    int address = simByte(p_strRequest, 3);
    if (command == kRead) {
        if (length != 6 || data == 0 || data > kMaxRead) {
            return reply(kByteNumberError, "");
        }
        std::string values;
        for (size_t offset = 0; offset < data; ++offset) {
            values +=
                static_cast<char>(m_registers[key(category, address + static_cast<int>(offset))]);
        }
        return reply(kOk, values);
    }
    for (size_t offset = 0; offset + 5 < length; ++offset) {
        m_registers[key(category, address + static_cast<int>(offset))] =
            simByte(p_strRequest, 4 + offset);
    }
    return reply(kOk, "");
}

std::string SimEffioModule::errorAnswer(const std::string& p_strRequest) {
    return reply(kCategoryError, std::string(replyDataLength(p_strRequest) % (kMaxRead + 1), '\0'));
}

std::string SimEffioModule::wrongAnswer(const std::string& p_strRequest) {
    return simByte(p_strRequest, 1) == kRead ? reply(kOk, "") : reply(kOk, std::string(1, '\0'));
}
