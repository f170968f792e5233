#include <gtest/gtest.h>

#include <string>

#include "controllers/serial/NoSensorUIController.h"
#include "sim/SimGPIO.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/TestController.h"
#include "support/Owned.h"

namespace {

void boot(NoSensorUIController& p_camera) {
    SimViscaCamera* module = new SimViscaCamera();
    module->setSendCompletions(false);
    p_camera.setOperator(SafePointer<IUARTController>(module), SafePointer<IGPIO>(new SimGPIO()));
    testing::internal::CaptureStdout();
    EXPECT_EQ(1, p_camera.init(1, ModuleConfigure(90, "RS485=/dev/ttyAMA1", "RS485=9600,8,0,0"),
                               VideoResolution(1920, 1080)));
    testing::internal::GetCapturedStdout();
}

}  // namespace

// A controller with no file versions of its own (the no-sensor one) keeps
// what its user saved across a restart, as every other controller does.
TEST(SchemeFilesKept, ByAControllerWithoutVersionsOfItsOwn) {
    ScratchRoot root;
    layBoard(root, 2);
    {
        Owned<NoSensorUIController> first;
        boot(first);
        first.setParamMode(0);
        first.setParamScheme(1);
        EXPECT_EQ(0, first.setParameters("(500,1)(501,6)(502,0)(503,18)(504,0)"));
        EXPECT_EQ(0, first.flush());
    }
    Owned<NoSensorUIController> second;
    boot(second);
    std::string saved = root.readFile("/mnt/mtd/code/config_file/sensor1.cfg");
    EXPECT_NE(std::string::npos, saved.find("(501,6)")) << saved;
}
