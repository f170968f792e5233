#include "IT1ZoomModuleSenseController.h"

#include <cstdio>

#include "../../../platform/GlobalEnv.h"

namespace {

typedef IT1Parameter P;
typedef IT1ZoomModuleSenseController Z;
typedef IBaseIT1SenseController B;

// The near limit of the auto focus: 5 cm, 1 m, 2 m, 3 m.
const ParameterMenuEntry kAutoFocusLimits[] = {{1, "5cm"}, {2, "1m"}, {3, "2m"}, {4, "3m"}};
const ParameterMenuEntry kFocusModes[] = {{1, "auto"}, {2, "one-push"}};

const int kAutoFocusDistance[] = {0x04, 0x00, 0x01, 0x02};
const char* const kAutoFocusText[] = {"auto focus 5cm", "auto focus 1m ", "auto focus 2m ",
                                      "auto focus 3m "};
const int kFixedAutoFocus = 4;
const int kFactoryFocusMode = 1;
// Hosts also call setFocusMode directly, past the table's check.
const char* const kFocusModeRefusal = "setFocusMode(%d) is out of range";

const P kLens[] = {
    P::readWrite(20, "setAutoFocus", static_cast<P::Setting>(&Z::setAutoFocus),
                 static_cast<P::Getting>(&Z::getAutoFocus))
        .menu("auto-focus", ParameterRole::NONE, kAutoFocusLimits)
        .refusal("setAutoFocus(%d) is out of range")
        .factory(kFixedAutoFocus),
    P::readWrite(21, "setFocusMode", &B::setFocusMode, &B::getFocusMode)
        .menu("focus-mode", ParameterRole::FOCUS_MODE, kFocusModes)
        .refusal(kFocusModeRefusal)
        .factory(kFactoryFocusMode),
    P::setting(22, "setAdjustLens", static_cast<P::Setting>(&Z::setAdjustLens), 0)
        .button("adjust-lens"),
};

}  // namespace

IT1ZoomModuleSenseController::IT1ZoomModuleSenseController()
    : IBaseIT1SenseController(9, {IT1ParameterList(kLens)}),
      m_nLensIndex(-1),
      m_nFocusMode(kFactoryFocusMode) {
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 6);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 8, 21);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 22, 22);
}

int IT1ZoomModuleSenseController::initMember(const ModuleConfigure& p_config,
                                             ModuleParameterParser& p_detail) {
    std::string device;
    if (!p_detail.getValue("RS485", device)) {
        std::puts("get RS485 lens device from detail failed");
        return 1;
    }
    SerialLineSettings line;
    ModuleParameterParser parameters;
    std::string text;
    if (parameters.parse(p_config.getParameters()) && parameters.getValue("RS485", text)) {
        line.parse(text);
    }
    int index = m_pUART->open(device);
    if (index < 0) {
        ErrorPrintf("RS485 uart open(%s) failed", device.c_str());
        return 1;
    }
    if (!m_pUART->setParameter(index, line.nBaudRate, line.nDataBits, line.nStopBits,
                               line.nParity)) {
        ErrorPrintf("RS485 setParameter failed(%s,%d,%d,%d,%d)", device.c_str(), line.nBaudRate,
                    line.nDataBits, line.nStopBits, line.nParity);
        return 1;
    }
    m_nLensIndex = index;
    return 1;
}

int IT1ZoomModuleSenseController::sendLens(int p_nCode, int p_nValue) {
    const char frame[6] = {
        '\x81', 0x01, 0x04, static_cast<char>(p_nCode), static_cast<char>(p_nValue), '\xFF'};
    OVMutexManager guard(m_lensMutex);
    int sent = m_nLensIndex < 0 ? -1 : m_pUART->write(m_nLensIndex, frame, sizeof(frame));
    if (sent != static_cast<int>(sizeof(frame))) {
        ErrorPrintf("send data failed nRet=%d", sent);
        return 0;
    }
    return 1;
}

int IT1ZoomModuleSenseController::setAutoFocus(int p_nValue) {
    if (GlobalEnv::getInstance()->getPrintFlag()) {
        std::puts(kAutoFocusText[p_nValue - 1]);
    }
    return sendLens(0xB1, kAutoFocusDistance[p_nValue - 1]);
}

int IT1ZoomModuleSenseController::getAutoFocus(int& p_nValue) {
    p_nValue = kFixedAutoFocus;
    return 1;
}

int IT1ZoomModuleSenseController::setFocusMode(int p_nMode) {
    int sent = 0;
    if (p_nMode == 1) {
        sent = sendLens(0x38, 0x02);
    } else if (p_nMode == 2) {
        sent = sendLens(0x18, 0x01);
    } else {
        ErrorPrintf(kFocusModeRefusal, p_nMode);
        return 0;
    }
    if (sent) {
        m_nFocusMode = p_nMode;
    }
    return sent;
}

int IT1ZoomModuleSenseController::getFocusMode(int& p_nMode) {
    p_nMode = m_nFocusMode;
    return 1;
}

int IT1ZoomModuleSenseController::setAdjustLens(int) {
    return sendLens(0xB1, 0x03);
}
