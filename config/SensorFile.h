#ifndef SENSORCONTROL_CONFIG_SENSORFILE_H
#define SENSORCONTROL_CONFIG_SENSORFILE_H
/// @file
/// SensorFile, the host's entry to the UI description of the fitted module.

#include <memory>
#include <string>
#include <vector>

#include "../platform/Export.h"
#include "../platform/ModuleConfigure.h"
#include "SensorUIConfigFile.h"

/// The host's entry to the UI description of the fitted module: picks the
/// module record from the module list, then loads the V1 description named by
/// the record's "GUIConfig" parameter and, through SensorUIConfigFile, the
/// style and language texts under the record's "Prefix".
class SC_EXPORT SensorFile {
public:
    SensorFile();
    ~SensorFile();
    SensorFile(const SensorFile&) = delete;
    SensorFile& operator=(const SensorFile&) = delete;

    /// The module list file (moduleConfig.xml).
    void setModuleConfigFileName(const std::string& p_strFile);
    /// The root of the UI configuration tree.
    void setSensorConfigFilePath(const std::string& p_strPath);
    /// The two texts select the module records (ModuleConfigureParser.h): the
    /// board and the product. 1 when the texts are loaded, 0 otherwise.
    int init(const std::string& p_strBoard, const std::string& p_strProduct);
    /// The V1 description, whole (zero bytes included); 0 when it cannot be
    /// read.
    int initUIInitConfigString(const std::string& p_strPath);

    /// The module record init() picked.
    ModuleConfigure& getModuleConfigure() { return m_moduleConfigure; }
    /// The V1 description.
    const std::string& getUISensorConfig_V1() const { return m_strUIConfigV1; }
    /// The style text, merged with its variant edits.
    const std::string& getUIStyleConfig() const;
    /// The common text of a language.
    const std::string& getUICommonConfig(int p_nLanguageId) const;
    /// The language text of a language.
    const std::string& getUILanguageConfig(int p_nLanguageId) const;
    /// The variant blocks applied to the style, one line each.
    const std::vector<std::string>& getUIStyleAppliedBlocks() const;

private:
    std::string m_strModuleConfigFile;
    std::string m_strSensorConfigPath;
    ModuleConfigure m_moduleConfigure;
    std::string m_strUIConfigV1;
    std::unique_ptr<SensorUIConfigFile> m_pSensorUIConfigFile;
};

#endif
