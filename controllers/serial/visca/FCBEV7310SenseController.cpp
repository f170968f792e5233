#include "FCBEV7310SenseController.h"

#include <cstdio>
#include <cstdlib>

namespace {

typedef ViscaParameter P;
typedef ViscaCommandSet C;
typedef ParameterRole R;

// Defog and highlight compensation, which only this member has; defog and
// the compensation level take 0 for off.
const ViscaParameter kOwnRows[] = {
    P::setting(65, "setDeFog", &C::setDeFog, 0, "setDefog failed").range("defog", R::DEFOG, 0, 3),
    P::setting(66, "setHLCLv", &C::setHLCLv, 0, "setHLC_Lv failed")
        .range("hlc-level", R::HIGHLIGHT_COMPENSATION, 0, 3),
    P::setting(67, "setHLCMaskLv", &C::setHLCMaskLv, 8, "setHLC_MaskLv failed")
        .range("hlc-mask-level", R::NONE, 0, 15),
    P::setting(68, "setHLC", &C::setHLC, 0, "setHLC failed").onOff("hlc"),
};

const int kBaudRates[] = {9600, 19200, 38400, 115200};

int baudIndex(int p_nBaudRate) {
    for (int index = 0; index < 4; ++index) {
        if (kBaudRates[index] == p_nBaudRate) {
            return index;
        }
    }
    return -1;
}

}  // namespace

FCBEV7310SenseController::FCBEV7310SenseController()
    : ViscaSenseController(85, ViscaLink::FRAMED, {kOwnRows, ViscaParameters::fcbUpperIds()}),
      m_nGeneration(0),
      m_nToDayADCVal(0),
      m_nToNightADCVal(0),
      m_pLensAlgorithm(new CameraLensZMAAlgorithm()) {
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 8);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 10, 30);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 32, 34);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 38, 41);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 44, 51);
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 57, 68);
}

int FCBEV7310SenseController::IrisUp() {
    return m_commands.IrisUp();
}

int FCBEV7310SenseController::IrisDown() {
    return m_commands.IrisDown();
}

int FCBEV7310SenseController::ZoomIn(int p_nSpeed) {
    if (p_nSpeed < 0 || p_nSpeed > 8) {
        return 0;
    }
    return m_commands.send(0x07, Visca::bytes({0x20 | p_nSpeed}));
}

int FCBEV7310SenseController::ZoomOut(int p_nSpeed) {
    if (p_nSpeed < 0 || p_nSpeed > 8) {
        return 0;
    }
    return m_commands.send(0x07, Visca::bytes({0x30 | p_nSpeed}));
}

int FCBEV7310SenseController::StopZoomContrl() {
    return m_commands.send(0x07, Visca::bytes({0}));
}

int FCBEV7310SenseController::FocusFar(int p_nSpeed) {
    if (!setFocusMode(3)) {
        return 0;
    }
    return m_commands.send(0x08, Visca::bytes({0x20 | (p_nSpeed & 15)}));
}

int FCBEV7310SenseController::FocusNear(int p_nSpeed) {
    if (!setFocusMode(3)) {
        return 0;
    }
    return m_commands.send(0x08, Visca::bytes({0x30 | (p_nSpeed & 15)}));
}

int FCBEV7310SenseController::StopFocusContrl() {
    if (m_nFocusMode != 2) {
        return 0;
    }
    return m_commands.send(0x08, Visca::bytes({0}));
}

int FCBEV7310SenseController::setZoomValue(int p_nZoom) {
    return m_commands.send(0x47, Visca::nibbles(static_cast<unsigned int>(p_nZoom), 4));
}

int FCBEV7310SenseController::setFocusValue(int p_nFocus) {
    return m_commands.send(0x48, Visca::nibbles(static_cast<unsigned int>(p_nFocus), 4));
}

int FCBEV7310SenseController::setZoomAndFocusValue(int p_nZoom, int p_nFocus) {
    return m_commands.send(0x47, Visca::nibbles(static_cast<unsigned int>(p_nZoom), 4) +
                                     Visca::nibbles(static_cast<unsigned int>(p_nFocus), 4));
}

int FCBEV7310SenseController::getZoomValue(int& p_nZoom, int& p_nRatio) {
    char reply[7] = {0};
    if (!inquire(Visca::inquiry(0x47), reply, 7) || (reply[0] & 0x0F) != 0 || reply[1] != 0x50 ||
        static_cast<unsigned char>(reply[6]) != 0xFF) {
        clearUartBuffer();
        return 0;
    }
    p_nZoom = static_cast<int>(Visca::fromNibbles(reply + 2, 4));
    Visca::zoomRatio(p_nZoom, p_nRatio);
    return 1;
}

int FCBEV7310SenseController::getFocusValue(int& p_nFocus) {
    char reply[7] = {0};
    if (!inquire(Visca::inquiry(0x48), reply, 7)) {
        return 0;
    }
    p_nFocus = static_cast<int>(Visca::fromNibbles(reply + 2, 4));
    return 1;
}

int FCBEV7310SenseController::getCameraBaudRate(int& p_nIndex) {
    char reply[5] = {0};
    if (!inquire(Visca::inquiry(0x24, Visca::bytes({0x00})), reply, 5)) {
        return 0;
    }
    if (static_cast<unsigned char>(reply[0]) != 0x90 ||
        static_cast<unsigned char>(reply[4]) != 0xFF) {
        std::printf("getCameraBaudRate szRecvBuf error\n");
        return 0;
    }
    p_nIndex = reply[3];
    return 1;
}

int FCBEV7310SenseController::setCameraBuadRate(int p_nIndex) {
    return m_commands.send(0x24, Visca::bytes({0x00, 0x00, p_nIndex}));
}

int FCBEV7310SenseController::restartCamera() {
    OVMutexManager guard(m_mutex);
    const std::string frame = Visca::boardFrame(Visca::bytes({0x05, 0x03, 0x01, 0x01}));
    if (m_pUART->write(m_nUARTIndex, frame.data(), static_cast<int>(frame.size())) !=
        static_cast<int>(frame.size())) {
        OrvaneTime(1, 0).wait();
        return 0;
    }
    std::puts("Restarting sensor");
    OrvaneTime(20, 0).wait();
    clearUartBuffer();
    return 1;
}

int FCBEV7310SenseController::configurePort(int p_nBaudRate) {
    return SerialSetup::configurePort(*this, *m_pUART, m_nUARTIndex, p_nBaudRate, m_line);
}

int FCBEV7310SenseController::changeCameraBuadrate(int p_nBaudRate) {
    int wanted = baudIndex(p_nBaudRate);
    if (wanted < 0) {
        std::printf("p_nBuadrate out of range, p_nBuadrate = %d\n", p_nBaudRate);
        return 0;
    }
    int index = -1;
    if (getCameraBaudRate(index) && index == wanted) {
        return 1;
    }
    // The camera talks at a rate of its own: find it, then move it to ours.
    for (int candidate = 0; candidate < 4; ++candidate) {
        if (!configurePort(kBaudRates[candidate])) {
            return 0;
        }
        if (getCameraBaudRate(index) && index == candidate) {
            std::printf("the camera baudrate is %d\n", kBaudRates[candidate]);
            setCameraBuadRate(wanted);
            restartCamera();
            return configurePort(p_nBaudRate);
        }
    }
    return 0;
}

int FCBEV7310SenseController::readInfraredDetail(const ModuleParameterParser& p_detail) {
    std::string text;
    if (!p_detail.getValue("isNewInfrared", text)) {
        ErrorPrintf("get isNewInfrared from detail failed");
        return 0;
    }
    m_bNewInfrared = std::strtol(text.c_str(), nullptr, 10) != 0;
    if (p_detail.getValue("toDayADCVal", text)) {
        std::sscanf(text.c_str(), "%d", &m_nToDayADCVal);
    } else {
        ErrorPrintf("get toDayADCVal from senseParameter failed");
    }
    if (p_detail.getValue("toNightADCVal", text)) {
        std::sscanf(text.c_str(), "%d", &m_nToNightADCVal);
    } else {
        ErrorPrintf("get toNightADCVal from senseParameter failed");
    }
    int delay = 0;
    if (p_detail.getValue("toDayDelay", text) && std::sscanf(text.c_str(), "%d", &delay) == 1) {
        setDNSwitchDelay(delay);
    } else {
        ErrorPrintf("get toDayDelay from senseParameter failed");
    }
    return 1;
}

int FCBEV7310SenseController::initController(int, const ModuleConfigure& p_config) {
    std::printf("FCBEV7310SenseController::init,ModuleConfigure is(%s,%s)\n",
                p_config.getDetail().c_str(), p_config.getParameters().c_str());
    ModuleParameterParser detail;
    std::string device;
    if (!readModuleConfig(p_config, "get RS232Parameter from senseParameter failed", detail,
                          device)) {
        return 0;
    }
    if (m_nIsInfrared == 1 && !readInfraredDetail(detail)) {
        return 0;
    }
    std::string text;
    if (!detail.getValue("generation", text)) {
        ErrorPrintf("get generation from detail failed");
        return 0;
    }
    m_nGeneration = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    std::printf("m_nGeneration=%d\n", m_nGeneration);
    if (!openPort(device)) {
        return 0;
    }
    if (!changeCameraBuadrate(m_line.nBaudRate)) {
        ErrorPrintf("changeCameraBuadrate(%d)failed\n", m_line.nBaudRate);
    }
    clearUartBuffer();
    ZMAParamFileToArray objZMAFileToArray;
    if (!objZMAFileToArray.setFilePath("/hd1/program/config/ZMAParam.txt")) {
        return 0;
    }
    if (!objZMAFileToArray.get(m_objZMAParam)) {
        ErrorPrintf("objZMAFileToArray.get(m_objZMAParam;) failed\n");
        return 0;
    }
    m_pLensAlgorithm->setZMAParam(m_objZMAParam);
    if (!detail.getValue("DCDay", m_strDCDay)) {
        ErrorPrintf("get DCDay from senseParameter failed");
    }
    if (!detail.getValue("DCNight", m_strDCNight)) {
        ErrorPrintf("get DCNight from senseParameter failed");
    }
    return 1;
}
