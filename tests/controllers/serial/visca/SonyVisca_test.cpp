#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "controllers/serial/visca/SONYCH3310SenseController.h"
#include "controllers/serial/visca/SONYCV7500SenseController.h"
#include "controllers/serial/visca/SONYEH4300SenseController.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

namespace {

typedef std::vector<std::string> Frames;

bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

// A member with its protected state open to the tests.
template <class T>
class Open : public T {
public:
    using ISensorController::m_nIsInfrared;
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pSensorCache;
    using ISensorController::m_SensorStatus;
    using T::m_nVideoSystemChanged;
};

// A member ready for parameter access, talking to the simulated camera. A
// single read takes only the acknowledgement and leaves the completion in the
// line for the next exchange, so the camera sends none unless a test wants it.
template <class T>
class SonyMemberTest : public testing::Test {
protected:
    SonyMemberTest() {
        m_pVisca->setSendCompletions(false);
        m_camera.setOperator(m_port, m_gpio);
        m_camera.m_nUARTIndex = 0;
        m_camera.m_SensorStatus = ISensorController::InitSuccess;
    }

    // Every frame the camera took since the last call, as text.
    Frames frames() {
        Frames result;
        for (const auto& frame : m_pVisca->received()) {
            result.push_back(text(frame));
        }
        m_pVisca->clearReceived();
        return result;
    }

    // Runs p_call with the console captured into m_strOut.
    int quiet(const std::function<int()>& p_call) {
        testing::internal::CaptureStdout();
        int result = p_call();
        m_strOut = testing::internal::GetCapturedStdout();
        return result;
    }

    int set(int p_nId, int p_nValue) {
        return quiet([&] { return m_camera.setParameterToSensor(p_nId, p_nValue); });
    }

    int get(int p_nId) {
        int value = -99;
        quiet([&] { return m_camera.getParameterFromSensor(p_nId, value); });
        return value;
    }

    void cache(int p_nId, int p_nValue) {
        m_camera.m_pSensorCache->setSensorValue(p_nId, p_nValue);
    }

    // Swaps the camera for a scripted port that checks every byte.
    SimSerialPort* scripted() {
        SimSerialPort* port = new SimSerialPort();
        m_camera.setOperator(SafePointer<IUARTController>(port), m_gpio);
        return port;
    }

    int init(const std::string& p_strParameters = "RS485=9600,8,0,0") {
        ModuleConfigure config(0, "RS485=/dev/ttyAMA1;isInfrared=0", p_strParameters);
        return quiet([&] { return m_camera.initController(0, config); });
    }

    ScratchRoot m_root;
    SimViscaCamera* m_pVisca = new SimViscaCamera();
    SafePointer<IUARTController> m_port{m_pVisca};
    SafePointer<IGPIO> m_gpio{new SimGPIO()};
    Open<T> m_camera;
    std::string m_strOut;
};

typedef testing::Types<SONYCH3310SenseController, SONYCV7500SenseController,
                       SONYEH4300SenseController>
    Members;
TYPED_TEST_SUITE(SonyMemberTest, Members);

class CH3310Test : public SonyMemberTest<SONYCH3310SenseController> {};
class CV7500Test : public SonyMemberTest<SONYCV7500SenseController> {};
class EH4300Test : public SonyMemberTest<SONYEH4300SenseController> {};

}  // namespace

// ---- What every member shares ----

TYPED_TEST(SonyMemberTest, AcknowledgementIsOneThreeByteReadOfAckOrCompletion) {
    SimSerialPort* port = this->scripted();
    const std::string frame = hex("81 01 04 42 00 00 00 0F FF");
    auto send = [&] {
        return this->quiet([&] { return this->m_camera.setParameterValue(frame.data(), 9); });
    };
    port->scriptAnswer(hex("90 41 FF"));
    EXPECT_EQ(1, send());
    port->scriptAnswer(hex("90 51 FF"));  // a completion counts as well
    EXPECT_EQ(1, send());
    EXPECT_EQ(2u, port->writes().size());

    // A refusal with a byte left over, a garbled answer, then silence: three
    // attempts, each followed by an emptied port.
    port->scriptAnswer(hex("90 60 02 FF 90"));
    port->scriptAnswer(hex("90 4F FF"));
    EXPECT_EQ(0, send());
    EXPECT_EQ(5u, port->writes().size());
    EXPECT_EQ(0u, port->pendingBytes());
    EXPECT_TRUE(
        contains(this->m_strOut, "===setParameterValue(2 times) recv error,recv:0x90,0x4f,0xff"));
    EXPECT_TRUE(contains(this->m_strOut, "===recv(3 times) @setParameterValue failed,send:"));

    port->setWriteLimit(4);
    EXPECT_EQ(0, send());
    EXPECT_TRUE(contains(this->m_strOut, "===send(1 times) @setParameterValue failed,send(4):"));
    EXPECT_EQ(8u, port->writes().size());
}

TYPED_TEST(SonyMemberTest, InquiryRepliesComeFromOneReadOfTheirLength) {
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
    // A reply that trickles in is not pieced together.
    port->setShortRead(3);
    for (int i = 0; i < 3; ++i) {
        port->scriptAnswer(hex("90 50 00 06 FF"));
    }
    EXPECT_EQ(0, ask());
    EXPECT_EQ(4u, port->writes().size());
    EXPECT_EQ(hex("90 50 00 08 FF"), std::string(reply, 5));
}

TYPED_TEST(SonyMemberTest, PictureSwitchesDriveTheIrCutFilterOrTheLampBoard) {
    double before = this->m_root.clock().sleptSeconds();
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.turnPictureToNight(); }));
    EXPECT_TRUE(this->m_pVisca->irCutNight());
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.turnPictureToDay(); }));
    EXPECT_FALSE(this->m_pVisca->irCutNight());
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.enterAutoMode(); }));
    EXPECT_EQ((Frames{"81 01 04 01 02 FF", "81 01 04 51 03 FF", "81 01 04 01 03 FF",
                      "81 01 04 51 03 FF", "81 01 04 01 03 FF", "81 01 04 51 02 FF"}),
              this->frames());
    EXPECT_DOUBLE_EQ(3.0, this->m_root.clock().sleptSeconds() - before);

    this->m_camera.m_nIsInfrared = 1;
    this->quiet([&] { return this->m_camera.turnPictureToNight(); });
    EXPECT_EQ(1, this->m_pVisca->irBoardMode());
    this->quiet([&] { return this->m_camera.turnPictureToDay(); });
    EXPECT_EQ(2, this->m_pVisca->irBoardMode());
    this->quiet([&] { return this->m_camera.enterAutoMode(); });
    EXPECT_EQ(0, this->m_pVisca->irBoardMode());
}

TYPED_TEST(SonyMemberTest, AVideoStandardChangeRewritesTheRegisterAndRestarts) {
    const VideoResolution resolution(1920, 1080);
    this->m_pVisca->setSendCompletions(true);  // left over, and still no harm
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.setSensorVideoSystem(0, resolution); }));
    EXPECT_TRUE(contains(this->m_strOut, "Video system not change!"));
    EXPECT_EQ(0, this->m_pVisca->restarts());

    double before = this->m_root.clock().sleptSeconds();
    EXPECT_EQ(1, this->quiet([&] { return this->m_camera.setSensorVideoSystem(1, resolution); }));
    EXPECT_TRUE(contains(this->m_strOut, "____set PAL"));
    EXPECT_EQ(1, this->m_pVisca->restarts());
    EXPECT_GE(this->m_root.clock().sleptSeconds() - before, 20.0);
    this->m_root.clock().advance(1);
    EXPECT_EQ(8, this->m_pVisca->registerValue(0x72));  // in force after the restart
    EXPECT_EQ(hex("72 00 08"), this->m_pVisca->commandParameters(0x24));
}

TYPED_TEST(SonyMemberTest, ReadsAnswerFactoryDefaultsOnlyOnceInitialised) {
    EXPECT_EQ(70, this->get(1));
    EXPECT_EQ(-1, this->get(17));
    EXPECT_EQ(7, this->get(34));
    this->m_camera.m_nIsInfrared = 1;
    EXPECT_EQ(14, this->get(34));
    EXPECT_EQ(1, this->get(26));
    int value = 0;
    EXPECT_EQ(0, this->quiet([&] { return this->m_camera.getParameterFromSensor(69, value); }));
    EXPECT_TRUE(this->frames().empty());

    this->m_camera.m_SensorStatus = 0;
    EXPECT_EQ(0, this->set(1, 50));
    EXPECT_TRUE(contains(this->m_strOut, "m_BaseSensorStatus != ISensorController::InitSuccess!"));
    EXPECT_TRUE(this->frames().empty());
}

// Each member keeps its brightness under an id of its own; a host finds it
// by its role and moves the exposure compensation with it.
TYPED_TEST(SonyMemberTest, TheBrightnessRoleLeadsToTheExposureCompensation) {
    ParameterDescriptor found;
    ParameterDescriptor descriptor;
    int count = 0;
    for (int after = INT_MIN; this->m_camera.getNextParameterDescriptor(after, descriptor);
         after = descriptor.nId) {
        if (descriptor.eRole == ParameterRole::BRIGHTNESS) {
            found = descriptor;
            ++count;
        }
    }
    ASSERT_EQ(1, count);
    this->cache(10, 0);
    EXPECT_EQ(1, this->set(found.nId, found.nMax));
    EXPECT_EQ((Frames{"81 01 04 3E 02 FF", "81 01 04 4E 00 00 00 0E FF"}), this->frames());
    EXPECT_EQ(0, this->set(found.nId, found.nMax + 1));
    EXPECT_TRUE(this->frames().empty());
    EXPECT_EQ(found.nFactory, this->get(found.nId));
}

// ---- CH3310 ----

TEST_F(CH3310Test, IrisBrightnessAndPowerModeSitWhereThisModuleKeepsThem) {
    cache(10, 1);
    m_pVisca->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, set(12, 16));
    EXPECT_TRUE(contains(m_strOut, "setIris error,value is 16")) << m_strOut;
    EXPECT_EQ(Frames(3, "81 01 04 4B 00 00 01 00 FF"), frames());

    cache(10, 0);
    EXPECT_EQ(1, set(52, 50));  // brightness through exposure compensation 7
    EXPECT_EQ((Frames{"81 01 04 3E 02 FF", "81 01 04 4E 00 00 00 07 FF"}), frames());
    EXPECT_EQ(50, get(52));

    m_camera.m_nIsInfrared = 1;
    EXPECT_EQ(1, set(56, 1));
    EXPECT_EQ(1, m_pVisca->lampValue(0x01));
    EXPECT_EQ(0, get(56));

    for (int id : {53, 54, 55, 64, 65, 66, 67, 68}) {
        EXPECT_EQ(0, set(id, 1)) << id;
    }
    EXPECT_EQ(1u, frames().size());  // the power-mode frame only
    IdManager* ids = m_camera.getIdManager();
    EXPECT_EQ(ID_TYPE_SET_ONLY, ids->getIdType(37));
    EXPECT_EQ(ID_TYPE_COMMON, ids->getIdType(52));
    EXPECT_EQ(ID_TYPE_NONE, ids->getIdType(53));
}

TEST_F(CH3310Test, SyncCheckKeepsSwitchesOrRefusesTheModule) {
    EXPECT_EQ(1, init());
    EXPECT_TRUE(contains(m_strOut, "it's inter-sync"));
    EXPECT_TRUE(contains(m_strOut, "RS485(/dev/ttyAMA1) param is (9600,8,0,0)"));
    EXPECT_EQ((Frames{"81 09 04 24 56 FF"}), frames());
    EXPECT_EQ((std::vector<int>{9600, 8, 0, 0}), m_pVisca->lineParameters());

    // External sync: switched to internal, and the start-up restart follows
    // even though the video standard is right.
    m_pVisca->setRegister(0x56, 0);
    EXPECT_EQ(1, init());
    EXPECT_TRUE(contains(m_strOut, "Open inter-sync"));
    EXPECT_EQ(1, m_pVisca->registerValue(0x56));
    EXPECT_EQ(1, m_camera.m_nVideoSystemChanged);
    quiet([&] { return m_camera.setSensorVideoSystem(0, VideoResolution(1920, 1080)); });
    EXPECT_EQ(1, m_pVisca->restarts());

    m_pVisca->setRegister(0x56, 7);
    EXPECT_EQ(0, init());
    EXPECT_TRUE(contains(m_strOut, "get sync error!"));

    frames();
    m_pVisca->injectFault(SimViscaCamera::FAULT_SILENT, 6);
    EXPECT_EQ(0, init());
    EXPECT_TRUE(contains(m_strOut, "get sync failed"));
    EXPECT_EQ(Frames(6, "81 09 04 24 56 FF"), frames());

    EXPECT_EQ(0, init("RS232=9600,8,0,0"));
    EXPECT_TRUE(contains(m_strOut, "get RS485Parameter from senseParameter failed"));
}

// ---- CV7500 ----

TEST_F(CV7500Test, StabilizerAndDefogUseTheirOwnFramesAndDefogNeedsAutoExposure) {
    EXPECT_EQ(1, set(56, 2));
    EXPECT_EQ(0, set(56, 1));
    cache(10, 1);
    EXPECT_EQ(1, set(57, 2));  // manual exposure: accepted, not sent
    EXPECT_EQ(0, set(57, 4));
    EXPECT_TRUE(contains(m_strOut, "p_nDefog(4) is out of range"));
    cache(10, 0);
    EXPECT_EQ(1, set(57, 3));
    EXPECT_EQ((Frames{"81 01 04 34 02 FF", "81 01 04 37 03 00 FF"}), frames());

    m_pVisca->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, set(57, 2));
    EXPECT_TRUE(contains(m_strOut, "setDefog failed"));
    EXPECT_EQ(3, get(56));
    EXPECT_EQ(3, get(57));
}

TEST_F(CV7500Test, EnhancerFrameCarriesLevelCompensationAndCompensationLevel) {
    EXPECT_EQ(1, set(44, 5));  // the other two unknown yet: nothing to send
    EXPECT_TRUE(frames().empty());
    cache(44, 5);
    cache(40, 2);
    cache(39, 1);
    EXPECT_EQ(1, set(44, 6));
    EXPECT_EQ(1, set(40, 3));
    EXPECT_EQ(1, set(39, 2));
    EXPECT_EQ(
        (Frames{"81 01 04 2D 00 06 02 01 00 00 00 00 FF", "81 01 04 2D 00 05 03 01 00 00 00 00 FF",
                "81 01 04 2D 00 05 02 02 00 00 00 00 FF"}),
        frames());
    EXPECT_EQ(0, set(44, 7));
    EXPECT_TRUE(contains(m_strOut, "p_nBrightLevel(7) is out of range"));
    EXPECT_EQ(0, set(40, 4));
    EXPECT_TRUE(contains(m_strOut, "p_nBrightCompens(4) is out of range"));
    EXPECT_EQ(0, set(39, 3));
    EXPECT_TRUE(contains(m_strOut, "p_nSens(3) is out of range"));
    EXPECT_TRUE(frames().empty());
}

TEST_F(CV7500Test, LightScheduleAndPowerIdsAreRenumbered) {
    m_camera.m_nIsInfrared = 1;
    EXPECT_EQ(1, set(59, 30));
    EXPECT_EQ(1, set(61, 70));
    EXPECT_EQ(1, set(66, 1));
    EXPECT_EQ(30, m_pVisca->lampValue(0x06));
    EXPECT_EQ(70, m_pVisca->lampValue(0x08));
    EXPECT_EQ(1, m_pVisca->lampValue(0x01));
    EXPECT_EQ(1, set(62, 7));
    EXPECT_TRUE(contains(m_strOut, "set NTD time:"));
    EXPECT_EQ(1, set(64, 19));
    EXPECT_TRUE(contains(m_strOut, "set DTN time:"));
    EXPECT_EQ(6, get(62));   // NTD hour
    EXPECT_EQ(18, get(64));  // DTN hour

    cache(10, 0);
    frames();
    EXPECT_EQ(1, set(58, 100));  // brightness: exposure compensation 14
    EXPECT_EQ((Frames{"81 01 04 3E 02 FF", "81 01 04 4E 00 00 00 0E FF"}), frames());
    for (int id : {22, 38, 41, 51}) {
        EXPECT_EQ(0, set(id, 1)) << id;
    }
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(ID_TYPE_SET_ONLY, m_camera.getIdManager()->getIdType(67));
    EXPECT_EQ(ID_TYPE_NONE, m_camera.getIdManager()->getIdType(22));
}

TEST_F(CV7500Test, PointLightFocusOpensOnceAndRestoresTheHostsFocus) {
    double before = m_root.clock().sleptSeconds();
    EXPECT_EQ(1, set(67, 1));
    EXPECT_TRUE(m_camera.isPointLightFocusOpen());
    EXPECT_EQ(1, set(67, 1));  // already open
    EXPECT_EQ((Frames{"81 01 04 58 03 FF", "81 01 04 38 03 FF", "81 01 04 18 01 FF"}), frames());
    EXPECT_NEAR(0.09, m_root.clock().sleptSeconds() - before, 1e-9);

    cache(30, 2);  // the host runs manual focus
    EXPECT_EQ(1, set(68, 1));
    EXPECT_FALSE(m_camera.isPointLightFocusOpen());
    EXPECT_EQ(1, set(68, 1));  // already closed
    EXPECT_EQ((Frames{"81 01 04 58 02 FF", "81 01 04 38 03 FF"}), frames());

    m_pVisca->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, set(67, 1));
    EXPECT_TRUE(contains(m_strOut, "setPointLightFocusMode failed"));
    EXPECT_FALSE(m_camera.isPointLightFocusOpen());
}

TEST_F(CV7500Test, InitReadsTheLineWithoutASyncCheck) {
    EXPECT_EQ(1, init("RS485=19200,8,0,1"));
    EXPECT_EQ("/dev/ttyAMA1", m_pVisca->opened());
    EXPECT_EQ((std::vector<int>{19200, 8, 1, 0}), m_pVisca->lineParameters());
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(0, init("RS485=9600,8"));
    EXPECT_TRUE(contains(m_strOut, "parse RS485 param failed,nRet=2"));
    EXPECT_EQ(0, init("RS232=9600,8,0,0"));
    EXPECT_TRUE(contains(m_strOut, "get RS232Parameter from senseParameter failed"));
}

// ---- EH4300 ----

TEST_F(EH4300Test, IrisAndFocusStepsAndMasksShareTheLine) {
    EXPECT_EQ(1, set(52, 0));  // iris steps need iris priority
    cache(10, 3);
    EXPECT_EQ(1, set(52, 0));
    EXPECT_EQ(1, set(53, 0));
    EXPECT_EQ(1, set(54, 0));
    EXPECT_EQ(1, set(55, 0));
    EXPECT_EQ((Frames{"81 01 04 0B 02 FF", "81 01 04 0B 03 FF", "81 01 04 08 03 FF",
                      "81 01 04 08 02 FF"}),
              frames());
    EXPECT_EQ(0, set(65, 1));
    EXPECT_EQ(50, get(56));
    EXPECT_EQ(0, get(64));

    m_camera.setRegion(2);
    EXPECT_EQ(1, quiet([&] { return m_camera.showMask(); }));
    EXPECT_EQ((Frames{"A1 04 02 FF"}), frames());
}

TEST_F(EH4300Test, SyncCheckIsTracedAndSwitchesAnExternallySyncedModule) {
    m_pVisca->setRegister(0x56, 0);
    EXPECT_EQ(1, init());
    EXPECT_TRUE(contains(m_strOut, "_szRecv[3]=0"));
    EXPECT_TRUE(contains(m_strOut, "Open inter-sync"));
    EXPECT_EQ((Frames{"81 09 04 24 56 FF", "81 01 04 24 56 00 01 FF"}), frames());
    m_pVisca->setRegister(0x56, 2);
    EXPECT_EQ(0, init());
    EXPECT_TRUE(contains(m_strOut, "get sync error!"));
}
