#include "SONYCH3310SenseController.h"

#include <cstdio>

namespace {

typedef ViscaParameter P;

// The CH3310 numbers its ids as the FCB-EV7310 does, but for these: id 12
// goes by setIris, id 52 is the brightness the others keep under 56, which is
// the power mode here, and it has no iris or focus steps and no id 64.
const ViscaParameter kOwnRows[] = {
    ViscaParameters::iris("setIris"),
    ViscaParameters::brightness(52),
    P::absent(53),
    P::absent(54),
    P::absent(55),
    ViscaParameters::baseRow(56, ISensorController::BASE_POWER_MODE),
    P::absent(64),
};

}  // namespace

SONYCH3310SenseController::SONYCH3310SenseController()
    : ViscaSenseController(18, ViscaLink::SINGLE_READ, {kOwnRows, ViscaParameters::fcbUpperIds()}) {
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 8);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 10, 30);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 32, 34);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 38, 41);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 44, 52);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 56, 63);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 37);
}

int SONYCH3310SenseController::initController(int, const ModuleConfigure& p_config) {
    std::printf("__SonyCH3310SenseController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    std::string device;
    if (!readModuleConfig(p_config, "get RS485Parameter from senseParameter failed", detail,
                          device) ||
        !openPort(device)) {
        return 0;
    }
    clearUartBuffer();
    return checkSync(false);
}
