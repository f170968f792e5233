#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "RegisterTesting.h"
#include "controllers/serial/register/EffioSenseController.h"
#include "controllers/serial/register/IT1SenseController.h"
#include "controllers/serial/register/ITNSenseController.h"
#include "controllers/serial/register/SeawolfSenseController.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimIT1Module.h"
#include "sim/register/SimITNModule.h"
#include "sim/register/SimSeawolfModule.h"

namespace {

const char* const kDetail = "RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0";
const char* const kLine = "RS232=9600,8,0,0";

// A controller with its line open and parameter access allowed, as after
// init, its own day/night thread stopped so that only the test talks.
template <class Controller>
class Ready : public Controller {
public:
    Ready(SafePointer<IUARTController> p_port, SafePointer<IGPIO> p_gpio) {
        this->setOperator(p_port, p_gpio);
        printed([&] { this->initController(0, ModuleConfigure(0, kDetail, kLine)); });
        this->m_SensorStatus = ISensorController::InitSuccess;
        if constexpr (std::is_base_of<IDNSwitchSenseController, Controller>::value) {
            this->stopSwitchThread();
        }
    }
};

// A module, its simulator and a setting it takes (two values to change
// between). A controller that repeats a failed exchange once needs the fault
// twice.
struct Module {
    const char* szName;
    std::function<ISensorController*(SafePointer<IUARTController>, SafePointer<IGPIO>)> create;
    std::function<SimRegisterModule*()> simulator;
    int nId;
    int nValues[2];
    int nFaultsPerFailure;
};

template <class Controller>
ISensorController* make(SafePointer<IUARTController> p_port, SafePointer<IGPIO> p_gpio) {
    return new Ready<Controller>(p_port, p_gpio);
}

template <class Simulator>
SimRegisterModule* simulate() {
    return new Simulator();
}

const Module kModules[] = {
    {"effio", make<EffioSenseController>, simulate<SimEffioModule>, 3, {1, 0}, 1},
    {"it1", make<IT1SenseController>, simulate<SimIT1Module>, 1, {200, 100}, 2},
    {"itn", make<ITNSenseController>, simulate<SimITNModule>, 2, {200, 100}, 1},
    {"seawolf", make<SeawolfSenseController>, simulate<SimSeawolfModule>, 2, {9, 3}, 1},
};

const SimRegisterModule::Fault kFaults[] = {
    SimRegisterModule::FAULT_SILENT,       SimRegisterModule::FAULT_SHORT,
    SimRegisterModule::FAULT_BAD_CHECKSUM, SimRegisterModule::FAULT_ERROR_STATUS,
    SimRegisterModule::FAULT_WRONG_CODE,   SimRegisterModule::FAULT_NOISE,
};

}  // namespace

// Whatever goes wrong on the line, a setting fails, keeps the value the
// camera had, leaves nothing on the line, and the next one works.
TEST(RegisterFaults, AFaultyReplyFailsTheSettingCachesNothingAndTheNextWorks) {
    for (const Module& module : kModules) {
        SCOPED_TRACE(module.szName);
        ScratchRoot root;
        SimRegisterModule* simulator = module.simulator();
        SafePointer<IUARTController> port(simulator);
        std::unique_ptr<ISensorController> camera(
            module.create(port, SafePointer<IGPIO>(new SimGPIO())));
        ASSERT_EQ(1, camera->setParameter(module.nId, module.nValues[0]));
        int current = 0;
        for (SimRegisterModule::Fault fault : kFaults) {
            SCOPED_TRACE(static_cast<int>(fault));
            int wanted = module.nValues[1 - current];
            simulator->injectFault(fault, module.nFaultsPerFailure);
            int result = 1;
            printed([&] { result = camera->setParameter(module.nId, wanted); });
            EXPECT_EQ(0, result);
            simulator->clearFaults();
            int value = -1;
            EXPECT_EQ(1, camera->getParameter(module.nId, value));
            EXPECT_EQ(module.nValues[current], value);
            EXPECT_EQ(0u, simulator->pendingBytes());

            ASSERT_EQ(1, camera->setParameter(module.nId, wanted));
            current = 1 - current;
        }
    }
}
