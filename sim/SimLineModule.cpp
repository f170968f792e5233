#include "SimLineModule.h"

#include <algorithm>
#include <cstring>

#include "platform/Clock.h"
#include "platform/ModuleParameterParser.h"

int SimLineModule::open(const std::string& p_strDevice) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_nOpenResult < 0) {
        return m_nOpenResult;
    }
    auto found = std::find(m_devices.begin(), m_devices.end(), p_strDevice);
    if (found == m_devices.end()) {
        found = m_devices.insert(m_devices.end(), p_strDevice);
    }
    return static_cast<int>(found - m_devices.begin());
}

void SimLineModule::close(int) {}

int SimLineModule::setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                                int p_nParity) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (isOtherLine(p_nIndex)) {
        return 1;
    }
    m_lineParameters = {p_nBaudRate, p_nDataBits, p_nStopBits, p_nParity};
    int stopBits = p_nStopBits == 0 ? 1 : p_nStopBits;
    if (p_nBaudRate != m_nHostBaud || p_nDataBits != m_nHostDataBits ||
        stopBits != m_nHostStopBits || p_nParity != m_nHostParity) {
        // A frame half sent at the old settings arrives as garbage.
        m_strInput.clear();
    }
    m_nHostBaud = p_nBaudRate;
    m_nHostDataBits = p_nDataBits;
    m_nHostStopBits = stopBits;
    m_nHostParity = p_nParity;
    return 1;
}

bool SimLineModule::setModuleLine(int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                                  int p_nParity) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!setModuleBaudRate(p_nBaudRate)) {
        return false;
    }
    m_nModuleDataBits = p_nDataBits;
    m_nModuleStopBits = p_nStopBits == 0 ? 1 : p_nStopBits;
    m_nModuleParity = p_nParity;
    return true;
}

bool SimLineModule::lineMatches() {
    return m_nHostBaud == moduleBaudRate() && m_nHostDataBits == m_nModuleDataBits &&
           m_nHostStopBits == m_nModuleStopBits && m_nHostParity == m_nModuleParity;
}

int SimLineModule::write(int p_nIndex, const char* p_pBytes, int p_nLength) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (p_pBytes == nullptr || p_nLength < 0) {
        return -1;
    }
    if (isOtherLine(p_nIndex)) {
        takeOtherLine(p_nIndex, std::string(p_pBytes, static_cast<size_t>(p_nLength)));
    } else if (lineMatches() && hears() && !restartDrawn(p_pBytes, p_nLength)) {
        m_strInput.append(p_pBytes, static_cast<size_t>(p_nLength));
        consumeInput();
    }
    return p_nLength;
}

int SimLineModule::read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (isOtherLine(p_nIndex) || p_pBuffer == nullptr || p_nMaxLength <= 0) {
        return 0;
    }
    if (m_strOutput.empty() && !m_strLate.empty()) {
        if (m_nLateReads > 0) {
            --m_nLateReads;
            return 0;
        }
        m_strOutput.swap(m_strLate);
    }
    size_t count = std::min(m_strOutput.size(), static_cast<size_t>(p_nMaxLength));
    std::memcpy(p_pBuffer, m_strOutput.data(), count);
    m_strOutput.erase(0, count);
    return static_cast<int>(count);
}

void SimLineModule::setOpenResult(int p_nIndex) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nOpenResult = p_nIndex;
}

std::vector<std::string> SimLineModule::received() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_received;
}

void SimLineModule::clearReceived() {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<std::string>().swap(m_received);  // the memory too: long runs clear often
}

std::string SimLineModule::opened() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_devices.empty() ? std::string() : m_devices.front();
}

std::vector<std::string> SimLineModule::devices() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_devices;
}

std::vector<int> SimLineModule::lineParameters() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_lineParameters;
}

size_t SimLineModule::pendingBytes() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_strOutput.size() + m_strLate.size();
}

void SimLineModule::queueFault(int p_nFault, int p_nCount) {
    m_faults.insert(m_faults.end(), static_cast<size_t>(std::max(p_nCount, 0)), p_nFault);
}

int SimLineModule::nextFault() {
    if (m_faults.empty()) {
        return NO_FAULT;
    }
    int fault = m_faults.front();
    m_faults.pop_front();
    return fault;
}

int SimLineModule::peekFault() const {
    return m_faults.empty() ? NO_FAULT : m_faults.front();
}

bool SimLineModule::isOtherLine(int p_nIndex) const {
    return p_nIndex > 0 && static_cast<size_t>(p_nIndex) < m_devices.size();
}

void SimLineModule::clearQueuedFaults() {
    m_faults.clear();
}

void SimLineModule::output(const std::string& p_strBytes, int p_nEmptyReads) {
    if (p_nEmptyReads > 0 && m_strLate.empty()) {
        m_nLateReads = p_nEmptyReads;
    }
    if (p_nEmptyReads > 0 || !m_strLate.empty()) {
        m_strLate += p_strBytes;  // behind a late answer, the order stays
    } else {
        m_strOutput += p_strBytes;
    }
}

void SimLineModule::setFaultRate(double p_dRate, unsigned int p_nSeed) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_dFaultRate = p_dRate;
    m_random = std::mt19937(p_nSeed);
    if (p_dRate <= 0.0) {
        m_faults.clear();
    }
}

void SimLineModule::setRestartSilence(double p_dSeconds) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_dRestartSilence = p_dSeconds;
}

bool SimLineModule::restartingNow() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return Clock::get().monotonicSeconds() < m_dRestartEnd;
}

SimLineModule::LineCounts SimLineModule::lineCounts() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_counts;
}

size_t SimLineModule::receivedCount() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_received.size();
}

std::map<std::string, std::string> SimLineModule::heldValues() {
    ModuleParameterParser state;
    state.parse(saveState());
    return state.getAll();
}

bool SimLineModule::restartDrawn(const char* p_pBytes, int p_nLength) {
    std::string bytes(p_pBytes, static_cast<size_t>(p_nLength));
    ++m_counts.nWrites;
    if (m_bLastWriteFaulted && bytes == m_strLastWrite) {
        ++m_counts.nRetries;
    }
    m_strLastWrite.swap(bytes);
    double now = Clock::get().monotonicSeconds();
    m_bLastWriteFaulted = now < m_dRestartEnd;
    if (m_bLastWriteFaulted) {
        return true;
    }
    if (m_dFaultRate <= 0.0 || !m_faults.empty() ||
        std::uniform_real_distribution<double>(0.0, 1.0)(m_random) >= m_dFaultRate) {
        return false;
    }
    m_bLastWriteFaulted = true;
    ++m_counts.nFaults;
    std::vector<int> kinds = randomFaults();
    size_t pick = std::uniform_int_distribution<size_t>(0, kinds.size())(m_random);
    if (pick < kinds.size()) {
        queueFault(kinds[pick], 1);
        return false;
    }
    // The module restarts while the frame comes in: it is lost, and so is
    // whatever the module had not sent yet.
    ++m_counts.nRestarts;
    m_dRestartEnd = now + m_dRestartSilence;
    m_strInput.clear();
    m_strOutput.clear();
    m_strLate.clear();
    m_nLateReads = 0;
    return true;
}
