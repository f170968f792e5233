#ifndef SENSORCONTROL_TESTS_CONTROLLERS_SERIAL_HEXTEXT_HEXTEXTRIG_H
#define SENSORCONTROL_TESTS_CONTROLLERS_SERIAL_HEXTEXT_HEXTEXTRIG_H

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/ISensorController.h"
#include "platform/GlobalEnv.h"
#include "sim/SimGPIO.h"
#include "sim/hextext/SimHexTextModule.h"
#include "support/Owned.h"
#include "support/ScratchRoot.h"

namespace hextext {

// A hex-text member with its protected state open to the tests.
template <class Controller>
class Open : public Controller {
public:
    using ISensorController::m_bInitFinished;
    using ISensorController::m_nDNState;
    using ISensorController::m_nIsInfrared;
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pSensorCache;
    using ISensorController::m_SensorStatus;
};

inline bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

// The console output of a call (the error log echoes there too).
inline std::string console(const std::function<void()>& p_call) {
    testing::internal::CaptureStdout();
    p_call();
    return testing::internal::GetCapturedStdout();
}

// A member ready for parameter access, wired to its simulated module, in a
// scratch root on the virtual clock.
template <class Controller>
class HexTextRig {
public:
    explicit HexTextRig(SimHexTextModule::Member p_eMember)
        : module(new SimHexTextModule(p_eMember)) {
        camera.setOperator(port, SafePointer<IGPIO>(new SimGPIO()));
        camera.m_nUARTIndex = 0;
        camera.m_SensorStatus = ISensorController::InitSuccess;
    }
    ~HexTextRig() { GlobalEnv::getInstance()->setPrintFlag(false); }

    // The frames the module took since the last call.
    std::vector<std::string> frames() {
        std::vector<std::string> taken = module->received();
        module->clearReceived();
        return taken;
    }

    // setParameterToSensor, its console output kept in out.
    int set(int p_nId, int p_nValue) {
        int result = 0;
        out = console([&] { result = camera.setParameterToSensor(p_nId, p_nValue); });
        return result;
    }

    void cache(int p_nId, int p_nValue) { camera.m_pSensorCache->setSensorValue(p_nId, p_nValue); }

    int initWith(const std::string& p_strDetail,
                 const std::string& p_strParameters = "RS485=9600,8,0,0") {
        int result = 0;
        out = console([&] {
            result = camera.initController(0, ModuleConfigure(0, p_strDetail, p_strParameters));
        });
        return result;
    }

    ScratchRoot root;
    SimHexTextModule* module;
    SafePointer<IUARTController> port{module};
    Owned<Open<Controller> > camera;
    std::string out;
};

}  // namespace hextext

#endif
