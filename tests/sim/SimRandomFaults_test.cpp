#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "sim/SimBoard.h"
#include "sim/register/SimEffioModule.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

namespace {

const std::string kRead = hex("06 52 06 49 49 F0");   // one register
const std::string kWrite = hex("06 57 06 49 21 CD");  // 0x21 into it

// Everything the module answers to one request, late answers included.
std::string ask(SimEffioModule& p_module, const std::string& p_strRequest) {
    p_module.write(0, p_strRequest.data(), static_cast<int>(p_strRequest.size()));
    std::string answer;
    char buffer[32];
    for (int empty = 0; empty < 3;) {
        int count = p_module.read(0, buffer, sizeof(buffer), 1);
        count > 0 ? answer.append(buffer, static_cast<size_t>(count)) : std::string();
        empty += count > 0 ? 0 : 1;
    }
    return text(answer);
}

// The answers to p_nCount reads, a tenth of a second apart.
std::vector<std::string> run(SimEffioModule& p_module, ScratchRoot& p_root, int p_nCount) {
    std::vector<std::string> answers;
    for (int index = 0; index < p_nCount; ++index) {
        answers.push_back(ask(p_module, kRead));
        p_root.clock().advance(0.1);
    }
    return answers;
}

}  // namespace

TEST(SimRandomFaults, ComeAtTheirRateOfTheModulesKindsAndRepeatWithTheSeed) {
    ScratchRoot root;
    SimEffioModule first;
    SimEffioModule same;
    SimEffioModule other;
    first.setFaultRate(0.25, 7);
    same.setFaultRate(0.25, 7);
    other.setFaultRate(0.25, 8);
    std::vector<std::string> answers = run(first, root, 400);
    EXPECT_EQ(answers, run(same, root, 400));
    EXPECT_NE(answers, run(other, root, 400));

    SimLineModule::LineCounts counts = first.lineCounts();
    EXPECT_EQ(400u, counts.nWrites);
    EXPECT_GT(counts.nFaults, 60u);
    EXPECT_LT(counts.nFaults, 140u);
    EXPECT_GT(counts.nRestarts, 0u);
    // Silence, a short answer, a bad checksum, an error status, a wrong
    // code, noise, a late answer: every kind shows among the answers.
    std::set<std::string> kinds(answers.begin(), answers.end());
    EXPECT_GE(kinds.size(), 7u);
    EXPECT_EQ(1u, kinds.count("04 00 20 24"));  // and most are right
}

TEST(SimRandomFaults, ARestartSilencesTheModuleThenItAnswersFromItsState) {
    ScratchRoot root;
    SimEffioModule module;
    module.setRestartSilence(2.0);
    module.setFaultRate(1.0, 1);
    for (int tries = 0; tries < 200 && module.lineCounts().nRestarts == 0; ++tries) {
        ask(module, kWrite);
    }
    ASSERT_TRUE(module.restartingNow());
    module.setFaultRate(0.0, 0);
    module.setRegister(SimEffioModule::key(0x06, 0x49), 0x22);
    EXPECT_EQ("", ask(module, kWrite));  // lost while it restarts
    root.clock().advance(2.0);
    EXPECT_EQ("04 00 22 26", ask(module, kRead));
}

TEST(SimRandomFaults, QueuedFaultsGoFirstAndRateZeroDropsThem) {
    ScratchRoot root;
    SimEffioModule module;
    module.injectFault(SimRegisterModule::FAULT_ERROR_STATUS, 2);
    module.setFaultRate(0.5, 3);
    EXPECT_EQ("04 F1 00 F5", ask(module, kRead));
    module.setFaultRate(0.0, 0);
    EXPECT_EQ("04 00 20 24", ask(module, kRead));
    EXPECT_EQ(0u, module.lineCounts().nFaults);
}

TEST(SimRandomFaults, TheISPFailsAtItsRateButNeverSaysUnsupported) {
    ScratchRoot root;
    SimGPIO gpio;
    SimBoard board(&gpio);
    board.isp().setFailureRate(0.2, 5);
    std::set<int> results;
    for (int index = 0; index < 500; ++index) {
        int value = index % 100;
        results.insert(board.isp().ioctrl(13, &value));
    }
    EXPECT_EQ((std::set<int>{-2, -1, 0}), results);
    SimIsp::Counts counts = board.isp().counts();
    EXPECT_EQ(500u, counts.nCommands);
    EXPECT_GT(counts.nFailures, 60u);
    EXPECT_LT(counts.nFailures, 140u);
}
