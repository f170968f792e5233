#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegisterTesting.h"
#include "controllers/serial/register/SeawolfSenseController.h"
#include "platform/GThread.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "sim/register/SimSeawolfModule.h"
#include "support/ScratchRoot.h"
#include "support/TestController.h"

namespace {

class Seawolf : public SeawolfSenseController {
public:
    using ISensorController::m_nUARTIndex;
};

const char* const kDetail = "RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0";
const char* const kLine = "RS232=9600,8,0,0";

typedef RegisterFixture<Seawolf, SimSerialPort> SeawolfWireTest;
typedef RegisterFixture<Seawolf, SimSeawolfModule> SeawolfTest;

int key(int p_nGroup, int p_nItem) {
    return SimSeawolfModule::key(p_nGroup, p_nItem);
}

}  // namespace

TEST_F(SeawolfWireTest, RequestsCarryTheInvertedSumAndRepliesAreCheckedByCode) {
    // Group 0, item 0F: 03 + 02 + 00 + 0F = 14, complemented EB.
    m_pModule->scriptAnswer(hex("02 04 02 01 00 07 EF"));
    std::string version;
    ASSERT_EQ(1, m_camera.getSensorSoftVersion(version));
    EXPECT_EQ("2.1.0.7", version);
    m_pModule->scriptAnswer(hex("01"));
    ASSERT_EQ(1, m_camera.setFlip(3));
    EXPECT_EQ((std::vector<std::string>{"03 02 00 0F EB", "04 01 01 07 03 EF"}),
              texts(m_pModule->writes()));

    // Stray bytes after a reply: a failure drains them, a good reply leaves them.
    struct Case {
        const char* szReply;
        int nResult;
        size_t nLeft;
    } cases[] = {
        {"01 AA BB", SeawolfLink::ACKNOWLEDGED, 2},
        {"02 01 05 F7 AA BB", SeawolfLink::DATA, 2},
        {"02 01 05 F8 AA BB", SeawolfLink::REFUSED, 0},  // checksum
        {"02 09 00 AA BB", SeawolfLink::REFUSED, 0},     // longer than asked for
        {"03 AA BB", SeawolfLink::MODULE_ERROR, 0},
        {"04 02 AA BB", SeawolfLink::MODULE_ERROR_CODE, 0},
        {"07 AA BB", SeawolfLink::MODULE_ERROR, 0},
        {"02 01 05", SeawolfLink::MISSING, 0},
        {"", SeawolfLink::MISSING, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szReply);
        m_pModule->scriptAnswer(hex(c.szReply));
        char command[5] = {0x03, 0x02, 0x01, 0x02, 0};
        char reply[1] = {0};
        int length = 0;
        EXPECT_EQ(c.nResult, m_camera.link().sendCommand(command, 5, reply, 1, length));
        EXPECT_EQ(c.nResult == SeawolfLink::DATA ? 5 : 0, reply[0]);
        EXPECT_EQ(c.nLeft, m_pModule->pendingBytes());
        m_camera.link().recvLeftData();
    }
    int value = 0;
    std::string out = printed([&] { EXPECT_EQ(0, m_camera.getParameterFromSensor(2, value)); });
    EXPECT_TRUE(contains(out, "______________getParameterValue(0x01),(0x02)failed")) << out;
}

TEST_F(SeawolfTest, DirectionsIgnoreTheValueAndFramesToggleByTheirId) {
    for (int id = 24; id <= 28; ++id) {
        EXPECT_EQ(1, m_camera.setParameterToSensor(id, 99));
    }
    EXPECT_EQ("12345", m_pModule->directions());
    EXPECT_EQ(1, m_camera.setParameterToSensor(22, 0));
    EXPECT_EQ(1, m_pModule->registerValue(key(0x04, 0x01)));
    EXPECT_EQ(1, m_camera.setParameterToSensor(23, 1));
    EXPECT_EQ(0, m_pModule->registerValue(key(0x04, 0x01)));
    EXPECT_EQ(ID_TYPE_SET_ONLY, m_camera.getIdManager()->getIdType(25));
    EXPECT_EQ(ID_TYPE_NONE, m_camera.getIdManager()->getIdType(15));

    std::string out = printed([&] {
        EXPECT_EQ(0, m_camera.setParameterToSensor(2, 11));
        EXPECT_EQ(-1, m_camera.setParameterToSensor(15, 1));
    });
    EXPECT_TRUE(contains(out, "setSharpness(11) is out of range")) << out;
    EXPECT_TRUE(contains(out, "setSharpness(11) failed")) << out;
    EXPECT_EQ(1, m_camera.setParameterToSensor(16, 200));
    m_camera.setParameter(16, 200);
    out = printed([&] { EXPECT_EQ(0, m_camera.setParameterToSensor(17, 201)); });
    EXPECT_TRUE(contains(out, "night-to-day transition 201 is above day-to-night 200")) << out;
    // Out of range and out of order: the order is what is logged.
    out = printed([&] { EXPECT_EQ(0, m_camera.setParameterToSensor(17, 256)); });
    EXPECT_TRUE(contains(out, "night-to-day transition 256 is above day-to-night 200")) << out;
    EXPECT_FALSE(contains(out, "out of range")) << out;
}

TEST_F(SeawolfTest, AHostSettingTheDayNightModeDirectlyMeetsTheSameCheck) {
    std::string out = printed([&] { EXPECT_EQ(0, m_camera.setDayNightMode(5)); });
    EXPECT_TRUE(contains(out, "setDayNightMode(5) is out of range")) << out;
    EXPECT_EQ(0, m_camera.getCurrentDayNightMode());
    EXPECT_TRUE(m_pModule->received().empty());
    ASSERT_EQ(1, m_camera.setDayNightMode(4));
    EXPECT_EQ(4, m_camera.getCurrentDayNightMode());
    EXPECT_EQ(0, m_pModule->registerValue(key(0x03, 0x02)));  // the module's own switching
}

TEST_F(SeawolfTest, TheVideoSystemIsWaitedForUntilTheModuleTakesIt) {
    double before = m_root.clock().sleptSeconds();
    ASSERT_EQ(1, m_camera.setSensorVideoSystem(1, VideoResolution()));
    EXPECT_EQ(1, m_pModule->registerValue(key(0x05, 0x01)));
    EXPECT_NEAR(0.2, m_root.clock().sleptSeconds() - before, 1e-6);  // one read too early
    m_pModule->clearReceived();
    ASSERT_EQ(1, m_camera.setSensorVideoSystem(1, VideoResolution()));
    EXPECT_EQ(1u, m_pModule->received().size());  // already there: one read only

    m_pModule->injectFault(SimRegisterModule::FAULT_SILENT, 1);
    m_pModule->injectFault(SimRegisterModule::FAULT_ERROR_STATUS, 1);
    EXPECT_EQ(0, m_camera.setSensorVideoSystem(0, VideoResolution()));
    EXPECT_EQ(1, m_pModule->registerValue(key(0x05, 0x01)));
}

TEST_F(SeawolfTest, TheBaseThreadSwitchesThePictureByTheModulesJudgement) {
    layBoard(m_root, 1);
    std::string out = printed([&] {
        ASSERT_EQ(1, m_camera.init(1, ModuleConfigure(12, kDetail, kLine), VideoResolution()));
    });
    EXPECT_TRUE(
        contains(m_root.readFile("/mnt/mtd/log/SensorInit.log"), "Seawolf soft version 2.1.0.7"));
    m_pModule->setSceneDay(false);
    printed([&] { m_root.clock().runFor(2, GThread::runningCount()); });
    EXPECT_EQ(0, m_camera.getDNState());
    EXPECT_EQ(2, m_pModule->registerValue(key(0x03, 0x02)));

    // Mode 4: the module switches itself, the picture item says so.
    printed([&] {
        ASSERT_EQ(1, m_camera.setParameter(14, 4));
        m_root.clock().runFor(2, GThread::runningCount());
    });
    EXPECT_EQ(0, m_pModule->registerValue(key(0x03, 0x02)));
    m_pModule->setSceneDay(true);
    printed([&] { m_root.clock().runFor(2, GThread::runningCount()); });
    EXPECT_EQ(1, m_camera.getDNState());
    EXPECT_EQ(0, m_pModule->registerValue(key(0x03, 0x02)));
}

TEST_F(SeawolfTest, BitFieldsAndAVideoSystemThatNeverTakes) {
    m_pModule->setRegister(key(0x01, 0x07), 0x2C);
    int value = 0;
    ASSERT_EQ(1, m_camera.link().getAppointValue(0x01, 0x07, value, 2, 3));
    EXPECT_EQ(3, value);
    EXPECT_EQ(0, m_camera.link().getAppointValue(0x09, 0x09, value, 0, 1));

    // The item never shows the new system (and one read goes unanswered):
    // ten tries, 200 ms apart.
    m_pModule->injectFault(SimRegisterModule::FAULT_SILENT, 1);  // the first read
    double before = m_root.clock().sleptSeconds();
    std::string out = printed([&] { EXPECT_EQ(0, m_camera.waitForEffective(0x05, 0x01, 1)); });
    EXPECT_TRUE(contains(out, "waitForEffective(0x05,0x01) timed out")) << out;
    EXPECT_NEAR(2.0, m_root.clock().sleptSeconds() - before, 1e-6);
}
