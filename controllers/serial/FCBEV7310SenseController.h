#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_FCBEV7310SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_FCBEV7310SENSECONTROLLER_H

#include <memory>
#include <string>
#include <vector>

#include "../../framework/ISensorController.h"
#include "../../platform/ZMAParam.h"
#include "SerialSetup.h"
#include "Visca.h"
#include "ViscaCommandSet.h"

// The Sony FCB-EV7310 block camera (module id 85) on a VISCA serial line:
// image settings, zoom and focus with the lens table, baud-rate negotiation,
// the video standard with its restart, and day/night through the camera's
// IR-cut filter or an IR lamp board. Parameter reads answer the module's
// factory defaults; the module itself is not asked.
class SC_EXPORT FCBEV7310SenseController : public ISensorController {
public:
    FCBEV7310SenseController();
    ~FCBEV7310SenseController() override;

    int getMirrorValue(int& p_nMirror) override;
    int set2AParam(int p_nStatus) override;
    int setRunAutoIris() override;
    int IrisUp() override;
    int IrisDown() override;
    int FocusFar(int p_nSpeed) override;
    int FocusNear(int p_nSpeed) override;
    int ZoomIn(int p_nSpeed) override;
    int ZoomOut(int p_nSpeed) override;
    int getZoomValue(int& p_nZoom, int& p_nRatio) override;
    int setZoomValue(int p_nZoom) override;
    int setFocusValue(int p_nFocus) override;
    int getFocusValue(int& p_nFocus) override;
    int setFocusMode(int p_nMode) override;
    int StopZoomContrl() override;
    int StopFocusContrl() override;
    int StopIris() override;
    int setZoomAndFocusValue(int p_nZoom, int p_nFocus) override;
    int getDayNightState(int& p_nState) override;
    int getCameraFocusMode(int& p_nMode) override;
    int getStillImageValue(int& p_nValue) override;
    int enterAutoMode() override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int NotifySensorInitComplate() override;
    int getParameterValue(const char* p_pRequest, int p_nRequestLength, char* p_pAnswer,
                          int p_nAnswerLength) override;
    int setParameterValue(const char* p_pBytes, int p_nLength) override;
    int setDayNightMode(int p_nMode) override;
    int getDayNightMode(int& p_nMode) override;
    int getDNStatusFromSensor(int& p_nStatus) override;
    int turnPictureToDay() override;
    int turnPictureToNight() override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    int getCurrentGain(int& p_nGain) override;

    // Negotiates the camera's baud rate (9600, 19200, 38400 or 115200).
    int changeCameraBuadrate(int p_nBaudRate);
    // The camera's baud index (0..3); 0 when the inquiry fails.
    int getCameraBaudRate(int& p_nIndex);
    int setCameraBuadRate(int p_nIndex);
    int restartCamera();

    int getGeneration() const { return m_nGeneration; }
    const SerialLineSettings& getLineSettings() const { return m_line; }
    const std::vector<ZMAParam>& getLensTable() const { return m_objZMAParam; }

protected:
    int sendRaw(const std::string& p_strFrame);
    int inquire(const std::string& p_strFrame, char* p_pReply, int p_nLength);
    int configurePort(int p_nBaudRate);

    int m_nGeneration;
    int m_nExposalMode;
    int m_nVideoSystemChanged;
    int m_nFocusMode;
    SerialLineSettings m_line;
    int m_nToDayADCVal;
    int m_nToNightADCVal;
    std::string m_strDCDay;
    std::string m_strDCNight;
    SafePointer<CameraLensZMAAlgorithm> m_pLensAlgorithm;
    std::vector<ZMAParam> m_objZMAParam;
    char m_szRecvBuf[100];
    ViscaLink m_link;
    ViscaCommandSet m_commands;
};

#endif
