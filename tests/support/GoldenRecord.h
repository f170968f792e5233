#ifndef SENSORCONTROL_TESTS_SUPPORT_GOLDENRECORD_H
#define SENSORCONTROL_TESTS_SUPPORT_GOLDENRECORD_H

#include <functional>
#include <string>
#include <vector>

#include "framework/ISensorController.h"

// A record of everything a controller does for each parameter id: for every
// value of a sweep, what setParameterToSensor returned, what went to the
// hardware (ISP calls, serial bytes) and what it printed or logged; then what
// getParameterFromSensor answers. Kept under tests/controllers/golden, it
// holds a controller's behaviour to the byte across rework of its insides.
class GoldenRecord {
public:
    // p_wire returns what reached the hardware since its last call, as text.
    explicit GoldenRecord(std::function<std::string()> p_wire);

    // One line per operation, appended to the record.
    void sweep(ISensorController& p_controller, int p_nFirstId, int p_nLastId,
               const std::vector<int>& p_values);
    // Any other step worth recording, run with its output captured.
    void step(const std::string& p_strWhat, const std::function<int()>& p_operation);

    const std::string& text() const { return m_strText; }

private:
    void line(const std::string& p_strWhat, const std::string& p_strResult,
              const std::string& p_strOutput);

    std::function<std::string()> m_wire;
    std::string m_strText;
};

// The values every sweep tries: the edges of the usual ranges and a few
// beyond them.
std::vector<int> goldenValues();

// Compares the record with tests/controllers/golden/NAME.txt; with
// SENSORCONTROL_GOLDEN_UPDATE=1 in the environment it writes the file
// instead (and the test fails, so an update is never silent).
void expectGolden(const std::string& p_strName, const std::string& p_strRecord);

#endif
