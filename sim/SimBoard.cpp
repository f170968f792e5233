#include "SimBoard.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Clock.h"

namespace {

const int kCodePicture = 15;
const int kCodeVideoStandard = 2049;
const int kCodeLightLevel = 4102;
const int kCodeNightSwitchDone = 4106;
const unsigned long kAdcEnable = 0xC00C4100ul;
const unsigned long kAdcRead = 0xC00C4101ul;
const unsigned long kPwmConfigure = 1;

// What a freshly powered ISP reports (get code -> value).
const std::pair<int, int> kIspDefaults[] = {
    {14, 50},   {1538, 50}, {1542, 50}, {1540, 50}, {4, 16},    {10, 60},
    {18, 60},   {20, 30},   {28, 50},   {1564, 50}, {1548, 50}, {1550, 50},
    {1558, 50}, {1560, 50}, {32, 50},   {1574, 50}, {42, 50},
};

}  // namespace

int SimIsp::ioctrl(int p_nCode, void* p_pValue) {
    std::lock_guard<std::mutex> guard(m_mutex);
    int& value = *static_cast<int*>(p_pValue);
    auto scripted = m_results.find(p_nCode);
    if (scripted != m_results.end() && scripted->second != 0) {
        m_calls.push_back(Call{p_nCode, value});
        return scripted->second;
    }
    if (int failure = randomFailure(p_nCode, value)) {
        m_calls.push_back(Call{p_nCode, value});
        return failure;
    }
    switch (p_nCode) {
        case kCodePicture:
            m_nPictureMode = value;
            m_dNightSwitchStart = value == 2 ? Clock::get().monotonicSeconds() : -1.0;
            break;
        case kCodeVideoStandard:
            m_nVideoStandard = value;
            break;
        case kCodeLightLevel:
            value = m_lightLevel ? m_lightLevel() : 0;
            break;
        case kCodeNightSwitchDone:
            // A microsecond of slack: virtual time is whole microseconds, and a
            // switch due now must read as done.
            value = m_dNightSwitchStart >= 0.0 &&
                            Clock::get().monotonicSeconds() - m_dNightSwitchStart >=
                                m_dNightSwitchDelay - 1e-6
                        ? 0
                        : 1;
            break;
        default:
            if (p_nCode % 2 == 1) {
                m_values[p_nCode + 1] = value;
            } else {
                value = m_values[p_nCode];
            }
            break;
    }
    m_calls.push_back(Call{p_nCode, value});
    return OVEWFI_OK;
}

void SimIsp::setValue(int p_nGetCode, int p_nValue) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_values[p_nGetCode] = p_nValue;
}

int SimIsp::value(int p_nGetCode) {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_values[p_nGetCode];
}

void SimIsp::setResult(int p_nCode, int p_nResult) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_results[p_nCode] = p_nResult;
}

void SimIsp::setNightSwitchDelay(double p_dSeconds) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_dNightSwitchDelay = p_dSeconds;
}

int SimIsp::pictureMode() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nPictureMode;
}

int SimIsp::videoStandard() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nVideoStandard;
}

std::vector<SimIsp::Call> SimIsp::calls() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_calls;
}

void SimIsp::clearCalls() {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<Call>().swap(m_calls);  // the memory too: long runs clear often
}

void SimIsp::setFailureRate(double p_dRate, unsigned int p_nSeed) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_dFailureRate = p_dRate;
    m_random = std::mt19937(p_nSeed);
}

SimIsp::Counts SimIsp::counts() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_counts;
}

std::map<int, int> SimIsp::values() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_values;
}

int SimIsp::randomFailure(int p_nCode, int p_nValue) {
    ++m_counts.nCommands;
    bool again = m_lastFailed.nCode == p_nCode && m_lastFailed.nValue == p_nValue;
    m_counts.nRetries += again ? 1 : 0;
    m_lastFailed = Call{-1, 0};
    if (m_dFailureRate <= 0.0 ||
        std::uniform_real_distribution<double>(0.0, 1.0)(m_random) >= m_dFailureRate) {
        return 0;
    }
    ++m_counts.nFailures;
    m_lastFailed = Call{p_nCode, p_nValue};
    return -std::uniform_int_distribution<int>(1, 2)(m_random);
}

int SimAdc::ioctl(unsigned long p_nRequest, void* p_pArgument) {
    uint32_t* request = static_cast<uint32_t*>(p_pArgument);
    std::function<int()> raw;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_bFail) {
            return -1;
        }
        if (p_nRequest == kAdcEnable) {
            request[0] = 1;
            return 0;
        }
        if (p_nRequest != kAdcRead) {
            return -1;
        }
        ++m_nReads;
        raw = m_raw;
    }
    request[2] = static_cast<uint32_t>(raw ? raw() : 0);
    return 0;
}

void SimAdc::setFailing(bool p_bFail) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bFail = p_bFail;
}

int SimAdc::reads() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nReads;
}

int SimPwm::ioctl(unsigned long p_nRequest, void* p_pArgument) {
    if (p_nRequest != kPwmConfigure) {
        return -1;
    }
    // channel (u8 + 3 padding), duty (u32), period (u32), enable (u8)
    const unsigned char* bytes = static_cast<const unsigned char*>(p_pArgument);
    Setting setting;
    uint32_t word;
    setting.nChannel = bytes[0];
    std::memcpy(&word, bytes + 4, 4);
    setting.nDuty = word;
    std::memcpy(&word, bytes + 8, 4);
    setting.nPeriod = word;
    setting.nEnable = bytes[12];
    std::lock_guard<std::mutex> guard(m_mutex);
    m_history.push_back(setting);
    return 0;
}

void SimPwm::clearHistory() {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!m_history.empty()) {
        m_history = std::vector<Setting>{m_history.back()};
    }
}

SimPwm::Setting SimPwm::last() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_history.empty() ? Setting{0, 0, 0, 0} : m_history.back();
}

std::vector<SimPwm::Setting> SimPwm::history() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_history;
}

SimBoard::SimBoard(SimGPIO* p_pGpio)
    : m_pGpio(p_pGpio),
      m_isp(std::make_shared<SimIsp>()),
      m_adc(std::make_shared<SimAdc>()),
      m_pwm(std::make_shared<SimPwm>()) {
    for (const auto& value : kIspDefaults) {
        m_isp->m_values[value.first] = value.second;
    }
    m_isp->m_lightLevel = [this] { return 100 - brightness(); };
    m_adc->m_raw = [this] { return adcRaw(); };
    setBrightness(100);
    DeviceLayer::setIsp(m_isp);
    DeviceLayer::setCharDevice("/dev/adc", m_adc);
    DeviceLayer::setCharDevice("/dev/pwm", m_pwm);
}

SimBoard::~SimBoard() {
    DeviceLayer::setIsp(nullptr);
    DeviceLayer::setCharDevice("/dev/adc", nullptr);
    DeviceLayer::setCharDevice("/dev/pwm", nullptr);
}

void SimBoard::setBrightness(int p_nBrightness) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_nBrightness = std::max(0, std::min(100, p_nBrightness));
    }
    updateDayNightPin();
}

void SimBoard::setDayNightPin(const GPIOTriple& p_pin, int p_nThreshold) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_dayNightPin = p_pin;
        m_nDayNightThreshold = p_nThreshold;
    }
    updateDayNightPin();
}

void SimBoard::updateDayNightPin() {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_nDayNightThreshold < 0 || m_pGpio == nullptr) {
        return;
    }
    bool day = m_nBrightness >= m_nDayNightThreshold;
    m_pGpio->setInput(m_dayNightPin.nGroup, m_dayNightPin.nBit,
                      day ? m_dayNightPin.nDayLevel : 1 - m_dayNightPin.nDayLevel);
}

int SimBoard::brightness() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nBrightness;
}

void SimBoard::setReflection(int p_nReflection) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nReflection = p_nReflection;
}

void SimBoard::setLedPin(const GPIOTriple& p_pin) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_ledPin = p_pin;
    m_bLedPinSet = true;
}

int SimBoard::ledPower() {
    int gpioPower = 0;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_bLedPinSet && m_pGpio != nullptr &&
            m_pGpio->level(m_ledPin.nGroup, m_ledPin.nBit) != m_ledPin.nDayLevel) {
            gpioPower = 100;
        }
    }
    SimPwm::Setting pwm = m_pwm->last();
    int pwmPower = pwm.nEnable != 0 && pwm.nPeriod != 0
                       ? static_cast<int>(100u * std::min(pwm.nDuty, pwm.nPeriod) / pwm.nPeriod)
                       : 0;
    return std::max(gpioPower, pwmPower);
}

int SimBoard::adcRaw() {
    int power = ledPower();
    std::lock_guard<std::mutex> guard(m_mutex);
    int light = m_nBrightness * 100 + m_nReflection * power;  // hundredths of a unit
    return std::min(1023, 4 * light / 100);
}

void SimBoard::removeAdc(bool p_bRemoved) {
    DeviceLayer::setCharDevice("/dev/adc", p_bRemoved ? nullptr : m_adc);
}
