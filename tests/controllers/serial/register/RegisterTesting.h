#ifndef SENSORCONTROL_TESTS_CONTROLLERS_SERIAL_REGISTER_REGISTERTESTING_H
#define SENSORCONTROL_TESTS_CONTROLLERS_SERIAL_REGISTER_REGISTERTESTING_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/IUARTController.h"
#include "framework/SafePointer.h"
#include "platform/GThread.h"
#include "sim/SimGPIO.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

// What a call printed on the console (the error log's lines are echoed
// there too).
template <class Call>
std::string printed(Call p_call) {
    testing::internal::CaptureStdout();
    p_call();
    return testing::internal::GetCapturedStdout();
}

inline bool contains(const std::string& p_strText, const std::string& p_strPart) {
    return p_strText.find(p_strPart) != std::string::npos;
}

// Frames as hex text, for comparing what the line carried.
inline std::vector<std::string> texts(const std::vector<std::string>& p_frames) {
    std::vector<std::string> result;
    for (const std::string& frame : p_frames) {
        result.push_back(text(frame));
    }
    return result;
}

// A controller on a simulated module or a scripted port (Line) and simulated
// GPIO, in a scratch root on the virtual clock. Controller is a test
// subclass that opens m_nUARTIndex; the line stands at index 0, as after an
// open.
template <class Controller, class Line>
class RegisterFixture : public testing::Test {
protected:
    RegisterFixture() {
        m_camera.setOperator(m_port, m_gpio);
        m_camera.m_nUARTIndex = 0;
    }
    // The fixture owns the controller directly: its threads stop first.
    ~RegisterFixture() override { m_camera.stopThreads(); }

    // The requests a simulated module took since the last call, as text.
    std::vector<std::string> frames() {
        std::vector<std::string> sent = texts(m_pModule->received());
        m_pModule->clearReceived();
        return sent;
    }

    // Lets the background threads run for p_dSeconds of virtual time.
    void run(double p_dSeconds) {
        m_strOut += printed([&] { m_root.clock().runFor(p_dSeconds, GThread::runningCount()); });
    }

    ScratchRoot m_root;
    Line* m_pModule = new Line();
    SafePointer<IUARTController> m_port{m_pModule};
    SimGPIO* m_pGpio = new SimGPIO();
    SafePointer<IGPIO> m_gpio{m_pGpio};
    Controller m_camera;
    std::string m_strOut;
};

#endif
