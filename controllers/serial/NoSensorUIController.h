#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_NOSENSORUICONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_NOSENSORUICONTROLLER_H

#include "../../framework/ISensorController.h"
#include "SerialSetup.h"

/// The controller for a camera whose image settings this library does not
/// manage: every parameter operation succeeds and does nothing, so the host's
/// user interface works unchanged. A "getDN" thread keeps the day/night status
/// in step with the camera module by polling its IR-cut state over the serial
/// line (VISCA inquiry 81 09 04 01 FF, reply 90 50 02 FF night, 03 day).
class SC_EXPORT NoSensorUIController : public ISensorController {
public:
    /// The host builds this controller itself, under a module id of its choice.
    explicit NoSensorUIController(int p_nModuleId = 0);

    int getMirrorValue(int& p_nMirror) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int NotifySensorInitComplate() override;
    int initFactorySetting() override;
    /// Writes the frame; no answer is read here.
    int setParameterValue(const char* p_pBytes, int p_nLength) override;
    /// Opens the port and starts the "getDN" thread.
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;

    /// One poll of the module's IR-cut state, with the pause that follows it.
    int getDNbody();

    /// Whether the IR-cut polling thread runs.
    bool isPolling() const { return m_pGetDNThread->IsRunning() != 0; }
    /// The serial line settings read from the configuration.
    const SerialLineSettings& getLineSettings() const { return m_line; }

private:
    GThread* m_pGetDNThread;  // the base owns it
    OVMutex m_sendMutex;
    SerialLineSettings m_line;
};

#endif
