#include "support/GoldenRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// Console output on one line: line breaks shown as " / ".
std::string flattened(const std::string& p_strText) {
    std::string result;
    for (char character : p_strText) {
        if (character == '\n') {
            result += " / ";
        } else {
            result += character;
        }
    }
    while (result.size() >= 3 && result.compare(result.size() - 3, 3, " / ") == 0) {
        result.resize(result.size() - 3);
    }
    return result;
}

std::string goldenPath(const std::string& p_strName) {
    return std::string(SENSORCONTROL_TEST_SOURCE_DIR) + "/controllers/golden/" + p_strName + ".txt";
}

}  // namespace

GoldenRecord::GoldenRecord(std::function<std::string()> p_wire) : m_wire(std::move(p_wire)) {}

void GoldenRecord::line(const std::string& p_strWhat, const std::string& p_strResult,
                        const std::string& p_strOutput) {
    m_strText += p_strWhat + " = " + p_strResult;
    std::string wire = m_wire();
    if (!wire.empty()) {
        m_strText += " | wire " + wire;
    }
    if (!p_strOutput.empty()) {
        m_strText += " | out " + flattened(p_strOutput);
    }
    m_strText += "\n";
}

void GoldenRecord::sweep(ISensorController& p_controller, int p_nFirstId, int p_nLastId,
                         const std::vector<int>& p_values) {
    for (int id = p_nFirstId; id <= p_nLastId; ++id) {
        for (int value : p_values) {
            testing::internal::CaptureStdout();
            int result = p_controller.setParameterToSensor(id, value);
            std::string output = testing::internal::GetCapturedStdout();
            line("set " + std::to_string(id) + " " + std::to_string(value), std::to_string(result),
                 output);
        }
        int value = -12345;
        testing::internal::CaptureStdout();
        int result = p_controller.getParameterFromSensor(id, value);
        std::string output = testing::internal::GetCapturedStdout();
        line("get " + std::to_string(id), std::to_string(result) + " " + std::to_string(value),
             output);
    }
}

void GoldenRecord::step(const std::string& p_strWhat, const std::function<int()>& p_operation) {
    testing::internal::CaptureStdout();
    int result = p_operation();
    std::string output = testing::internal::GetCapturedStdout();
    line(p_strWhat, std::to_string(result), output);
}

std::vector<int> goldenValues() {
    return {-1, 0, 1, 2, 3, 4, 5, 8, 10, 15, 16, 21, 31, 50, 100, 101, 126, 255, 256, 65536};
}

void expectGolden(const std::string& p_strName, const std::string& p_strRecord) {
    const std::string path = goldenPath(p_strName);
    const char* update = std::getenv("SENSORCONTROL_GOLDEN_UPDATE");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(path, std::ios::trunc) << p_strRecord;
        FAIL() << "wrote " << path;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << "no golden record " << path << " (SENSORCONTROL_GOLDEN_UPDATE=1 writes it)";
    std::ostringstream expected;
    expected << in.rdbuf();
    // Line by line, so a difference names its operation.
    std::istringstream want(expected.str());
    std::istringstream got(p_strRecord);
    std::string wantLine;
    std::string gotLine;
    int number = 0;
    while (true) {
        bool haveWant = static_cast<bool>(std::getline(want, wantLine));
        bool haveGot = static_cast<bool>(std::getline(got, gotLine));
        ++number;
        if (!haveWant && !haveGot) {
            break;
        }
        ASSERT_EQ(haveWant ? wantLine : "<end>", haveGot ? gotLine : "<end>")
            << p_strName << " line " << number;
    }
}
