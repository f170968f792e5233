// Bringing a controller into service: the init sequence, the parameter files
// on flash, the operator handles and the module watchdog check.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../platform/ModuleParameterParser.h"
#include "../platform/OVFile.h"
#include "../platform/OVLogger.h"
#include "../platform/XmlConfigure.h"
#include "../platform/internal/FileCommand.h"
#include "ISensorController.h"

namespace {

const char* const kConfigDirectory = "/mnt/mtd/code/config_file";
const char* const kSchemeFilePrefix = "/mnt/mtd/code/config_file/sensor";
const char* const kFactoryFilePath = "/mnt/mtd/code/config_file/sensor_Factory.cfg";
const char* const kOldSingleFilePath = "/mnt/mtd/code/config_file/sensor.cfg";
const char* const kSchemeStatePath = "/mnt/mtd/code/config_file/sensor.xml";
const char* const kErrorLogPath = "/mnt/mtd/log/SensorError.log";
const char* const kInitLogPath = "/mnt/mtd/log/SensorInit.log";
const char* const kRebootLogPath = "/mnt/mtd/log/Reboot.log";
const unsigned int kLogBytes = 10240;
const char* const kWatchdogPath = "/proc/wtd/user_interval";
// The scheme index a new scheme state file holds, until a scheme is first
// applied.
const int kNoSchemeYet = -2;
const int kSchemeEnableId = 500;
const double kModuleCheckPeriod = 60.0;

// Whether the scheme files after the first are as a first start leaves
// them: each holds the factory file's ids, with the scheme disabled. A power
// cut during a first start can leave one cut short by its copy, or copies
// not yet disabled, which the existence check alone takes as done.
bool laidOut(SensorConfigFile& p_factory,
             const std::vector<std::unique_ptr<SensorConfigFile> >& p_schemes) {
    std::map<int, int> factory;
    if (!p_factory.readParametersFromFile(factory)) {
        return true;  // nothing to lay them out from
    }
    for (size_t scheme = 1; scheme < p_schemes.size(); ++scheme) {
        std::map<int, int> values;
        if (!p_schemes[scheme]->readParametersFromFile(values) || values.size() != factory.size() ||
            values[kSchemeEnableId] != 0) {
            return false;
        }
        for (const auto& entry : factory) {
            if (values.count(entry.first) == 0) {
                return false;
            }
        }
    }
    return true;
}

SafePointer<XmlConfigureItem> schemeItem(const char* p_szName, int p_nValue) {
    SafePointer<XmlConfigureItem> item(new XmlConfigureItem(1));
    item->setProperty("name", p_szName);
    item->setProperty("value", p_nValue);
    return item;
}

}  // namespace

std::string ISensorController::schemeFilePath(int p_nScheme) const {
    char path[128];
    std::snprintf(path, sizeof(path), "%s%d.cfg", kSchemeFilePrefix, p_nScheme);
    return path;
}

int ISensorController::init(int p_nVideoSystem, const ModuleConfigure& p_config,
                            const VideoResolution& p_resolution) {
    m_errorLog->init(kErrorLogPath, kLogBytes, 3);
    m_initLog->init(kInitLogPath, kLogBytes, 3);
    ISPParamThreadInit();
    if (!initController(p_nVideoSystem, p_config)) {
        ErrorPrintf("initController failed");
        return 0;
    }
    ModuleParameterParser detail;
    if (!detail.parse(p_config.getDetail())) {
        ErrorPrintf("parse detail failed");
        return 0;
    }
    std::string dnDefault;
    if (detail.getValue("DNDefault", dnDefault)) {
        m_nDNDefault = static_cast<int>(std::strtol(dnDefault.c_str(), nullptr, 10));
    }
    if (m_nSensorType != 17) {
        m_SensorStatus = InitSuccess;
    }
    if (!stopPTZ()) {
        InitPrintf("stop PTZ @ISensorController::init failed");
    }
    if (!setSensorVideoSystem(p_nVideoSystem, p_resolution)) {
        InitPrintf("init setSensorVideoSystem failed");
    }
    enterDayMode();
    m_nControllerState = 2;
    checkSensorConfigVersion();
    initConfigFile();
    loadSchemeParamToMemory();
    if (!NotifySensorInitComplate()) {
        InitPrintf("NotifySensorInitComplate failed");
    }
    if (!startThread(m_DNChangeThread)) {
        InitPrintf("m_DNChangeThread->start() failed");
    }
    m_bInitFinished = true;
    ErrorPrintf("ISensorController::initSensor  success\n");
    return 1;
}

int ISensorController::checkSensorConfigVersion() {
    if (m_pFactoryFile->isVersionEqual(m_nConfigVersion)) {
        if (m_pFactoryFile->isVersion2Equal(m_nConfigVersion2)) {
            return 1;
        }
        std::puts("sensor configure version 2 changed delete configure files ");
        FileCommand::remove(kFactoryFilePath);
        return 1;
    }
    FileCommand::remove(kFactoryFilePath);
    int count = 0;
    if (!getParamSchemeNum(count)) {
        return 0;
    }
    for (int scheme = 0; scheme < count; ++scheme) {
        FileCommand::remove(schemeFilePath(scheme));
    }
    return 1;
}

int ISensorController::initConfigFile() {
    // Saves cut short by a power cut leave their temporary files; nothing
    // else writes here yet.
    removeUnfinishedReplacements(kConfigDirectory);
    if (!OVFile::isExist(kSchemeStatePath)) {
        createSensorXML();
    }
    if (!OVFile::isExist(kFactoryFilePath)) {
        createSensorFile_Factory();
    }
    int index = kNoSchemeYet;
    bool applied = getParamSchemeFromFile(index) && index != kNoSchemeYet;
    bool exist = isSensorSchemeFilesExist() != 0;
    if (exist) {
        initSensorFilesHandler();
    }
    // Until a scheme is first applied the scheme files hold nothing but the
    // first start's copies, so a first start the power cut short is simply
    // done again.
    if (!exist || (!applied && !laidOut(*m_pFactoryFile, m_vecSchemeFiles))) {
        copySchemeFilesFromFactory();
        initSensorFilesHandler();
        resetSchemeFiles();
    }
    OVMutexManager guard(m_schemeMutex);
    if (!OVFile::isExist(kOldSingleFilePath) || m_vecSchemeFiles.empty()) {
        return 1;
    }
    // An earlier release kept one parameter file; it becomes scheme 0's file
    // and is brought in line with today's parameter set.
    std::string schemeZero = m_vecSchemeFiles[0]->getFilePath();
    std::printf("command: mv %s %s\n", kOldSingleFilePath, schemeZero.c_str());
    FileCommand::move(kOldSingleFilePath, schemeZero);
    std::string factory;
    m_pFactoryFile->readParametersFromFile(factory);
    m_vecSchemeFiles[0]->modifyIdUnEqualParameters(factory);
    return 1;
}

int ISensorController::createSensorXML() {
    if (OVFile::isExist(kSchemeStatePath)) {
        return 1;
    }
    XmlConfigureTool tool;
    tool.setRootNodeName("sensor");
    if (!tool.open(kSchemeStatePath, 1, XmlConfigureTool::OPEN_CREATE)) {
        std::printf("open %s failed\n", kSchemeStatePath);
        return 0;
    }
    SafePointer<XmlConfigureNode> node(new XmlConfigureNode("paramScheme", 1));
    node->addConfigItem(schemeItem("SchemeIndex", m_nCurrentScheme));
    node->addConfigItem(schemeItem("SchemeMode", m_nParamMode));
    tool.addConfigNode(node);
    tool.close();
    return 1;
}

int ISensorController::createSensorFile_Factory() {
    std::string values;
    if (!getAllParametersFromSensor(values)) {
        return 0;
    }
    // Saved with the controller's versions, so that the next start finds the
    // file current.
    return m_pFactoryFile->saveParametersToFile(values);
}

int ISensorController::isSensorSchemeFilesExist() {
    int count = 0;
    if (!getParamSchemeNum(count)) {
        return 0;
    }
    for (int scheme = 0; scheme < count; ++scheme) {
        std::string path = schemeFilePath(scheme);
        if (!OVFile::isExist(path.c_str())) {
            std::printf("sensor config file %s not exist\n", path.c_str());
            return 0;
        }
    }
    return 1;
}

int ISensorController::copySchemeFilesFromFactory() {
    int count = 0;
    if (!getParamSchemeNum(count)) {
        return 0;
    }
    for (int scheme = 0; scheme < count; ++scheme) {
        FileCommand::copy(kFactoryFilePath, schemeFilePath(scheme));
    }
    return 1;
}

int ISensorController::initSensorFilesHandler() {
    int count = 0;
    if (!getParamSchemeNum(count)) {
        return 0;
    }
    OVMutexManager guard(m_schemeMutex);
    m_vecSchemeFiles.clear();
    for (int scheme = 0; scheme < count; ++scheme) {
        std::string path = schemeFilePath(scheme);
        std::printf("ISensorController::initSensorFilesHandler() szFileName(%s)\n", path.c_str());
        std::unique_ptr<SensorConfigFile> file(new SensorConfigFile(path));
        file->setVersion(m_nConfigVersion);
        file->setVersion2(m_nConfigVersion2);
        m_vecSchemeFiles.push_back(std::move(file));
    }
    return 1;
}

int ISensorController::resetSchemeFiles() {
    int count = 0;
    if (!getParamSchemeNum(count)) {
        return 0;
    }
    OVMutexManager guard(m_schemeMutex);
    for (size_t scheme = 0; scheme < m_vecSchemeFiles.size(); ++scheme) {
        m_vecSchemeFiles[scheme]->modifyParameter(kSchemeEnableId, scheme == 0 ? 1 : 0);
    }
    return 1;
}

void ISensorController::setOperator(const SafePointer<IUARTController>& p_uart,
                                    const SafePointer<IGPIO>& p_gpio) {
    m_pUART = p_uart;
    m_pGPIO = p_gpio;
}

int ISensorController::checkModule() {
    OrvaneTime now = OrvaneTime::currentTime();
    if ((now - m_lastModuleCheck).toSeconds() <= kModuleCheckPeriod) {
        return 1;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        int zoom = 0;
        int ratio = 0;
        if (getZoomValue(zoom, ratio)) {
            m_lastModuleCheck = OrvaneTime::currentTime();
            return 1;
        }
    }
    OVLogger::writeLog(kRebootLogPath, "Reboot", "module error", kLogBytes, 2);
    FileCommand::echo("1", kWatchdogPath);
    return 0;
}

void ISensorController::setSensorConfigVersion(int p_nVersion) {
    m_nConfigVersion = p_nVersion;
    OVMutexManager guard(m_schemeMutex);
    for (auto& file : m_vecSchemeFiles) {
        file->setVersion(p_nVersion);
    }
    m_pFactoryFile->setVersion(p_nVersion);
    m_pEspecialFile->setVersion(p_nVersion);
}

void ISensorController::setSensorConfigVersion2(int p_nVersion) {
    m_nConfigVersion2 = p_nVersion;
    OVMutexManager guard(m_schemeMutex);
    for (auto& file : m_vecSchemeFiles) {
        file->setVersion2(p_nVersion);
    }
    m_pFactoryFile->setVersion2(p_nVersion);
    m_pEspecialFile->setVersion2(p_nVersion);
}

int ISensorController::readDetailNumber(const ModuleParameterParser& p_detail, const char* p_szKey,
                                        const char* p_szMissing, int& p_nValue) {
    std::string text;
    if (!p_detail.getValue(p_szKey, text)) {
        ErrorPrintf("%s", p_szMissing);
        return 0;
    }
    p_nValue = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    return 1;
}
