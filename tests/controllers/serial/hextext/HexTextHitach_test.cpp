#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "HexTextRig.h"
#include "controllers/serial/hextext/CMD7200SenseController.h"
#include "controllers/serial/hextext/HitachSenseController.h"
#include "controllers/serial/hextext/SC110N_CSenseController.h"
#include "platform/PosixUARTController.h"
#include "sim/PtyBridge.h"
#include "support/HexBytes.h"

using namespace hextext;

namespace {

typedef std::vector<std::string> Frames;

class HitachTest : public testing::Test, public HexTextRig<HitachSenseController> {
protected:
    HitachTest() : HexTextRig(SimHexTextModule::HITACH) {}
};

class SC110NTest : public testing::Test, public HexTextRig<SC110N_CSenseController> {
protected:
    SC110NTest() : HexTextRig(SimHexTextModule::SC110N) {}
};

}  // namespace

TEST_F(HitachTest, PictureSettingsGoToThePictureModesRegisters) {
    cache(1, 50);
    cache(6, 0);
    cache(7, 28);
    cache(15, 0);
    EXPECT_EQ(1, set(4, 50));
    EXPECT_EQ(1, set(3, 100));
    EXPECT_EQ(1, set(16, 100));
    EXPECT_EQ(1, set(15, 1));  // brightness and gain follow to the new mode's registers
    EXPECT_EQ((Frames{":WFC1274", ":WFC136E", ":WFC145C", ":WFC10FF", ":WFC11FF", ":WFBFF02",
                      ":WFBF63F", ":WFF6002", ":WFDAE7F", ":wFD460380", ":WFF6D70"}),
              frames());
    cache(15, 1);
    EXPECT_EQ(1, set(1, 100));
    EXPECT_EQ(Frames{":WFDAEFF"}, frames());

    // Settings that depend on another parameter need it cached.
    camera.m_pSensorCache->clear();
    EXPECT_EQ(0, set(1, 10));
    EXPECT_TRUE(contains(out, "getParameter(15) failed")) << out;
    EXPECT_EQ(0, set(7, 64));
    EXPECT_TRUE(contains(out, "setMaxGain(64) is out of range 0..63")) << out;
    EXPECT_EQ(0, set(4, 0));
    EXPECT_TRUE(frames().empty());
}

TEST_F(HitachTest, CameraModeAndSensitivityShareRegisterFCC8) {
    cache(9, 3);
    cache(10, 5);
    EXPECT_EQ(1, set(6, 2));
    EXPECT_EQ(1, set(6, 3));
    EXPECT_EQ(1, set(6, 4));
    EXPECT_EQ(1, set(6, 0));
    EXPECT_EQ(1, set(6, 1));
    EXPECT_EQ((Frames{":WFCC820", ":WFCC831", ":WFCC807", ":WFCC907", ":WFCC800", ":WFFE6C0",
                      ":WFCC801", ":WFFE6C0"}),
              frames());
    EXPECT_EQ(1, camera.getCameraMode());

    struct Case {
        int nMode;
        int nSensitivity;
        const char* szSent;  // null: not sent in that mode
    } cases[] = {{3, 1, ":WFCC811"}, {3, 2, ":WFCC821"}, {2, 1, ":WFCC810"},
                 {2, 3, ":WFCC820"}, {0, 2, nullptr},    {4, 3, nullptr}};
    for (const Case& c : cases) {
        cache(6, c.nMode);
        EXPECT_EQ(1, set(9, c.nSensitivity));
        EXPECT_EQ(c.szSent != nullptr ? Frames{c.szSent} : Frames{}, frames()) << c.nMode;
    }
    // Modes where the module chooses leave gain and shutter alone; backlight
    // and wide dynamic range exclude each other.
    cache(6, 2);
    cache(8, 1);
    cache(11, 1);
    EXPECT_EQ(1, set(7, 20));
    EXPECT_EQ(1, set(10, 3));
    EXPECT_EQ(1, set(8, 1));
    EXPECT_EQ(1, set(11, 1));
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(0, set(6, 5));
    EXPECT_EQ(0, set(9, 0));
    EXPECT_EQ(1, camera.getCameraMode());  // the refused ones are not kept
}

TEST_F(HitachTest, TheCameraModeIsSetAgainEveryMinuteUntilTheControllerGoes) {
    std::unique_ptr<Open<HitachSenseController> > hitach(new Owned<Open<HitachSenseController> >());
    hitach->setOperator(port, SafePointer<IGPIO>(new SimGPIO()));
    hitach->m_SensorStatus = ISensorController::InitSuccess;
    out = console([&] {
        EXPECT_EQ(1, hitach->initController(7, ModuleConfigure(7, "RS485=/dev/ttyAMA1;isInfrared=0",
                                                               "RS485=9600,8,0,0")));
        EXPECT_TRUE(root.clock().settle(2));
    });
    EXPECT_EQ(Frames{":RFFE700"}, frames());  // the poll; no camera mode yet

    hitach->m_pSensorCache->setSensorValue(9, 2);
    out = console([&] { EXPECT_EQ(1, hitach->setParameterToSensor(6, 3)); });
    frames();
    out = console([&] { root.clock().runFor(60, 2); });
    Frames again = frames();
    EXPECT_EQ(1, std::count(again.begin(), again.end(), std::string(":WFCC821")));
    EXPECT_EQ(60, std::count(again.begin(), again.end(), std::string(":RFFE700")));

    // Destruction stops both threads first: nothing on the line after it.
    hitach.reset();
    root.clock().advance(120);
    EXPECT_TRUE(frames().empty());
}

TEST_F(HitachTest, OnlyThirdGenerationModulesHearInitComplete) {
    EXPECT_EQ(1, camera.NotifySensorInitComplate());
    EXPECT_TRUE(frames().empty());
    ASSERT_EQ(1, initWith("RS485=/dev/ttyAMA1;isInfrared=0;isThridGeneration=1"));
    EXPECT_EQ(1, camera.isThirdGeneration());
    out = console([&] { EXPECT_EQ(1, camera.NotifySensorInitComplate()); });
    Frames sent = frames();
    EXPECT_NE(sent.end(), std::find(sent.begin(), sent.end(), ":rE1ED0000"));
}

TEST_F(HitachTest, TheVideoStandardNeedsBothRegistersRight) {
    VideoResolution hd(1280, 720);
    out = console([&] { EXPECT_EQ(1, camera.setSensorVideoSystem(1, hd)); });
    EXPECT_EQ((Frames{":R170100", ":RFCC000"}), frames());
    out =
        console([&] { EXPECT_EQ(1, camera.setSensorVideoSystem(0, VideoResolution(1280, 960))); });
    EXPECT_EQ((Frames{":R170100", ":RFCC000", ":W1701FF", ":WFCC001", ":WFCAC00"}), frames());
    EXPECT_TRUE(contains(out, "video system change!")) << out;
    EXPECT_EQ(1, camera.setSensorVideoSystem(2, hd));
    EXPECT_TRUE(frames().empty());
    module->injectFault(SimHexTextModule::FAULT_SILENT, 3);
    out = console([&] { EXPECT_EQ(0, camera.setSensorVideoSystem(1, hd)); });
    EXPECT_TRUE(contains(out, "get video system 1 failed")) << out;
}

TEST_F(HitachTest, TheDayNightPollFollowsTheModuleAndBacksOffWhenItMakesNoSense) {
    ASSERT_EQ(1, initWith("RS485=/dev/ttyAMA1;isInfrared=0"));
    ASSERT_TRUE(root.clock().settle(2));
    EXPECT_EQ(1, camera.m_nDNState);
    EXPECT_TRUE(camera.isPolling());

    GlobalEnv::getInstance()->setPrintFlag(true);
    module->setDayNight(false);
    out = console([&] {
        root.clock().advance(1);
        ASSERT_TRUE(root.clock().settle(2));
    });
    EXPECT_TRUE(contains(out, "nGetValue=0")) << out;
    EXPECT_EQ(0, camera.m_nDNState);

    auto poll = [&](double p_dSeconds) {
        frames();
        out = console([&] { root.clock().runFor(p_dSeconds, 2); });
        return frames().size();
    };
    module->setRegister(SimHexTextModule::REG_DAYNIGHT, 2);
    EXPECT_EQ(1u, poll(1));
    EXPECT_TRUE(contains(out, "get nGetValue failed ,nGetValue = 2")) << out;
    EXPECT_EQ(0u, poll(2));  // three seconds to the next poll
    module->setSilent(true);
    EXPECT_EQ(3u, poll(1));  // one poll, three tries
    EXPECT_TRUE(contains(out, "recvData @getDNbody failed")) << out;
    EXPECT_EQ(0u, poll(2));
    module->setSilent(false);
    module->setDayNight(true);
    EXPECT_EQ(1u, poll(1));
    EXPECT_EQ(1, camera.m_nDNState);
}

TEST_F(SC110NTest, NoiseReductionMasksAndGain) {
    cache(18, 8);
    EXPECT_EQ(1, set(17, 4));  // the strongest applies the manual level too
    EXPECT_EQ(1, set(17, 0));
    EXPECT_EQ(1, set(18, 15));
    EXPECT_EQ((Frames{":WFF4A01", ":WFF4B03", ":WFF4F08", ":WFF4A00", ":WFF4F0F"}), frames());
    GlobalEnv::getInstance()->setPrintFlag(true);
    EXPECT_EQ(0, set(17, 5));
    EXPECT_TRUE(contains(out, "p_nNRMode(5) out of range")) << out;
    EXPECT_EQ(0, set(18, 16));
    EXPECT_TRUE(contains(out, "p_nManualNR(16) out of range")) << out;

    cache(15, 0);
    EXPECT_EQ(1, set(1, 60));
    EXPECT_TRUE(contains(out, "set brightness 60")) << out;
    frames();

    // The region is remembered until initialisation completes, then selected.
    EXPECT_EQ(1, set(19, 3));
    EXPECT_EQ(1, set(22, 0));
    camera.m_bInitFinished = true;
    EXPECT_EQ(1, set(19, 2));
    EXPECT_EQ(1, set(25, 0));
    EXPECT_EQ(-1, set(21, 0));
    EXPECT_EQ((Frames{hex("A1 04 03 FF"), hex("A1 00 02 FF"), hex("A1 07 02 FF")}), frames());

    module->setRegister(SimHexTextModule::REG_GAIN, 0x0123);
    int gain = 0;
    EXPECT_EQ(1, camera.getCurrentGain(gain));
    EXPECT_EQ(9, gain);  // 291 / 32
    module->setSilent(true);
    out = console([&] { EXPECT_EQ(0, camera.getCurrentGain(gain)); });
    EXPECT_TRUE(contains(out, "recvData @getDNbody failed")) << out;
    EXPECT_EQ(9, gain);
}

// What the setters announced of every value is announced of a refused one
// too, before the line that refuses it; a cached level past its range stops
// the noise reduction where a write of it would stop.
TEST_F(SC110NTest, RefusedValuesAreAnnouncedAndCachedOnesCheckedLikeWrites) {
    EXPECT_EQ(0, set(1, 101));
    EXPECT_LT(out.find("set brightness 101"), out.find("setBrightness(101) is out of range 0..100"))
        << out;

    GlobalEnv::getInstance()->setPrintFlag(true);
    EXPECT_EQ(0, set(16, 101));
    EXPECT_LT(out.find("setHoriSharpness 101"),
              out.find("setHoriSharpness(101) is out of range 0..100"))
        << out;

    cache(18, 16);
    EXPECT_EQ(0, set(17, 4));
    EXPECT_EQ((Frames{":WFF4A01", ":WFF4B03"}), frames());  // no manual level past 15
    EXPECT_TRUE(contains(out, "setManualNR(16) is out of range 0..15")) << out;
    EXPECT_TRUE(contains(out, "p_nManualNR(16) out of range")) << out;
    EXPECT_TRUE(contains(out, "setNRMode(4) failed")) << out;

    out = console([&] { EXPECT_EQ(0, camera.setFocusMode(5)); });
    EXPECT_TRUE(contains(out, "setFocusMode(5) is out of range 0..4")) << out;
    EXPECT_TRUE(frames().empty());
}

TEST_F(SC110NTest, AVideoStandardChangeIsSavedAndWaitedFor) {
    out = console([&] { EXPECT_EQ(1, camera.setSensorVideoSystem(0, VideoResolution())); });
    EXPECT_EQ((Frames{":R170100", ":W1701FF", ":WFCAC00"}), frames());
    EXPECT_NEAR(20.0, root.clock().sleptSeconds(), 1e-9);
    out = console([&] { EXPECT_EQ(1, camera.setSensorVideoSystem(0, VideoResolution())); });
    EXPECT_EQ(Frames{":R170100"}, frames());
    out = console([&] { EXPECT_EQ(0, camera.setSensorVideoSystem(3, VideoResolution())); });
    EXPECT_TRUE(contains(out, "setSensorVideoSystem is out of range")) << out;
    // The read takes a changed value, then no write is echoed right.
    module->injectFault(SimHexTextModule::FAULT_CHANGED_CHARACTER, 4);
    out = console([&] { EXPECT_EQ(0, camera.setSensorVideoSystem(1, VideoResolution())); });
    EXPECT_TRUE(contains(out, "setSensorVideoSystem failed")) << out;
}

TEST_F(SC110NTest, InitReadsTheDetailOpensThePortAndStartsPolling) {
    ASSERT_EQ(1, initWith("RS485=/dev/ttyAMA1;isInfrared=1;GPIO=1,4,0"));
    EXPECT_EQ("/dev/ttyAMA1", module->opened());
    EXPECT_EQ((std::vector<int>{9600, 8, 0, 0}), module->lineParameters());
    EXPECT_EQ(4, camera.getGPIO().nBit);
    EXPECT_TRUE(camera.isPolling());
    int mode = -1;
    EXPECT_EQ(1, camera.getParameterFromSensor(6, mode));
    EXPECT_EQ(0, mode);  // with infrared

    struct Case {
        const char* szDetail;
        const char* szParameters;
        const char* szMessage;
    } cases[] = {
        {"isInfrared=0;GPIO=1,2,0", "RS485=9600,8,0,0", "get RS232DeviceName from detail failed"},
        {"RS485=/dev/x;GPIO=1,2,0", "RS485=9600,8,0,0", "get isInfrared from detail failed"},
        {"RS485=/dev/x;isInfrared=0", "RS485=9600,8,0,0", "get GPIO from detail failed"},
        {"RS485=/dev/x;isInfrared=0;GPIO=1,2", "RS485=9600,8,0,0",
         "parse GPIO param failed,nRet=2"},
        {"RS485=/dev/x;isInfrared=0;GPIO=1,2,0", "RS485=9600,8", "parse RS485 param failed,nRet=2"},
        {"RS485=/dev/x;isInfrared=0;GPIO=1,2,0", "RS232=9600",
         "get RS232Parameter from senseParameter failed"},
    };
    for (const Case& c : cases) {
        Owned<Open<SC110N_CSenseController> > other;
        other.setOperator(port, SafePointer<IGPIO>(new SimGPIO()));
        int result = 1;
        out = console([&] {
            result = other.initController(23, ModuleConfigure(23, c.szDetail, c.szParameters));
        });
        EXPECT_EQ(0, result) << c.szMessage;
        EXPECT_TRUE(contains(out, c.szMessage)) << out;
        EXPECT_FALSE(other.isPolling());
    }
}

TEST_F(SC110NTest, AnUnopenablePortFailsTheInitialisation) {
    module->setOpenResult(-1);
    EXPECT_EQ(0, initWith("RS485=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0"));
    EXPECT_TRUE(contains(out, "open UART(/dev/ttyAMA1) failed")) << out;
    EXPECT_FALSE(camera.isPolling());
}

// The whole way through the real serial port: termios on a pseudo-terminal
// with the simulated module behind it, the poll running beside the host's
// settings on the one line.
TEST(HexTextRealPort, AModuleOnAPseudoTerminalIsDrivenThroughTermios) {
    ScratchRoot root;
    SimHexTextModule* module = new SimHexTextModule(SimHexTextModule::CMD7200);
    SafePointer<IUARTController> simulator(module);
    PtyBridge bridge(*module);
    ASSERT_TRUE(bridge.start());
    root.makeDir("/dev");
    ASSERT_EQ(0, symlink(bridge.slavePath().c_str(), root.path("/dev/ttyAMA1").c_str()));
    {
        Owned<Open<CMD7200SenseController> > camera;
        camera.setOperator(SafePointer<IUARTController>(new PosixUARTController()),
                           SafePointer<IGPIO>(new SimGPIO()));
        std::string out = console([&] {
            ASSERT_EQ(
                1, camera.initController(22, ModuleConfigure(22, "RS485=/dev/ttyAMA1;isInfrared=0",
                                                             "RS485=9600,8,0,0")));
            camera.m_SensorStatus = ISensorController::InitSuccess;
            module->setDayNight(false);
            for (int value = 0; value <= 100; value += 20) {
                EXPECT_EQ(1, camera.setParameterToSensor(1, value));
                root.clock().advance(1);  // a poll between settings
            }
            EXPECT_EQ(1, camera.setSensorVideoSystem(0, VideoResolution()));
        });
        EXPECT_EQ(0xFF, module->registerValue(0xFD9E)) << out;
        EXPECT_EQ(0x03, module->registerValue(0xFFFE));
        // The poll crosses the pseudo-terminal in real time and may miss a
        // turn on a loaded machine (3 s pause): poll after poll until it
        // has read the night, with a generous bound.
        for (int second = 0; second < 60 && camera.m_nDNState != 0; ++second) {
            root.clock().advance(1);
            root.clock().settle(1);
        }
        EXPECT_EQ(0, camera.m_nDNState);
    }
    bridge.stop();
    for (const std::string& frame : module->received()) {
        EXPECT_TRUE(frame == ":RFFE700" || frame.compare(0, 2, ":W") == 0 || frame == ":RFFFE00")
            << frame;  // whole frames only: nothing interleaved
    }
}
