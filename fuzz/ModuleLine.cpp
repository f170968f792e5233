#include "ModuleLine.h"

#include <cstdlib>
#include <string>

#include "FuzzRoot.h"
#include "controllers/serial/IKeelZoomSensorController.h"
#include "sim/SimGPIO.h"

namespace {

const int kMaxCalls = 3;

void zoom(ISensorController& p_module, int, int) {
    int zoom = 0;
    int ratio = 0;
    p_module.getZoomValue(zoom, ratio);
}

void focus(ISensorController& p_module, int, int) {
    int focus = 0;
    p_module.getFocusValue(focus);
}

void dayNightState(ISensorController& p_module, int, int) {
    int state = 0;
    if (p_module.getDayNightState(state) == 1 && state != 0 && state != 1) {
        std::abort();
    }
}

void gain(ISensorController& p_module, int, int) {
    int gain = 0;
    p_module.getCurrentGain(gain);
}

void irCutStatus(ISensorController& p_module, int, int) {
    int status = 0;
    p_module.getDNStatusFromSensor(status);
}

void videoStandard(ISensorController& p_module, int p_nA, int) {
    p_module.setSensorVideoSystem(p_nA % 2, VideoResolution(1920, 1080));
}

void initComplete(ISensorController& p_module, int, int) {
    p_module.NotifySensorInitComplate();
}

void readParameter(ISensorController& p_module, int p_nA, int) {
    int value = 0;
    p_module.getParameterFromSensor(p_nA, value);
}

void writeParameter(ISensorController& p_module, int p_nA, int p_nB) {
    p_module.setParameterToSensor(p_nA, p_nB);
}

void picture(ISensorController& p_module, int p_nA, int) {
    switch (p_nA % 3) {
        case 0:
            p_module.turnPictureToDay();
            break;
        case 1:
            p_module.turnPictureToNight();
            break;
        default:
            p_module.enterAutoMode();
            break;
    }
}

void version(ISensorController& p_module, int, int) {
    std::string version;
    p_module.getCameraVerInf(version);
}

void lens(ISensorController& p_module, int p_nA, int p_nB) {
    p_module.setZoomAndFocusValue(p_nA << 8, p_nB << 8);
}

void reset(ISensorController& p_module, int, int) {
    p_module.resetCamera();
}

void everyParameter(ISensorController& p_module, int, int) {
    std::string values;
    p_module.getAllParametersFromSensor(values);
}

const ModuleCall kCommonCalls[] = {zoom,           focus,         dayNightState, gain,
                                   irCutStatus,    videoStandard, initComplete,  readParameter,
                                   writeParameter, picture,       version,       lens,
                                   reset,          everyParameter};
const int kCommonCount = static_cast<int>(sizeof(kCommonCalls) / sizeof(kCommonCalls[0]));

}  // namespace

int FuzzBytes::take() {
    if (m_nLeft == 0) {
        return 0;
    }
    --m_nLeft;
    return *m_pData++;
}

std::string FuzzBytes::take(size_t p_nCount) {
    size_t count = p_nCount < m_nLeft ? p_nCount : m_nLeft;
    std::string bytes(reinterpret_cast<const char*>(m_pData), count);
    m_pData += count;
    m_nLeft -= count;
    return bytes;
}

SimSerialPort* serveLine(FuzzBytes& p_input) {
    SimSerialPort* port = new SimSerialPort();
    port->setShortRead(p_input.take() % 8);
    port->feed(p_input.take(static_cast<size_t>(p_input.take())));
    while (p_input.left() > 0) {
        port->scriptAnswer(p_input.take(static_cast<size_t>(p_input.take())));
    }
    return port;
}

FuzzEnvironment::FuzzEnvironment() {
    fuzzRoot();
    Clock::install(&m_clock);
}

FuzzEnvironment::~FuzzEnvironment() {
    Clock::install(nullptr);
}

void initModule(ISensorController& p_module, int p_nModuleId, int p_nA) {
    static const char* const kLines[] = {"RS485=9600,8,0,0", "RS485=19200,8,0,0",
                                         "RS485=38400,8,0,0", "RS485=115200,8,0,0"};
    p_module.initController(
        p_nModuleId, ModuleConfigure(p_nModuleId, "RS485=/dev/ttyAMA1;isInfrared=0;generation=1",
                                     kLines[p_nA % 4]));
}

void keelMask(ISensorController& p_module, int p_nA, int p_nB) {
    IKeelZoomSensorController& keel = static_cast<IKeelZoomSensorController&>(p_module);
    keel.setRegion(p_nA % 9);
    switch (p_nB % 4) {
        case 0:
            keel.setMask();
            break;
        case 1:
            keel.showMask();
            break;
        case 2:
            keel.increaseWidth();
            break;
        default:
            keel.clearAllMask();
            break;
    }
}

void driveModule(const uint8_t* p_pData, size_t p_nSize, const std::vector<FuzzModule>& p_modules) {
    FuzzEnvironment environment;
    FuzzBytes input(p_pData, p_nSize);
    const FuzzModule& module = p_modules[static_cast<size_t>(input.take()) % p_modules.size()];
    struct Call {
        ModuleCall pfnCall;
        int nA;
        int nB;
    } calls[kMaxCalls];
    int count = input.take() % kMaxCalls + 1;
    const int choices = kCommonCount + static_cast<int>(module.calls.size());
    for (int index = 0; index < count; ++index) {
        int choice = input.take() % choices;
        calls[index].pfnCall = choice < kCommonCount
                                   ? kCommonCalls[choice]
                                   : module.calls[static_cast<size_t>(choice - kCommonCount)];
        calls[index].nA = input.take();
        calls[index].nB = input.take();
    }
    std::unique_ptr<ISensorController> controller = module.pfnCreate();
    controller->setOperator(SafePointer<IUARTController>(serveLine(input)),
                            SafePointer<IGPIO>(new SimGPIO()));
    for (int index = 0; index < count; ++index) {
        calls[index].pfnCall(*controller, calls[index].nA, calls[index].nB);
    }
}
