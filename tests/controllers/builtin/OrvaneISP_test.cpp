#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "controllers/builtin/OrvaneISPSenseController.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/ScratchRoot.h"

namespace {

// Ready for parameter access without a boot, with its state open to the
// tests; it records every HDR mode applied and can refuse them.
class Camera : public OrvaneISPSenseController {
public:
    Camera() : OrvaneISPSenseController(88) { m_SensorStatus = InitSuccess; }

    int updateHDRMode(int p_nMode) override {
        hdrModes.push_back(p_nMode);
        return refuseHDR ? 0 : OrvaneISPSenseController::updateHDRMode(p_nMode);
    }

    std::vector<int> hdrModes;
    bool refuseHDR = false;

    using ISensorController::m_bBulkUpdate;
    using ISensorController::m_bNewInfrared;
    using ISensorController::m_DNLevelGpio;
    using ISensorController::m_InfraredLightGpio;
    using ISensorController::m_nConfigVersion;
    using ISensorController::m_nConfigVersion2;
    using ISensorController::m_nDNState;
    using ISensorController::m_nHDRMode;
    using ISensorController::m_nTNF;
    using ISensorController::m_pSensorCache;
    using OrvaneISPSenseController::m_nAutoIris;
    using OrvaneISPSenseController::m_nHDRCapability;
    using OrvaneISPSenseController::m_nMirrorMode;
    using OrvaneISPSenseController::m_nShutterMode;
    using OrvaneISPSenseController::m_nWBWord;
};

template <class F>
std::string captured(F p_function) {
    testing::internal::CaptureStdout();
    p_function();
    return testing::internal::GetCapturedStdout();
}

// Everything a refused value must leave as it was.
std::vector<int> stateOf(Camera& p_camera) {
    return {p_camera.getWBWord(),    p_camera.getHDRWord(),  p_camera.getNRWord(),
            p_camera.m_nShutterMode, p_camera.m_nMirrorMode, p_camera.m_nHDRMode};
}

// Gives the camera a simulated GPIO (and a serial port it never uses).
SimGPIO* wireGpio(Camera& p_camera) {
    SimGPIO* gpio = new SimGPIO();
    p_camera.setOperator(SafePointer<IUARTController>(new SimSerialPort()),
                         SafePointer<IGPIO>(gpio));
    return gpio;
}

// Every GPIO write in order, as "group.pin=level ".
std::string writesOf(SimGPIO* p_pGpio) {
    std::string text;
    for (const SimGPIO::Write& write : p_pGpio->writes()) {
        text += std::to_string(write.nGroup) + "." + std::to_string(write.nPin) + "=" +
                std::to_string(write.nLevel) + " ";
    }
    return text;
}

class OrvaneISPTest : public testing::Test {
protected:
    int set(int p_nId, int p_nValue, std::string* p_pOut = nullptr) {
        int result = -99;
        std::string out =
            captured([&] { result = m_camera.setParameterToSensor(p_nId, p_nValue); });
        if (p_pOut != nullptr) {
            *p_pOut = out;
        }
        return result;
    }

    int get(int p_nId, int& p_nValue) { return m_camera.getParameterFromSensor(p_nId, p_nValue); }

    ScratchRoot m_root;
    Camera m_camera;
};

}  // namespace

TEST_F(OrvaneISPTest, BitFieldsAreExactUpToBit31AndRefuseBadBounds) {
    int word = 0;
    EXPECT_EQ(1, m_camera.modifyAppointValue(word, 1, 31, 31));
    EXPECT_EQ(INT_MIN, word);
    int value = -77;
    EXPECT_EQ(1, m_camera.getAppointValue(word, value, 16, 31));
    EXPECT_EQ(0x8000, value);  // right-aligned, without the sign spread
    EXPECT_EQ(1, m_camera.modifyAppointValue(word, 0xA, 7, 4));  // bounds in either order
    EXPECT_EQ(static_cast<int>(0x800000A0u), word);
    EXPECT_EQ(1, m_camera.modifyAppointValue(word, 0x12345678, 0, 31));
    EXPECT_EQ(0x12345678, word);
    word = -1;
    EXPECT_EQ(1, m_camera.modifyAppointValue(word, 0, 31, 16));
    EXPECT_EQ(0xFFFF, word);
    EXPECT_EQ(1, m_camera.getAppointValue(-2, value, 31, 0));
    EXPECT_EQ(-2, value);

    std::string out = captured([&] {
        EXPECT_EQ(0, m_camera.modifyAppointValue(word, 1, -1, 3));
        EXPECT_EQ(0, m_camera.modifyAppointValue(word, 1, 0, 32));
        EXPECT_EQ(0, m_camera.getAppointValue(word, value, 32, 0));
    });
    EXPECT_EQ(
        "modifyAppointValue() parameter error\nmodifyAppointValue() parameter error\n"
        "getAppointValue() parameter error\n",
        out);
    EXPECT_EQ(0xFFFF, word);
    EXPECT_EQ(-2, value);
}

TEST_F(OrvaneISPTest, WhiteBalanceFieldsShareOneWordWithoutDisturbingEachOther) {
    EXPECT_EQ(1, set(26, 1));
    EXPECT_EQ(1, set(27, 5));
    EXPECT_EQ(1, set(28, 100));
    EXPECT_EQ(1, set(29, 100));
    EXPECT_EQ(1 | 5 << 4 | 100 << 8 | 100 << 16, m_camera.getWBWord());

    // With every other bit set, each field still takes exactly its own bits.
    m_camera.m_nWBWord = -1;
    EXPECT_EQ(1, m_camera.setRedGain(7));
    EXPECT_EQ(static_cast<int>(0xFFFF07FFu), m_camera.getWBWord());
    EXPECT_EQ(1, m_camera.setBlueGain(100));
    EXPECT_EQ(static_cast<int>(0x006407FFu), m_camera.getWBWord());
    EXPECT_EQ(1, m_camera.setWBmode(0));
    EXPECT_EQ(1, m_camera.setWBmanual(2));
    EXPECT_EQ(0x00640720, m_camera.getWBWord());
    int value = -77;
    EXPECT_EQ(1, get(29, value));
    EXPECT_EQ(100, value);
    EXPECT_EQ(1, get(27, value));
    EXPECT_EQ(2, value);
}

TEST_F(OrvaneISPTest, EveryRangeCheckedSetterRefusesWithItsMessageAndKeepsItsField) {
    struct Case {
        int nId;
        int nMax;
        const char* szRange;  // the message for nMax + 1
        const char* szFailed;
    };
    const Case cases[] = {
        {4, 1, "no such gain mode value(2)", "setGainMode failed "},
        {7, 1, "set shutter mode(2) failed", "setShutterMode failed "},
        {26, 1, "p_nWBmode is out of range", "setWBmode failed"},
        {27, 5, "p_nWBmanual is out of range", "setWBmanual failed"},
        {28, 100, "p_nRedGain is out of range", "setRedGain failed"},
        {29, 100, "p_nBlueGain is out of range", "setBlueGain failed"},
        {30, 3, "CommonOperator.setMirrorMode Error: value(4)", "setMirrorMode failed"},
        {32, 3, "setHDRMode out of range,setHDRMode=4", "setHDRMode failed"},
        {33, 1, "setHDRMode out of range,setHDRMode=2", "setHDRRunMode failed"},
        {39, 1, "setDoorMode out of range,p_nMode=2", "setDoorMode failed"},
    };
    m_camera.m_nDNState = 1;
    for (const Case& test : cases) {
        SCOPED_TRACE("id " + std::to_string(test.nId));
        std::string out;
        EXPECT_EQ(1, set(test.nId, test.nMax, &out));
        EXPECT_EQ("", out);
        const std::vector<int> before = stateOf(m_camera);
        EXPECT_EQ(0, set(test.nId, test.nMax + 1, &out));
        EXPECT_EQ(std::string(test.szRange) + "\n" + test.szFailed + "\n", out);
        EXPECT_EQ(0, set(test.nId, -1, &out));  // compared unsigned
        EXPECT_NE(std::string::npos, out.find(test.szFailed)) << out;
        EXPECT_EQ(before, stateOf(m_camera));
    }
    EXPECT_EQ(1, m_camera.m_nShutterMode);
    EXPECT_EQ(1, set(7, 0));
    EXPECT_EQ(0, m_camera.m_nShutterMode);
    EXPECT_EQ(3, m_camera.m_nMirrorMode);
}

TEST_F(OrvaneISPTest, NoOpsLeaveTheCallersValueAndFixedGettersIgnoreWhatWasSet) {
    const std::vector<int> before = stateOf(m_camera);
    for (int id : {1, 2, 3, 5, 6, 8, 9, 11, 12, 13, 15, 24, 25}) {
        SCOPED_TRACE("id " + std::to_string(id));
        std::string out;
        EXPECT_EQ(1, set(id, 12345, &out));
        EXPECT_EQ("", out);
        int value = -77;
        EXPECT_EQ(1, get(id, value));
        EXPECT_EQ(-77, value);
    }
    EXPECT_EQ(before, stateOf(m_camera));

    // Accepted values never show through the getters that answer constants.
    for (int id : {4, 7, 16, 23, 30, 34, 39}) {
        EXPECT_EQ(1, set(id, id == 16 ? 50 : 0));
    }
    const int fixed[][2] = {{4, 0}, {7, 0}, {16, 16}, {23, 0}, {30, 0}, {34, 0}, {39, 1}};
    for (const auto& row : fixed) {
        int value = -77;
        EXPECT_EQ(1, get(row[0], value));
        EXPECT_EQ(row[1], value) << "id " << row[0];
    }
    for (int autoIris : {0, 1, 2}) {
        m_camera.m_nAutoIris = autoIris;
        int value = -77;
        EXPECT_EQ(1, get(18, value));
        EXPECT_EQ(autoIris == 1 ? 1 : 0, value);
    }
    int value = -77;
    EXPECT_EQ(0, m_camera.getMirrorValue(value));
    EXPECT_EQ(-77, value);
}

TEST_F(OrvaneISPTest, Id14AndUnknownIdsAreReportedAndNothingWorksBeforeInit) {
    std::string out;
    EXPECT_EQ(-1, set(14, 5, &out));
    EXPECT_EQ("paramid=14 error \n", out);
    int value = -77;
    EXPECT_EQ(1, get(14, value));
    EXPECT_EQ(0, value);
    for (int id : {0, 17, 40, 63, -1}) {
        const std::string report = "paramid=" + std::to_string(id) + " error \n";
        EXPECT_EQ(-1, set(id, 5, &out));
        EXPECT_EQ(report, out);
        value = -77;
        int result = -99;
        out = captured([&] { result = get(id, value); });
        EXPECT_EQ(0, result);
        EXPECT_EQ(-77, value);
        EXPECT_EQ(report, out);
    }
    EXPECT_EQ(1, set(500, 0));  // the scheme window belongs to the base
    EXPECT_EQ(1, get(503, value));
    EXPECT_EQ(24, value);

    OrvaneISPSenseController booting(88);
    value = -77;
    out = captured([&] {
        for (int id : {14, 26, 500, 999}) {
            EXPECT_EQ(0, booting.setParameterToSensor(id, 1));
            EXPECT_EQ(0, booting.getParameterFromSensor(id, value));
        }
    });
    EXPECT_EQ("", out);
    EXPECT_EQ(-77, value);
    EXPECT_EQ(0, booting.getWBWord());
}

TEST_F(OrvaneISPTest, TransitionsMustKeepNightToDayBelowDayToNight) {
    std::string out;
    m_camera.m_pSensorCache->setSensorValue(12, 30);
    EXPECT_EQ(0, set(11, 30, &out));
    EXPECT_EQ("ntd=30,dtn=30\n", out);
    EXPECT_EQ(0, set(11, 10, &out));
    EXPECT_EQ(1, set(11, 31));

    // Through the host's path, which caches what it applied.
    captured([&] { EXPECT_EQ(1, m_camera.setParameter(11, 60)); });
    out = captured([&] { EXPECT_EQ(0, m_camera.setParameter(12, 60)); });
    EXPECT_NE(std::string::npos, out.find("dtn=60,ntd=60\n")) << out;
    captured([&] { EXPECT_EQ(1, m_camera.setParameter(12, 59)); });
    int value = 0;
    EXPECT_TRUE(m_camera.getParameter(12, value));
    EXPECT_EQ(59, value);

    // A whole stored set is applied as it stands: the factory set holds the
    // pair (0, 0), read from getters that report nothing.
    m_camera.m_bBulkUpdate = true;
    m_camera.m_pSensorCache->setSensorValue(12, 0);
    EXPECT_EQ(1, set(11, 0));
    m_camera.m_pSensorCache->setSensorValue(11, 0);
    EXPECT_EQ(1, set(12, 0));
}

TEST_F(OrvaneISPTest, HdrModeThreeFollowsDayAndNightThroughTheVirtualUpdate) {
    EXPECT_EQ(1, set(33, 1));  // run mode, bits 4-7, must survive every mode
    m_camera.m_nDNState = 0;
    EXPECT_EQ(1, set(32, 3));
    EXPECT_EQ(std::vector<int>{2}, m_camera.hdrModes);
    EXPECT_EQ(3, m_camera.m_nHDRMode);
    EXPECT_EQ(0x12, m_camera.getHDRWord());
    m_camera.m_nDNState = 1;
    EXPECT_EQ(1, set(32, 3));
    EXPECT_EQ(0x11, m_camera.getHDRWord());

    m_camera.hdrModes.clear();
    m_camera.m_nDNState = -1;
    std::string out;
    EXPECT_EQ(0, set(32, 3, &out));
    EXPECT_EQ("setHDRMode failed\n", out);
    EXPECT_TRUE(m_camera.hdrModes.empty());
    EXPECT_EQ(1, set(32, 0));
    EXPECT_EQ(std::vector<int>{0}, m_camera.hdrModes);
    EXPECT_EQ(0, m_camera.m_nHDRMode);

    m_camera.refuseHDR = true;
    EXPECT_EQ(0, set(32, 2, &out));
    EXPECT_EQ("setHDRMode failed\n", out);
    EXPECT_EQ(0, m_camera.m_nHDRMode);
    EXPECT_EQ(0x10, m_camera.getHDRWord());

    // The reported mode is the capability, not the mode set.
    const int answers[][2] = {{1, 2}, {0, 0}, {5, -77}};
    for (const auto& row : answers) {
        m_camera.m_nHDRCapability = row[0];
        int value = -77;
        EXPECT_EQ(1, get(32, value));
        EXPECT_EQ(row[1], value);
    }
}

TEST_F(OrvaneISPTest, NoiseReductionModesSetControlAndManualLevel) {
    EXPECT_EQ(1, set(36, 200));
    EXPECT_EQ(1, set(35, 40));
    EXPECT_EQ(200 << 16 | 40 << 8, m_camera.getNRWord());
    EXPECT_EQ(1, set(34, 2));
    EXPECT_EQ(200 << 16 | 1, m_camera.getNRWord());

    // Mode 1 takes the manual level from the cache; without one it fails
    // after switching noise reduction on.
    EXPECT_EQ(1, set(34, 0));
    std::string out;
    EXPECT_EQ(0, set(34, 1, &out));
    EXPECT_EQ("setNRMode failed\n", out);
    EXPECT_EQ(200 << 16 | 1, m_camera.getNRWord());
    m_camera.m_pSensorCache->setSensorValue(35, 77);
    EXPECT_EQ(1, set(34, 1));
    EXPECT_EQ(200 << 16 | 77 << 8 | 1, m_camera.getNRWord());
    EXPECT_EQ(1, set(34, 0));
    EXPECT_EQ(1, set(34, 7));
    EXPECT_EQ(200 << 16 | 77 << 8, m_camera.getNRWord());
    int value = -77;
    EXPECT_EQ(1, get(35, value));
    EXPECT_EQ(77, value);

    // A level wider than its field stays in it.
    EXPECT_EQ(1, set(35, 0x1FF));
    EXPECT_EQ(1, set(36, -1));
    EXPECT_EQ(0xFFFF00, m_camera.getNRWord());
}

TEST_F(OrvaneISPTest, InitControllerReadsTheDetailAndEndsInDay) {
    SimGPIO* gpio = wireGpio(m_camera);
    const char* full =
        "isInfrared=0;autoIris=1;isNewInfrared=1;GPIO=3,4,1;GPIOInfraredLight=5,6,0;"
        "GPIODNLevel=7,8,1;TNF=1;HDR=1";
    int result = -1;
    std::string out =
        captured([&] { result = m_camera.initController(88, ModuleConfigure(88, full, "")); });
    EXPECT_EQ(1, result);
    EXPECT_EQ("!!!enterDayMode\n", out);
    EXPECT_EQ(1, m_camera.m_nDNState);
    EXPECT_EQ("5.6=0 3.4=1 ", writesOf(gpio));  // LEDs off, then the IR-cut filter in
    EXPECT_EQ(7, m_camera.m_DNLevelGpio.nGroup);
    EXPECT_EQ(1, m_camera.m_DNLevelGpio.nDayLevel);
    EXPECT_TRUE(m_camera.m_bNewInfrared);
    EXPECT_EQ(1, m_camera.m_nTNF);
    int value = -77;
    EXPECT_EQ(1, get(18, value));
    EXPECT_EQ(1, value);
    EXPECT_EQ(1, get(32, value));
    EXPECT_EQ(2, value);

    // The optional keys missing: printed, in order, and TNF and HDR off.
    Camera plain;
    SimGPIO* plainGpio = wireGpio(plain);
    plain.m_InfraredLightGpio = GPIOTriple{7, 8, 9};
    plain.m_nHDRCapability = 1;
    out = captured([&] {
        result = plain.initController(
            88, ModuleConfigure(88, "isInfrared=0;autoIris=0;GPIO=1,2,0", "RS485=9600,8,0,0"));
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(
        "get isNewInfrared from detail failedget GPIOInfraredLight from detail failed\n"
        "get GPIODNLevel from detail failed\nget TNF from detail failed\n"
        "get HDR from detail failed\n!!!enterDayMode\n",
        out);
    EXPECT_EQ(0, plain.m_nTNF);
    EXPECT_EQ(0, plain.m_nHDRCapability);
    EXPECT_FALSE(plain.m_bNewInfrared);
    EXPECT_EQ(7, plain.m_InfraredLightGpio.nGroup);
    EXPECT_EQ("1.2=0 ", writesOf(plainGpio));
}

TEST_F(OrvaneISPTest, InitControllerRefusesIncompleteDetails) {
    struct Case {
        const char* szDetail;
        const char* szParameters;
        const char* szMessage;
    };
    const Case cases[] = {
        {"isInfrared=0;autoIris=0;GPIO=1,2,0;broken", "", "parse detail failed"},
        {"autoIris=0;GPIO=1,2,0", "", "get isInfrared from detail failed"},
        {"isInfrared=0;GPIO=1,2,0", "", "get autoIris from detail failed"},
        {"isInfrared=0;autoIris=0;GPIO=1,2,0", "RS485", "parse senseParameter failed"},
        {"isInfrared=0;autoIris=0;isNewInfrared=0", "", "get GPIO from detail failed"},
        {"isInfrared=0;autoIris=0;isNewInfrared=0;GPIO=1,2", "", "parse GPIO param failed,nRet=2"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.szDetail);
        Camera camera;  // no GPIO: entering day mode would throw
        int result = -1;
        std::string out = captured([&] {
            result =
                camera.initController(88, ModuleConfigure(88, test.szDetail, test.szParameters));
        });
        EXPECT_EQ(0, result);
        EXPECT_EQ(std::string(test.szMessage) + "\n", out);
        EXPECT_EQ(-1, camera.m_nDNState);
    }
}

TEST_F(OrvaneISPTest, VideoSystemChangeWaitsThreeSecondsOnlyWhenAccepted) {
    const VideoResolution resolution(1920, 1080);
    EXPECT_EQ(1, m_camera.setSensorVideoSystem(0, resolution));
    EXPECT_DOUBLE_EQ(3.0, m_root.clock().sleptSeconds());
    EXPECT_EQ(1, m_camera.setSensorVideoSystem(1, resolution));
    EXPECT_DOUBLE_EQ(6.0, m_root.clock().sleptSeconds());
    int result = -1;
    std::string out = captured([&] { result = m_camera.setSensorVideoSystem(2, resolution); });
    EXPECT_EQ(0, result);
    EXPECT_EQ("OrvaneISPSenseController::setSensorVideoSystem Failed, VideoSystem = 2\n", out);
    captured([&] { EXPECT_EQ(0, m_camera.setSensorVideoSystem(-1, resolution)); });
    EXPECT_DOUBLE_EQ(6.0, m_root.clock().sleptSeconds());
    int frequency = -77;  // the power frequency is only ever reported
    EXPECT_EQ(1, m_camera.getPowerFrequency(frequency));
    EXPECT_EQ(0, frequency);
}

TEST_F(OrvaneISPTest, RegistersItsCommonIdsAndFileVersions) {
    IdManager* ids = m_camera.getIdManager();
    for (int id : {1, 12, 15, 16, 18, 24, 30, 32, 37, 39, 57, 62, 500}) {
        EXPECT_EQ(ID_TYPE_COMMON, ids->getIdType(id)) << "id " << id;
    }
    for (int id : {13, 14, 17, 23, 31, 38, 40, 56, 63}) {
        EXPECT_EQ(ID_TYPE_NONE, ids->getIdType(id)) << "id " << id;
    }
    EXPECT_EQ(23, m_camera.m_nConfigVersion);
    EXPECT_EQ(4, m_camera.m_nConfigVersion2);
}
