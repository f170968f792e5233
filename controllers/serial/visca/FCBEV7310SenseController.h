#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_FCBEV7310SENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_FCBEV7310SENSECONTROLLER_H

#include <memory>
#include <string>
#include <vector>

#include "../../../framework/ISensorController.h"
#include "../../../platform/ZMAParam.h"
#include "ViscaSenseController.h"

/// The Sony FCB-EV7310 block camera (module id 85) on a VISCA serial line:
/// image settings, zoom and focus with the lens table, baud-rate negotiation,
/// the video standard with its restart, and day/night through the camera's
/// IR-cut filter or an IR lamp board. Parameter reads answer the module's
/// factory defaults; the module itself is not asked.
class SC_EXPORT FCBEV7310SenseController : public ViscaSenseController<ISensorController> {
public:
    FCBEV7310SenseController();

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
    int StopZoomContrl() override;
    int StopFocusContrl() override;
    int setZoomAndFocusValue(int p_nZoom, int p_nFocus) override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;

    /// Negotiates the camera's baud rate (9600, 19200, 38400 or 115200).
    int changeCameraBuadrate(int p_nBaudRate);
    /// The camera's baud index (0..3); 0 when the inquiry fails.
    int getCameraBaudRate(int& p_nIndex);
    /// Sets the camera's baud rate by index.
    int setCameraBuadRate(int p_nIndex);
    /// Restarts the camera.
    int restartCamera();

    /// The detail's "generation".
    int getGeneration() const { return m_nGeneration; }
    /// The lens tracking table.
    const std::vector<ZMAParam>& getLensTable() const { return m_objZMAParam; }

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    int configurePort(int p_nBaudRate);
    /// The IR lamp board's keys of the detail.
    int readInfraredDetail(const ModuleParameterParser& p_detail);

    int m_nGeneration;
    int m_nToDayADCVal;
    int m_nToNightADCVal;
    std::string m_strDCDay;
    std::string m_strDCNight;
    SafePointer<CameraLensZMAAlgorithm> m_pLensAlgorithm;
    std::vector<ZMAParam> m_objZMAParam;
    /// @endcond
};

#endif
