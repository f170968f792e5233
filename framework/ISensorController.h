#ifndef SENSORCONTROL_FRAMEWORK_ISENSORCONTROLLER_H
#define SENSORCONTROL_FRAMEWORK_ISENSORCONTROLLER_H

/// @file
/// ISensorController, the base class of every controller, and the GPIO line
/// of a module configuration.
#include <atomic>
#include <climits>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "../automation/EE.h"
#include "../automation/ISPParam.h"
#include "../automation/ParamScheme.h"
#include "../config/IdManager.h"
#include "../config/SensorCache.h"
#include "../config/SensorConfigFile.h"
#include "../platform/Export.h"
#include "../platform/GThread.h"
#include "../platform/ModuleConfigure.h"
#include "../platform/ModuleParameterParser.h"
#include "../platform/OVDeviceTime.h"
#include "../platform/OVMutex.h"
#include "../platform/OrvaneTime.h"
#include "../platform/VideoResolution.h"
#include "IGPIO.h"
#include "IUARTController.h"
#include "ParameterDescriptor.h"
#include "SafePointer.h"
#include "SensorLog.h"

/// A GPIO line of the module configuration ("GPIO=1,2,0"): group, bit and the
/// level that stands for day.
struct SC_EXPORT GPIOTriple {
    /// The GPIO group (bank) of the line.
    int nGroup = 0;
    /// The pin within the group.
    int nBit = 0;
    /// The level (0 or 1) that stands for day; the other one stands for night.
    int nDayLevel = 0;

    /// "group,bit,day level" as the detail text gives it: the count of
    /// numbers read; fields without a number keep their values.
    int parse(const std::string& p_strText);
};

/// The abstract base of every controller. It owns what all controllers share -
/// the id registry, the value caches, the parameter files, the logs, the
/// serial-port and GPIO handles, the day/night and scheme state and the
/// background "DayNightChangeThread" - and gives every virtual operation its
/// base behaviour. A concrete controller overrides the three pure operations
/// and whatever its hardware supports.
///
/// Every thread that calls into a controller (the day/night thread and any a
/// family runs) belongs to the base and is stopped by stopThreads() before the
/// first destructor runs: the last SafePointer release and the manager's
/// teardown go through it, so no controller class stops threads of its own.
///
/// Operations return 1 (non-zero) for success and 0 for failure unless stated.
/// The source is split by concern: ISensorController.cpp (object model),
/// SensorInit.cpp, ParameterAccess.cpp, SerialHelpers.cpp, and under
/// automation/ DayNight.cpp, Schemes.cpp and ISPTuning.cpp.
class SC_EXPORT ISensorController {
public:
    /// getSensorStatus() after a successful init().
    enum { InitSuccess = 2 };

    /// A controller of the given sensor type (the module family number the
    /// controller class stands for); adds the day/night thread, not started.
    explicit ISensorController(int p_nSensorType);
    /// Slots 0-1. Reports (and counts) threads an owner left running.
    virtual ~ISensorController();
    /// Not copyable: a controller owns threads, files and hardware handles.
    ISensorController(const ISensorController&) = delete;
    /// Not assignable, as it is not copyable.
    ISensorController& operator=(const ISensorController&) = delete;

    /// @name Virtual interface, in slot order
    /** @{ */
    /// The video system (PAL/NTSC) or the resolution changed after init.
    virtual int updateSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution);
    /// Back to the factory parameters: every scheme file copied from the
    /// factory file, scheme 0 enabled and applied, the manual scheme mode.
    virtual int resetParameters();
    /// Applies the current scheme's file again and flushes.
    virtual int resetToLastParameters();
    /// Saves the cached values to the parameter files (the current scheme's,
    /// the factory file's module-specific ids, the especial file).
    /// 0 when saved; 505 start after 24:00, 506 end after 24:00, 507 start not
    /// before end, 508 a file could not be written.
    virtual int flush();
    /// The mirror setting of the picture.
    virtual int getMirrorValue(int& p_nMirror) = 0;
    /// Told the day/night status the cycle judged (1 day, 0 night) before it
    /// is entered, for modules whose exposure follows it; base: 0.
    virtual int set2AParam(int p_nStatus);
    /// The module's version text; base: 0 (none).
    virtual int getCameraVerInf(std::string& p_strVersion);
    /// Puts the exposure mode back to the one set; base: 0.
    virtual int restoreAeMode();
    /// Lets the iris run automatically; base: 0.
    virtual int setRunAutoIris();
    /// Opens the iris one step; base: 0.
    virtual int IrisUp();
    /// Closes the iris one step; base: 0.
    virtual int IrisDown();
    /// Starts moving the focus far at the speed; base: 0.
    virtual int FocusFar(int p_nSpeed);
    /// Starts moving the focus near at the speed; base: 0.
    virtual int FocusNear(int p_nSpeed);
    /// Starts zooming in (tele) at the speed; base: 0.
    virtual int ZoomIn(int p_nSpeed);
    /// Starts zooming out (wide) at the speed; base: 0.
    virtual int ZoomOut(int p_nSpeed);
    /// The zoom position and the optical ratio it stands for; base: 0. The
    /// module check (checkModule()) asks this.
    virtual int getZoomValue(int& p_nZoom, int& p_nRatio);
    /// Moves the zoom to a position; base: 0.
    virtual int setZoomValue(int p_nZoom);
    /// Moves the focus to a position; base: 0.
    virtual int setFocusValue(int p_nFocus);
    /// The focus position; base: 0.
    virtual int getFocusValue(int& p_nFocus);
    /// Sets the focus mode (automatic, manual, ...); base: 0.
    virtual int setFocusMode(int p_nMode);
    /// The focus mode set; base: 0.
    virtual int getFocusMode(int& p_nMode);
    /// Stops a zoom move; base: 0.
    virtual int StopZoomContrl();
    /// Stops a focus move; base: 0.
    virtual int StopFocusContrl();
    /// Stops an iris move; base: 0.
    virtual int StopIris();
    /// Moves zoom and focus to a position each (a preset); base: 0.
    virtual int setZoomAndFocusValue(int p_nZoom, int p_nFocus);
    /// The module's own day/night state; base: 0.
    virtual int getDayNightState(int& p_nState);
    /// The focus mode the module reports; base: 0.
    virtual int getCameraFocusMode(int& p_nMode);
    /// The near infrared lamp's level (0-LAMP_LEVEL_MAX); base: a lamp frame
    /// over the serial port when the board has infrared lamps.
    virtual int setNearLight(int p_nBrightness);
    /// The near lamp's level; base: 50.
    virtual int getNearLight(int& p_nBrightness);
    /// The middle infrared lamp's level, as setNearLight().
    virtual int setMiddleLight(int p_nBrightness);
    /// The middle lamp's level; base: 50.
    virtual int getMiddleLight(int& p_nBrightness);
    /// The far infrared lamp's level, as setNearLight().
    virtual int setFarLight(int p_nBrightness);
    /// The far lamp's level; base: 50.
    virtual int getFarLight(int& p_nBrightness);
    /// The still-image (freeze) setting; base: 0.
    virtual int getStillImageValue(int& p_nValue);
    /// Hands day/night to the module's own judgement (day/night mode 4);
    /// base: 1.
    virtual int enterAutoMode();
    /// The lamp board's power mode (0-LAMP_POWER_MODE_MAX), as setNearLight().
    virtual int setPowerMode(int p_nMode);
    /// The lamp board's power mode; base: 0.
    virtual int getPowerMode(int& p_nMode);
    /// Reads an id's value from the hardware.
    /// Base: the scheme window ids 500-504; 0 for any other id.
    virtual int getParameterFromSensor(int p_nId, int& p_nValue);
    /// Writes an id's value to the hardware.
    /// Base: 1 for ids 500-504, -1 (not this controller's id) for any other.
    virtual int setParameterToSensor(int p_nId, int p_nValue);
    /// Sets up the module for the video system and resolution (during init()).
    virtual int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) = 0;
    /// Called at the end of init(), once the parameter files are loaded;
    /// base: 1.
    virtual int NotifySensorInitComplate();
    /// Brings the parameter text of all cached values up to date with the
    /// module (getAllParameters()); base: 1, unchanged.
    virtual int UpdateParameters(std::string& p_strValues);
    /// Sends a raw request to the module and reads its answer; base: 1.
    virtual int getParameterValue(const char* p_pRequest, int p_nRequestLength, char* p_pAnswer,
                                  int p_nAnswerLength);
    /// Sends raw bytes to the module (a command frame); base: 1.
    virtual int setParameterValue(const char* p_pBytes, int p_nLength);
    /// The day/night mode: 0 auto (by the scene's light), 1 day, 2 night,
    /// 3 by the clock, 4 the module's own judgement. The next cycle enters
    /// the state in full.
    virtual int setDayNightMode(int p_nMode);
    /// The factory day/night mode (the detail's DNDefault).
    virtual int getDayNightMode(int& p_nMode);
    /// The module's day/night status (1 day, 0 night); base: 1, unchanged.
    virtual int getDNStatusFromSensor(int& p_nStatus);
    /// The status from the light sensor's GPIO line (1 day, 0 night).
    virtual int getDNStatusFromLDR(int& p_nStatus);
    /// Puts the picture in its day setting (colour); base: 1.
    virtual int turnPictureToDay();
    /// Puts the picture in its night setting (black and white); base: 1.
    virtual int turnPictureToNight();
    /// Entering the automatic day/night mode; base: 1.
    virtual int turnToAutoDayNightMode();
    /// Entering a manual day/night mode (day, night or schedule); base: 1.
    virtual int turnToManualDayNightMode();
    /// The IR-cut filter in and the infrared lamps off, over the GPIO lines
    /// the configuration names; nothing for a serial module.
    virtual int SwitchInfraredIrCutToDay();
    /// The IR-cut filter out and the infrared lamps on, as
    /// SwitchInfraredIrCutToDay().
    virtual int SwitchInfraredIrCutToNight();
    /// Brings up the module: registers the ids, reads the module
    /// configuration, opens the hardware. init() calls it first.
    virtual int initController(int p_nModuleId, const ModuleConfigure& p_config) = 0;
    /// Puts the module into its factory state; base: 1.
    virtual int initFactorySetting();
    /// The current sensor gain, for the gain-dependent tuning; base: 0.
    virtual int getCurrentGain(int& p_nGain);
    /// Called every cycle of the day/night thread, before the day/night step,
    /// for a controller's periodic work; base: nothing.
    virtual void doDependOnThread();
    /// Day (1) or night (2) setting of the wide dynamic range when its mode
    /// follows day/night (3); base: 1.
    virtual int updateHDRMode(int p_nMode);
    /// @}

    /// @name Object model
    /** @{ */
    /// The sensor type given at construction.
    int getSensorType() const { return m_nSensorType; }
    /// InitSuccess once init() succeeded; 1 before.
    int getSensorStatus() const { return m_SensorStatus; }
    /// Whether init() has run to the end.
    bool isInitFinished() const { return m_bInitFinished; }
    // The requested day/night mode and the status last entered (1 day, 0
    // night, -1 none yet), for hosts and tools that show them.
    /// The requested day/night mode (setDayNightMode()).
    int getCurrentDayNightMode() const { return m_nDayNightMode; }
    /// The day/night status last entered (1 day, 0 night, -1 none yet).
    int getDNState() const { return m_nDNState; }
    /// The registry of the controller's ids and their types.
    IdManager* getIdManager() const { return m_pIdManager.get(); }

    /// Stops and joins every thread that calls into this controller; none
    /// starts again afterwards. The last SafePointer release calls it before
    /// the destructors run, since a thread mid-cycle may be in any part of
    /// the controller. A host that owns a controller directly (on the stack,
    /// in a unique_ptr) calls it before destroying it. Safe to call more than
    /// once; not from one of the controller's own threads.
    void stopThreads();
    /// Controllers destroyed with a thread still running: an owner that did
    /// not stop them, which the destructor can only report (and count here).
    static int destroyedWithThreadsRunning();
    /// The tuning values last passed on (-100: none yet), for tools that show
    /// what the tuning step decided.
    void getISPTuningState(int& p_nEE, int& p_nDC, int& p_nA0, int& p_nTM) const {
        p_nEE = m_nLastEE;
        p_nDC = m_nLastDC;
        p_nA0 = m_nLastA0;
        p_nTM = m_nLastTM;
    }
    /// @}

    /// @name Initialisation and configuration files
    /** @{ */
    /// Brings the controller into service: initController(), the video
    /// system, day mode, the parameter files and schemes, then the day/night
    /// thread. 1 on success.
    int init(int p_nVideoSystem, const ModuleConfigure& p_config,
             const VideoResolution& p_resolution);
    /// Deletes the factory file (and, when the first version changed, the
    /// scheme files) written under other configuration versions.
    int checkSensorConfigVersion();
    /// Creates what is missing on flash (scheme state file, factory file,
    /// scheme files) and takes over a single parameter file of old releases.
    int initConfigFile();
    /// Creates the scheme state file "sensor.xml" when there is none.
    int createSensorXML();
    /// Writes the factory file from the values read from the hardware.
    int createSensorFile_Factory();
    /// Whether every scheme's parameter file exists.
    int isSensorSchemeFilesExist();
    /// Copies the factory file to every scheme's file.
    int copySchemeFilesFromFactory();
    /// Opens the scheme files, one per scheme of sensorAbility.xml.
    int initSensorFilesHandler();
    /// Enables scheme 0 and disables the others in their files.
    int resetSchemeFiles();
    /// The serial port and GPIO handles the controller talks through.
    void setOperator(const SafePointer<IUARTController>& p_uart, const SafePointer<IGPIO>& p_gpio);
    /// Watchdog check for the host to call periodically: asks the module for
    /// its zoom position at most once a minute and reboots the camera through
    /// the hardware watchdog when two queries in a row fail.
    int checkModule();
    /// The version of the controller's parameter set: files saved under
    /// another one are deleted at the next start.
    void setSensorConfigVersion(int p_nVersion);
    /// A second version: when only it changed, the factory file is rebuilt
    /// and the scheme files are kept.
    void setSensorConfigVersion2(int p_nVersion);
    /// @}

    /// @name Parameter descriptors
    /** @{ */
    /// What a registered id takes and means, copied into p_descriptor with
    /// its id type (no allocation); 0 when the controller does not describe
    /// the id. The strings and menus point at constant data that lives as
    /// long as the library.
    int getParameterDescriptor(int p_nId, ParameterDescriptor& p_descriptor) const;
    /// The descriptor of the smallest described id above p_nAfter (INT_MIN
    /// for the first); 0 past the last. Walks every id in ascending order.
    int getNextParameterDescriptor(int p_nAfter, ParameterDescriptor& p_descriptor) const;
    /// The descriptor whose name is p_szName; 0 when none has it.
    int findParameterDescriptor(const char* p_szName, ParameterDescriptor& p_descriptor) const;
    /// The descriptor of the lowest id with the role; 0 when none has it.
    int findParameterByRole(ParameterRole p_eRole, ParameterDescriptor& p_descriptor) const;
    /// The scheme window ids 500-504 as the base describes them.
    static const ParameterDescriptorList& schemeWindowDescriptions();
    /// One of them, with a factory value of the caller's (the base's reads
    /// answer a whole day, enabled). The base takes any value here; flush
    /// refuses a window that is not one.
    static constexpr ParameterDescriptor schemeWindowDescriptor(int p_nId, int p_nFactory) {
        ParameterDescriptor descriptor;
        descriptor.nId = p_nId;
        descriptor.eRole = ParameterRole::SCHEME_WINDOW;
        descriptor.bChecked = false;
        descriptor.nFactory = p_nFactory;
        if (p_nId == 500) {
            descriptor.szName = "scheme-enable";
            descriptor.eKind = ParameterKind::ON_OFF;
            return descriptor;
        }
        bool hour = p_nId == 501 || p_nId == 503;
        descriptor.szName = p_nId == 501   ? "scheme-start-hour"
                            : p_nId == 502 ? "scheme-start-minute"
                            : p_nId == 503 ? "scheme-end-hour"
                                           : "scheme-end-minute";
        descriptor.eUnit = hour ? ParameterUnit::HOUR : ParameterUnit::TEN_MINUTES;
        descriptor.nMin = 0;
        descriptor.nMax = hour ? 24 : 5;
        return descriptor;
    }
    /// @}

    /// @name Parameter access
    /** @{ */
    /// The id's value: from the set being applied, else from the cache.
    int getParameter(int p_nId, int& p_nValue);
    /// Writes the id to the hardware unless the cache already holds the
    /// value, then caches it as its id type says. 1 on success.
    int setParameter(int p_nId, int p_nValue);
    /// The hardware may not hold the id's cached value (a setting sent again
    /// on behalf of another failed on the way): its next write goes to the
    /// hardware even with that value.
    void markUnconfirmed(int p_nId);
    /// The cached values of the ids in the list, as parameter text.
    int getParameters(const std::string& p_strIdList, std::string& p_strValues);
    /// Applies a parameter text "(id,value)..." in id order, stopping at the
    /// first failure.
    /// 0 when all were applied, else minus the id of the first that failed;
    /// FAILED_AT_ID_0 when that id is 0, which minus would turn into success.
    int setParameters(const std::string& p_strValues);
    /// setParameters() failed at id 0.
    enum { FAILED_AT_ID_0 = INT_MIN };
    /// The id a failed setParameters result names.
    static int failedId(int p_nResult) { return p_nResult == FAILED_AT_ID_0 ? 0 : -p_nResult; }
    /// Every cached value as parameter text, brought up to date with the
    /// module (UpdateParameters()) and saved when that changed any.
    int getAllParameters(std::string& p_strValues);
    /// Every registered id's value read from the hardware, as parameter text.
    int getAllParametersFromSensor(std::string& p_strValues);
    /// The scheme whose window holds the device's time now (-1 none: the
    /// factory values) and its parameter text.
    int readCurrentParam(int& p_nScheme, std::string& p_strValues);
    /// Sets the id's entry in a parameter text, appending it when missing.
    void UpdateParametersIdValue(std::string& p_strValues, int p_nId, int p_nValue);
    /// Tells a serial module's pan/tilt head to stop ("MENUON"); 1 for other
    /// modules.
    int stopPTZ();

    /// The base's own settings, which each controller exposes under parameter
    /// ids of its own numbering; the virtual setters (lights, power mode,
    /// day/night mode) dispatch to the controller.
    enum BaseSetting {
        /// The day/night mode (setDayNightMode()).
        BASE_DAYNIGHT_MODE,
        /// The hour of the scheduled switch to night.
        BASE_DTN_HOUR,
        /// The minutes (in tens) of the scheduled switch to night.
        BASE_DTN_MINUTE,
        /// The hour of the scheduled switch to day.
        BASE_NTD_HOUR,
        /// The minutes (in tens) of the scheduled switch to day.
        BASE_NTD_MINUTE,
        /// Seconds a new status must last before day/night switches.
        BASE_DN_SWITCH_DELAY,
        /// The manual temporal noise filter strength.
        BASE_TNF,
        /// The temporal noise filter mode (0 table, 1 off, 2 manual).
        BASE_TNF_MODE,
        /// The near infrared lamp's level.
        BASE_NEAR_LIGHT,
        /// The middle infrared lamp's level.
        BASE_MIDDLE_LIGHT,
        /// The far infrared lamp's level.
        BASE_FAR_LIGHT,
        /// The lamp board's power mode.
        BASE_POWER_MODE
    };
    /// The largest infrared lamp level (percent) the lamp board takes.
    static constexpr int LAMP_LEVEL_MAX = 100;
    /// The largest power mode the lamp board takes.
    static constexpr int LAMP_POWER_MODE_MAX = 1;
    /// Writes one of the base's settings (a BaseSetting).
    int setBaseSetting(int p_nSetting, int p_nValue);
    /// Reads one of the base's settings (a BaseSetting).
    int getBaseSetting(int p_nSetting, int& p_nValue);

    /// The number under a key of the module detail (strtol, base 10) into
    /// p_nValue; p_szMissing logged and 0 when the key is absent.
    int readDetailNumber(const ModuleParameterParser& p_detail, const char* p_szKey,
                         const char* p_szMissing, int& p_nValue);
    /// @}

    /// @name Serial helpers and diagnostics
    /** @{ */
    /// A printf-style line (cut to 99 characters) into the init log.
    void InitPrintf(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3)));
    /// A printf-style line (cut to 99 characters) into the error log.
    void ErrorPrintf(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3)));
    /// A printf-style text (cut to 51 characters) on the console, in debug
    /// mode only (/factory_setting/SensorControlDebug exists).
    void Debug_Printf(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3)));
    /// Writes the checksum of a frame into its last byte but one: the low
    /// byte of the sum of the bytes between the first and that one.
    void computeSum(char* p_pFrame, int p_nLength);
    /// Whether the pattern occurs in the data received.
    int checkUARTRecv(const char* p_pPattern, int p_nPatternLength, const char* p_pData,
                      int p_nDataLength);
    /// Reads and drops whatever waits on the serial port.
    int clearUartBuffer();
    /// Logs bytes as "0x81,0x1,..." in the error log.
    void recodeArray(const char* p_pBytes, int p_nLength);
    /// Sends the VISCA camera reset frame through setParameterValue().
    int resetCamera();
    /// Called every scheme cycle for debug output; does nothing.
    void printDebugMessage();
    /// @}

    /// @name Day/night switching
    /** @{ */
    /// One cycle of the "DayNightChangeThread": scheme selection,
    /// doDependOnThread(), the day/night step, one second's wait.
    int DNChangeThreadBody();
    /// The day/night step: judges the status and enters it.
    int DNSwitchHandle();
    /// The status the mode asks for now (1 day, 0 night); 0 when nothing is
    /// to be entered yet.
    int DNSwitchJudge(int& p_nStatus);
    /// The light input's status, from the module or a GPIO line as the
    /// configuration has it.
    int getCurrentDNStatus(int& p_nStatus);
    /// Whether a status has lasted the switch delay (night is entered at
    /// once).
    int isTimeToSwitch(int p_nStatus);
    /// The status the schedule gives for the device's time now.
    int DNSwitchByTime(int& p_nStatus);
    /// IR-cut and lamps to day, then the picture; nothing when in day
    /// already.
    int enterDayMode();
    /// The picture to night, then IR-cut and lamps; nothing when in night
    /// already.
    int enterNightMode();
    /// The device's monotonic time in seconds.
    int getCurrentTime(double& p_dSeconds);
    /// Starts the switch delay again from now.
    int reInitDelayStartTime();
    /// The switch delay in seconds.
    int setDNSwitchDelay(int p_nSeconds);
    /// The factory switch delay (5 s).
    int getDNSwitchDelay(int& p_nSeconds);
    /// The hour of the scheduled switch to night; refused when day and
    /// night would switch at the same time.
    int setDTNTime_H(int p_nHour);
    /// The minutes (in tens) of the scheduled switch to night.
    int setDTNTime_M(int p_nMinute);
    /// The hour of the scheduled switch to day.
    int setNTDTime_H(int p_nHour);
    /// The minutes (in tens) of the scheduled switch to day.
    int setNTDTime_M(int p_nMinute);
    /// The factory hour of the switch to night (18).
    int getDTNTime_H(int& p_nHour);
    /// The factory minutes of the switch to night (0).
    int getDTNTime_M(int& p_nMinute);
    /// The factory hour of the switch to day (6).
    int getNTDTime_H(int& p_nHour);
    /// The factory minutes of the switch to day (0).
    int getNTDTime_M(int& p_nMinute);
    /// @}

    /// @name Parameter schemes
    /** @{ */
    /// Reads every scheme's time window from its file.
    int loadSchemeParamToMemory();
    /// A scheme's parameter text from its file; scheme -1 is the factory file.
    int readParamByScheme(int p_nScheme, std::string& p_strValues);
    /// Applies a scheme's file and makes it the current scheme.
    int switchScheme(int p_nScheme);
    /// Flushes the current scheme, then switches to another (manual mode).
    int setParamScheme(int p_nScheme);
    /// The current scheme (-1 the factory values, -2 none applied yet).
    int getParamScheme(int& p_nScheme);
    /// The scheme mode: 0 manual, 1 automatic by time window; saved.
    int setParamMode(int p_nMode);
    /// The scheme mode.
    int getParamMode(int& p_nMode);
    /// One cycle of the automatic selection: switches to the scheme whose
    /// window holds the time now.
    int paramSchemeSwitchBody();
    /// The number of schemes, from sensorAbility.xml.
    int getParamSchemeNum(int& p_nCount);
    /// Gives scheme p_nScheme a new time window without applying the scheme:
    /// enabled or not, from p_nStart to p_nEnd (hour x 100 + minutes, minutes
    /// a multiple of 10 as the files keep them). The scheme's file holds it at
    /// once, the automatic selection uses it from the next cycle, and for the
    /// active scheme ids 500-504 read it too. 0 when saved; 505 the start, 506
    /// the end is not such a time up to 24:00, 507 the start is not before
    /// the end, 508 the file could not be written, 509 no such scheme.
    int setSchemeWindow(int p_nScheme, bool p_bEnabled, int p_nStart, int p_nEnd);
    /// A value of the scheme state file by name ("SchemeIndex", "SchemeMode").
    int getValueFromParamSchemeNode(const std::string& p_strName, std::string& p_strValue);
    /// Writes a value of the scheme state file by name.
    int setValueToParamSchemeNode(const std::string& p_strName, const std::string& p_strValue);
    /// Saves the current scheme's index.
    int setParamSchemeToFile(int p_nScheme);
    /// The saved scheme index.
    int getParamSchemeFromFile(int& p_nScheme);
    /// Saves the scheme mode.
    int setParamSchemeModeToFile(int p_nMode);
    /// The saved scheme mode.
    int getParamSchemeModeFromFile(int& p_nMode);
    /// The factory value of id 500 (scheme enabled: 1).
    int getEnableParam(int& p_nValue);
    /// The factory value of id 501 (start hour: 0).
    int getParamStartTime_H(int& p_nValue);
    /// The factory value of id 502 (start minutes: 0).
    int getParamStartTime_M(int& p_nValue);
    /// The factory value of id 503 (end hour: 24).
    int getParamEndTime_H(int& p_nValue);
    /// The factory value of id 504 (end minutes: 0).
    int getParamEndTime_M(int& p_nValue);
    /// @}

    /// @name ISP tuning
    /** @{ */
    /// Loads the gain- and day/night-dependent tuning table.
    int ISPParamThreadInit();
    /// One tuning step: passes on the table's values for the day/night state
    /// and the current gain.
    int ISPParamBody();
    /// Applies the table's edge enhancement, DC and noise filter values for
    /// an input of a unit ("DN", "GAIN").
    int setISPParam(const std::string& p_strUnit, int p_nInput);
    /// The edge enhancement value for the input, when it changed.
    int setEEParam(const std::string& p_strUnit, int p_nInput);
    /// The DC value for the input, when it changed.
    int setDCParam(const std::string& p_strUnit, int p_nInput);
    /// The temporal noise filter values (A0, TM) for the input, when they
    /// changed and the filter follows the table.
    int set3DNRParam(const std::string& p_strUnit, int p_nInput);
    /// The temporal noise filter mode: 0 by the table, 1 off, 2 manual.
    int setTNFMode(int p_nMode);
    /// The factory filter mode: 1 (off) where the module has no filter, else 0.
    int getTNFMode(int& p_nMode);
    /// The manual filter strength (1-100; 0 none).
    int setTNF(int p_nValue);
    /// The filter strength; 0 where the module has no filter.
    int getTNF(int& p_nValue);
    /// @}

protected:
    /// Where the controller's own ids are described (its parameter table);
    /// the base describes the scheme window ids itself. The descriptions
    /// must outlive the controller's use of them (a member is fine).
    void describeParametersBy(const ParameterDescriptions* p_pDescriptions) {
        m_pDescriptions = p_pDescriptions;
    }
    /// A thread whose body calls into this controller. The base owns it, so
    /// stopThreads() stops it with the rest; the family starts and stops it
    /// as its mode requires.
    GThread* addThread(const function<int>& p_body, const char* p_szName);
    /// Starts one of this controller's threads; 0 once stopThreads() has begun.
    int startThread(GThread* p_pThread);
    /// The body of setParameters, for callers that hold m_paramMutex: a scheme
    /// switch changes the scheme index and applies its values under that
    /// lock, and flush takes it too, so a flush never pairs one scheme's file
    /// with another scheme's values.
    int setParametersLocked(const std::string& p_strValues);
    /// Sends the 8-byte infrared lamp frame (code 6 near, 7 middle, 8 far, 1
    /// power mode) after the range check.
    int sendLampFrame(const char* p_szSetter, int p_nCode, int p_nValue, unsigned int p_nMax);
    /// Sets a GPIO line; logs p_szFailure and waits a second when that fails.
    int setLevelOrWarn(const GPIOTriple& p_gpio, int p_nLevel, const char* p_szFailure);
    /// Reads a GPIO line as a day/night status (1 at its day level, else 0).
    int readDayLevel(const GPIOTriple& p_gpio, int& p_nStatus);
    /// Sets a scheduled switch time (hour x 100 + minutes) unless it would
    /// equal the other one, once init is done and outside a bulk update.
    int setTimeChecked(std::atomic<int>& p_nTarget, int p_nOther, int p_nNewValue,
                       const char* p_szMessage);
    /// The path of a scheme's parameter file ("sensor<N>.cfg").
    std::string schemeFilePath(int p_nScheme) const;
    /// The value of the other id of a pair that must stay in order (minimum
    /// and maximum, the two day/night thresholds): while a stored set is
    /// applied whole, the set's own, so that a set right as a whole applies
    /// in id order; otherwise the applied one. 0, and p_nValue untouched,
    /// when neither knows the id.
    int partnerValue(int p_nPartnerId, int& p_nValue);
    /// The cached values of the ids as parameter text; ids not cached keep the
    /// value the file holds (when a file is given).
    std::string cachedValues(const std::set<int>& p_ids, SensorConfigFile* p_pFile);

    /// @name Members, in this order
    /// Words that the background thread and the host's threads both touch
    /// without a lock are atomic; the scheme lists have a lock of their own
    /// (m_schemeMutex) so that a reset cannot pull them from under the thread.
    /** @{ */
    /// The sensor type given at construction.
    int m_nSensorType;
    /// The serial port's index at the IUARTController (-1 none open).
    int m_nUARTIndex;
    /// Serialises a serial exchange (request and answer) with the module.
    OVMutex m_mutex;
    /// Whether the module is on the serial line (no GPIO day/night, PTZ stop).
    bool m_bIsUARTModule;
    /// 1 until init() succeeds, then InitSuccess.
    std::atomic<int> m_SensorStatus;
    /// 1 before init() reached the parameter files, 2 after.
    int m_nControllerState;
    /// The parameter set's version (setSensorConfigVersion()).
    int m_nConfigVersion;
    /// The second version (setSensorConfigVersion2()).
    int m_nConfigVersion2;
    /// The id registry: which ids the controller has, of which type.
    std::unique_ptr<IdManager> m_pIdManager;
    /// The set being applied by setParameters(), read before the cache.
    std::unique_ptr<SensorCache> m_pSensorLastValueCache;
    /// The applied value of every id.
    std::unique_ptr<SensorCache> m_pSensorCache;
    /// The host's serial port.
    SafePointer<IUARTController> m_pUART;
    /// The host's GPIO lines.
    SafePointer<IGPIO> m_pGPIO;
    /// The requested day/night mode (setDayNightMode()).
    std::atomic<int> m_nDayNightMode;
    /// The mode the last cycle entered (-1: enter in full next cycle).
    int m_nLastDayNightMode;
    /// Seconds a day status must last before night turns to day.
    std::atomic<int> m_nDNSwitchDelay;
    /// When the status last changed (getCurrentTime()).
    double m_dDelayStartTime;
    /// The status the last cycle judged (-1 none yet).
    int m_nLastJudgedStatus;
    /// A scratch buffer for the serial drivers' debug texts.
    std::unique_ptr<char[]> m_pDebugBuf;
    /// Whether the thread's day/night step runs.
    std::atomic<bool> m_bDNSwitchEnable;
    /// Set at the end of init().
    std::atomic<bool> m_bInitFinished;
    /// The detail's isInfrared: 0 the module judges day/night, 1 the IR-cut
    /// line carries it, 2 infrared lamps by PWM.
    int m_nIsInfrared;
    /// The detail's isNewInfrared: a light sensor line and a lamp line of
    /// their own.
    bool m_bNewInfrared;
    /// The day/night status last entered (1 day, 0 night, -1 none yet).
    std::atomic<int> m_nDNState;
    /// The day/night status the tuning step last used (-1 none yet).
    int m_nISPDNState;
    /// The factory day/night mode (the detail's DNDefault).
    int m_nDNDefault;
    // Temporal noise filter: support, mode (0 table, 1 off, 2 manual), the
    // mode and strength last applied by a driver (-1 none) and the manual
    // strength.
    /// Whether the module has the temporal noise filter (0 none).
    int m_nTNF;
    /// The filter mode (0 table, 1 off, 2 manual).
    std::atomic<int> m_nTNFMode;
    /// The mode a driver last applied (-1 none).
    int m_nTNFAppliedMode;
    /// The strength a driver last applied (-1 none).
    int m_nTNFAppliedValue;
    /// The manual strength.
    std::atomic<int> m_nTNFValue;
    /// The IR-cut filter line (the configuration's GPIO).
    GPIOTriple m_IrCutGpio;
    /// The infrared lamp line (GPIOInfraredLight).
    GPIOTriple m_InfraredLightGpio;
    /// The light sensor's day/night line.
    GPIOTriple m_DNLevelGpio;
    // Day/night settings of the IT1 driver family: setup mode, infrared
    // switching, last level seen (its switch thread and the host share them).
    /// The IT1 family's day/night setup mode.
    std::atomic<int> m_nDNSetup;
    /// The IT1 family's infrared switching setting.
    std::atomic<int> m_nInfraredSetup;
    /// The IT1 family's last infrared level seen (-1 none).
    std::atomic<int> m_nInfraredLevel;
    /// The error log (SensorError.log).
    SafePointer<SensorLog> m_errorLog;
    /// The init log (SensorInit.log).
    SafePointer<SensorLog> m_initLog;
    /// The wide dynamic range mode (3: follows day/night).
    std::atomic<int> m_nHDRMode;
    /// 1 in debug mode (/factory_setting/SensorControlDebug exists).
    int m_bDebugMode;
    /// One parameter file per scheme.
    std::vector<std::unique_ptr<SensorConfigFile> > m_vecSchemeFiles;
    /// One time window per scheme.
    std::vector<std::unique_ptr<ParamScheme> > m_vecParamScheme;
    /// The factory parameter file (sensor_Factory.cfg).
    std::unique_ptr<SensorConfigFile> m_pFactoryFile;
    /// The file of the module-specific ids (sensor_Especial.cfg).
    std::unique_ptr<SensorConfigFile> m_pEspecialFile;
    /// The "DayNightChangeThread".
    GThread* m_DNChangeThread;  // one of m_threads
    /// Orders whole parameter sets, scheme switches and flushes.
    OVMutex m_paramMutex;
    /// The tuning table.
    std::unique_ptr<ISPParam> m_pISPParam;
    /// The noise filter A0 value last passed on (-100 none yet).
    std::atomic<int> m_nLastA0;
    /// The noise filter TM value last passed on (-100 none yet).
    std::atomic<int> m_nLastTM;
    /// The DC value last passed on (-100 none yet).
    std::atomic<int> m_nLastDC;
    /// The edge enhancement value last passed on (-100 none yet).
    std::atomic<int> m_nLastEE;
    /// The edge enhancement output.
    std::unique_ptr<EE> m_pEE;
    /// Whether the tuning table is read again every step.
    bool m_bRealTimeUpdate;
    /// Seconds between tuning steps.
    int m_nISPDelayTime;
    /// The scheduled switch to night (hour x 100 + minutes).
    std::atomic<int> m_nDTNTime;
    /// The scheduled switch to day (hour x 100 + minutes).
    std::atomic<int> m_nNTDTime;
    /// The device time the schedule last looked at.
    OVDeviceTime m_CurrentDeviceTime;
    /// Orders the day/night step against mode changes.
    OVMutex m_DNMutex;
    /// Set while a stored set is applied whole (reset, scheme switch).
    std::atomic<bool> m_bBulkUpdate;
    /// The current scheme (-1 the factory values, -2 none applied yet).
    std::atomic<int> m_nCurrentScheme;
    /// The scheme mode (0 manual, 1 automatic).
    std::atomic<int> m_nParamMode;
    /// Not used by the base.
    bool m_bSchemeFlag;
    /// When checkModule() last found the module answering.
    OrvaneTime m_lastModuleCheck;
    /// Guards the scheme files and windows.
    OVMutex m_schemeMutex;
    // Ids whose last write to the hardware failed: the hardware may hold
    // the new value or the old, whatever the cache says, so the next write
    // of the id goes to the hardware even with the cached value.
    /// Whether the id's last write to the hardware failed (markUnconfirmed()).
    bool isUnconfirmed(int p_nId);
    /// The id's write succeeded: it is no longer unconfirmed.
    void confirm(int p_nId);
    /// Guards m_unconfirmedIds.
    std::mutex m_unconfirmedMutex;
    /// The unconfirmed ids.
    std::set<int> m_unconfirmedIds;
    /// The number of unconfirmed ids.
    std::atomic<int> m_nUnconfirmed{0};  // the set's size
    /// Every thread of the controller, in the order they were added; the
    /// lock orders starting against stopThreads().
    std::vector<std::unique_ptr<GThread> > m_threads;
    /// Orders adding and starting threads against stopThreads().
    std::mutex m_threadsMutex;
    /// Set once stopThreads() has begun.
    bool m_bThreadsStopped = false;
    /// The controller's parameter table (describeParametersBy()).
    const ParameterDescriptions* m_pDescriptions = nullptr;
    /// @}
};

#endif
