#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HITACHSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HITACHSENSECONTROLLER_H

#include <atomic>
#include <memory>

#include "HitachImageSettings.h"

/// The Hitachi camera module (module id 7) on an RS485 line in hex text: the
/// Hitachi image settings (ids 1-16) and the TNF mode (17). The module can
/// lose its camera mode, so a second thread sets the last one again every
/// 60 s. Third-generation modules ("isThridGeneration=1" in the detail) are
/// told when initialisation is complete.
class SC_EXPORT HitachSenseController : public HitachImageSettings<ISensorController> {
public:
    /// Its camera mode does not depend on the infrared mode.
    static constexpr int kCameraModeFactory = 0;

    HitachSenseController();

    /// The family's camera mode, remembered for the thread when it succeeds.
    int setCameraMode(int p_nMode);
    /// Registers 1701 and FCC0 by video system and picture height; video
    /// system 2 leaves them.
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    /// Only third-generation modules hear it.
    int NotifySensorInitComplate() override;
    /// The camera-mode thread's body: sets m_nCameraMode again (unless -1),
    /// then sleeps 60 s.
    int threadBody();

    /// The camera mode kept every minute.
    int getCameraMode() const { return m_nCameraMode; }
    /// The detail's "isThridGeneration".
    int isThirdGeneration() const { return m_bThirdGeneration; }

protected:
    /// @cond
    // The controller's own workings: this class is not derived from.
    int writeParameter(int p_nId, int p_nValue) override;
    int readParameter(int p_nId, int& p_nValue) override;
    int admits(int p_nId, int p_nValue) override;
    int readModuleDetail(const ModuleParameterParser& p_detail) override;
    int startThreads() override;

    std::atomic<int> m_nCameraMode;
    int m_bThirdGeneration;

    /// @endcond
private:
    GThread* m_pCameraModeThread;  // the base owns it
    ParameterTable<HitachSenseController> m_parameters;
};

#endif
