#include <gtest/gtest.h>

#include <string>

#include "controllers/serial/cmd/CMD8300SenseController.h"
#include "controllers/serial/visca/FCBEV7310SenseController.h"
#include "controllers/serial/visca/SONYCH3310SenseController.h"
#include "controllers/serial/visca/SONYEH4300SenseController.h"
#include "sim/cmd/SimCmdCamera.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/ModuleFixture.h"

namespace {

template <class Controller>
class Open : public Controller {
public:
    using ISensorController::m_bInitFinished;
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pSensorCache;
    using ISensorController::m_SensorStatus;
};

typedef ModuleFixture<Open<FCBEV7310SenseController>, SimViscaCamera> FramedTest;
typedef ModuleFixture<Open<SONYCH3310SenseController>, SimViscaCamera> SingleReadTest;
typedef ModuleFixture<Open<SONYEH4300SenseController>, SimViscaCamera> KeelTest;
typedef ModuleFixture<Open<CMD8300SenseController>, SimCmdCamera> CmdTest;

const char* const kSharpness100 = "81 01 04 42 00 00 00 0F FF";
const char* const kSharpness50 = "81 01 04 42 00 00 00 07 FF";

}  // namespace

// A module that acknowledges a command and then finds it cannot carry it
// out: the refusal belongs to that command, and the next command is
// answered by its own acknowledgement, sent once.
TEST_F(FramedTest, ARefusalAfterTheAcknowledgementIsLoggedAndNeverAnswersTheNextCommand) {
    m_pModule->injectFault(SimViscaCamera::FAULT_REFUSED_AFTER_ACK);
    EXPECT_EQ(1, set(1, 100));
    EXPECT_EQ(1, set(1, 50));
    EXPECT_EQ(1, occurrences(m_strOut, "the module refused an earlier command: 90 61 41 FF"))
        << m_strOut;
    EXPECT_EQ((Frames{kSharpness100, kSharpness50}), frames());
    EXPECT_EQ(1, set(1, 100));
    EXPECT_EQ(0, occurrences(m_strOut, "refused")) << m_strOut;
}

TEST_F(CmdTest, ARefusalAfterTheAcknowledgementIsLoggedAndNeverAnswersTheNextCommand) {
    m_pModule->injectFault(SimViscaCamera::FAULT_REFUSED_AFTER_ACK);
    EXPECT_EQ(1, set(4, 2));  // gamma: 81 01 04 5B 02 FF
    EXPECT_EQ(1, set(4, 3));
    EXPECT_TRUE(logged("the module refused an earlier command: 90 61 41 FF")) << m_strOut;
    EXPECT_EQ((Frames{"81 01 04 5B 02 FF", "81 01 04 5B 03 FF"}), frames());
    EXPECT_EQ(0u, m_pModule->pendingBytes());
}

// The members that read one answer per exchange leave a completion in the
// line; the next command must not take it for its acknowledgement.
TEST_F(SingleReadTest, ACompletionLeftInTheLineDoesNotAnswerTheNextCommand) {
    m_pModule->setSendCompletions(true);
    EXPECT_EQ(1, set(1, 100));
    EXPECT_EQ(3u, m_pModule->pendingBytes());  // 90 51 FF
    EXPECT_EQ(1, set(1, 50));
    EXPECT_EQ(3u, m_pModule->pendingBytes());  // its own completion, not 90 41 FF 90 51 FF
    EXPECT_EQ((Frames{kSharpness100, kSharpness50}), frames());
    EXPECT_FALSE(logged("refused")) << m_strOut;
}

// A refused command is tried three times, as every failed exchange is, and
// the log says once that the module refused it.
TEST_F(FramedTest, AnErrorReplyIsRetriedAndLoggedOnceAsTheModulesRefusal) {
    m_pModule->injectFault(SimViscaCamera::FAULT_SYNTAX_ERROR, 3);
    EXPECT_EQ(0, set(1, 100));
    EXPECT_EQ((Frames{kSharpness100, kSharpness100, kSharpness100}), frames());
    EXPECT_EQ(1, occurrences(m_strOut,
                             "the module refused 81 01 04 42 00 00 00 0F FF: "
                             "90 60 02 FF (3 attempts)"))
        << m_strOut;
    EXPECT_EQ(1, set(1, 50));
}

TEST_F(SingleReadTest, AModuleThatNeverAnswersIsReportedSoAfterThreeAttempts) {
    m_pModule->injectFault(SimViscaCamera::FAULT_SILENT, 3);
    EXPECT_EQ(0, set(1, 100));
    EXPECT_EQ(3u, frames().size());
    EXPECT_EQ(1, occurrences(m_strOut, "the module did not answer " + std::string(kSharpness100) +
                                           " (3 attempts)"))
        << m_strOut;
}

// The zoom-module base's mask frames are echoed: a completion still in the
// line from the command before would spoil the echo and send the frame
// again.
TEST_F(KeelTest, AMaskFrameAfterACommandIsSentOnce) {
    m_camera.m_bInitFinished = true;
    m_pModule->setSendCompletions(true);
    EXPECT_EQ(1, set(1, 100));
    EXPECT_EQ(1, quiet([&] { return m_camera.setRegion(2); }));
    EXPECT_EQ((Frames{kSharpness100, "A1 00 02 FF"}), frames());
}
