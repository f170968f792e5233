#include <gtest/gtest.h>

#include <string>

#include "controllers/serial/cmd/CMD7300SenseController.h"
#include "controllers/serial/visca/FCBEV7310SenseController.h"
#include "sim/cmd/SimCmdCamera.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/ModuleFixture.h"

// A setting that waits for a mode is sent again when the mode comes. When
// that send fails, the cache still holds the setting, so writing it again
// must reach the module.

namespace {

template <class T>
class Open : public T {
public:
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pSensorCache;
    using ISensorController::m_SensorStatus;
};

template <class Camera, class Module>
class ResendFixture : public ModuleFixture<Open<Camera>, Module> {
protected:
    // The mode p_nMode comes (its frame answered with p_strAck) while the
    // setting it brings back finds the module silent; then the setting is
    // written again with its cached value.
    std::string writeAgainAfterLostResend(int p_nModeId, int p_nMode, int p_nId,
                                          const std::string& p_strAck) {
        SimSerialPort* port = this->scripted();
        port->scriptAnswer(p_strAck);
        EXPECT_EQ(1, this->set(p_nModeId, p_nMode));
        size_t before = port->writes().size();
        int value = 0;
        this->m_camera.m_pSensorCache->getSensorValue(p_nId, value);
        port->scriptAnswer(p_strAck);
        EXPECT_EQ(1, this->quiet([&] { return this->m_camera.setParameter(p_nId, value); }));
        std::vector<std::string> writes = port->writes();
        return writes.size() > before ? text(writes.back()) : std::string();
    }
};

typedef ResendFixture<FCBEV7310SenseController, SimViscaCamera> ViscaResendTest;
typedef ResendFixture<CMD7300SenseController, SimCmdCamera> CmdResendTest;

}  // namespace

TEST_F(ViscaResendTest, AnAEResponseWhoseResendFailedIsSentAgain) {
    cache(10, 1);  // manual exposure: the AE response (18) waits for automatic
    cache(18, 5);
    EXPECT_EQ("81 01 04 5D 05 FF", writeAgainAfterLostResend(10, 0, 18, hex("90 41 FF 90 51 FF")));
}

TEST_F(CmdResendTest, AShutterWhoseResendFailedIsSentAgain) {
    cache(0, 0);  // automatic exposure: the shutter (7) waits for mode 1
    cache(7, 9);
    EXPECT_EQ("81 01 04 4A 00 00 00 09 FF", writeAgainAfterLostResend(0, 1, 7, hex("90 41 FF")));
}

TEST_F(ViscaResendTest, AOnePushFocusWhoseTriggerFailedLeavesTheCachedMode) {
    cache(30, 1);
    SimSerialPort* port = scripted();
    port->scriptAnswer(hex("90 41 FF 90 51 FF"));  // the mode; the trigger goes unanswered
    EXPECT_EQ(0, quiet([&] { return m_camera.setParameter(30, 3); }));
    int mode = 0;
    m_camera.m_pSensorCache->getSensorValue(30, mode);
    EXPECT_EQ(1, mode);
}
