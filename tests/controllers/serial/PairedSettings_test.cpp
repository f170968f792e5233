#include <gtest/gtest.h>

#include <map>
#include <string>

#include "controllers/serial/register/EffioSenseController.h"
#include "controllers/serial/register/IT1SenseController.h"
#include "controllers/serial/register/SeawolfSenseController.h"
#include "platform/GThread.h"
#include "platform/SensorParameterParser.h"
#include "sim/SimGPIO.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimIT1Module.h"
#include "sim/register/SimSeawolfModule.h"
#include "support/TestController.h"
#include "support/Owned.h"

// Settings that come in pairs that must stay in order (a minimum and a
// maximum, two day/night thresholds) are checked against each other. A
// stored set that is right as a whole must apply in id order even when its
// first id would not fit the pair it replaces.

namespace {

struct Pair {
    int nFirst;  // the lower id, applied first
    int nSecond;
};

template <class Controller, class Module>
std::map<int, int> applyStoredPair(int p_nModuleId, const char* p_szDetail, Pair p_ids,
                                   Pair p_cached, Pair p_stored, int& p_nReset) {
    ScratchRoot root;
    layBoard(root, 1);
    Owned<Controller> camera;
    camera.setOperator(SafePointer<IUARTController>(new Module()),
                       SafePointer<IGPIO>(new SimGPIO()));
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, camera.init(1, ModuleConfigure(p_nModuleId, p_szDetail, "RS232=9600,8,0,0"),
                             VideoResolution(1920, 1080)));
    root.clock().runFor(2.0, &GThread::runningCount);  // scheme 0 applies
    // The pair now, kept in order on the way from the factory's.
    EXPECT_EQ(1, camera.setParameter(p_ids.nFirst, p_cached.nFirst));
    EXPECT_EQ(1, camera.setParameter(p_ids.nSecond, p_cached.nSecond));
    std::string stored;
    camera.readParamByScheme(0, stored);
    camera.UpdateParametersIdValue(stored, p_ids.nFirst, p_stored.nFirst);
    camera.UpdateParametersIdValue(stored, p_ids.nSecond, p_stored.nSecond);
    root.writeFile("/mnt/mtd/code/config_file/sensor0.cfg", stored);
    p_nReset = camera.resetToLastParameters();
    std::string text;
    camera.getParameters(std::to_string(p_ids.nFirst) + "," + std::to_string(p_ids.nSecond), text);
    testing::internal::GetCapturedStdout();
    std::map<int, int> values;
    SensorParameterParser::parseSensorParameter(text, values);
    return values;
}

const char* const kDetail = "RS232=/dev/ttyAMA1;isInfrared=0;GPIO=1,2,0";

}  // namespace

TEST(PairedSettings, IT1ShutterRangeOfAStoredSetAppliesOverADisjointOne) {
    int reset = 0;
    auto values = applyStoredPair<IT1SenseController, SimIT1Module>(2, kDetail, {8, 11}, {5, 20},
                                                                    {25, 10000}, reset);
    EXPECT_EQ(1, reset);
    EXPECT_EQ((std::map<int, int>{{8, 25}, {11, 10000}}), values);
}

TEST(PairedSettings, EffioAndSeawolfThresholdsOfAStoredSetApplyOverHigherOnes) {
    int reset = 0;
    auto effio = applyStoredPair<EffioSenseController, SimEffioModule>(
        10, kDetail, {9, 10}, {250, 210}, {200, 100}, reset);
    EXPECT_EQ(1, reset);
    EXPECT_EQ((std::map<int, int>{{9, 200}, {10, 100}}), effio);
    auto seawolf = applyStoredPair<SeawolfSenseController, SimSeawolfModule>(
        12, kDetail, {16, 17}, {250, 210}, {200, 100}, reset);
    EXPECT_EQ(1, reset);
    EXPECT_EQ((std::map<int, int>{{16, 200}, {17, 100}}), seawolf);
}
