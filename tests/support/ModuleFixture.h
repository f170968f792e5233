#ifndef SENSORCONTROL_TESTS_SUPPORT_MODULEFIXTURE_H
#define SENSORCONTROL_TESTS_SUPPORT_MODULEFIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/ISensorController.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

// How often p_strPart stands in p_strText.
inline size_t occurrences(const std::string& p_strText, const std::string& p_strPart) {
    size_t found = 0;
    for (size_t at = p_strText.find(p_strPart); at != std::string::npos;
         at = p_strText.find(p_strPart, at + 1)) {
        ++found;
    }
    return found;
}

// A serial controller on its simulated module, initialised as far as
// parameter access needs: Camera opens the base's m_nUARTIndex,
// m_SensorStatus and m_pSensorCache to the test; Module is the simulator,
// with received() and clearReceived().
template <class Camera, class Module>
class ModuleFixture : public testing::Test {
protected:
    typedef std::vector<std::string> Frames;

    ModuleFixture() {
        m_camera.setOperator(m_port, m_gpio);
        m_camera.m_nUARTIndex = 0;
        m_camera.m_SensorStatus = ISensorController::InitSuccess;
    }
    // The fixture owns the controller directly: its threads stop first.
    ~ModuleFixture() override { m_camera.stopThreads(); }

    // Every frame the module took since the last call, as hex text.
    Frames frames() {
        Frames result;
        for (const auto& frame : m_pModule->received()) {
            result.push_back(text(frame));
        }
        m_pModule->clearReceived();
        return result;
    }

    // Runs p_call with the console (where the logs are echoed) in m_strOut.
    int quiet(const std::function<int()>& p_call) {
        testing::internal::CaptureStdout();
        int result = p_call();
        m_strOut = testing::internal::GetCapturedStdout();
        return result;
    }

    bool logged(const std::string& p_strText) const {
        return m_strOut.find(p_strText) != std::string::npos;
    }

    // The virtual time p_call waited.
    double slept(const std::function<int()>& p_call) {
        double before = m_root.clock().sleptSeconds();
        quiet(p_call);
        return m_root.clock().sleptSeconds() - before;
    }

    int set(int p_nId, int p_nValue) {
        return quiet([&] { return m_camera.setParameterToSensor(p_nId, p_nValue); });
    }

    int get(int p_nId) {
        int value = -99;
        quiet([&] { return m_camera.getParameterFromSensor(p_nId, value); });
        return value;
    }

    void cache(int p_nId, int p_nValue) {
        m_camera.m_pSensorCache->setSensorValue(p_nId, p_nValue);
    }

    // Swaps the module for a scripted port that checks every byte.
    SimSerialPort* scripted() {
        SimSerialPort* port = new SimSerialPort();
        m_camera.setOperator(SafePointer<IUARTController>(port), m_gpio);
        return port;
    }

    // One setting per row: the value, what the setter gives, the frames the
    // module takes and, when not null, a text the logs must hold.
    struct Case {
        int nId;
        int nValue;
        int nResult;
        Frames expected;
        const char* szLog;
    };
    void expectCases(const std::vector<Case>& p_cases) {
        for (const Case& c : p_cases) {
            SCOPED_TRACE("id " + std::to_string(c.nId) + " = " + std::to_string(c.nValue));
            EXPECT_EQ(c.nResult, set(c.nId, c.nValue));
            EXPECT_EQ(c.expected, frames());
            if (c.szLog != nullptr) {
                EXPECT_TRUE(logged(c.szLog)) << m_strOut;
            }
        }
    }

    ScratchRoot m_root;
    Module* m_pModule = new Module();
    SafePointer<IUARTController> m_port{m_pModule};
    SafePointer<IGPIO> m_gpio{new SimGPIO()};
    Camera m_camera;
    std::string m_strOut;
};

#endif
