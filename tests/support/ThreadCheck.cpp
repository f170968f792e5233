// Linked into every test program: a test that destroys a controller whose
// threads still run (its owner did not stop them first) fails, since those
// threads may have called into a part already torn down.
#include <gtest/gtest.h>

#include "framework/ISensorController.h"

namespace {

class ThreadsStoppedFirst : public ::testing::Environment {
public:
    void TearDown() override {
        EXPECT_EQ(0, ISensorController::destroyedWithThreadsRunning())
            << "a controller was destroyed with its threads running: call stopThreads() "
               "first, or own it through SafePointer";
    }
};

const ::testing::Environment* const s_pCheck =
    ::testing::AddGlobalTestEnvironment(new ThreadsStoppedFirst());

}  // namespace
