#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "controllers/serial/cmd/CMD7300SenseController.h"
#include "controllers/serial/cmd/CMD8100SenseController.h"
#include "controllers/serial/cmd/CMD8100_OldSenseController.h"
#include "controllers/serial/cmd/CMD8300SenseController.h"
#include "controllers/serial/hextext/CMD7200SenseController.h"
#include "controllers/serial/hextext/HitachCompatSenseController.h"
#include "controllers/serial/hextext/HitachSenseController.h"
#include "controllers/serial/hextext/SC110N_CSenseController.h"
#include "controllers/serial/register/EffioSenseController.h"
#include "controllers/serial/register/IT1SenseController.h"
#include "controllers/serial/register/IT1ZoomModuleSenseController.h"
#include "controllers/serial/register/ITNSenseController.h"
#include "controllers/serial/register/SeawolfSenseController.h"
#include "controllers/serial/visca/FCBEV7310SenseController.h"
#include "controllers/serial/visca/SONYCH3310SenseController.h"
#include "controllers/serial/visca/SONYCV7500SenseController.h"
#include "controllers/serial/visca/SONYEH4300SenseController.h"
#include "sim/SimGPIO.h"
#include "sim/cmd/SimCmdCamera.h"
#include "sim/hextext/SimHexTextModule.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimIT1Module.h"
#include "sim/register/SimITNModule.h"
#include "sim/register/SimSeawolfModule.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/GoldenRecord.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

namespace {

// Ready for parameter access without a boot: no background thread runs, so
// the record holds only what the parameter calls send and log.
template <class Controller>
class Ready : public Controller {
public:
    Ready() {
        this->m_nUARTIndex = 0;
        this->m_SensorStatus = ISensorController::InitSuccess;
        this->m_bInitFinished = true;
    }
};

// Every frame the module took since the last look, in hex.
std::string framesOf(SimLineModule& p_module) {
    std::string text;
    for (const std::string& frame : p_module.received()) {
        text += (text.empty() ? "" : ", ") + ::text(frame);
    }
    p_module.clearReceived();
    return text;
}

// The values each id is tried with: the usual range edges and beyond.
std::vector<int> serialValues() {
    return {-1, 0, 1, 2, 3, 5, 10, 31, 50, 100, 101, 255, 256};
}

class SerialGoldenTest : public testing::Test {
protected:
    // p_nThreadId: an id whose write starts a thread of the controller's
    // own, whose exchanges would mix into the record; it is left out.
    template <class Controller>
    void record(SimLineModule* p_pModule, const std::string& p_strName, int p_nThreadId = -1) {
        SafePointer<IUARTController> port(p_pModule);
        Ready<Controller> camera;
        camera.setOperator(port, SafePointer<IGPIO>(new SimGPIO()));
        GoldenRecord record([p_pModule] { return framesOf(*p_pModule); });
        for (int id = 0; id <= 75; ++id) {
            if (id != p_nThreadId) {
                record.sweep(camera, id, id, serialValues());
            }
        }
        expectGolden(p_strName, record.text());
    }

    static SimViscaCamera* visca(bool p_bCompletions) {
        SimViscaCamera* camera = new SimViscaCamera();
        camera->setSendCompletions(p_bCompletions);
        return camera;
    }

    ScratchRoot m_root;
};

}  // namespace

TEST_F(SerialGoldenTest, Visca) {
    record<FCBEV7310SenseController>(visca(true), "fcbev7310");
    record<SONYCH3310SenseController>(visca(false), "ch3310");
    record<SONYCV7500SenseController>(visca(false), "cv7500");
    record<SONYEH4300SenseController>(visca(false), "eh4300");
}

TEST_F(SerialGoldenTest, Cmd) {
    record<CMD7300SenseController>(new SimCmdCamera(), "cmd7300");
    record<CMD8100_OldSenseController>(new SimCmdCamera(), "cmd8100old");
    record<CMD8100SenseController>(new SimCmdCamera(), "cmd8100");
    record<CMD8300SenseController>(new SimCmdCamera(), "cmd8300");
}

TEST_F(SerialGoldenTest, HexText) {
    record<CMD7200SenseController>(new SimHexTextModule(SimHexTextModule::CMD7200), "cmd7200");
    record<HitachCompatSenseController>(new SimHexTextModule(SimHexTextModule::HITACH_COMPAT),
                                        "hitachcompat");
    record<HitachSenseController>(new SimHexTextModule(SimHexTextModule::HITACH), "hitach");
    record<SC110N_CSenseController>(new SimHexTextModule(SimHexTextModule::SC110N), "sc110n");
}

TEST_F(SerialGoldenTest, Registers) {
    record<EffioSenseController>(new SimEffioModule(), "effio");
    record<IT1SenseController>(new SimIT1Module(), "it1", 4);
    record<IT1ZoomModuleSenseController>(new SimIT1Module(), "it1zoom", 4);
    record<ITNSenseController>(new SimITNModule(), "itn", 10);
    record<SeawolfSenseController>(new SimSeawolfModule(), "seawolf");
}
