#ifndef SENSORCONTROL_FRAMEWORK_ISENSORCONTROLLER_H
#define SENSORCONTROL_FRAMEWORK_ISENSORCONTROLLER_H

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

// A GPIO line of the module configuration ("GPIO=1,2,0"): group, bit and the
// level that stands for day.
struct SC_EXPORT GPIOTriple {
    int nGroup = 0;
    int nBit = 0;
    int nDayLevel = 0;

    // "group,bit,day level" as the detail text gives it: the count of
    // numbers read; fields without a number keep their values.
    int parse(const std::string& p_strText);
};

// The abstract base of every controller. It owns what all controllers share -
// the id registry, the value caches, the parameter files, the logs, the
// serial-port and GPIO handles, the day/night and scheme state and the
// background "DayNightChangeThread" - and gives every virtual operation its
// base behaviour. A concrete controller overrides the three pure operations
// and whatever its hardware supports.
//
// Every thread that calls into a controller (the day/night thread and any a
// family runs) belongs to the base and is stopped by stopThreads() before the
// first destructor runs: the last SafePointer release and the manager's
// teardown go through it, so no controller class stops threads of its own.
//
// Operations return 1 (non-zero) for success and 0 for failure unless stated.
// The source is split by concern: ISensorController.cpp (object model),
// SensorInit.cpp, ParameterAccess.cpp, SerialHelpers.cpp, and under
// automation/ DayNight.cpp, Schemes.cpp and ISPTuning.cpp.
class SC_EXPORT ISensorController {
public:
    enum { InitSuccess = 2 };

    explicit ISensorController(int p_nSensorType);
    // Slots 0-1.
    virtual ~ISensorController();
    ISensorController(const ISensorController&) = delete;
    ISensorController& operator=(const ISensorController&) = delete;

    // ---- Virtual interface, in slot order ----
    virtual int updateSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution);
    virtual int resetParameters();
    virtual int resetToLastParameters();
    // 0 when saved; 505 start after 24:00, 506 end after 24:00, 507 start not
    // before end, 508 a file could not be written.
    virtual int flush();
    virtual int getMirrorValue(int& p_nMirror) = 0;
    virtual int set2AParam(int p_nStatus);
    virtual int getCameraVerInf(std::string& p_strVersion);
    virtual int restoreAeMode();
    virtual int setRunAutoIris();
    virtual int IrisUp();
    virtual int IrisDown();
    virtual int FocusFar(int p_nSpeed);
    virtual int FocusNear(int p_nSpeed);
    virtual int ZoomIn(int p_nSpeed);
    virtual int ZoomOut(int p_nSpeed);
    virtual int getZoomValue(int& p_nZoom, int& p_nRatio);
    virtual int setZoomValue(int p_nZoom);
    virtual int setFocusValue(int p_nFocus);
    virtual int getFocusValue(int& p_nFocus);
    virtual int setFocusMode(int p_nMode);
    virtual int getFocusMode(int& p_nMode);
    virtual int StopZoomContrl();
    virtual int StopFocusContrl();
    virtual int StopIris();
    virtual int setZoomAndFocusValue(int p_nZoom, int p_nFocus);
    virtual int getDayNightState(int& p_nState);
    virtual int getCameraFocusMode(int& p_nMode);
    virtual int setNearLight(int p_nBrightness);
    virtual int getNearLight(int& p_nBrightness);
    virtual int setMiddleLight(int p_nBrightness);
    virtual int getMiddleLight(int& p_nBrightness);
    virtual int setFarLight(int p_nBrightness);
    virtual int getFarLight(int& p_nBrightness);
    virtual int getStillImageValue(int& p_nValue);
    virtual int enterAutoMode();
    virtual int setPowerMode(int p_nMode);
    virtual int getPowerMode(int& p_nMode);
    // Base: the scheme window ids 500-504; 0 for any other id.
    virtual int getParameterFromSensor(int p_nId, int& p_nValue);
    // Base: 1 for ids 500-504, -1 (not this controller's id) for any other.
    virtual int setParameterToSensor(int p_nId, int p_nValue);
    virtual int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) = 0;
    virtual int NotifySensorInitComplate();
    virtual int UpdateParameters(std::string& p_strValues);
    virtual int getParameterValue(const char* p_pRequest, int p_nRequestLength, char* p_pAnswer,
                                  int p_nAnswerLength);
    virtual int setParameterValue(const char* p_pBytes, int p_nLength);
    virtual int setDayNightMode(int p_nMode);
    virtual int getDayNightMode(int& p_nMode);
    virtual int getDNStatusFromSensor(int& p_nStatus);
    virtual int getDNStatusFromLDR(int& p_nStatus);
    virtual int turnPictureToDay();
    virtual int turnPictureToNight();
    virtual int turnToAutoDayNightMode();
    virtual int turnToManualDayNightMode();
    virtual int SwitchInfraredIrCutToDay();
    virtual int SwitchInfraredIrCutToNight();
    virtual int initController(int p_nModuleId, const ModuleConfigure& p_config) = 0;
    virtual int initFactorySetting();
    virtual int getCurrentGain(int& p_nGain);
    virtual void doDependOnThread();
    virtual int updateHDRMode(int p_nMode);

    // ---- Object model ----
    int getSensorType() const { return m_nSensorType; }
    int getSensorStatus() const { return m_SensorStatus; }
    bool isInitFinished() const { return m_bInitFinished; }
    // The requested day/night mode and the status last entered (1 day, 0
    // night, -1 none yet), for hosts and tools that show them.
    int getCurrentDayNightMode() const { return m_nDayNightMode; }
    int getDNState() const { return m_nDNState; }
    IdManager* getIdManager() const { return m_pIdManager.get(); }

    // Stops and joins every thread that calls into this controller; none
    // starts again afterwards. The last SafePointer release calls it before
    // the destructors run, since a thread mid-cycle may be in any part of
    // the controller. A host that owns a controller directly (on the stack,
    // in a unique_ptr) calls it before destroying it. Safe to call more than
    // once; not from one of the controller's own threads.
    void stopThreads();
    // Controllers destroyed with a thread still running: an owner that did
    // not stop them, which the destructor can only report (and count here).
    static int destroyedWithThreadsRunning();
    // The tuning values last passed on (-100: none yet), for tools that show
    // what the tuning step decided.
    void getISPTuningState(int& p_nEE, int& p_nDC, int& p_nA0, int& p_nTM) const {
        p_nEE = m_nLastEE;
        p_nDC = m_nLastDC;
        p_nA0 = m_nLastA0;
        p_nTM = m_nLastTM;
    }

    // ---- Initialisation and configuration files ----
    int init(int p_nVideoSystem, const ModuleConfigure& p_config,
             const VideoResolution& p_resolution);
    int checkSensorConfigVersion();
    int initConfigFile();
    int createSensorXML();
    int createSensorFile_Factory();
    int isSensorSchemeFilesExist();
    int copySchemeFilesFromFactory();
    int initSensorFilesHandler();
    int resetSchemeFiles();
    void setOperator(const SafePointer<IUARTController>& p_uart, const SafePointer<IGPIO>& p_gpio);
    // Watchdog check for the host to call periodically: asks the module for
    // its zoom position at most once a minute and reboots the camera through
    // the hardware watchdog when two queries in a row fail.
    int checkModule();
    void setSensorConfigVersion(int p_nVersion);
    void setSensorConfigVersion2(int p_nVersion);

    // ---- Parameter descriptors ----
    // What a registered id takes and means, copied into p_descriptor with
    // its id type (no allocation); 0 when the controller does not describe
    // the id. The strings and menus point at constant data that lives as
    // long as the library.
    int getParameterDescriptor(int p_nId, ParameterDescriptor& p_descriptor) const;
    // The descriptor of the smallest described id above p_nAfter (INT_MIN
    // for the first); 0 past the last. Walks every id in ascending order.
    int getNextParameterDescriptor(int p_nAfter, ParameterDescriptor& p_descriptor) const;
    // The descriptor whose name is p_szName; 0 when none has it.
    int findParameterDescriptor(const char* p_szName, ParameterDescriptor& p_descriptor) const;
    // The descriptor of the lowest id with the role; 0 when none has it.
    int findParameterByRole(ParameterRole p_eRole, ParameterDescriptor& p_descriptor) const;
    // The scheme window ids 500-504 as the base describes them.
    static const ParameterDescriptorList& schemeWindowDescriptions();
    // One of them, with a factory value of the caller's (the base's reads
    // answer a whole day, enabled). The base takes any value here; flush
    // refuses a window that is not one.
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

    // ---- Parameter access ----
    int getParameter(int p_nId, int& p_nValue);
    int setParameter(int p_nId, int p_nValue);
    // The hardware may not hold the id's cached value (a setting sent again
    // on behalf of another failed on the way): its next write goes to the
    // hardware even with that value.
    void markUnconfirmed(int p_nId);
    int getParameters(const std::string& p_strIdList, std::string& p_strValues);
    // 0 when all were applied, else minus the id of the first that failed;
    // FAILED_AT_ID_0 when that id is 0, which minus would turn into success.
    int setParameters(const std::string& p_strValues);
    enum { FAILED_AT_ID_0 = INT_MIN };
    // The id a failed setParameters result names.
    static int failedId(int p_nResult) { return p_nResult == FAILED_AT_ID_0 ? 0 : -p_nResult; }
    int getAllParameters(std::string& p_strValues);
    int getAllParametersFromSensor(std::string& p_strValues);
    int readCurrentParam(int& p_nScheme, std::string& p_strValues);
    void UpdateParametersIdValue(std::string& p_strValues, int p_nId, int p_nValue);
    int stopPTZ();

    // The base's own settings, which each controller exposes under parameter
    // ids of its own numbering; the virtual setters (lights, power mode,
    // day/night mode) dispatch to the controller.
    enum BaseSetting {
        BASE_DAYNIGHT_MODE,
        BASE_DTN_HOUR,
        BASE_DTN_MINUTE,
        BASE_NTD_HOUR,
        BASE_NTD_MINUTE,
        BASE_DN_SWITCH_DELAY,
        BASE_TNF,
        BASE_TNF_MODE,
        BASE_NEAR_LIGHT,
        BASE_MIDDLE_LIGHT,
        BASE_FAR_LIGHT,
        BASE_POWER_MODE
    };
    // The largest infrared lamp level (percent) and power mode the lamp
    // board takes.
    static constexpr int LAMP_LEVEL_MAX = 100;
    static constexpr int LAMP_POWER_MODE_MAX = 1;
    int setBaseSetting(int p_nSetting, int p_nValue);
    int getBaseSetting(int p_nSetting, int& p_nValue);

    // The number under a key of the module detail (strtol, base 10) into
    // p_nValue; p_szMissing logged and 0 when the key is absent.
    int readDetailNumber(const ModuleParameterParser& p_detail, const char* p_szKey,
                         const char* p_szMissing, int& p_nValue);

    // ---- Serial helpers and diagnostics ----
    void InitPrintf(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3)));
    void ErrorPrintf(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3)));
    void Debug_Printf(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3)));
    void computeSum(char* p_pFrame, int p_nLength);
    int checkUARTRecv(const char* p_pPattern, int p_nPatternLength, const char* p_pData,
                      int p_nDataLength);
    int clearUartBuffer();
    void recodeArray(const char* p_pBytes, int p_nLength);
    int resetCamera();
    void printDebugMessage();

    // ---- Day/night switching ----
    int DNChangeThreadBody();
    int DNSwitchHandle();
    int DNSwitchJudge(int& p_nStatus);
    int getCurrentDNStatus(int& p_nStatus);
    int isTimeToSwitch(int p_nStatus);
    int DNSwitchByTime(int& p_nStatus);
    int enterDayMode();
    int enterNightMode();
    int getCurrentTime(double& p_dSeconds);
    int reInitDelayStartTime();
    int setDNSwitchDelay(int p_nSeconds);
    int getDNSwitchDelay(int& p_nSeconds);
    int setDTNTime_H(int p_nHour);
    int setDTNTime_M(int p_nMinute);
    int setNTDTime_H(int p_nHour);
    int setNTDTime_M(int p_nMinute);
    int getDTNTime_H(int& p_nHour);
    int getDTNTime_M(int& p_nMinute);
    int getNTDTime_H(int& p_nHour);
    int getNTDTime_M(int& p_nMinute);

    // ---- Parameter schemes ----
    int loadSchemeParamToMemory();
    int readParamByScheme(int p_nScheme, std::string& p_strValues);
    int switchScheme(int p_nScheme);
    int setParamScheme(int p_nScheme);
    int getParamScheme(int& p_nScheme);
    int setParamMode(int p_nMode);
    int getParamMode(int& p_nMode);
    int paramSchemeSwitchBody();
    int getParamSchemeNum(int& p_nCount);
    // Gives scheme p_nScheme a new time window without applying the scheme:
    // enabled or not, from p_nStart to p_nEnd (hour x 100 + minutes, minutes
    // a multiple of 10 as the files keep them). The scheme's file holds it at
    // once, the automatic selection uses it from the next cycle, and for the
    // active scheme ids 500-504 read it too. 0 when saved; 505 the start, 506
    // the end is not such a time up to 24:00, 507 the start is not before
    // the end, 508 the file could not be written, 509 no such scheme.
    int setSchemeWindow(int p_nScheme, bool p_bEnabled, int p_nStart, int p_nEnd);
    int getValueFromParamSchemeNode(const std::string& p_strName, std::string& p_strValue);
    int setValueToParamSchemeNode(const std::string& p_strName, const std::string& p_strValue);
    int setParamSchemeToFile(int p_nScheme);
    int getParamSchemeFromFile(int& p_nScheme);
    int setParamSchemeModeToFile(int p_nMode);
    int getParamSchemeModeFromFile(int& p_nMode);
    int getEnableParam(int& p_nValue);
    int getParamStartTime_H(int& p_nValue);
    int getParamStartTime_M(int& p_nValue);
    int getParamEndTime_H(int& p_nValue);
    int getParamEndTime_M(int& p_nValue);

    // ---- ISP tuning ----
    int ISPParamThreadInit();
    int ISPParamBody();
    int setISPParam(const std::string& p_strUnit, int p_nInput);
    int setEEParam(const std::string& p_strUnit, int p_nInput);
    int setDCParam(const std::string& p_strUnit, int p_nInput);
    int set3DNRParam(const std::string& p_strUnit, int p_nInput);
    int setTNFMode(int p_nMode);
    int getTNFMode(int& p_nMode);
    int setTNF(int p_nValue);
    int getTNF(int& p_nValue);

protected:
    // Where the controller's own ids are described (its parameter table);
    // the base describes the scheme window ids itself. The descriptions
    // must outlive the controller's use of them (a member is fine).
    void describeParametersBy(const ParameterDescriptions* p_pDescriptions) {
        m_pDescriptions = p_pDescriptions;
    }
    // A thread whose body calls into this controller. The base owns it, so
    // stopThreads() stops it with the rest; the family starts and stops it
    // as its mode requires.
    GThread* addThread(const function<int>& p_body, const char* p_szName);
    // Starts one of this controller's threads; 0 once stopThreads() has begun.
    int startThread(GThread* p_pThread);
    // The body of setParameters, for callers that hold m_paramMutex: a scheme
    // switch changes the scheme index and applies its values under that
    // lock, and flush takes it too, so a flush never pairs one scheme's file
    // with another scheme's values.
    int setParametersLocked(const std::string& p_strValues);
    // Sends the 8-byte infrared lamp frame (code 6 near, 7 middle, 8 far, 1
    // power mode) after the range check.
    int sendLampFrame(const char* p_szSetter, int p_nCode, int p_nValue, unsigned int p_nMax);
    int setLevelOrWarn(const GPIOTriple& p_gpio, int p_nLevel, const char* p_szFailure);
    int readDayLevel(const GPIOTriple& p_gpio, int& p_nStatus);
    int setTimeChecked(std::atomic<int>& p_nTarget, int p_nOther, int p_nNewValue,
                       const char* p_szMessage);
    std::string schemeFilePath(int p_nScheme) const;
    // The value of the other id of a pair that must stay in order (minimum
    // and maximum, the two day/night thresholds): while a stored set is
    // applied whole, the set's own, so that a set right as a whole applies
    // in id order; otherwise the applied one. 0, and p_nValue untouched,
    // when neither knows the id.
    int partnerValue(int p_nPartnerId, int& p_nValue);
    // The cached values of the ids as parameter text; ids not cached keep the
    // value the file holds (when a file is given).
    std::string cachedValues(const std::set<int>& p_ids, SensorConfigFile* p_pFile);

    // ---- Members, in this order ----
    // Words that the background thread and the host's threads both touch
    // without a lock are atomic; the scheme lists have a lock of their own
    // (m_schemeMutex) so that a reset cannot pull them from under the thread.
    int m_nSensorType;
    int m_nUARTIndex;
    OVMutex m_mutex;
    bool m_bIsUARTModule;
    std::atomic<int> m_SensorStatus;
    int m_nControllerState;
    int m_nConfigVersion;
    int m_nConfigVersion2;
    std::unique_ptr<IdManager> m_pIdManager;
    std::unique_ptr<SensorCache> m_pSensorLastValueCache;
    std::unique_ptr<SensorCache> m_pSensorCache;
    SafePointer<IUARTController> m_pUART;
    SafePointer<IGPIO> m_pGPIO;
    std::atomic<int> m_nDayNightMode;
    int m_nLastDayNightMode;
    std::atomic<int> m_nDNSwitchDelay;
    double m_dDelayStartTime;
    int m_nLastJudgedStatus;
    std::unique_ptr<char[]> m_pDebugBuf;
    std::atomic<bool> m_bDNSwitchEnable;
    std::atomic<bool> m_bInitFinished;
    int m_nIsInfrared;
    bool m_bNewInfrared;
    std::atomic<int> m_nDNState;
    int m_nISPDNState;
    int m_nDNDefault;
    // Temporal noise filter: support, mode (0 table, 1 off, 2 manual), the
    // mode and strength last applied by a driver (-1 none) and the manual
    // strength.
    int m_nTNF;
    std::atomic<int> m_nTNFMode;
    int m_nTNFAppliedMode;
    int m_nTNFAppliedValue;
    std::atomic<int> m_nTNFValue;
    GPIOTriple m_IrCutGpio;
    GPIOTriple m_InfraredLightGpio;
    GPIOTriple m_DNLevelGpio;
    // Day/night settings of the IT1 driver family: setup mode, infrared
    // switching, last level seen (its switch thread and the host share them).
    std::atomic<int> m_nDNSetup;
    std::atomic<int> m_nInfraredSetup;
    std::atomic<int> m_nInfraredLevel;
    SafePointer<SensorLog> m_errorLog;
    SafePointer<SensorLog> m_initLog;
    std::atomic<int> m_nHDRMode;
    int m_bDebugMode;
    std::vector<std::unique_ptr<SensorConfigFile> > m_vecSchemeFiles;
    std::vector<std::unique_ptr<ParamScheme> > m_vecParamScheme;
    std::unique_ptr<SensorConfigFile> m_pFactoryFile;
    std::unique_ptr<SensorConfigFile> m_pEspecialFile;
    GThread* m_DNChangeThread;  // one of m_threads
    OVMutex m_paramMutex;
    std::unique_ptr<ISPParam> m_pISPParam;
    std::atomic<int> m_nLastA0;
    std::atomic<int> m_nLastTM;
    std::atomic<int> m_nLastDC;
    std::atomic<int> m_nLastEE;
    std::unique_ptr<EE> m_pEE;
    bool m_bRealTimeUpdate;
    int m_nISPDelayTime;
    std::atomic<int> m_nDTNTime;
    std::atomic<int> m_nNTDTime;
    OVDeviceTime m_CurrentDeviceTime;
    OVMutex m_DNMutex;
    std::atomic<bool> m_bBulkUpdate;
    std::atomic<int> m_nCurrentScheme;
    std::atomic<int> m_nParamMode;
    bool m_bSchemeFlag;
    OrvaneTime m_lastModuleCheck;
    OVMutex m_schemeMutex;
    // Ids whose last write to the hardware failed: the hardware may hold
    // the new value or the old, whatever the cache says, so the next write
    // of the id goes to the hardware even with the cached value.
    bool isUnconfirmed(int p_nId);
    void confirm(int p_nId);
    std::mutex m_unconfirmedMutex;
    std::set<int> m_unconfirmedIds;
    std::atomic<int> m_nUnconfirmed{0};  // the set's size
    // Every thread of the controller, in the order they were added; the
    // lock orders starting against stopThreads().
    std::vector<std::unique_ptr<GThread> > m_threads;
    std::mutex m_threadsMutex;
    bool m_bThreadsStopped = false;
    const ParameterDescriptions* m_pDescriptions = nullptr;
};

#endif
