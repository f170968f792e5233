#include "ViscaCommandSet.h"

#include "Visca.h"

namespace {

const int kExposureMode = 10;
const int kFocusMode = 30;
const int kDisplay = 38;

}  // namespace

ViscaCommandSet::ViscaCommandSet(ISensorController& p_owner, SensorCache& p_cache)
    : m_owner(p_owner), m_cache(p_cache) {}

int ViscaCommandSet::send(int p_nCode, const std::string& p_strParameters) {
    std::string frame = Visca::command(p_nCode, p_strParameters);
    return m_owner.setParameterValue(frame.data(), static_cast<int>(frame.size()));
}

bool ViscaCommandSet::cached(int p_nId, int& p_nValue) {
    return m_cache.getSensorValue(p_nId, p_nValue) != 0;
}

bool ViscaCommandSet::cachedIs(int p_nId, std::initializer_list<int> p_values) {
    int value = 0;
    if (!cached(p_nId, value)) {
        return false;
    }
    for (int wanted : p_values) {
        if (value == wanted) {
            return true;
        }
    }
    return false;
}

bool ViscaCommandSet::takes(int p_nId, int p_nValue) {
    const ViscaParameter* row = ViscaParameters::family().find(p_nId);
    return row != nullptr && row->takes(p_nValue);
}

void ViscaCommandSet::resend(int p_nId) {
    int value = 0;
    if (!cached(p_nId, value)) {
        return;
    }
    const ViscaParameter& row = *ViscaParameters::family().find(p_nId);
    if (!row.takes(value)) {
        if (row.szRange != nullptr) {
            m_owner.ErrorPrintf(row.szRange, value);
        }
        m_owner.markUnconfirmed(p_nId);
        return;
    }
    if (!(this->*(row.pfnSet))(value)) {
        m_owner.markUnconfirmed(p_nId);
    }
}

int ViscaCommandSet::setSharpness(int p_nValue) {
    return send(0x42, Visca::bytes({0, 0}) + Visca::nibbles(p_nValue * 15 / 100, 2));
}

int ViscaCommandSet::setLowLightChromaSuppress(int p_nValue) {
    return send(0x5F, Visca::bytes({p_nValue}));
}

int ViscaCommandSet::setGamma(int p_nValue) {
    return send(0x5B, Visca::bytes({p_nValue}));
}

int ViscaCommandSet::setNoiseReduction(int p_nValue) {
    return send(0x53, Visca::bytes({p_nValue}));
}

int ViscaCommandSet::setHR(int p_nValue) {
    return send(0x52, Visca::bytes({Visca::onOff(p_nValue)}));
}

int ViscaCommandSet::setMirror(int p_nValue) {
    // Mirror is two flips: left-right (61) and up-down (66).
    static const int kFlips[4][2] = {{0x03, 0x03}, {0x02, 0x03}, {0x02, 0x02}, {0x03, 0x02}};
    return send(0x61, Visca::bytes({kFlips[p_nValue][0]})) &&
           send(0x66, Visca::bytes({kFlips[p_nValue][1]}));
}

int ViscaCommandSet::setThreshold(int p_nValue) {
    return send(0x21, Visca::bytes({0, 0}) + Visca::nibbles(p_nValue, 2));
}

int ViscaCommandSet::setStillImage(int p_nValue) {
    return send(0x62, Visca::bytes({Visca::onOff(p_nValue)}));
}

int ViscaCommandSet::setExposalMode(int p_nValue) {
    static const int kModes[] = {0x00, 0x03, 0x0A, 0x0B, 0x0D};
    if (p_nValue == 4 && cachedIs(kExposureMode, {1, 3})) {
        // From manual or iris priority the camera goes to bright through auto.
        if (!send(0x39, Visca::bytes({0x00}))) {
            m_owner.ErrorPrintf("setExposalMode failed");
            return 0;
        }
        OrvaneTime(0, 100000).wait();
    }
    if (!send(0x39, Visca::bytes({kModes[p_nValue]}))) {
        return 0;
    }
    // The dependent settings follow the new mode, so the mode is cached first.
    m_cache.setSensorValue(kExposureMode, p_nValue);
    switch (p_nValue) {
        case 0:
            resend(15);
            resend(16);
            resend(17);
            resend(22);
            resend(18);
            break;
        case 1:
            resend(11);
            resend(12);
            resend(14);
            break;
        case 2:
            resend(11);
            resend(17);
            break;
        case 3:
            resend(12);
            resend(17);
            break;
        default:
            resend(13);
            break;
    }
    return 1;
}

int ViscaCommandSet::setShutter(int p_nValue) {
    if (!cachedIs(kExposureMode, {1, 2})) {
        return 1;
    }
    return send(0x4A, Visca::bytes({0, 0}) + Visca::nibbles(p_nValue, 2));
}

int ViscaCommandSet::setIri(int p_nValue) {
    if (!cachedIs(kExposureMode, {1, 3})) {
        return 1;
    }
    return send(0x4B, Visca::bytes({0, 0}) + Visca::nibbles(p_nValue, 2));
}

int ViscaCommandSet::setBright(int p_nValue) {
    if (!cachedIs(kExposureMode, {4})) {
        return 1;
    }
    int sent = p_nValue == 0 ? 0 : p_nValue + 4;
    if (!send(0x4D, Visca::bytes({0, 0}) + Visca::nibbles(sent, 2))) {
        return 0;
    }
    m_cache.setSensorValue(50, p_nValue * 100 / 27);
    return 1;
}

int ViscaCommandSet::setGain(int p_nValue) {
    if (!cachedIs(kExposureMode, {1})) {
        return 1;
    }
    return send(0x4C, Visca::bytes({0, 0, 0, p_nValue}));
}

int ViscaCommandSet::setGainLimit(int p_nValue) {
    return cachedIs(kExposureMode, {0}) ? send(0x2C, Visca::bytes({p_nValue})) : 1;
}

int ViscaCommandSet::setAutoSlowShutter(int p_nValue) {
    return cachedIs(kExposureMode, {0}) ? send(0x5A, Visca::bytes({Visca::onOff(p_nValue)})) : 1;
}

int ViscaCommandSet::setExpComp(int p_nValue) {
    if (!cachedIs(kExposureMode, {0, 2, 3})) {
        return 1;
    }
    if (p_nValue == -1) {
        return send(0x3E, Visca::bytes({0x03}));
    }
    return send(0x3E, Visca::bytes({0x02})) &&
           send(0x4E, Visca::bytes({0, 0}) + Visca::nibbles(p_nValue, 2));
}

int ViscaCommandSet::setAEResponse(int p_nValue) {
    return cachedIs(kExposureMode, {0}) ? send(0x5D, Visca::bytes({p_nValue})) : 1;
}

int ViscaCommandSet::setSpotAE(int p_nValue) {
    if (!send(0x59, Visca::bytes({Visca::onOff(p_nValue)}))) {
        return 0;
    }
    if (p_nValue == 1) {
        m_cache.setSensorValue(19, 1);
        resend(20);
        resend(21);
    }
    return 1;
}

int ViscaCommandSet::setSpotAE_X(int p_nValue) {
    int y = 0;
    if (!cachedIs(19, {1})) {
        return 1;
    }
    cached(21, y);
    return send(0x29, Visca::bytes({0, p_nValue, 0, y}));
}

int ViscaCommandSet::setSpotAE_Y(int p_nValue) {
    int x = 0;
    if (!cachedIs(19, {1})) {
        return 1;
    }
    cached(20, x);
    return send(0x29, Visca::bytes({0, x, 0, p_nValue}));
}

int ViscaCommandSet::setBackLight(int p_nValue) {
    return cachedIs(kExposureMode, {0}) ? send(0x33, Visca::bytes({Visca::onOff(p_nValue)})) : 1;
}

int ViscaCommandSet::setWBMode(int p_nValue) {
    if (!send(0x35, Visca::bytes({p_nValue - 1}))) {
        return 0;
    }
    if (p_nValue == 4) {
        return send(0x10, Visca::bytes({0x05}));  // one-push white balance trigger
    }
    if (p_nValue == 6) {
        m_cache.setSensorValue(23, 6);
        resend(24);
        resend(25);
    }
    return 1;
}

int ViscaCommandSet::setRGain(int p_nValue) {
    return cachedIs(23, {6}) ? send(0x43, Visca::bytes({0, 0}) + Visca::nibbles(p_nValue, 2)) : 1;
}

int ViscaCommandSet::setBGain(int p_nValue) {
    return cachedIs(23, {6}) ? send(0x44, Visca::bytes({0, 0}) + Visca::nibbles(p_nValue, 2)) : 1;
}

int ViscaCommandSet::setIRCorrection(int p_nValue) {
    return send(0x11, Visca::bytes({p_nValue}));
}

int ViscaCommandSet::setWDMode(int p_nValue) {
    static const int kModes[] = {0x03, 0x02, 0x00, 0x01, 0x04};
    return send(0x3D, Visca::bytes({kModes[p_nValue - 1]}));
}

int ViscaCommandSet::setDZoom(int p_nValue) {
    return send(0x06, Visca::bytes({Visca::onOff(p_nValue)}));
}

int ViscaCommandSet::setFocusMode(int p_nValue, int& p_nFocusMode) {
    if (!takes(kFocusMode, p_nValue)) {
        return 0;
    }
    if (!send(0x38, Visca::bytes({p_nValue == 1 ? 0x02 : 0x03}))) {
        return 0;
    }
    p_nFocusMode = p_nValue;
    if (p_nValue == 3) {
        // Cached once the trigger went through too: a failed write leaves
        // the cache as it was.
        if (!OnePushTrigger(1)) {
            return 0;
        }
        m_cache.setSensorValue(30, p_nValue);
        return 1;
    }
    // Auto focus settings follow the mode, so the mode is cached first.
    m_cache.setSensorValue(30, p_nValue);
    if (p_nValue == 1) {
        resend(32);
        resend(33);
    }
    return 1;
}

int ViscaCommandSet::setFocusAutoMode(int p_nValue) {
    return cachedIs(30, {1}) ? send(0x57, Visca::bytes({p_nValue})) : 1;
}

int ViscaCommandSet::setAF_Sensitivity(int p_nValue) {
    return cachedIs(30, {1}) ? send(0x58, Visca::bytes({p_nValue == 1 ? 0x02 : 0x03})) : 1;
}

int ViscaCommandSet::setFocusNearLimit(int p_nValue) {
    return send(0x28, Visca::bytes({p_nValue, 0, 0, 0}));
}

int ViscaCommandSet::OnePushTrigger(int) {
    return send(0x18, Visca::bytes({0x01}));
}

int ViscaCommandSet::sendDisplayFrame(int p_nDisplay, int p_nSens, int p_nBintens, int p_nWintens) {
    static const int kDisplay[] = {0x00, 0x02, 0x03};
    return send(0x2D,
                Visca::bytes({kDisplay[p_nDisplay], p_nSens, p_nBintens, p_nWintens, 0, 0, 0, 0}));
}

int ViscaCommandSet::setDisplay(int p_nValue) {
    int sens = 0;
    int bintens = 0;
    int wintens = 0;
    int shortExposure = 0;
    if (!cached(39, sens) || !cached(40, bintens) || !cached(41, wintens) ||
        !cached(44, shortExposure)) {
        return 1;
    }
    return sendDisplayFrame(p_nValue, sens, bintens, wintens);
}

int ViscaCommandSet::setSens(int p_nValue) {
    int display = 0;
    int bintens = 0;
    int wintens = 0;
    int shortExposure = 0;
    if (!cached(38, display) || !cached(40, bintens) || !cached(41, wintens) ||
        !cached(44, shortExposure) || !takes(kDisplay, display)) {
        return 1;
    }
    return sendDisplayFrame(display, p_nValue, bintens, wintens);
}

int ViscaCommandSet::setBintens(int p_nValue) {
    int display = 0;
    int sens = 0;
    int wintens = 0;
    int shortExposure = 0;
    if (!cached(38, display) || !cached(39, sens) || !cached(41, wintens) ||
        !cached(44, shortExposure) || !takes(kDisplay, display)) {
        return 1;
    }
    return sendDisplayFrame(display, sens, p_nValue, wintens);
}

int ViscaCommandSet::setWintens(int p_nValue) {
    int display = 0;
    int sens = 0;
    int bintens = 0;
    int shortExposure = 0;
    if (!cached(38, display) || !cached(39, sens) || !cached(40, bintens) ||
        !cached(44, shortExposure) || !takes(kDisplay, display)) {
        return 1;
    }
    return sendDisplayFrame(display, sens, bintens, p_nValue);
}

int ViscaCommandSet::setShortTimeExp(int) {
    int display = 0;
    int sens = 0;
    int bintens = 0;
    int wintens = 0;
    if (!cached(38, display) || !cached(39, sens) || !cached(40, bintens) || !cached(41, wintens) ||
        !takes(kDisplay, display)) {
        return 1;
    }
    // The frame has no place for the exposure value: the display values are
    // sent as they stand.
    return sendDisplayFrame(display, sens, bintens, wintens);
}

int ViscaCommandSet::setLensMovement(int p_nValue) {
    int interval = 0;
    if (!cachedIs(30, {1}) || !cachedIs(32, {1})) {
        return 1;
    }
    cached(46, interval);
    return send(0x27, Visca::nibbles(p_nValue, 2) + Visca::nibbles(interval, 2));
}

int ViscaCommandSet::setLensInterval(int p_nValue) {
    int movement = 0;
    if (!cachedIs(30, {1}) || !cachedIs(32, {1})) {
        return 1;
    }
    cached(45, movement);
    return send(0x27, Visca::nibbles(movement, 2) + Visca::nibbles(p_nValue, 2));
}

int ViscaCommandSet::setSaturation(int p_nValue) {
    return send(0x49, Visca::bytes({0, 0, 0, p_nValue * 14 / 100}));
}

int ViscaCommandSet::setHue(int p_nValue) {
    return send(0x4F, Visca::bytes({0, 0, 0, p_nValue * 14 / 100}));
}

int ViscaCommandSet::setHighSensitivity(int p_nValue) {
    return send(0x5E, Visca::bytes({Visca::onOff(p_nValue)}));
}

int ViscaCommandSet::setBrightRemoteSensor2(int p_nValue) {
    int bright = p_nValue * 27 / 100;
    if (!setBright(bright)) {
        m_owner.ErrorPrintf("setBright(%d) failed", bright);
        return 0;
    }
    m_cache.setSensorValue(13, bright);
    return 1;
}

int ViscaCommandSet::setBrightness(int p_nValue) {
    int compensation = p_nValue * 14 / 100;
    if (!setExpComp(compensation)) {
        return 0;
    }
    m_cache.setSensorValue(13, compensation);
    return 1;
}

int ViscaCommandSet::IrisUp() {
    return cachedIs(kExposureMode, {3}) ? send(0x0B, Visca::bytes({0x02})) : 1;
}

int ViscaCommandSet::IrisDown() {
    return cachedIs(kExposureMode, {3}) ? send(0x0B, Visca::bytes({0x03})) : 1;
}

int ViscaCommandSet::FocusUp() {
    return send(0x08, Visca::bytes({0x03}));
}

int ViscaCommandSet::FocusDown() {
    return send(0x08, Visca::bytes({0x02}));
}

int ViscaCommandSet::setDeFog(int p_nValue) {
    return p_nValue == 0 ? send(0x37, Visca::bytes({0x03, 0x00}))
                         : send(0x37, Visca::bytes({0x02, p_nValue}));
}

int ViscaCommandSet::setHLCLv(int p_nValue) {
    int mask = 0;
    if (!cached(67, mask)) {
        return 1;
    }
    return send(0x14, Visca::bytes({p_nValue, mask}));
}

int ViscaCommandSet::setHLCMaskLv(int p_nValue) {
    int level = 0;
    if (!cached(66, level)) {
        return 1;
    }
    return send(0x14, Visca::bytes({level, p_nValue}));
}

// Either value sends level 0 with mask 0: the level of id 66 is what turns
// the compensation on.
int ViscaCommandSet::setHLC(int) {
    return send(0x14, Visca::bytes({0x00, 0x00}));
}
