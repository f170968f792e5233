#include "IKeelZoomSensorController.h"

#include "visca/Visca.h"

#include <algorithm>
#include <vector>

// Mask frames (hex): A1 op aa FF.
//   op 00 select region aa     op 01 set mask       op 04 show     op 05 hide
//   op 06 clear                op 07 clear all      op 20 resize, aa 01 wider,
//                                                   02 narrower, 03 higher, 04 lower
namespace {

const int kAttempts = 3;
const int kEchoWait = 5;

enum {
    OP_SELECT = 0x00,
    OP_SET = 0x01,
    OP_SHOW = 0x04,
    OP_HIDE = 0x05,
    OP_CLEAR = 0x06,
    OP_CLEAR_ALL = 0x07,
    OP_RESIZE = 0x20
};

enum { WIDER = 0x01, NARROWER = 0x02, HIGHER = 0x03, LOWER = 0x04 };

}  // namespace

IKeelZoomSensorController::IKeelZoomSensorController(int p_nModuleId)
    : ISensorController(p_nModuleId), m_nRegion(0) {}

int IKeelZoomSensorController::getMirrorValue(int& p_nMirror) {
    p_nMirror = 0;
    return 1;
}

int IKeelZoomSensorController::setSensorVideoSystem(int, const VideoResolution&) {
    return 1;
}

int IKeelZoomSensorController::initController(int, const ModuleConfigure&) {
    return 1;
}

int IKeelZoomSensorController::getParameterFromSensor(int, int&) {
    return 1;
}

int IKeelZoomSensorController::setParameterToSensor(int, int) {
    return 1;
}

int IKeelZoomSensorController::OVSendParam(const char* p_pFrame, int p_nLength) {
    OVMutexManager guard(m_mutex);
    std::vector<char> echo(static_cast<size_t>(std::max(p_nLength, 1)));
    // The module's own answers to earlier commands would spoil the echo.
    Visca::takeStaleReplies(*this, *m_pUART, m_nUARTIndex);
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        int written = m_pUART->write(m_nUARTIndex, p_pFrame, p_nLength);
        if (written != p_nLength) {
            ErrorPrintf("===send(%d times) @OVSendParam failed,send(%d):", attempt, written);
            recodeArray(p_pFrame, p_nLength);
        } else if (p_nLength == 0) {
            return 1;
        } else {
            int received = m_pUART->read(m_nUARTIndex, echo.data(), p_nLength, kEchoWait);
            if (received != p_nLength) {
                ErrorPrintf("===recv(%d times) @OVSendParam failed,send:", attempt);
                recodeArray(p_pFrame, p_nLength);
                ErrorPrintf("===recv(%d):", received);
                recodeArray(echo.data(), received);
            } else if (std::equal(p_pFrame, p_pFrame + p_nLength, echo.begin())) {
                return 1;
            } else {
                ErrorPrintf("===check(%d times) @OVSendParam failed,send:", attempt);
                recodeArray(p_pFrame, p_nLength);
                ErrorPrintf("===recv(%d):", received);
                recodeArray(echo.data(), received);
            }
        }
        clearUartBuffer();
    }
    return 0;
}

int IKeelZoomSensorController::sendMaskFrame(int p_nOperation, int p_nArgument,
                                             const char* p_szFailure) {
    const char frame[4] = {'\xA1', static_cast<char>(p_nOperation),
                           static_cast<char>(p_nArgument & 0xFF), '\xFF'};
    if (!OVSendParam(frame, sizeof(frame))) {
        ErrorPrintf("%s", p_szFailure);
        return 0;
    }
    return 1;
}

int IKeelZoomSensorController::regionCommand(int p_nOperation, int p_nArgument,
                                             const char* p_szFailure) {
    if (m_nRegion == 0) {
        ErrorPrintf("0==m_nRegion");
        return 0;
    }
    return sendMaskFrame(p_nOperation, p_nArgument, p_szFailure);
}

int IKeelZoomSensorController::setRegion(int p_nRegion) {
    // While the module is still starting, the selection is only remembered;
    // the first mask command after start-up carries it.
    if (p_nRegion == 0 || !m_bInitFinished) {
        m_nRegion = p_nRegion;
        return 1;
    }
    if (!sendMaskFrame(OP_SELECT, p_nRegion, "setRegion failed")) {
        return 0;
    }
    m_nRegion = p_nRegion;
    return 1;
}

int IKeelZoomSensorController::getRegion(int& p_nRegion) {
    p_nRegion = 0;
    return 1;
}

int IKeelZoomSensorController::setMask() {
    return regionCommand(OP_SET, m_nRegion, "setMask failed");
}

int IKeelZoomSensorController::showMask() {
    return regionCommand(OP_SHOW, m_nRegion, "showMask failed");
}

int IKeelZoomSensorController::hideMask() {
    return regionCommand(OP_HIDE, m_nRegion, "hideMask failed");
}

int IKeelZoomSensorController::clearMask() {
    return regionCommand(OP_CLEAR, m_nRegion, "clearMask failed");
}

int IKeelZoomSensorController::clearAllMask() {
    return sendMaskFrame(OP_CLEAR_ALL, m_nRegion, "clearAllMask failed");
}

int IKeelZoomSensorController::increaseWidth() {
    return regionCommand(OP_RESIZE, WIDER, "increaseWidth failed");
}

int IKeelZoomSensorController::decreaseWidth() {
    return regionCommand(OP_RESIZE, NARROWER, "decreaseWidth failed");
}

int IKeelZoomSensorController::increaseHight() {
    return regionCommand(OP_RESIZE, HIGHER, "increaseHight failed");
}

int IKeelZoomSensorController::decreaseHight() {
    return regionCommand(OP_RESIZE, LOWER, "decreaseHight failed");
}
