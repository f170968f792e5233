#include "SensorFile.h"

#include <algorithm>
#include <cstdio>

#include "../platform/ModuleConfigureParser.h"
#include "../platform/ModuleParameterParser.h"
#include "../platform/OVFile.h"

namespace {

// The largest V1 description taken whole.
const uint64_t kMaxDescriptionBytes = 16u * 1024u * 1024u;

}  // namespace

SensorFile::SensorFile()
    : m_strModuleConfigFile("/hd1/moduleConfig/moduleConfig.xml"),
      m_strSensorConfigPath("/hd1/moduleConfig/sensorConfig"),
      m_pSensorUIConfigFile(new SensorUIConfigFile()) {}

SensorFile::~SensorFile() = default;

void SensorFile::setModuleConfigFileName(const std::string& p_strFile) {
    m_strModuleConfigFile = p_strFile;
}

void SensorFile::setSensorConfigFilePath(const std::string& p_strPath) {
    m_strSensorConfigPath = p_strPath;
}

int SensorFile::init(const std::string& p_strBoard, const std::string& p_strProduct) {
    std::vector<ModuleConfigure> modules;
    if (!ModuleConfigureParser::parse(m_strModuleConfigFile, p_strBoard, p_strProduct, modules)) {
        m_moduleConfigure.setModuleId(0);
    }
    for (const ModuleConfigure& module : modules) {
        if (module.getModuleId() >= 1 && module.getModuleId() <= 99) {
            m_moduleConfigure = module;
        }
    }
    ModuleParameterParser parameters;
    if (!parameters.parse(m_moduleConfigure.getParameters())) {
        std::puts("parse senseParameter failed");
        return 0;
    }
    std::string description;
    if (!parameters.getValue("GUIConfig", description)) {
        std::puts("get GUIConfigName from senseParameter failed");
    }
    std::string descriptionPath = m_strSensorConfigPath + "/" + description;
    if (!initUIInitConfigString(descriptionPath)) {
        std::printf("initUIConfigString from %s failed\n", descriptionPath.c_str());
    }
    std::string prefix;
    if (!parameters.getValue("Prefix", prefix)) {
        std::puts("getPrefix failed ");
        return 0;
    }
    m_pSensorUIConfigFile->setUIConfigPath(m_strSensorConfigPath);
    m_pSensorUIConfigFile->setUIConfigPrefix(prefix);
    if (!m_pSensorUIConfigFile->init(m_moduleConfigure.getDetail())) {
        std::puts("m_pSensorUIConfigFile  init  failed");
        return 0;
    }
    std::puts("SensorFile::init  successs !!!!");
    return 1;
}

int SensorFile::initUIInitConfigString(const std::string& p_strPath) {
    OVFile file;
    if (!file.open(p_strPath.c_str(), OVFile::MODE_READ)) {
        std::puts("ISensorController::initUIInitConfigString error");
        return 0;
    }
    uint64_t length = file.getLength();
    std::string text(static_cast<size_t>(std::min(length, kMaxDescriptionBytes)), '\0');
    unsigned int count = file.read(&text[0], static_cast<unsigned int>(text.size()));
    if (count != length) {
        std::printf("read sensorUIConfig failed,fileLength = %d,readLength = %lld\n",
                    static_cast<int>(length), static_cast<long long>(count));
        return 0;
    }
    m_strUIConfigV1.swap(text);
    return 1;
}

const std::string& SensorFile::getUIStyleConfig() const {
    return m_pSensorUIConfigFile->getUIStyleConfigString();
}

const std::string& SensorFile::getUICommonConfig(int p_nLanguageId) const {
    return m_pSensorUIConfigFile->getUICommonConfigString(p_nLanguageId);
}

const std::string& SensorFile::getUILanguageConfig(int p_nLanguageId) const {
    return m_pSensorUIConfigFile->getUILanguageConfigString(p_nLanguageId);
}

const std::vector<std::string>& SensorFile::getUIStyleAppliedBlocks() const {
    return m_pSensorUIConfigFile->getAppliedStyleBlocks();
}
