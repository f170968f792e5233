#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controllers/serial/cmd/CMD7300SenseController.h"
#include "controllers/serial/cmd/CMD8100SenseController.h"
#include "controllers/serial/cmd/CMD8100_OldSenseController.h"
#include "sim/SimGPIO.h"
#include "sim/cmd/SimCmdCamera.h"
#include "support/ModuleFixture.h"
#include "support/Owned.h"
#include "support/TestController.h"

namespace {

typedef std::vector<std::string> Frames;

// A member with its protected state open to the tests.
template <class T>
class Open : public T {
public:
    using ISensorController::m_nIsInfrared;
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pSensorCache;
    using ISensorController::m_SensorStatus;
    using T::m_nGeneration;
};

// A member ready for parameter access on the simulated module.
template <class T>
class CmdTest : public ModuleFixture<Open<T>, SimCmdCamera> {
protected:
    int init(const std::string& p_strDetail) {
        ModuleConfigure config(0, p_strDetail, "RS485=9600,8,0,0");
        return this->quiet([&] { return this->m_camera.initController(0, config); });
    }
};

typedef testing::Types<CMD7300SenseController, CMD8100_OldSenseController, CMD8100SenseController>
    Members;
TYPED_TEST_SUITE(CmdTest, Members);

class CMD7300Test : public CmdTest<CMD7300SenseController> {};
class CMD8100OldTest : public CmdTest<CMD8100_OldSenseController> {};
class CMD8100Test : public CmdTest<CMD8100SenseController> {};

}  // namespace

// ---- What the members share ----

TYPED_TEST(CmdTest, CommandsWantOneThreeByteAcknowledgementInThreeAttempts) {
    SimSerialPort* port = this->scripted();
    const std::string frame = hex("81 01 04 42 00 00 00 07 FF");
    auto send = [&] {
        return this->quiet([&] { return this->m_camera.setParameterValue(frame.data(), 9); });
    };
    for (const char* answer : {"90 41 FF", "90 51 FF"}) {
        port->scriptAnswer(hex(answer));
        EXPECT_EQ(1, send()) << answer;  // an acknowledgement, or a completion in its place
        EXPECT_EQ("", this->m_strOut);   // and no console trace
    }

    // A refusal, a garbled answer, then silence: each attempt logged with its
    // number and followed by an emptied port.
    port->scriptAnswer(hex("90 60 02 FF"));
    port->scriptAnswer(hex("90 4F FF"));
    EXPECT_EQ(0, send());
    EXPECT_EQ(Frames(5, frame), port->writes());
    EXPECT_EQ(0u, port->pendingBytes());
    const std::vector<std::string> expected = {
        "===send:\n0x81,0x1,0x4,0x42,0x0,0x0,0x0,0x7,0xff\n"
        "===setParameterValue(1 times) recv error,recv:0x90,0x60,0x2\nClear UART buffer",
        "===setParameterValue(2 times) recv error,recv:0x90,0x4f,0xff\nClear UART buffer",
        "===recv(3 times) @setParameterValue failed,send:\n0x81,0x1,0x4,0x42,0x0,0x0,0x0,0x7,0xff\n"
        "===recv(0):\nClear UART buffer"};
    size_t at = 0;
    for (const std::string& part : expected) {
        at = this->m_strOut.find(part, at);
        ASSERT_NE(std::string::npos, at) << part << "\nin:\n" << this->m_strOut;
    }
    EXPECT_EQ(3u, occurrences(this->m_strOut, "Clear UART buffer"));

    port->setWriteLimit(4);
    EXPECT_EQ(0, send());
    EXPECT_TRUE(this->logged("===send(3 times) @setParameterValue failed,send(4):"));
}

TYPED_TEST(CmdTest, InquiriesReadTheirExactLengthAndLogWhatCameInstead) {
    SimSerialPort* port = this->scripted();
    const std::string inquiry = hex("81 09 04 24 72 FF");
    char reply[5] = {0};
    auto ask = [&] {
        return this->quiet(
            [&] { return this->m_camera.getParameterValue(inquiry.data(), 6, reply, 5); });
    };
    port->scriptAnswer(hex("90 50 00 08 FF"));
    EXPECT_EQ(1, ask());
    EXPECT_EQ(hex("90 50 00 08 FF"), std::string(reply, 5));
    port->scriptAnswer(hex("90 41 FF"));
    EXPECT_EQ(0, ask());
    EXPECT_TRUE(
        this->logged("===recv(1 times) @getParameterValue failed,send:\n"
                     "0x81,0x9,0x4,0x24,0x72,0xff\n===recv(3):\n0x90,0x41,0xff\n"))
        << this->m_strOut;
    EXPECT_EQ(4u, port->writes().size());
}

TYPED_TEST(CmdTest, PictureSwitchesUseTheModulesFilterOrTheLampBoard) {
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.turnPictureToNight(); }));
    EXPECT_TRUE(this->m_pModule->reportsNight());
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.turnPictureToDay(); }));
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.enterAutoMode(); }));
    EXPECT_TRUE(this->m_pModule->autoDayNight());
    EXPECT_EQ((Frames{"81 01 04 51 03 FF", "81 01 04 01 02 FF", "81 01 04 51 03 FF",
                      "81 01 04 01 03 FF", "81 01 04 51 02 FF"}),
              this->frames());

    // The filter frame follows only an acknowledged first frame.
    this->m_pModule->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, this->quiet([&] { return this->m_camera.turnPictureToNight(); }));
    EXPECT_EQ(Frames(3, "81 01 04 51 03 FF"), this->frames());

    this->m_camera.m_nIsInfrared = 1;
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.turnPictureToNight(); }));
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.turnPictureToDay(); }));
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.enterAutoMode(); }));
    EXPECT_EQ(
        (Frames{"FE 01 1E 02 00 01 22 FF", "FE 01 1E 02 00 02 23 FF", "FE 01 1E 02 00 00 21 FF"}),
        this->frames());
    EXPECT_EQ(0, this->m_pModule->irBoardMode());
}

TYPED_TEST(CmdTest, DayNightStatusIsReplyByteTwo) {
    int status = -1;
    auto read = [&] {
        return this->quiet([&] { return this->m_camera.getDNStatusFromSensor(status); });
    };
    this->m_pModule->setIrCutNight(true);
    EXPECT_EQ(1, read());
    EXPECT_EQ(0, status);
    this->m_pModule->setIrCutNight(false);
    EXPECT_EQ(1, read());
    EXPECT_EQ(1, status);

    // An acknowledgement ahead of the reply: byte 2 is its FF.
    SimSerialPort* port = this->scripted();
    port->scriptAnswer(hex("90 41 FF 90 50 02 FF"));
    EXPECT_EQ(0, read());
    EXPECT_TRUE(this->logged("get daynight value out of range:0x90,0x41,0xff,0x90"));
    EXPECT_EQ(1, status);
    port->setSilent(true);
    EXPECT_EQ(0, read());
    EXPECT_TRUE(this->logged("get dn failed \n")) << this->m_strOut;
}

TYPED_TEST(CmdTest, DayNightModeZeroIsTheModulesOwnSwitching) {
    EXPECT_EQ(1, this->set(12, 0));
    EXPECT_EQ(4, this->m_camera.getCurrentDayNightMode());
    EXPECT_EQ(1, this->set(12, 2));
    EXPECT_EQ(2, this->m_camera.getCurrentDayNightMode());
    EXPECT_TRUE(this->frames().empty());  // the switch is the thread's
}

TYPED_TEST(CmdTest, SettingsPauseAfterwardsAndNeedInitialisation) {
    double before = this->m_root.clock().sleptSeconds();
    EXPECT_EQ(1, this->set(11, 3));
    EXPECT_NEAR(0.03, this->m_root.clock().sleptSeconds() - before, 1e-9);
    EXPECT_EQ((Frames{"81 01 04 53 03 FF"}), this->frames());
    EXPECT_EQ(-1, this->set(99, 1));  // not its id

    this->m_pModule->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, this->set(11, 4));
    EXPECT_TRUE(this->logged("setNoiseReduction error,value is 4"));
    this->m_pModule->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, this->set(64, 0));
    EXPECT_TRUE(this->logged("OnePushTrigger failed\n"));

    this->frames();
    this->m_camera.m_SensorStatus = 0;
    EXPECT_EQ(0, this->set(11, 3));
    int value = 0;
    EXPECT_EQ(0, this->quiet([&] { return this->m_camera.getParameterFromSensor(1, value); }));
    EXPECT_TRUE(this->frames().empty());
}

TYPED_TEST(CmdTest, ConditionsOnOtherSettingsAndTheFixedFrames) {
    this->expectCases({
        {5, 10, 1, {}, nullptr},                               // iris: not in iris priority
        {7, 9, 1, {}, nullptr},                                // shutter: not in shutter priority
        {13, 20, 1, {"81 01 04 21 00 00 01 04 FF"}, nullptr},  // threshold without a lamp board
        {4, 1, 1, {"81 01 04 61 02 FF", "81 01 04 66 03 FF"}, nullptr},
        {4, 4, 0, {}, "value 4 is out of range 0..3"},
        {15, 0, 1, {"81 01 04 38 02 FF", "81 01 04 57 02 FF"}, nullptr},
        {15, 1, 1, {"81 01 04 38 02 FF", "81 01 04 57 00 FF"}, nullptr},
        {15, 2, 1, {"81 01 04 38 03 FF"}, nullptr},
        {15, 7, 1, {}, nullptr},
        {52, 0, 1, {"81 01 04 0B 02 FF"}, nullptr},
        {53, 0, 1, {"81 01 04 0B 03 FF"}, nullptr},
        {54, 0, 1, {"81 01 04 08 03 FF"}, nullptr},
        {55, 0, 1, {"81 01 04 08 02 FF"}, nullptr},
        {64, 0, 1, {"81 01 04 18 01 FF"}, nullptr},
        {6, 4, 0, {}, "value 4 is out of range 2..3"},
    });
    // Iris priority sends the iris, and entering shutter priority sends the
    // cached shutter after the mode.
    this->cache(0, 2);
    this->cache(7, 9);
    this->m_camera.m_nIsInfrared = 1;
    this->m_camera.m_nGeneration = 4;  // counts the mirror the other way round
    this->expectCases({
        {5, 10, 1, {"81 01 04 4B 00 00 00 0A FF"}, nullptr},
        {0, 1, 1, {"81 01 04 39 0A FF", "81 01 04 4A 00 00 00 09 FF"}, nullptr},
        {13, 20, 1, {}, nullptr},
        {4, 1, 1, {"81 01 04 61 03 FF", "81 01 04 66 02 FF"}, nullptr},
    });
}

// A parameter file may bring a shutter no write would take; entering shutter
// priority must not send it, and the shutter stays to be written again.
TYPED_TEST(CmdTest, ACachedSettingOutOfRangeIsNotBroughtByItsMode) {
    this->cache(0, 0);
    this->cache(7, 40);
    EXPECT_EQ(1, this->set(0, 1));
    EXPECT_EQ((Frames{"81 01 04 39 0A FF"}), this->frames());
    const char* range = this->m_camera.getSensorType() == 24 ? "0..17" : "0..18";
    EXPECT_TRUE(this->logged(std::string("value 40 is out of range ") + range)) << this->m_strOut;
    EXPECT_FALSE(this->logged("setShutter error"));
    // Unconfirmed: the same value is not taken as already in force.
    EXPECT_EQ(0, this->quiet([&] { return this->m_camera.setParameter(7, 40); }));
}

TYPED_TEST(CmdTest, ReadsAnswerFactoryValuesAndPause) {
    double before = this->m_root.clock().sleptSeconds();
    EXPECT_EQ(50, this->get(1));
    EXPECT_NEAR(0.03, this->m_root.clock().sleptSeconds() - before, 1e-9);
    EXPECT_EQ(90, this->get(3));
    EXPECT_EQ(4, this->get(19));
    EXPECT_EQ(0, this->get(12));  // the detail's DNDefault
    EXPECT_EQ(50, this->get(58));
    EXPECT_EQ(18, this->get(60));
    int value = 0;
    EXPECT_EQ(0, this->quiet([&] { return this->m_camera.getParameterFromSensor(8, value); }));
    EXPECT_TRUE(this->frames().empty());
    int mirror = -1;
    this->quiet([&] { return this->m_camera.setParameter(4, 2); });
    EXPECT_EQ(1, this->m_camera.getMirrorValue(mirror));
    EXPECT_EQ(2, mirror);
}

TYPED_TEST(CmdTest, InitCompleteIsANoticeWithoutAnswer) {
    SimSerialPort* port = this->scripted();
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.NotifySensorInitComplate(); }));
    EXPECT_EQ(Frames{hex("81 01 04 22 FF")}, port->writes());
    port->setWriteLimit(3);
    double before = this->m_root.clock().sleptSeconds();
    EXPECT_EQ(0, this->quiet([&] { return this->m_camera.NotifySensorInitComplate(); }));
    EXPECT_TRUE(this->logged("send @NotifySensorInitComplate failed,nRet=3"));
    EXPECT_DOUBLE_EQ(1.0, this->m_root.clock().sleptSeconds() - before);
}

TYPED_TEST(CmdTest, AVideoStandardAlreadyInForceIsLeftAlone) {
    this->m_pModule->setRegister(0x72, this->m_camera.getSensorType() == 21 ? 0x0E : 6);
    EXPECT_EQ(1, this->quiet([&] {
        return this->m_camera.setSensorVideoSystem(0, VideoResolution(1920, 1080));
    }));
    EXPECT_TRUE(this->logged("Video system not change!"));
    EXPECT_EQ((Frames{"81 09 04 24 72 FF"}), this->frames());
    EXPECT_EQ(0, this->m_pModule->restarts());

    this->m_pModule->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, this->quiet([&] {
        return this->m_camera.setSensorVideoSystem(0, VideoResolution(1920, 1080));
    }));
    EXPECT_TRUE(this->logged("get sensor video system failed"));
}

TYPED_TEST(CmdTest, InitReadsTheSerialSettings) {
    // CMD8100_Old has no generation key; the others need it.
    bool generation = this->m_camera.getSensorType() != 24;
    EXPECT_EQ(generation ? 0 : 1, this->init("RS485=/dev/ttyAMA2;isInfrared=1"));
    if (generation) {
        EXPECT_TRUE(this->logged("get generation from detail failed"));
        EXPECT_EQ(1, this->init("RS485=/dev/ttyAMA2;isInfrared=1;generation=4"));
        EXPECT_TRUE(this->logged("m_nGeneration=4"));
        EXPECT_EQ(4, this->m_camera.getGeneration());
    }
    EXPECT_EQ("/dev/ttyAMA2", this->m_pModule->opened());
    EXPECT_EQ((std::vector<int>{9600, 8, 0, 0}), this->m_pModule->lineParameters());
    EXPECT_EQ(1, this->m_camera.m_nIsInfrared);
    EXPECT_EQ(0, this->init("RS485=/dev/ttyAMA2;generation=1"));
    EXPECT_TRUE(this->logged("get isInfrared from detail failed"));
    this->m_pModule->setOpenResult(-1);
    EXPECT_EQ(0, this->init("RS485=/dev/ttyAMA2;isInfrared=0;generation=1"));
    EXPECT_TRUE(this->logged("open uart (/dev/ttyAMA2) failed"));
}

// ---- Where the members differ ----

TEST_F(CMD7300Test, ImageSettingsScaleAndGroupAsTheModuleCounts) {
    expectCases({
        {1, 100, 1, {"81 01 04 4E 00 00 00 0E FF"}, nullptr},
        {2, 50, 1, {"81 01 04 42 00 00 00 07 FF"}, nullptr},
        {3, 90, 1, {"81 01 04 49 00 00 00 0C FF"}, nullptr},
        {0, 3, 1, {"81 01 04 39 A0 FF"}, nullptr},
        {14, 0, 1, {"81 01 04 2C 00 FF"}, nullptr},
        {14, 5, 1, {"81 01 04 2C 02 FF"}, nullptr},
        {14, 6, 1, {"81 01 04 2C 03 FF"}, nullptr},
        {14, 38, 1, {"81 01 04 2C 0F FF"}, nullptr},
        {17, 6, 1, {"81 01 04 58 05 FF"}, nullptr},
        {19, 9, 1, {"81 01 04 35 09 FF"}, nullptr},
        {20, 12, 1, {"81 01 04 A3 00 00 00 0C FF"}, nullptr},
        {16, 4, 1, {"81 01 04 28 00 00 00 04 FF"}, nullptr},
        {1, 101, 0, {}, "value 101 is out of range 0..100"},
        {14, 39, 0, {}, "value 39 is out of range 0..38"},
        {19, 5, 0, {}, "value 5 is out of range 0, 4 or 9"},
        {5, 4, 0, {}, "value 4 is out of range 5..17"},
        {0, 4, 0, {}, "setExposalMode error,value is 4"},
    });
    EXPECT_EQ(40, get(2));
    EXPECT_EQ(30, get(14));
    EXPECT_EQ(0, get(18));  // TNF mode: from the table
    IdManager* ids = m_camera.getIdManager();
    EXPECT_EQ(ID_TYPE_COMMON, ids->getIdType(0));
    EXPECT_EQ(ID_TYPE_COMMON, ids->getIdType(20));
    EXPECT_EQ(ID_TYPE_NONE, ids->getIdType(8));
    EXPECT_EQ(ID_TYPE_SET_ONLY, ids->getIdType(55));
    EXPECT_EQ(ID_TYPE_SET_ONLY, ids->getIdType(64));
}

TEST_F(CMD7300Test, GainIsTheAgcByteAndAFailedReadAnswersZero) {
    m_pModule->setGain(0x1A);
    int gain = -1;
    EXPECT_EQ(1, quiet([&] { return m_camera.getCurrentGain(gain); }));
    EXPECT_EQ(0x1A, gain);
    EXPECT_EQ((Frames{"81 09 04 4C FF"}), frames());
    m_pModule->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    double before = m_root.clock().sleptSeconds();
    EXPECT_EQ(1, quiet([&] { return m_camera.getCurrentGain(gain); }));
    EXPECT_EQ(0, gain);
    EXPECT_TRUE(logged("get AGC failed "));
    EXPECT_DOUBLE_EQ(3.0, m_root.clock().sleptSeconds() - before);
}

TEST_F(CMD7300Test, PalIsRegisterValueOneAndTheRestartFrameFollows) {
    m_pModule->setRegister(0x72, 0x0E);
    double before = m_root.clock().sleptSeconds();
    EXPECT_EQ(1, quiet([&] { return m_camera.setSensorVideoSystem(1, VideoResolution()); }));
    EXPECT_TRUE(logged("set video system,nValue=1,szRecv[3]=14"));
    EXPECT_TRUE(logged("Restarting sensor"));
    EXPECT_EQ((Frames{"81 09 04 24 72 FF", "81 01 04 24 72 01 01 FF", "FE 05 03 01 01 0A FF"}),
              frames());
    EXPECT_DOUBLE_EQ(20.0, m_root.clock().sleptSeconds() - before);
    EXPECT_EQ(1, m_pModule->restarts());
    m_root.clock().advance(21);
    EXPECT_EQ(1, quiet([&] { return m_camera.setSensorVideoSystem(1, VideoResolution()); }));
    EXPECT_TRUE(logged("Video system not change!"));

    // Any other standard: compared with 0, written as NTSC.
    EXPECT_EQ(1, quiet([&] { return m_camera.setSensorVideoSystem(2, VideoResolution()); }));
    EXPECT_TRUE(logged("set video system,nValue=0,szRecv[3]=1"));
}

TEST_F(CMD8100OldTest, NarrowerRangesAndItsOwnScalings) {
    expectCases({
        {1, 100, 1, {"81 01 04 4E 00 00 00 0C FF"}, nullptr},
        {2, 100, 1, {"81 01 04 42 00 00 00 0F FF"}, nullptr},
        {14, 2, 1, {"81 01 04 2C 02 FF"}, nullptr},
        {14, 5, 1, {"81 01 04 2C 04 FF"}, nullptr},
        {14, 28, 1, {"81 01 04 2C 0F FF"}, nullptr},
        {17, 3, 1, {"81 01 04 58 02 FF"}, nullptr},
        {0, 2, 1, {"81 01 04 39 0B FF"}, nullptr},
        {0, 3, 0, {}, "value 3 is out of range 0..2"},
        {7, 18, 0, {}, "value 18 is out of range 0..17"},
        {14, 29, 0, {}, "value 29 is out of range 0..28"},
        {17, 4, 0, {}, "value 4 is out of range 1..3"},
        {19, 9, 0, {}, "value 9 is out of range 0 or 4"},
        {20, 5, -1, {}, nullptr},  // no shutdown limit
    });
    EXPECT_EQ(55, get(2));
    EXPECT_EQ(17, get(5));
    EXPECT_EQ(0, get(13));
    EXPECT_EQ(28, get(14));
    EXPECT_EQ(1, get(18));  // this module has no TNF
    EXPECT_EQ(ID_TYPE_NONE, m_camera.getIdManager()->getIdType(20));
}

TEST_F(CMD8100OldTest, VideoStandardGoesThroughSetVideoSystem) {
    m_pModule->setRegister(0x72, 6);
    EXPECT_EQ(1, quiet([&] { return m_camera.setSensorVideoSystem(1, VideoResolution()); }));
    EXPECT_TRUE(logged("____set PAL"));
    EXPECT_EQ((Frames{"81 09 04 24 72 FF", "81 01 04 24 72 00 08 FF", "FE 05 03 01 01 0A FF"}),
              frames());
    EXPECT_EQ(1, quiet([&] { return m_camera.setVideoSystem(0); }));
    EXPECT_TRUE(logged("____set NTSC"));
    EXPECT_EQ(0, quiet([&] { return m_camera.setVideoSystem(3); }));
    EXPECT_EQ((Frames{"81 01 04 24 72 00 06 FF"}), frames());
}

TEST_F(CMD8100Test, MasksAreIdsAndTheVideoInquiryWaitsFirst) {
    EXPECT_EQ(-1, set(18, 0));  // no TNF mode
    EXPECT_EQ(1, set(65, 3));   // before init completes the region is only kept
    EXPECT_EQ(1, set(66, 0));
    EXPECT_EQ(1, set(67, 0));
    EXPECT_EQ(1, set(74, 0));
    EXPECT_EQ((Frames{"A1 01 03 FF", "A1 04 03 FF", "A1 20 04 FF"}), frames());
    EXPECT_EQ(ID_TYPE_SET_ONLY, m_camera.getIdManager()->getIdType(70));
    EXPECT_EQ(ID_TYPE_NONE, m_camera.getIdManager()->getIdType(18));

    m_pModule->setRegister(0x72, 6);
    double before = m_root.clock().sleptSeconds();
    EXPECT_EQ(1, quiet([&] { return m_camera.setSensorVideoSystem(5, VideoResolution()); }));
    EXPECT_EQ((Frames{"81 09 04 24 72 FF", "81 01 04 24 72 00 00 FF", "FE 05 03 01 01 0A FF"}),
              frames());
    EXPECT_NEAR(20.0001, m_root.clock().sleptSeconds() - before, 1e-9);
}

TEST_F(CMD8100Test, InitTurnsTheBrightnessControlOn) {
    EXPECT_EQ(1, init("RS485=/dev/ttyAMA1;isInfrared=0;generation=1"));
    EXPECT_EQ((Frames{"81 01 04 3E 02 FF"}), frames());
    m_pModule->injectFault(SimViscaCamera::FAULT_SYNTAX_ERROR, 3);
    EXPECT_EQ(1, init("RS485=/dev/ttyAMA1;isInfrared=0;generation=1"));
    EXPECT_TRUE(logged("Brightness on Failed."));
}

// The whole controller on the simulated module, its background thread
// stepped on the virtual clock.
TEST(CmdThread, ModuleSwitchingIsFollowedAndManualModesSwitchThePicture) {
    ScratchRoot root;
    layBoard(root, 1);
    SimCmdCamera* sim = new SimCmdCamera();
    sim->setRegister(0x72, 0x11);  // already PAL
    SafePointer<IUARTController> port(sim);
    std::unique_ptr<CMD7300SenseController> camera(new Owned<CMD7300SenseController>());
    camera->setOperator(port, SafePointer<IGPIO>(new SimGPIO()));
    testing::internal::CaptureStdout();
    ASSERT_EQ(1, camera->init(1,
                              ModuleConfigure(21, "RS485=/dev/ttyAMA1;isInfrared=0;generation=1",
                                              "RS485=9600,8,0,0"),
                              VideoResolution(1920, 1080)));
    ASSERT_TRUE(root.clock().settle(1));
    ASSERT_TRUE(root.clock().runFor(2, 1));
    // The factory day/night mode (0) is the module's own switching.
    EXPECT_EQ(4, camera->getCurrentDayNightMode());
    EXPECT_TRUE(sim->autoDayNight());
    EXPECT_EQ(1, sim->commandCount(0x22));
    sim->setSceneDark(true);
    ASSERT_TRUE(root.clock().runFor(1, 1));
    EXPECT_EQ(0, camera->getDNState());
    int autoFrames = sim->commandCount(0x51);

    camera->setParameter(12, 1);  // manual day
    ASSERT_TRUE(root.clock().runFor(1, 1));
    EXPECT_EQ(1, camera->getDNState());
    EXPECT_FALSE(sim->reportsNight());
    EXPECT_EQ(autoFrames + 1, sim->commandCount(0x51));  // 51 03: the module's switching off
    ASSERT_TRUE(root.clock().runFor(3, 1));
    EXPECT_EQ(autoFrames + 1, sim->commandCount(0x51));  // entered once
    camera.reset();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(root.clock().settle(0));
}
