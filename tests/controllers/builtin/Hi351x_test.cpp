#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controllers/builtin/Hi351xSenseController.h"
#include "framework/OVRuntimeError.h"
#include "framework/SensorControllerManager.h"
#include "platform/Devices.h"
#include "platform/Shell.h"
#include "sim/SimBoard.h"
#include "sim/SimSerialPort.h"
#include "support/TestController.h"

namespace {

typedef std::vector<std::pair<int, int> > Wire;

const unsigned long kAdcEnable = 0xC00C4100ul;
const unsigned long kAdcRead = 0xC00C4101ul;

// A Hi351x camera ready for parameter access without a boot (so no
// background thread runs), with its protected state open to the tests.
class Camera : public Hi351xSenseController {
public:
    explicit Camera(int p_nInfrared = 0) {
        m_SensorStatus = InitSuccess;
        m_nIsInfrared = p_nInfrared;
        m_bNewInfrared = p_nInfrared != 0;
    }

    using Hi351xSenseController::m_nDTNThreshold;
    using Hi351xSenseController::m_nIrCompensation;
    using Hi351xSenseController::m_nNTDThreshold;
    using Hi351xSenseController::m_nPWMFd;
    using ISensorController::m_bNewInfrared;
    using ISensorController::m_InfraredLightGpio;
    using ISensorController::m_IrCutGpio;
    using ISensorController::m_nDNDefault;
    using ISensorController::m_nIsInfrared;
    using ISensorController::m_pSensorCache;
};

// A camera that forgets its IR compensation after every LDR query, as if it
// never measured its own LEDs.
class UncompensatedCamera : public Hi351xSenseController {
public:
    ~UncompensatedCamera() override { stopThreads(); }
    int getDNStatusFromLDR(int& p_nStatus) override {
        int result = Hi351xSenseController::getDNStatusFromLDR(p_nStatus);
        m_nIrCompensation = 0;
        return result;
    }
};

// An LDR whose raw reading the test chooses: `dark` with the IR-LED pin
// (group 1, bit 3) at 0, `lit` with it at 1. Enabling reports status 3.
class FakeAdc : public ICharDevice {
public:
    struct Request {
        unsigned long nRequest;
        uint32_t words[3];
    };

    explicit FakeAdc(SimGPIO* p_pGpio) : m_pGpio(p_pGpio) {}

    int ioctl(unsigned long p_nRequest, void* p_pArgument) override {
        uint32_t* words = static_cast<uint32_t*>(p_pArgument);
        requests.push_back(Request{p_nRequest, {words[0], words[1], words[2]}});
        if (p_nRequest == kAdcEnable) {
            if (failEnable) {
                return -1;
            }
            words[0] = 3;
            return 0;
        }
        if (p_nRequest != kAdcRead || failRead) {
            return -1;
        }
        words[2] = static_cast<uint32_t>(m_pGpio->level(1, 3) == 1 ? lit : dark);
        return 0;
    }

    void setRaw(int p_nRaw) { dark = lit = p_nRaw; }

    int dark = 0;
    int lit = 0;
    bool failEnable = false;
    bool failRead = false;
    std::vector<Request> requests;

private:
    SimGPIO* m_pGpio;
};

// Keeps the raw bytes of every PWM request.
class RawPwm : public ICharDevice {
public:
    int ioctl(unsigned long p_nRequest, void* p_pArgument) override {
        numbers.push_back(p_nRequest);
        const unsigned char* bytes = static_cast<const unsigned char*>(p_pArgument);
        requests.push_back(std::vector<unsigned char>(bytes, bytes + 16));
        return -1;  // the controller must not care
    }
    std::vector<unsigned long> numbers;
    std::vector<std::vector<unsigned char> > requests;
};

template <class F>
std::string captured(F p_function) {
    testing::internal::CaptureStdout();
    p_function();
    return testing::internal::GetCapturedStdout();
}

bool hasLine(const std::string& p_strOut, const std::string& p_strLine) {
    return ("\n" + p_strOut).find("\n" + p_strLine + "\n") != std::string::npos;
}

int countLines(const std::string& p_strOut, const std::string& p_strLine) {
    int count = 0;
    const std::string text = "\n" + p_strOut;
    const std::string wanted = "\n" + p_strLine + "\n";
    for (size_t at = text.find(wanted); at != std::string::npos; at = text.find(wanted, at + 1)) {
        ++count;
    }
    return count;
}

bool contains(const std::string& p_strOut, const std::string& p_strText) {
    return p_strOut.find(p_strText) != std::string::npos;
}

// Descriptors of registered devices are numbered in order, so the one handed
// out just before this probe is closed when closing it again fails.
bool previousDescriptorClosed() {
    int fd = ovdev_open("/dev/adc", O_RDONLY);
    bool closed = ovdev_close(fd - 1) != 0;
    ovdev_close(fd);
    return closed;
}

uint32_t wordAt(const std::vector<unsigned char>& p_bytes, size_t p_nOffset) {
    uint32_t word = 0;
    std::memcpy(&word, p_bytes.data() + p_nOffset, 4);
    return word;
}

// One row of the parameter table. nMax -1 accepts any value; szRange is the
// text the rejection of nMax + 1 logs (null: no message of its own);
// szSetFailed null: the failure text is not fixed.
struct Row {
    int nId;
    int nSetCode;
    int nMax;
    const char* szRange;
    const char* szSetFailed;
    int nGetCode;
    const char* szGetFailed;
    int nInfrared;
};

const char* const kCommon = "IsAppointRange(101) out of range";

const Row kRows[] = {
    {1, 13, 100, kCommon, "setBrightness failed", 14, "getBrightness failed ", 0},
    {2, 1537, 100, kCommon, "setSaturation failed", 1538, "getSaturation failed ", 0},
    {3, 1541, 100, kCommon, "setContrast failed", 1542, "getContrast failed ", 0},
    {4, 1539, 100, kCommon, "setSharpness failed ", 1540, "getSharpness failed ", 0},
    {5, 1, 1, "p_nShutterMode(2) out of range", "setShutterMode failed ", 2,
     "getShutterMode failed ", 0},
    {6, 3, 16, "p_nMaxShutter(17) out of range", "setMaxShutter failed ", 4,
     "getMaxShutter failed ", 0},
    {7, 5, 18, "p_nFixShutter(19) out of range", "setFixShutter failed ", 6,
     "getFixShutter failed ", 0},
    {8, 7, 1, "p_nGainMode(2) out of range", "setGainMode failed ", 8, "getGainMode failed ", 0},
    {9, 9, 100, kCommon, "setMaxGain failed ", 10, "getMaxGain failed ", 0},
    {10, 11, 100, kCommon, "setFixGain failed ", 12, "getFixGain failed ", 0},
    {14, 25, 1, "p_nIrisMode(2) out of range", "setIrisMode failed ", 26, "getIrisMode failed ", 0},
    {15, 27, 100, kCommon, "setIrisSpeed failed ", 28, "getIrisSpeed failed ", 0},
    {16, 1543, 2, "p_nRoomIntOrOutMode(3) out of range", "setRoomInnerOrOutMode failed ", 1544,
     "getRoomIntOrOutMode failed ", 0},
    {17, 1561, 1, "(2) out of range", nullptr, 1562, "getWDRMode failed ", 0},
    {18, 1563, 100, kCommon, "setWDRContrast failed ", 1564, "getWDRContrast failed ", 0},
    {19, 23, 3, "p_nPhotometry(4) out of range", "setPhotometry failed ", 24,
     "getPhotometry failed ", 0},
    {22, 1545, 2, "p_nNR2DMode(3) out of range", "setNR2DMode failed ", 1546, "getNR2DMode failed ",
     0},
    {23, 1547, 100, kCommon, "setNR2DMaxContrast failed ", 1548, "getNR2DMaxContrast failed ", 0},
    {24, 1549, 100, kCommon, "setNR2DFixContrast failed ", 1550, "getNR2DFixContrast failed ", 0},
    {25, 1551, 2, "p_nNR3DMode(3) out of range", "setNR3DMode failed ", 1552, "getNR3DMode failed ",
     0},
    {26, 1557, 100, kCommon, "setNR3DMaxContrast failed ", 1558, "getNR3MaxContrast failed ", 0},
    {27, 1559, 100, kCommon, "setNR3DFixContrast failed ", 1560, "getNR3DFixContrast failed ", 0},
    {35, 39, 3, nullptr, "setSmartInfraredMode failed ", 40, "getSmartInfraredMode failed ", 2},
    {36, 41, 100, nullptr, "setInfraredManualValue failed ", 42, "getInfraredManualValue failed ",
     2},
    {37, 29, 1, "p_nHLCMode(2) out of range", "setHLCMode failed ", 30, "getHLCMode failed ", 0},
    {38, 31, 100, kCommon, "setHLCContrast failed ", 32, "getHLCContrast failed ", 0},
    {39, 33, -1, nullptr, "setBLCMode failed ", 34, "getBLCMode failed ", 0},
    {40, 1571, 100, kCommon, "setAntiFogMode failed ", 1572, "getAntiFogMode failed ", 0},
    {41, 1573, 100, kCommon, "setAntiFogValue failed ", 1574, "getAntiFogValue failed ", 0},
    {42, 37, 3, "p_nBHLCMode(4) out of range", "setBHLCMode failed ", 38, "getBHLCMode failed ", 0},
    {47, 1577, -1, nullptr, "setPictureControlValue failed ", 1578,
     "getPictureControlValue failed!", 0},
};

class Hi351xTest : public testing::Test {
protected:
    Hi351xTest() : m_board(m_pGpio) {}

    Wire wire() {
        Wire result;
        for (const SimIsp::Call& call : m_board.isp().calls()) {
            result.push_back(std::make_pair(call.nCode, call.nValue));
        }
        m_board.isp().clearCalls();
        return result;
    }

    int countCalls(int p_nCode, int p_nValue) {
        int count = 0;
        for (const SimIsp::Call& call : m_board.isp().calls()) {
            if (call.nCode == p_nCode && call.nValue == p_nValue) {
                ++count;
            }
        }
        return count;
    }

    double slept() { return m_root.clock().sleptSeconds(); }

    ScratchRoot m_root;
    SimGPIO* m_pGpio = new SimGPIO();
    SafePointer<IGPIO> m_gpio{m_pGpio};
    SafePointer<IUARTController> m_uart{new SimSerialPort()};
    SimBoard m_board;
};

}  // namespace

TEST_F(Hi351xTest, EveryTableIdReachesItsIspCodesOnlyWithinItsRange) {
    for (const Row& row : kRows) {
        SCOPED_TRACE("id " + std::to_string(row.nId));
        Camera camera(row.nInfrared);
        wire();
        const int good = row.nMax < 0 ? -5 : row.nMax;
        EXPECT_EQ(1, camera.setParameterToSensor(row.nId, good));
        EXPECT_EQ((Wire{{row.nSetCode, good}}), wire());
        int value = -77;
        EXPECT_EQ(1, camera.getParameterFromSensor(row.nId, value));
        EXPECT_EQ(good, value);
        EXPECT_EQ((Wire{{row.nGetCode, good}}), wire());
        if (row.nMax < 0) {
            continue;
        }
        EXPECT_EQ(1, camera.setParameterToSensor(row.nId, 0));
        wire();
        int result = -1;
        std::string out =
            captured([&] { result = camera.setParameterToSensor(row.nId, row.nMax + 1); });
        EXPECT_EQ(0, result);
        if (row.szRange != nullptr) {
            EXPECT_TRUE(contains(out, row.szRange)) << out;
        }
        if (row.szSetFailed != nullptr) {
            EXPECT_TRUE(hasLine(out, row.szSetFailed)) << out;
        }
        if (row.szRange == nullptr) {
            EXPECT_EQ(std::string(row.szSetFailed) + "\n", out);
        }
        // Compared unsigned: a negative value is far out of range.
        captured([&] { result = camera.setParameterToSensor(row.nId, -1); });
        EXPECT_EQ(0, result);
        EXPECT_TRUE(wire().empty());
        EXPECT_EQ(0, m_board.isp().value(row.nGetCode));
    }
}

TEST_F(Hi351xTest, IspFailuresAreLoggedPerOperationAndNotSupportedStillSucceeds) {
    for (const Row& row : kRows) {
        SCOPED_TRACE("id " + std::to_string(row.nId));
        Camera camera(row.nInfrared);
        m_board.isp().setResult(row.nSetCode, -1);
        m_board.isp().setResult(row.nGetCode, -1);
        int result = -1;
        std::string out = captured([&] { result = camera.setParameterToSensor(row.nId, 1); });
        EXPECT_EQ(0, result);
        EXPECT_TRUE(contains(out, "params are fail! errcode:0xffffffff")) << out;
        if (row.szSetFailed != nullptr) {
            EXPECT_TRUE(hasLine(out, row.szSetFailed)) << out;
        }
        int value = -77;
        out = captured([&] { result = camera.getParameterFromSensor(row.nId, value); });
        EXPECT_EQ(0, result);
        EXPECT_EQ(-77, value);
        EXPECT_TRUE(hasLine(out, row.szGetFailed)) << out;
        m_board.isp().setResult(row.nSetCode, 0);
        m_board.isp().setResult(row.nGetCode, 0);
    }

    Camera camera;
    int result = -1;
    m_board.isp().setResult(1539, -3);
    std::string out = captured([&] { result = camera.setParameterToSensor(4, 60); });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(contains(out, "setSharpness   ")) << out;
    EXPECT_TRUE(contains(out, " unsupport! errcode:0xfffffffd\n")) << out;
    EXPECT_FALSE(contains(out, "failed")) << out;
    m_board.isp().setResult(1539, -2);
    out = captured([&] { result = camera.setParameterToSensor(4, 60); });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(contains(out, " params are invalid! errcode:0xfffffffe\n")) << out;
    EXPECT_TRUE(hasLine(out, "setSharpness failed ")) << out;
    m_board.isp().setResult(1539, 7);  // unknown codes count as success
    out = captured([&] { result = camera.setParameterToSensor(4, 60); });
    EXPECT_EQ(1, result);
    EXPECT_EQ("", out);

    // The checks themselves, with the caller's line number in the text.
    out = captured([&] {
        EXPECT_EQ(1, camera.CheckOVEWFIResult(0, "op", 12));
        EXPECT_EQ(1, camera.CheckOVEWFIResult(-3, "op", 12));
        EXPECT_EQ(0, camera.CheckOVEWFIResult(-2, "op", 12));
        EXPECT_EQ(0, camera.CheckOVEWFIResult(-1, "op", 12));
        EXPECT_EQ(1, camera.CheckOVEWFIResult(-4, "op", 12));
        EXPECT_EQ(1, camera.IsAppointRange(0, "op", 13));
        EXPECT_EQ(1, camera.IsAppointRange(100, "op", 13));
        EXPECT_EQ(0, camera.IsAppointRange(101, "op", 13));
        EXPECT_EQ(0, camera.IsAppointRange(-1, "op", 13));
    });
    EXPECT_EQ(
        "op   12 unsupport! errcode:0xfffffffd\n\n"
        "op  12 params are invalid! errcode:0xfffffffe\n\n"
        "op  12params are fail! errcode:0xffffffff\n\n"
        "op   13 IsAppointRange(101) out of range\n"
        "op   13 IsAppointRange(-1) out of range\n",
        out);
}

TEST_F(Hi351xTest, NothingReachesTheIspBeforeInitSucceeded) {
    Hi351xSenseController camera;
    int value = -77;
    for (int id : {1, 12, 20, 21, 32, 43, 47, 48}) {
        EXPECT_EQ(0, camera.setParameterToSensor(id, 1));
        EXPECT_EQ(0, camera.getParameterFromSensor(id, value));
    }
    EXPECT_EQ(-77, value);
    captured([&] { EXPECT_EQ(0, camera.setParameter(1, 50)); });
    EXPECT_FALSE(camera.getParameter(1, value));
    EXPECT_TRUE(wire().empty());
}

TEST_F(Hi351xTest, IdsOutsideTheTableAndSetOnlyIdsNeedNoIspRead) {
    Camera camera;
    camera.m_nDNDefault = 3;
    for (int id : {0, 48, -3, 1000}) {
        EXPECT_EQ(1, camera.setParameterToSensor(id, 5));
    }
    int value = -77;
    for (int id : {0, 48, 43, 44, 45, 46}) {
        EXPECT_EQ(1, camera.getParameterFromSensor(id, value));
    }
    EXPECT_EQ(-77, value);
    EXPECT_TRUE(wire().empty());

    // Ids 43-46 share one action command and send the value unchanged.
    for (int id = 43; id <= 46; ++id) {
        EXPECT_EQ(1, camera.setParameterToSensor(id, -7 - id));
    }
    EXPECT_EQ((Wire{{1575, -50}, {1575, -51}, {1575, -52}, {1575, -53}}), wire());
    m_board.isp().setResult(1575, -1);
    std::string out = captured([&] { EXPECT_EQ(0, camera.setParameterToSensor(44, 1)); });
    EXPECT_TRUE(hasLine(out, "setPictureControlAction failed ")) << out;
    wire();

    // The day/night ids are the base's and never reach the ISP.
    captured([&] {
        EXPECT_EQ(1, camera.getParameterFromSensor(11, value));
        EXPECT_EQ(3, value);
        EXPECT_EQ(1, camera.getParameterFromSensor(28, value));
        EXPECT_EQ(18, value);
        EXPECT_EQ(1, camera.getParameterFromSensor(30, value));
        EXPECT_EQ(6, value);
        EXPECT_EQ(1, camera.getParameterFromSensor(34, value));
        EXPECT_EQ(5, value);
        EXPECT_EQ(1, camera.setParameterToSensor(11, 2));
        EXPECT_EQ(1, camera.setParameterToSensor(28, 19));
        EXPECT_EQ(1, camera.setParameterToSensor(34, 9));
    });
    EXPECT_EQ(2, camera.getCurrentDayNightMode());
    EXPECT_TRUE(wire().empty());
    // The scheme window stays the base's too.
    EXPECT_EQ(1, camera.setParameterToSensor(500, 1));
    EXPECT_TRUE(wire().empty());
}

TEST_F(Hi351xTest, TheConstructorRegistersItsIdsAndVersionThree) {
    layBoard(m_root, 1);
    Camera camera;
    EXPECT_EQ(60, camera.getSensorType());
    for (int id = 1; id <= 42; ++id) {
        EXPECT_EQ(ID_TYPE_COMMON, camera.getIdManager()->getIdType(id)) << id;
    }
    for (int id = 43; id <= 46; ++id) {
        EXPECT_EQ(ID_TYPE_SET_ONLY, camera.getIdManager()->getIdType(id)) << id;
    }
    EXPECT_EQ(ID_TYPE_COMMON, camera.getIdManager()->getIdType(47));
    EXPECT_EQ(ID_TYPE_NONE, camera.getIdManager()->getIdType(48));
    int mirror = 9;
    EXPECT_EQ(1, camera.getMirrorValue(mirror));
    EXPECT_EQ(9, mirror);
    EXPECT_EQ(1, camera.initFactorySetting());
    wire();
    // The factory file read from the ISP carries both versions as 3 and the
    // two constant infrared thresholds.
    captured([&] { EXPECT_EQ(1, camera.createSensorFile_Factory()); });
    std::string factory = m_root.readFile("/mnt/mtd/code/config_file/sensor_Factory.cfg");
    EXPECT_TRUE(contains(factory, "(10000,3)(10001,3)")) << factory;
    EXPECT_TRUE(contains(factory, "(32,70)(33,30)")) << factory;
    EXPECT_TRUE(contains(factory, "(1,50)")) << factory;
    EXPECT_FALSE(contains(factory, "(43,")) << factory;
}

TEST_F(Hi351xTest, MirrorIsRemappedUnderBeAwayMode) {
    Camera camera;
    m_board.isp().setValue(1570, 1);
    EXPECT_EQ(1, camera.setParameterToSensor(20, 1));
    EXPECT_EQ((Wire{{1570, 1}, {1567, 2}}), wire());
    EXPECT_EQ(1, camera.setMirror(2));
    EXPECT_EQ((Wire{{1570, 1}, {1567, 1}}), wire());
    EXPECT_EQ(1, camera.setMirror(3));
    EXPECT_EQ((Wire{{1570, 1}, {1567, 3}}), wire());
    m_board.isp().setValue(1570, 0);
    EXPECT_EQ(1, camera.setMirror(1));
    EXPECT_EQ((Wire{{1570, 0}, {1567, 1}}), wire());
    int result = -1;
    std::string out = captured([&] { result = camera.setParameterToSensor(20, 4); });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(hasLine(out, "p_nMirror(4) out of range")) << out;
    EXPECT_TRUE(hasLine(out, "setMirror failed ")) << out;
    captured([&] { EXPECT_EQ(0, camera.setParameterToSensor(20, -1)); });
    EXPECT_TRUE(wire().empty());

    // Toggling be-away mode with a mirror set: mirror off, the mode, then
    // the mirror again (remapped under the new mode).
    m_board.isp().setValue(1568, 1);
    EXPECT_EQ(1, camera.setParameterToSensor(21, 1));
    EXPECT_EQ((Wire{{1568, 1}, {1570, 0}, {1570, 0}, {1567, 0}, {1569, 1}, {1570, 1}, {1567, 2}}),
              wire());
    EXPECT_EQ(2, m_board.isp().value(1568));
    EXPECT_EQ(1, camera.setBeAwayMode(0));
    EXPECT_EQ((Wire{{1568, 2}, {1570, 1}, {1570, 1}, {1567, 0}, {1569, 0}, {1570, 0}, {1567, 1}}),
              wire());
    EXPECT_EQ(1, m_board.isp().value(1568));
    m_board.isp().setValue(1568, 3);
    m_board.isp().setValue(1570, 1);
    EXPECT_EQ(1, camera.setBeAwayMode(0));
    EXPECT_EQ((Wire{{1568, 3}, {1570, 1}, {1570, 1}, {1567, 0}, {1569, 0}, {1570, 0}, {1567, 3}}),
              wire());

    // No toggle, or no mirror: only the mode is sent.
    EXPECT_EQ(1, camera.setBeAwayMode(0));
    EXPECT_EQ((Wire{{1568, 3}, {1570, 0}, {1569, 0}}), wire());
    m_board.isp().setValue(1568, 0);
    EXPECT_EQ(1, camera.setBeAwayMode(1));
    EXPECT_EQ((Wire{{1568, 0}, {1570, 0}, {1569, 1}}), wire());

    out = captured([&] { result = camera.setParameterToSensor(21, 2); });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(hasLine(out, "setBeAwayMode(2) out of range")) << out;
    EXPECT_TRUE(hasLine(out, "setBeAwayMode failed")) << out;
    captured([&] { EXPECT_EQ(0, camera.setParameterToSensor(21, -1)); });
    EXPECT_TRUE(wire().empty());

    // A mirror the ISP reports out of range is not sent back after a toggle.
    m_board.isp().setValue(1568, 7);
    out = captured([&] { EXPECT_EQ(1, camera.setBeAwayMode(0)); });
    EXPECT_EQ("p_nMirror(7) out of range\n", out);
    EXPECT_EQ((Wire{{1568, 7}, {1570, 1}, {1570, 1}, {1567, 0}, {1569, 0}}), wire());
    m_board.isp().setValue(1570, 1);

    // Only the be-away command decides the result.
    m_board.isp().setValue(1568, 1);
    m_board.isp().setResult(1567, -1);
    captured([&] { EXPECT_EQ(1, camera.setBeAwayMode(0)); });
    m_board.isp().setResult(1567, 0);
    m_board.isp().setResult(1569, -2);
    out = captured([&] { result = camera.setParameterToSensor(21, 1); });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(hasLine(out, "setBeAwayMode failed")) << out;
}

TEST_F(Hi351xTest, ThresholdPairsFollowTheInfraredModeAndKeepDayToNightAbove) {
    Camera plain;
    EXPECT_EQ(1, plain.setParameterToSensor(12, 60));
    EXPECT_EQ(60, plain.getDTNThreshold());
    plain.m_pSensorCache->setSensorValue(13, 40);
    int result = -1;
    std::string out = captured([&] { result = plain.setParameterToSensor(12, 40); });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(hasLine(out, "Error:DTN<NTD @setDTNThreshold")) << out;
    EXPECT_TRUE(hasLine(out, "setDTNThreshold failed ")) << out;
    EXPECT_EQ(60, plain.getDTNThreshold());
    EXPECT_EQ(1, plain.setDTNThreshold(41));
    EXPECT_EQ(41, plain.getDTNThreshold());
    plain.m_pSensorCache->setSensorValue(12, 41);
    out = captured([&] { result = plain.setParameterToSensor(13, 41); });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(hasLine(out, "Error:DTN<NTD @setNTDThreshold")) << out;
    EXPECT_TRUE(hasLine(out, "setNTDThreshold failed ")) << out;
    EXPECT_EQ(1, plain.setNTDThreshold(40));
    EXPECT_EQ(40, plain.getNTDThreshold());
    captured([&] {
        EXPECT_EQ(0, plain.setDTNThreshold(101));
        EXPECT_EQ(0, plain.setNTDThreshold(-1));
    });
    // The infrared pair is accepted and ignored without infrared.
    EXPECT_EQ(1, plain.setParameterToSensor(32, 90));
    EXPECT_EQ(1, plain.setInfraredNTDThreshold(5));
    EXPECT_EQ(1, plain.setInfraredDTNThreshold(500));
    EXPECT_EQ(41, plain.getDTNThreshold());
    EXPECT_EQ(40, plain.getNTDThreshold());
    EXPECT_TRUE(wire().empty());

    // Reading ids 12/13 asks the ISP and takes its answer.
    int value = -77;
    EXPECT_EQ(1, plain.getParameterFromSensor(12, value));
    EXPECT_EQ(60, value);
    EXPECT_EQ(1, plain.getParameterFromSensor(13, value));
    EXPECT_EQ(30, value);
    EXPECT_EQ((Wire{{18, 60}, {20, 30}}), wire());
    EXPECT_EQ(60, plain.getDTNThreshold());
    EXPECT_EQ(30, plain.getNTDThreshold());
    m_board.isp().setResult(20, -1);
    out = captured([&] { result = plain.getParameterFromSensor(13, value); });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(hasLine(out, "NightToDayThreshold failed ")) << out;
    EXPECT_EQ(30, plain.getNTDThreshold());
    wire();

    Camera infrared(1);
    EXPECT_EQ(1, infrared.setParameterToSensor(12, 50));
    EXPECT_EQ(1, infrared.setNTDThreshold(20));
    EXPECT_EQ(0, infrared.getDTNThreshold());
    EXPECT_EQ(0, infrared.getNTDThreshold());
    EXPECT_EQ(1, infrared.setParameterToSensor(32, 80));
    EXPECT_EQ(80, infrared.getDTNThreshold());
    infrared.m_pSensorCache->setSensorValue(33, 30);
    out = captured([&] { result = infrared.setInfraredDTNThreshold(30); });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(hasLine(out, "Error:DTN(30)<NTD(30) @setInfraredDTNThreshold")) << out;
    EXPECT_EQ(80, infrared.getDTNThreshold());
    infrared.m_pSensorCache->setSensorValue(32, 70);
    out = captured([&] { result = infrared.setParameterToSensor(33, 70); });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(hasLine(out, "Error:DTN(70)<NTD(70) @setInfraredNTDThreshold ")) << out;
    EXPECT_EQ(1, infrared.setInfraredNTDThreshold(69));
    EXPECT_EQ(69, infrared.getNTDThreshold());
    // Whatever was set, the infrared pair reads as 70 and 30.
    for (Camera* camera : {&plain, &infrared}) {
        EXPECT_EQ(1, camera->getParameterFromSensor(32, value));
        EXPECT_EQ(70, value);
        EXPECT_EQ(1, camera->getParameterFromSensor(33, value));
        EXPECT_EQ(30, value);
    }
    // The PWM-only ids do nothing with GPIO infrared.
    value = -77;
    EXPECT_EQ(1, infrared.setParameterToSensor(35, 3));
    EXPECT_EQ(1, infrared.setParameterToSensor(36, 500));
    EXPECT_EQ(1, infrared.getParameterFromSensor(35, value));
    EXPECT_EQ(1, infrared.getParameterFromSensor(36, value));
    EXPECT_EQ(-77, value);
    EXPECT_TRUE(wire().empty());
}

TEST_F(Hi351xTest, IspLightLevelDecidesAndTheCallersPresetHoldsBetweenThresholds) {
    Camera camera;
    camera.setDTNThreshold(60);
    camera.setNTDThreshold(30);
    int status = -1;
    m_board.setBrightness(70);  // level 30
    EXPECT_EQ(1, camera.getDNStatusFromSensor(status));
    EXPECT_EQ(1, status);
    EXPECT_EQ((Wire{{4102, 30}}), wire());
    m_board.setBrightness(50);
    status = 7;
    EXPECT_EQ(1, camera.getDNStatusFromSensor(status));
    EXPECT_EQ(7, status);
    m_board.setBrightness(40);  // level 60
    EXPECT_EQ(1, camera.getDNStatusFromSensor(status));
    EXPECT_EQ(0, status);
    m_board.setBrightness(69);
    EXPECT_EQ(1, camera.getDNStatusFromSensor(status));
    EXPECT_EQ(0, status);
    // The decision is remembered for the LDR's undecided range: brightness
    // 40 is ISP level 60 (night) and LDR level 46 (between).
    m_board.setBrightness(40);
    status = 1;
    EXPECT_EQ(1, camera.getDNStatusFromSensor(status));
    EXPECT_EQ(0, status);
    status = 1;
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(0, status);
    m_board.setBrightness(80);
    EXPECT_EQ(1, camera.getDNStatusFromSensor(status));
    m_board.setBrightness(40);
    status = 0;
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(1, status);

    // A failed read decides on level 0: day.
    m_board.isp().setResult(4102, -1);
    std::string out = captured([&] { EXPECT_EQ(0, camera.getDNStatusFromSensor(status)); });
    EXPECT_EQ(1, status);
    EXPECT_TRUE(contains(out, "params are fail!")) << out;
}

TEST_F(Hi351xTest, LdrLevelsDecideAndTheFirstNightMeasuresTheLeds) {
    std::shared_ptr<FakeAdc> adc = std::make_shared<FakeAdc>(m_pGpio);
    DeviceLayer::setCharDevice("/dev/adc", adc);
    Camera camera(1);
    camera.m_InfraredLightGpio = GPIOTriple{1, 3, 0};
    camera.setOperator(m_uart, m_gpio);
    camera.setInfraredDTNThreshold(70);
    camera.setInfraredNTDThreshold(30);

    int status = -1;
    adc->setRaw(100);  // level 66: between, the last decision (day) holds
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(1, status);
    EXPECT_TRUE(m_pGpio->writes().empty());

    adc->dark = 0;   // level 98
    adc->lit = 200;  // level 34 with the LEDs on
    adc->requests.clear();
    double before = slept();
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(0, status);
    EXPECT_EQ(6u, adc->requests.size());  // the query and two measurements
    EXPECT_DOUBLE_EQ(2.0, slept() - before);
    ASSERT_EQ(2u, m_pGpio->writes().size());
    EXPECT_EQ(-64, camera.getIrCompensationRaw());
    EXPECT_EQ(-60, camera.getIrCompensation());

    // Night again: no new measurement; between: night holds.
    m_pGpio->clearWrites();
    adc->requests.clear();
    before = slept();
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(0, status);
    adc->setRaw(100);
    status = 1;
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(0, status);
    EXPECT_EQ(4u, adc->requests.size());
    EXPECT_TRUE(m_pGpio->writes().empty());
    EXPECT_DOUBLE_EQ(0.0, slept() - before);

    // With compensation -60 day needs level <= -30.
    adc->setRaw(397);  // level -29
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(0, status);
    adc->setRaw(400);  // level -30
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(1, status);
    EXPECT_EQ(0, camera.getIrCompensation());
    adc->setRaw(212);  // level 30: day without compensation
    status = 0;
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(1, status);

    // The level is truncated toward zero: raw 401 is -30.32, so -30.
    camera.m_nNTDThreshold = -31;
    camera.m_nDTNThreshold = -30;
    adc->setRaw(401);
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(0, status);
    camera.m_nNTDThreshold = -30;
    camera.m_nDTNThreshold = -29;
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(1, status);

    // A failed reading decides nothing.
    camera.m_nNTDThreshold = 30;
    camera.m_nDTNThreshold = 70;
    adc->failRead = true;
    status = 5;
    std::string out = captured([&] { EXPECT_EQ(0, camera.getDNStatusFromLDR(status)); });
    EXPECT_EQ(5, status);
    EXPECT_TRUE(hasLine(out, "getADCValue failed 0")) << out;
    adc->failRead = false;
    adc->setRaw(100);
    EXPECT_EQ(1, camera.getDNStatusFromLDR(status));
    EXPECT_EQ(1, status);
}

TEST_F(Hi351xTest, GpioCompensationLightsTheLedsForOneSecondEach) {
    Camera camera(1);
    camera.m_InfraredLightGpio = GPIOTriple{1, 3, 0};
    testing::internal::CaptureStdout();
    EXPECT_THROW(camera.conductADCValue(), OVRuntimeError);
    EXPECT_TRUE(contains(testing::internal::GetCapturedStdout(), "Use NULL pointer ->"));
    camera.setOperator(m_uart, m_gpio);
    m_board.setLedPin(GPIOTriple{1, 3, 0});
    m_board.setBrightness(21);
    double before = slept();
    EXPECT_EQ(1, camera.conductADCValue());
    EXPECT_DOUBLE_EQ(2.0, slept() - before);
    ASSERT_EQ(2u, m_pGpio->writes().size());
    EXPECT_EQ(1, m_pGpio->writes()[0].nGroup);
    EXPECT_EQ(3, m_pGpio->writes()[0].nPin);
    EXPECT_EQ(1, m_pGpio->writes()[0].nLevel);
    EXPECT_EQ(0, m_pGpio->writes()[1].nLevel);
    EXPECT_EQ(2, m_board.adc().reads());
    EXPECT_EQ(-45, camera.getIrCompensationRaw());  // 26 lit - 71 dark
    EXPECT_EQ(-45, camera.getIrCompensation());

    m_board.setBrightness(0);
    m_board.setReflection(58);
    EXPECT_EQ(1, camera.conductADCValue());
    EXPECT_EQ(-75, camera.getIrCompensationRaw());  // 23 lit - 98 dark
    EXPECT_EQ(-60, camera.getIrCompensation());
    int level = 0;
    EXPECT_EQ(1, camera.getADCValueByGPIOState(1, level));
    EXPECT_EQ(23, level);

    m_board.adc().setFailing(true);
    std::string out = captured([&] { EXPECT_EQ(0, camera.conductADCValue()); });
    EXPECT_TRUE(hasLine(out, "getADCValueByGPIOState failed 0")) << out;
    EXPECT_EQ(0, camera.getIrCompensationRaw());
    EXPECT_EQ(-60, camera.getIrCompensation());
    EXPECT_TRUE(wire().empty());
}

TEST_F(Hi351xTest, PwmCompensationSavesAndRestoresTheSmartInfraredMode) {
    Camera camera(2);
    ASSERT_EQ(1, camera.initController(60, ModuleConfigure(60, "isInfrared=2;GPIO=1,2,0", "")));
    m_board.setBrightness(0);
    m_board.setReflection(58);
    m_board.isp().setValue(40, 2);
    m_board.isp().setValue(42, 55);
    double before = slept();
    EXPECT_EQ(1, camera.conductADCValue());
    EXPECT_DOUBLE_EQ(2.0, slept() - before);
    EXPECT_EQ((Wire{{40, 2}, {42, 55}, {39, 2}, {39, 2}, {41, 55}}), wire());
    std::vector<SimPwm::Setting> history = m_board.pwm().history();
    ASSERT_EQ(2u, history.size());
    EXPECT_EQ(1000u, history[0].nDuty);
    EXPECT_EQ(1, history[0].nEnable);
    EXPECT_EQ(0u, history[1].nDuty);
    EXPECT_EQ(0, history[1].nEnable);
    EXPECT_EQ(2, m_board.adc().reads());
    EXPECT_EQ(-75, camera.getIrCompensationRaw());
    EXPECT_EQ(-60, camera.getIrCompensation());
    EXPECT_TRUE(m_pGpio->writes().empty());

    // Any other mode is restored without the manual value.
    m_board.isp().setValue(40, 1);
    EXPECT_EQ(1, camera.conductADCValue());
    EXPECT_EQ((Wire{{40, 1}, {39, 2}, {39, 1}}), wire());
    EXPECT_EQ(1, m_board.isp().value(40));

    // A failed reading counts as raw 0 and is only printed.
    m_board.adc().setFailing(true);
    camera.m_nIrCompensation = -20;
    std::string out = captured([&] { EXPECT_EQ(1, camera.conductADCValue()); });
    EXPECT_EQ(2, countLines(out, "getADCValueByGPIOState failed 0")) << out;
    EXPECT_EQ(0, camera.getIrCompensation());
}

TEST_F(Hi351xTest, PwmRequestsCarryTheDutyRule) {
    std::shared_ptr<RawPwm> pwm = std::make_shared<RawPwm>();
    DeviceLayer::setCharDevice("/dev/pwm", pwm);
    Camera camera(2);
    ASSERT_EQ(1, camera.initController(60, ModuleConfigure(60, "isInfrared=2;GPIO=1,2,0", "")));
    const int levels[] = {0, 1, 50, 99, 100};
    const uint32_t duties[] = {0, 232, 330, 428, 1000};
    for (int level : levels) {
        EXPECT_EQ(1, camera.setPWMIrLight(level));
    }
    ASSERT_EQ(5u, pwm->requests.size());
    for (size_t n = 0; n < 5; ++n) {
        SCOPED_TRACE("level " + std::to_string(levels[n]));
        const std::vector<unsigned char>& bytes = pwm->requests[n];
        EXPECT_EQ(1ul, pwm->numbers[n]);
        EXPECT_EQ(0, bytes[0]);
        EXPECT_EQ(0, bytes[1] | bytes[2] | bytes[3]);
        EXPECT_EQ(duties[n], wordAt(bytes, 4));
        EXPECT_EQ(1000u, wordAt(bytes, 8));
        EXPECT_EQ(levels[n] == 0 ? 0 : 1, bytes[12]);
    }
}

TEST_F(Hi351xTest, AdcFailuresArePrintedAndTheDeviceIsAlwaysClosed) {
    std::shared_ptr<FakeAdc> adc = std::make_shared<FakeAdc>(m_pGpio);
    DeviceLayer::setCharDevice("/dev/adc", adc);
    Camera camera;
    adc->setRaw(123);
    int raw = 0;
    EXPECT_EQ(1, camera.getADCVal(raw));
    EXPECT_EQ(123, raw);
    EXPECT_TRUE(previousDescriptorClosed());
    ASSERT_EQ(2u, adc->requests.size());
    EXPECT_EQ(kAdcEnable, adc->requests[0].nRequest);
    EXPECT_EQ(1u, adc->requests[0].words[0]);
    EXPECT_EQ(0u, adc->requests[0].words[1]);
    EXPECT_EQ(0u, adc->requests[0].words[2]);
    EXPECT_EQ(kAdcRead, adc->requests[1].nRequest);
    EXPECT_EQ(0u, adc->requests[1].words[1]);

    adc->failEnable = true;
    std::string out = captured([&] { EXPECT_EQ(0, camera.getADCVal(raw)); });
    EXPECT_EQ("enable the adc error 0x1 \n", out);
    EXPECT_TRUE(previousDescriptorClosed());
    adc->failEnable = false;
    adc->failRead = true;
    out = captured([&] { EXPECT_EQ(0, camera.getADCVal(raw)); });
    EXPECT_EQ("get the adcdate error 0x0  enable status 0x3\n", out);
    EXPECT_TRUE(previousDescriptorClosed());

    DeviceLayer::setCharDevice("/dev/adc", nullptr);
    out = captured([&] { EXPECT_EQ(0, camera.getADCVal(raw)); });
    EXPECT_EQ("open adc fail \n", out);
    m_board.removeAdc(false);
}

TEST_F(Hi351xTest, NightSwitchPollsEveryTwentyMillisecondsForAtMostOneSecond) {
    Camera camera;
    int result = camera.turnPictureToDay();
    EXPECT_EQ(1, result);
    EXPECT_EQ((Wire{{15, 1}}), wire());

    // Done just before the sixth poll, 100 ms after the command.
    m_board.isp().setNightSwitchDelay(0.099);
    double before = slept();
    EXPECT_EQ(1, camera.turnPictureToNight());
    EXPECT_NEAR(0.14, slept() - before, 1e-9);  // 5 x 20 ms, then 40 ms
    Wire calls = wire();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(std::make_pair(15, 2), calls[0]);
    EXPECT_EQ(6u, calls.size() - 1);
    EXPECT_EQ(2, m_board.isp().pictureMode());

    m_board.isp().setNightSwitchDelay(100);
    before = slept();
    EXPECT_EQ(1, camera.turnPictureToNight());
    EXPECT_NEAR(1.04, slept() - before, 1e-9);
    calls = wire();
    EXPECT_EQ(51u, calls.size() - 1);
    for (size_t n = 1; n < calls.size(); ++n) {
        EXPECT_EQ(4106, calls[n].first);
    }

    // A refused switch is not waited for.
    m_board.isp().setResult(15, -1);
    before = slept();
    captured([&] { result = camera.turnPictureToNight(); });
    EXPECT_EQ(0, result);
    EXPECT_EQ(0.0, slept() - before);
    EXPECT_EQ((Wire{{15, 2}}), wire());
    m_board.isp().setResult(15, -2);
    captured([&] { result = camera.turnPictureToDay(); });
    EXPECT_EQ(0, result);
}

// An ISP without the end-of-switch report says so on every poll, and the
// camera still waits its second.
TEST_F(Hi351xTest, NightSwitchPollResultsAreChecked) {
    Camera camera;
    m_board.isp().setResult(4106, -3);
    int result = -1;
    double before = slept();
    std::string out = captured([&] { result = camera.turnPictureToNight(); });
    EXPECT_EQ(1, result);
    EXPECT_NEAR(1.04, slept() - before, 1e-9);
    EXPECT_TRUE(contains(out, " unsupport! errcode:0xfffffffd")) << out;
}

TEST_F(Hi351xTest, InitControllerReadsTheInfraredModeAndBothGpioTriples) {
    {
        Camera camera;
        ShellRecord::clear();
        EXPECT_EQ(1, camera.initController(
                         60, ModuleConfigure(60, "isInfrared=2;GPIOInfraredLight=1,3,0;GPIO=4,5,1",
                                             "RS485=9600,8,0,0")));
        EXPECT_EQ(std::vector<std::string>{"himm 0x200F00BC 0x1"}, ShellRecord::commands());
        EXPECT_EQ(2, camera.m_nIsInfrared);
        EXPECT_TRUE(camera.m_bNewInfrared);
        EXPECT_EQ(1, camera.m_InfraredLightGpio.nGroup);
        EXPECT_EQ(3, camera.m_InfraredLightGpio.nBit);
        EXPECT_EQ(0, camera.m_InfraredLightGpio.nDayLevel);
        EXPECT_EQ(4, camera.m_IrCutGpio.nGroup);
        EXPECT_EQ(5, camera.m_IrCutGpio.nBit);
        EXPECT_EQ(1, camera.m_IrCutGpio.nDayLevel);
        camera.setPWMIrLight(50);
        EXPECT_EQ(330u, m_board.pwm().last().nDuty);
    }
    {
        Camera camera;
        camera.m_InfraredLightGpio = GPIOTriple{7, 8, 9};
        ShellRecord::clear();
        int result = -1;
        std::string out = captured([&] {
            result = camera.initController(60, ModuleConfigure(60, "isInfrared=1;GPIO=1,2,0", ""));
        });
        EXPECT_EQ(1, result);
        EXPECT_EQ("get GPIOInfraredLight from detail failed\n", out);
        EXPECT_TRUE(ShellRecord::commands().empty());
        EXPECT_EQ(1, camera.m_nIsInfrared);
        EXPECT_TRUE(camera.m_bNewInfrared);
        EXPECT_EQ(7, camera.m_InfraredLightGpio.nGroup);
        EXPECT_EQ(9, camera.m_InfraredLightGpio.nDayLevel);
        EXPECT_EQ(1,
                  camera.initController(
                      60, ModuleConfigure(60, "isInfrared=1;GPIOInfraredLight=4;GPIO=1,2,0", "")));
        EXPECT_EQ(4, camera.m_InfraredLightGpio.nGroup);
        EXPECT_EQ(8, camera.m_InfraredLightGpio.nBit);
        EXPECT_EQ(9, camera.m_InfraredLightGpio.nDayLevel);
    }
    for (const char* detail :
         {"isInfrared=0;GPIOInfraredLight=1,3,0;GPIO=1,2,0", "isInfrared=x1;GPIO=1,2,0"}) {
        SCOPED_TRACE(detail);
        Camera camera;
        camera.m_InfraredLightGpio = GPIOTriple{7, 8, 9};
        EXPECT_EQ(1, camera.initController(60, ModuleConfigure(60, detail, "")));
        EXPECT_EQ(0, camera.m_nIsInfrared);
        EXPECT_FALSE(camera.m_bNewInfrared);
        EXPECT_EQ(7, camera.m_InfraredLightGpio.nGroup);
        EXPECT_EQ(1, camera.m_IrCutGpio.nGroup);
        EXPECT_EQ(2, camera.m_IrCutGpio.nBit);
    }

    // The PWM device stays open for the camera's life.
    std::unique_ptr<Camera> camera(new Camera());
    ASSERT_EQ(1, camera->initController(60, ModuleConfigure(60, "isInfrared=2;GPIO=1,2,0", "")));
    int fd = camera->m_nPWMFd;
    EXPECT_GT(fd, 0);
    camera.reset();
    EXPECT_NE(0, ovdev_close(fd));
}

TEST_F(Hi351xTest, InitControllerRejectsIncompleteDetails) {
    struct Case {
        const char* szDetail;
        const char* szParameters;
        const char* szMessage;
    };
    const Case cases[] = {
        {"isInfrared=1;GPIO=1,2,0;broken", "", "parse detail failed"},
        {"GPIO=1,2,0", "", "get isInfrared from detail failed"},
        {"isInfrared=0", "", "get GPIO from detail failed"},
        {"isInfrared=0;GPIO=1,2,0", "RS485", "parse senseParameter failed"},
        {"isInfrared=0;GPIO=1,2", "", "parse GPIO param failed,nRet=2"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.szDetail);
        Camera camera;
        int result = -1;
        std::string out = captured([&] {
            result =
                camera.initController(60, ModuleConfigure(60, test.szDetail, test.szParameters));
        });
        EXPECT_EQ(0, result);
        EXPECT_EQ(std::string(test.szMessage) + "\n", out);
    }

    // Without "/dev/pwm" the camera still starts.
    DeviceLayer::setCharDevice("/dev/pwm", nullptr);
    Camera camera(2);
    int result = -1;
    std::string out = captured([&] {
        result = camera.initController(60, ModuleConfigure(60, "isInfrared=2;GPIO=1,2,0", ""));
    });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(hasLine(out, "PWM open Failed")) << out;
    EXPECT_EQ(-1, camera.m_nPWMFd);
    EXPECT_EQ(1, camera.setPWMIrLight(50));

    // The detail errors go to the error log of a booting camera.
    layBoard(m_root, 1);
    Hi351xSenseController booting;
    captured([&] {
        EXPECT_EQ(
            0, booting.init(1, ModuleConfigure(60, "GPIO=1,2,0", ""), VideoResolution(1920, 1080)));
    });
    std::string log = m_root.readFile("/mnt/mtd/log/SensorError.log");
    EXPECT_TRUE(contains(log, "get isInfrared from detail failed")) << log;
    EXPECT_TRUE(contains(log, "initController failed")) << log;
}

TEST_F(Hi351xTest, VideoSystemSwitchWaitsThreeSecondsWhateverTheResult) {
    Camera camera;
    const VideoResolution resolution(1920, 1080);
    double before = slept();
    EXPECT_EQ(1, camera.setSensorVideoSystem(1, resolution));
    EXPECT_DOUBLE_EQ(3.0, slept() - before);
    EXPECT_EQ((Wire{{2049, 1}}), wire());
    EXPECT_EQ(1, camera.updateSensorVideoSystem(0, resolution));
    EXPECT_EQ(0, m_board.isp().videoStandard());
    wire();

    int result = -1;
    before = slept();
    std::string out = captured([&] { result = camera.setSensorVideoSystem(2, resolution); });
    EXPECT_EQ(0, result);
    EXPECT_EQ("not PAL or NTSC param!\n", out);
    EXPECT_DOUBLE_EQ(3.0, slept() - before);
    EXPECT_TRUE(wire().empty());
    captured([&] { EXPECT_EQ(0, camera.updateSensorVideoSystem(-1, resolution)); });

    m_board.isp().setResult(2049, -1);
    before = slept();
    captured([&] { result = camera.setSensorVideoSystem(0, resolution); });
    EXPECT_EQ(0, result);
    EXPECT_DOUBLE_EQ(3.0, slept() - before);

    // The switch goes through the virtual update, so a derived camera's wins.
    struct Derived : public Hi351xSenseController {
        int updateSensorVideoSystem(int, const VideoResolution&) override { return 7; }
    } derived;
    EXPECT_EQ(7, derived.setSensorVideoSystem(1, resolution));
}

namespace {

const char* const kInfraredDetail = "isInfrared=1;GPIOInfraredLight=1,3,0;GPIO=1,2,0";

// A whole evening and morning on the simulated board: the scene darkens by
// one unit every three seconds down to 0, stays dark, then brightens the same
// way. The LEDs add 35 units at the LDR when on.
class Hi351xDuskTest : public Hi351xTest {
protected:
    Hi351xDuskTest() {
        layBoard(m_root, 1);
        m_root.clock().setTimeOfDay(12, 0);
        m_board.setLedPin(GPIOTriple{1, 3, 0});
    }

    // One second of the camera's life: its thread runs what is due.
    void tick() {
        m_root.clock().advance(1);
        ASSERT_TRUE(m_root.clock().settle(1));
    }

    void runEveningAndMorning(Hi351xSenseController& p_camera) {
        m_board.isp().clearCalls();
        for (int brightness = 100; brightness >= 0; --brightness) {
            m_board.setBrightness(brightness);
            for (int n = 0; n < 3; ++n) {
                tick();
                noteSwitches(brightness);
                if (nights > 0 && nightCompensation == 1) {
                    nightCompensation = p_camera.getIrCompensation();
                }
            }
        }
        for (int n = 0; n < 30; ++n) {
            tick();
        }
        EXPECT_EQ(1, m_pGpio->level(1, 2)) << "the IR-cut filter should be out at night";
        EXPECT_EQ(1, m_pGpio->level(1, 3)) << "the LEDs should shine at night";
        for (int brightness = 0; brightness <= 100; ++brightness) {
            m_board.setBrightness(brightness);
            for (int n = 0; n < 3; ++n) {
                tick();
                noteSwitches(brightness);
            }
        }
        for (int n = 0; n < 10; ++n) {
            tick();
        }
        noteSwitches(100);
    }

    void noteSwitches(int p_nBrightness) {
        int nightsNow = countCalls(15, 2);
        int daysNow = countCalls(15, 1);
        if (nightsNow > nights && nightAt < 0) {
            nightAt = p_nBrightness;
        }
        if (daysNow > days && dayAt < 0) {
            dayAt = p_nBrightness;
        }
        nights = nightsNow;
        days = daysNow;
    }

    int nights = 0;
    int days = 0;
    int nightAt = -1;
    int dayAt = -1;
    int nightCompensation = 1;
};

}  // namespace

TEST_F(Hi351xDuskTest, ADuskWithLedReflectionSwitchesToNightOnceAndBackToDayOnce) {
    SensorControllerManager manager;
    manager.setUARTController(m_uart);
    manager.setGPIO(m_gpio);
    ASSERT_EQ(1, manager.init(1, VideoResolution(1920, 1080),
                              ModuleConfigure(60, kInfraredDetail, "RS485=9600,8,0,0")));
    ASSERT_TRUE(m_root.clock().settle(1));
    SafePointer<ISensorController> controller = manager.getSensorController();
    Hi351xSenseController* camera = dynamic_cast<Hi351xSenseController*>(controller.get());
    ASSERT_NE(nullptr, camera);
    EXPECT_EQ(70, camera->getDTNThreshold());
    EXPECT_EQ(30, camera->getNTDThreshold());

    runEveningAndMorning(*camera);
    EXPECT_EQ(1, nights);
    EXPECT_EQ(1, days);
    EXPECT_EQ(21, nightAt);  // level 71
    // Lit by its own LEDs the LDR reads 35 units more: day needs level
    // <= 30 - 45, about brightness 54, plus the 5-s return-to-day delay.
    EXPECT_GE(dayAt, 54);
    EXPECT_LE(dayAt, 56);
    EXPECT_GE(nightCompensation, -47);
    EXPECT_LE(nightCompensation, -44);
    EXPECT_EQ(1, m_board.isp().pictureMode());
    EXPECT_EQ(0, m_pGpio->level(1, 3));
    EXPECT_EQ(0, m_pGpio->level(1, 2));
}

TEST_F(Hi351xDuskTest, WithoutCompensationTheLedsOwnLightFlipsTheCameraBackToDay) {
    std::unique_ptr<UncompensatedCamera> camera(new UncompensatedCamera());
    camera->setOperator(m_uart, m_gpio);
    int result = -1;
    captured([&] {
        result = camera->init(1, ModuleConfigure(60, kInfraredDetail, "RS485=9600,8,0,0"),
                              VideoResolution(1920, 1080));
    });
    ASSERT_EQ(1, result);
    ASSERT_TRUE(m_root.clock().settle(1));
    runEveningAndMorning(*camera);
    EXPECT_GT(nights, 1);
    EXPECT_GT(days, 1);
}
