#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/Owned.h"
#include "support/TestController.h"

// What a write that failed leaves behind: the hardware may have taken it all
// the same, so nothing may take the cache's word for what the hardware holds.

namespace {

typedef std::vector<std::pair<int, int> > Applied;

// A sensor whose answers can be lost after it took the value, as a module's
// answer is lost on a noisy line.
class LostAnswers : public TestController {
public:
    int setParameterToSensor(int p_nId, int p_nValue) override {
        int result = TestController::setParameterToSensor(p_nId, p_nValue);
        if (result == 1 && answersToLose > 0) {
            --answersToLose;
            return 0;
        }
        return result;
    }

    int answersToLose = 0;
};

class FailedWriteTest : public testing::Test {
protected:
    FailedWriteTest() {
        m_camera.setOperator(SafePointer<IUARTController>(new SimSerialPort()),
                             SafePointer<IGPIO>(new SimGPIO()));
    }

    template <class Call>
    void quietly(Call p_call) {
        testing::internal::CaptureStdout();
        p_call();
        testing::internal::GetCapturedStdout();
    }

    ScratchRoot m_root;
    Owned<LostAnswers> m_camera;
};

}  // namespace

TEST_F(FailedWriteTest, AValueTheSensorTookDespiteAFailureIsSentAgainEvenWhenCached) {
    LostAnswers& c = m_camera;
    ASSERT_EQ(1, c.setParameter(1, 15));
    c.answersToLose = 1;
    quietly([&] { EXPECT_EQ(0, c.setParameter(1, 60)); });
    EXPECT_EQ(60, c.hardware[1]);
    int cached = 0;
    c.m_pSensorCache->getSensorValue(1, cached);
    EXPECT_EQ(15, cached);  // a failed write changes no cache

    // Back to the cached value, alone or in a set: the sensor is asked, once.
    c.applied.clear();
    EXPECT_EQ(0, c.setParameters("(1,15)"));
    EXPECT_EQ(15, c.hardware[1]);
    EXPECT_EQ(1, c.setParameter(1, 15));
    EXPECT_EQ((Applied{{1, 15}}), c.applied);
}

TEST_F(FailedWriteTest, ASetWhoseIdZeroFailsIsReportedFailed) {
    LostAnswers& c = m_camera;
    c.getIdManager()->addParameterId(ID_TYPE_COMMON, 0);
    int result = 0;
    quietly([&] { result = c.setParameters("(0,500)(1,11)"); });
    EXPECT_NE(0, result);                       // minus 0 would read as success
    EXPECT_EQ((Applied{{0, 500}}), c.applied);  // the set stopped at id 0
}

TEST_F(FailedWriteTest, ADayNightModeWrittenAgainPutsThePictureRightAgain) {
    LostAnswers& c = m_camera;
    quietly([&] {
        c.setDayNightMode(1);
        c.DNSwitchHandle();
        c.DNSwitchHandle();  // in day already: nothing to do
        c.setDayNightMode(1);
        c.DNSwitchHandle();
    });
    EXPECT_EQ((std::vector<std::string>{"manual", "day", "manual", "day"}), c.calls);
}
