#include "HitachImageSettings.h"

#include <cstdio>

namespace {

// Cached ids the settings depend on.
const int kBrightnessId = 1;
const int kCameraModeId = 6;
const int kMaxGainId = 7;
const int kWDRId = 8;
const int kBackLightId = 11;
const int kFocusModeId = 14;
const int kPictureModeId = 15;
const int kHoriSharpnessId = 16;

// The lens's near limit by focus distance.
const char* const kFocusDistances[] = {":WE1F700", ":WE1F7F9", ":WE1F7F8",
                                       ":WE1F7F7", ":WE1F7F4", ":WE1F7F2"};
// Register F8E0 for the automatic focus modes from 2 on.
const char* const kFocusSpeeds[] = {":WF8E005", ":WF8E003", ":WF8E001"};

// Gain is written in 1/32 steps.
const int kGainScale = 32;

}  // namespace

template <class Base>
HitachImageSettings<Base>::HitachImageSettings(int p_nModuleId)
    : HexTextSenseController<Base>(p_nModuleId, 12) {}

template <class Base>
int HitachImageSettings<Base>::writeBrightness(int p_nBrightness, int p_nPictureMode) {
    return this->write(p_nPictureMode != 0 ? ":WFDAE" : ":WFD9E", p_nBrightness * 255 / 100);
}

template <class Base>
int HitachImageSettings<Base>::setBrightness(int p_nBrightness) {
    int pictureMode = 0;
    if (!this->cached(kPictureModeId, pictureMode)) {
        return 0;
    }
    return writeBrightness(p_nBrightness, pictureMode);
}

template <class Base>
int HitachImageSettings<Base>::setSharpness(int p_nSharpness) {
    return this->sendData(":WFBFF02") && this->write(":WFBF9", p_nSharpness * 63 / 100);
}

template <class Base>
int HitachImageSettings<Base>::setSaturation(int p_nSaturation) {
    int value = p_nSaturation * 255 / 100;
    return this->write(":WFC10", value) && this->write(":WFC11", value);
}

template <class Base>
int HitachImageSettings<Base>::setNightColor(int p_nColor) {
    return this->write(":WFC12", p_nColor * 116 / 50) &&
           this->write(":WFC13", p_nColor * 110 / 50) && this->write(":WFC14", p_nColor * 92 / 50);
}

template <class Base>
int HitachImageSettings<Base>::writeMaxGain(int p_nGain, int p_nPictureMode) {
    return this->write(":wFD46", p_nGain * kGainScale, 4) &&
           this->write(p_nPictureMode != 0 ? ":WFF6D" : ":WFA20", p_nGain * kGainScale / 8);
}

template <class Base>
int HitachImageSettings<Base>::modulesGain(int& p_bModules) {
    int cameraMode = 0;
    if (!this->cached(kCameraModeId, cameraMode)) {
        return 0;
    }
    p_bModules = cameraMode == 2 || cameraMode == 3;
    return 1;
}

template <class Base>
int HitachImageSettings<Base>::setMaxGain(int p_nGain) {
    int modules = 0;
    int pictureMode = 0;
    if (!modulesGain(modules)) {
        return 0;
    }
    return modules ||
           (this->cached(kPictureModeId, pictureMode) && writeMaxGain(p_nGain, pictureMode));
}

template <class Base>
int HitachImageSettings<Base>::setWDR(int p_nWDR) {
    int backLight = 0;
    int cameraMode = 0;
    if (!this->cached(kBackLightId, backLight) || !this->cached(kCameraModeId, cameraMode)) {
        return 0;
    }
    // Wide dynamic range and backlight compensation exclude each other.
    if (backLight == 1 || cameraMode == 4) {
        return 1;
    }
    return this->sendData(p_nWDR != 0 ? ":WFF4C01" : ":WFF4C00");
}

template <class Base>
int HitachImageSettings<Base>::setFixShutter(int p_nIndex) {
    int cameraMode = 0;
    if (!this->cached(kCameraModeId, cameraMode)) {
        return 0;
    }
    if (cameraMode != 4) {
        return 1;
    }
    return this->write(":WFCC9", this->getFixShutterValue(p_nIndex));
}

template <class Base>
int HitachImageSettings<Base>::setBackLight(int p_nBackLight) {
    int wdr = 0;
    if (!this->cached(kWDRId, wdr)) {
        return 0;
    }
    if (wdr == 1) {
        return 1;
    }
    return this->sendData(p_nBackLight != 0 ? ":WFECE02" : ":WFECE00");
}

template <class Base>
int HitachImageSettings<Base>::setFocusDistance(int p_nDistance) {
    return this->sendChoice(p_nDistance, 0, kFocusDistances);
}

template <class Base>
int HitachImageSettings<Base>::setFocusMode(int p_nMode) {
    if (!this->admits(kFocusModeId, p_nMode)) {
        return 0;
    }
    if (p_nMode == 0) {
        return this->sendAll({":WF8E000", ":WFF0E08"});
    }
    if (!this->sendAll({":WFF0E00", ":WF8E000"})) {
        return 0;
    }
    // Modes 2-4 pick the focus speed.
    const char* const* speed = this->pick(kFocusSpeeds, p_nMode - 2);
    return p_nMode == 1 || (speed != nullptr && this->sendData(*speed));
}

template <class Base>
int HitachImageSettings<Base>::setPictureMode(int p_nMode) {
    int brightness = 0;
    int gain = 0;
    if (!this->sendData(p_nMode == 0 ? ":WFF6001" : ":WFF6002")) {
        return 0;
    }
    // The new mode has registers of its own for these.
    int modules = 0;
    return this->cached(kBrightnessId, brightness) && writeBrightness(brightness, p_nMode) &&
           this->cached(kMaxGainId, gain) && modulesGain(modules) &&
           (modules || writeMaxGain(gain, p_nMode));
}

template <class Base>
void HitachImageSettings<Base>::announce(int p_nId, int p_nValue) {
    if (p_nId == kHoriSharpnessId && HexTextSenseController<Base>::printing()) {
        std::printf("setHoriSharpness %d\n", p_nValue);
    }
}

template <class Base>
int HitachImageSettings<Base>::setHoriSharpness(int p_nSharpness) {
    announce(kHoriSharpnessId, p_nSharpness);
    return this->sendData(":WFBFF02") && this->write(":WFBF6", p_nSharpness * 63 / 100);
}

template class HitachImageSettings<ISensorController>;
template class HitachImageSettings<IKeelZoomSensorController>;
