#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HEXTEXTSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HEXTEXTSENSECONTROLLER_H

#include <initializer_list>
#include <memory>
#include <string>

#include "../../../framework/ISensorController.h"
#include "../../../framework/ParameterTable.h"
#include "../IKeelZoomSensorController.h"
#include "../SerialSetup.h"
#include "HexText.h"

// What the camera modules that take hex-text commands share, on top of the
// controller base they build on: the framing and the echo-checked exchange,
// the serial set-up, the "getDN" thread that keeps the day/night status in
// step with the module, parameters routed by each member's table with a
// 30 ms pause after every setting, and the register settings more than one
// member has (mirror, the camera mode and day/night sensitivity of register
// FCC8). The modules switch day and night themselves, so the base's
// switching is off.
template <class Base>
class SC_EXPORT HexTextSenseController : public Base {
public:
    std::string assembleString(const std::string& p_strPrefix, unsigned int p_nValue, int p_nWidth);
    int ascToHex(const std::string& p_strText);
    int sendData(const std::string& p_strCommand);
    int recvData(const std::string& p_strCommand, int p_nWidth, int& p_nValue);

    // One poll of the module's day/night register, with the pause after it:
    // 1 s, or 3 s while the module does not answer sensibly. Returns 0.
    virtual int getDNbody();

    // Opens the port from the configuration and starts the threads.
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    // Sends ":rE1ED0000".
    int NotifySensorInitComplate() override;
    int getMirrorValue(int& p_nMirror) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;

    // Shutter index 0..14 to the module's code 2..16; -1 for other indexes.
    int getFixShutterValue(int p_nIndex);
    int setMirror(int p_nMirror);
    // 0..4; modes 2 and 3 take the cached sensitivity, 4 the cached shutter.
    int setCameraMode(int p_nMode);
    // 1..3; sent only while the cached camera mode is 2 or 3.
    int setDNSensitivity(int p_nSensitivity);

    bool isPolling() const { return m_pGetDNThread->IsRunning() != 0; }
    const SerialLineSettings& getLineSettings() const { return m_line; }

protected:
    // p_nMirrorId is the member's id of the mirror setting.
    HexTextSenseController(int p_nModuleId, int p_nMirrorId);

    // The member's table: -1 for an id it does not have, else the setter's
    // 1 or 0 (reads: the factory value).
    virtual int writeParameter(int p_nId, int p_nValue) = 0;
    virtual int readParameter(int p_nId, int& p_nValue) = 0;
    // The member's own detail keys; 0 fails the initialisation.
    virtual int readModuleDetail(const ModuleParameterParser& p_detail);
    // What the member asks its module once the port is open.
    virtual void prepareModule() {}
    // Starts the "getDN" thread; 1 or 0.
    virtual int startThreads();

    // The poll behind getDNbody: p_szRead's value p_nNight or p_nDay.
    int pollDayNight(const char* p_szRead, int p_nNight, int p_nDay);

    // Refuses a value outside p_nMin..p_nMax with a line naming the setter
    // and the range, followed by the module's own text when it has one
    // (logged, or printed under the print flag).
    int inRange(int p_nValue, int p_nMin, int p_nMax, const char* p_szSetter,
                const char* p_szOwnText = nullptr, bool p_bPrinted = false);
    // A cached parameter a setting depends on; 0 (logged) when absent.
    int cached(int p_nId, int& p_nValue);
    int write(const char* p_szPrefix, int p_nValue, int p_nWidth = 2);
    // Sends in order; 0 at the first failure.
    int sendAll(std::initializer_list<const char*> p_commands);
    // Sends the command for p_nValue, p_szCommands[0] being p_nFirst's.
    int sendChoice(int p_nValue, int p_nFirst, std::initializer_list<const char*> p_commands,
                   const char* p_szSetter, const char* p_szOwnText = nullptr,
                   bool p_bPrinted = false);
    // Register FCC8 (and what goes with it) for a camera mode.
    int writeCameraMode(int p_nMode, int p_nSensitivity, int p_nShutter);
    // Reads a 2-digit register, logging p_szFailure when that fails.
    int readRegister(const char* p_szRegister, int& p_nValue, const char* p_szFailure);
    // Reads the register and writes p_nTarget there when it differs, then
    // lets the module settle for p_nSeconds.
    int changeVideoRegister(const char* p_szRegister, int p_nTarget, long p_nSeconds);
    // The camera mode's factory value of the members that depend on the
    // infrared mode: 2 without infrared, else 0.
    int infraredCameraMode() const { return this->m_nIsInfrared == 0 ? 2 : 0; }
    static bool printing();

    // The day/night poll's failure text and whether it prints what it read.
    const char* m_szDNFailure;
    bool m_bPrintDNValue;
    int m_nMirrorId;
    SerialLineSettings m_line;
    HexTextLink m_link;
    GThread* m_pGetDNThread;  // the base owns it
};

extern template class HexTextSenseController<ISensorController>;
extern template class HexTextSenseController<IKeelZoomSensorController>;

#endif
