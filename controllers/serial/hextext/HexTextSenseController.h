#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HEXTEXTSENSECONTROLLER_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HEXTEXTSENSECONTROLLER_H

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>

#include "../../../framework/ISensorController.h"
#include "../../../framework/ParameterTable.h"
#include "../IKeelZoomSensorController.h"
#include "../SerialSetup.h"
#include "HexText.h"

/// The camera modes of register FCC8 (setCameraMode). Modes 0 and 1 hold
/// the picture in the day (FFE6 C0) and differ in the low digit of FCC8, as
/// 2 and 3 do, where the module switches day and night itself at the cached
/// sensitivity (2 tells two levels of it, 3 three). Mode 4 fixes the shutter
/// at the cached index.
inline constexpr ParameterMenuEntry kHexTextCameraModes[] = {
    {0, "day"}, {1, "day-alt"}, {2, "module"}, {3, "module-fine"}, {4, "fixed-shutter"}};

/// What the camera modules that take hex-text commands share, on top of the
/// controller base they build on: the framing and the echo-checked exchange,
/// the serial set-up, the "getDN" thread that keeps the day/night status in
/// step with the module, parameters routed by each member's table with a
/// 30 ms pause after every setting, and the register settings more than one
/// member has (mirror, the camera mode and day/night sensitivity of register
/// FCC8). The modules switch day and night themselves, so the base's
/// switching is off.
///
/// The members' tables check every value against the rows' descriptors
/// before a setter runs, so the setters hold no ranges; a refused value is
/// logged as the setters always logged it (refuse). A value that reaches a
/// setter some other way (a cached value, a call through the controller's
/// interface) is checked against the same descriptor (admits).
template <class Base>
class SC_EXPORT HexTextSenseController : public Base {
public:
    /// The last index getFixShutterValue knows.
    static constexpr int kLastFixShutter = 14;
    /// The camera mode a first start finds on a member that depends on the
    /// infrared mode, without a lamp (with one it is 0).
    static constexpr int kCameraModeWithoutLamp = 2;

    /// The command text of a register prefix and a value of p_nWidth hex digits.
    std::string assembleString(const std::string& p_strPrefix, unsigned int p_nValue, int p_nWidth);
    /// The value of a hex text.
    int ascToHex(const std::string& p_strText);
    /// Sends a command text and reads its echo; 1 or 0.
    int sendData(const std::string& p_strCommand);
    /// Sends a read command and reads a value of p_nWidth hex digits; 1 or 0.
    int recvData(const std::string& p_strCommand, int p_nWidth, int& p_nValue);

    /// One poll of the module's day/night register, with the pause after it:
    /// 1 s, or 3 s while the module does not answer sensibly. Returns 0.
    virtual int getDNbody();

    /// Opens the port from the configuration and starts the threads.
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    /// Sends ":rE1ED0000".
    int NotifySensorInitComplate() override;
    /// @copydoc ISensorController::getMirrorValue
    int getMirrorValue(int& p_nMirror) override;
    /// @copydoc ISensorController::getParameterFromSensor
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    /// @copydoc ISensorController::setParameterToSensor
    int setParameterToSensor(int p_nId, int p_nValue) override;

    /// Shutter index 0..kLastFixShutter to the module's code 2..16; -1 for
    /// other indexes.
    int getFixShutterValue(int p_nIndex);
    /// Sets the mirror.
    int setMirror(int p_nMirror);
    /// Modes 2 and 3 take the cached sensitivity, 4 the cached shutter.
    int setCameraMode(int p_nMode);
    /// Sent only while the cached camera mode is 2 or 3.
    int setDNSensitivity(int p_nSensitivity);

    /// Whether the day/night polling thread runs.
    bool isPolling() const { return m_pGetDNThread->IsRunning() != 0; }
    /// The serial line settings read from the configuration.
    const SerialLineSettings& getLineSettings() const { return m_line; }

protected:
    /// p_nMirrorId is the member's id of the mirror setting.
    HexTextSenseController(int p_nModuleId, int p_nMirrorId);

    /// The member's table: -1 for an id it does not have, else the setter's
    /// 1 or 0 (reads: the factory value).
    virtual int writeParameter(int p_nId, int p_nValue) = 0;
    /// Reads an id from the module, as the member's registers hold it.
    virtual int readParameter(int p_nId, int& p_nValue) = 0;
    /// The member's own detail keys; 0 fails the initialisation.
    virtual int readModuleDetail(const ModuleParameterParser& p_detail);
    /// What the member asks its module once the port is open.
    virtual void prepareModule() {}
    /// Starts the "getDN" thread; 1 or 0.
    virtual int startThreads();

    /// The poll behind getDNbody: p_szRead's value p_nNight or p_nDay.
    int pollDayNight(const char* p_szRead, int p_nNight, int p_nDay);

    /// What a setter adds to the line that names it when its value is
    /// refused: logged, or printed with the value under the print flag.
    struct RefusalText {
        /// The id.
        int nId;
        /// The text logged when the id's value is refused.
        const char* szText;
        /// Whether the text was printed already.
        bool bPrinted;
    };
    /// The member's text for the id; the base has the mirror's.
    virtual const RefusalText* refusalText(int p_nId) const;
    template <size_t N>
    /// The id's refusal text; null when none.
    static const RefusalText* findText(const RefusalText (&p_texts)[N], int p_nId) {
        for (const RefusalText& text : p_texts) {
            if (text.nId == p_nId) {
                return &text;
            }
        }
        return nullptr;
    }
    /// What a setter prints of every value it is given, refused or not.
    virtual void announce(int, int) {}

    /// The members' tables' refusal log: the setter's announcement, the line
    /// naming the setter and the values its descriptor takes, then the
    /// setter's own text.
    template <class Member>
    void refuse(const ParameterRow<Member>& p_row, int p_nValue) {
        announce(p_row.nId, p_nValue);
        logRefusal(p_row.szSetter, p_nValue, p_row.descriptor());
    }
    /// Logs a refused value with the setter's name and what the descriptor takes.
    void logRefusal(const char* p_szSetter, int p_nValue, const ParameterDescriptor& p_desc);
    /// Whether the member's descriptor of the id takes the value; 0, logged
    /// as the table logs it, when not.
    virtual int admits(int p_nId, int p_nValue) = 0;
    template <class Member>
    /// Whether the member's table takes the value for the id; a refusal is logged.
    int admitted(const ParameterTable<Member>& p_table, int p_nId, int p_nValue) {
        const ParameterRow<Member>* row = p_table.find(p_nId);
        if (row == nullptr || row->takes(p_nValue)) {
            return 1;
        }
        refuse(*row, p_nValue);
        return 0;
    }

    /// A module's table entry by index; null past its ends (never indexed
    /// with a value its descriptor refuses).
    template <class T, size_t N>
    static const T* pick(const T (&p_table)[N], int p_nIndex) {
        return p_nIndex >= 0 && static_cast<size_t>(p_nIndex) < N ? &p_table[p_nIndex] : nullptr;
    }

    /// A cached parameter a setting depends on; 0 (logged) when absent.
    int cached(int p_nId, int& p_nValue);
    /// Writes a value to a register prefix; 1 or 0.
    int write(const char* p_szPrefix, int p_nValue, int p_nWidth = 2);
    /// Sends in order; 0 at the first failure.
    int sendAll(std::initializer_list<const char*> p_commands);
    /// Sends the command for p_nValue, p_commands[0] being p_nFirst's.
    template <size_t N>
    int sendChoice(int p_nValue, int p_nFirst, const char* const (&p_commands)[N]) {
        const char* const* command =
            p_nValue >= p_nFirst ? pick(p_commands, p_nValue - p_nFirst) : nullptr;
        return command != nullptr && sendData(*command);
    }
    /// Register FCC8 (and what goes with it) for a camera mode.
    int writeCameraMode(int p_nMode, int p_nSensitivity, int p_nShutter);
    /// Reads a 2-digit register, logging p_szFailure when that fails.
    int readRegister(const char* p_szRegister, int& p_nValue, const char* p_szFailure);
    /// Reads the register and writes p_nTarget there when it differs, then
    /// lets the module settle for p_nSeconds.
    int changeVideoRegister(const char* p_szRegister, int p_nTarget, long p_nSeconds);
    /// The camera mode's factory value of the members that depend on the
    /// infrared mode.
    int infraredCameraMode() const { return this->m_nIsInfrared == 0 ? kCameraModeWithoutLamp : 0; }
    /// Whether the optional console messages are on (GlobalEnv).
    static bool printing();

    /// The day/night poll's failure text and whether it prints what it read.
    const char* m_szDNFailure;
    /// Whether the day/night values read are printed.
    bool m_bPrintDNValue;
    /// The member's mirror id.
    int m_nMirrorId;
    /// The serial line settings.
    SerialLineSettings m_line;
    /// The hex-text transport.
    HexTextLink m_link;
    /// The day/night polling thread.
    GThread* m_pGetDNThread;  // the base owns it
};

extern template class HexTextSenseController<ISensorController>;
extern template class HexTextSenseController<IKeelZoomSensorController>;

#endif
