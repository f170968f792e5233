#include <gtest/gtest.h>

#include <string>

#include "controllers/builtin/Hi351xSenseController.h"
#include "controllers/builtin/OrvaneISPSenseController.h"
#include "sim/SimBoard.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/GoldenRecord.h"
#include "support/ScratchRoot.h"

namespace {

// Ready for parameter access without a boot: no background thread runs, so
// the record holds only what the parameter calls do.
template <class Controller>
class Ready : public Controller {
public:
    template <class... Arguments>
    explicit Ready(int p_nInfrared, Arguments... p_arguments) : Controller(p_arguments...) {
        this->m_SensorStatus = ISensorController::InitSuccess;
        this->m_nIsInfrared = p_nInfrared;
        this->m_bNewInfrared = p_nInfrared != 0;
    }
};

// The ISP calls since the last look, "code:value" each.
std::string ispCalls(SimIsp& p_isp) {
    std::string text;
    for (const SimIsp::Call& call : p_isp.calls()) {
        text += (text.empty() ? "" : " ") + std::to_string(call.nCode) + ":" +
                std::to_string(call.nValue);
    }
    p_isp.clearCalls();
    return text;
}

class BuiltinGoldenTest : public testing::Test {
protected:
    template <class Controller>
    void record(Controller& p_controller, int p_nLastId, const std::string& p_strName) {
        p_controller.setOperator(SafePointer<IUARTController>(new SimSerialPort()), m_gpio);
        GoldenRecord record([this] { return ispCalls(m_board.isp()); });
        record.sweep(p_controller, 0, p_nLastId, goldenValues());
        record.sweep(p_controller, 500, 505, {-1, 0, 1, 24, 25});
        expectGolden(p_strName, record.text());
    }

    ScratchRoot m_root;
    SimGPIO* m_pGpio = new SimGPIO();
    SafePointer<IGPIO> m_gpio{m_pGpio};
    SimBoard m_board{m_pGpio};
};

}  // namespace

TEST_F(BuiltinGoldenTest, Hi351xWithoutInfrared) {
    Ready<Hi351xSenseController> camera(0);
    record(camera, 48, "hi351x");
}

TEST_F(BuiltinGoldenTest, Hi351xWithPwmInfrared) {
    Ready<Hi351xSenseController> camera(2);
    record(camera, 48, "hi351x-pwm-infrared");
}

TEST_F(BuiltinGoldenTest, Orvane) {
    Ready<OrvaneISPSenseController> camera(1, 61);
    record(camera, 63, "orvane");
}
