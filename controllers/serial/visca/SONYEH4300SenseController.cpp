#include "SONYEH4300SenseController.h"

#include <cstdio>

namespace {

// The base keeps the TNF of this module type off, so its TNF mode reads 1.
const ViscaParameter kOwnRows[] = {
    ViscaParameters::baseRow(51, ISensorController::BASE_TNF_MODE).factory(1),
};

}  // namespace

SONYEH4300SenseController::SONYEH4300SenseController()
    : ViscaSenseController(11, ViscaLink::SINGLE_READ, {kOwnRows, ViscaParameters::fcbUpperIds()}) {
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 8);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 10, 30);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 32, 34);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 38, 41);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 44, 51);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 56, 64);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 37);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 52, 55);
}

int SONYEH4300SenseController::IrisUp() {
    return m_commands.IrisUp();
}

int SONYEH4300SenseController::IrisDown() {
    return m_commands.IrisDown();
}

int SONYEH4300SenseController::FocusUp() {
    return m_commands.FocusUp();
}

int SONYEH4300SenseController::FocusDown() {
    return m_commands.FocusDown();
}

int SONYEH4300SenseController::initController(int, const ModuleConfigure& p_config) {
    std::printf("__EH4300SenseController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    std::string device;
    if (!readModuleConfig(p_config, "get RS232Parameter from senseParameter failed", detail,
                          device) ||
        !openPort(device)) {
        return 0;
    }
    clearUartBuffer();
    return checkSync(true);
}
