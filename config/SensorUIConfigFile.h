#ifndef SENSORCONTROL_CONFIG_SENSORUICONFIGFILE_H
#define SENSORCONTROL_CONFIG_SENSORUICONFIGFILE_H
/// @file
/// SensorUIConfigFile, the UI texts of one module.

#include <map>
#include <string>
#include <vector>

#include "../platform/Export.h"

/// Loads and holds the UI texts of one module from the UI configuration tree
/// (root R, module prefix P, language folder F):
/// @code{.unparsed}
///   R/SensorLanguageConfig.xml          the languages (SensorLanguageConfig.h)
///   R/style/P + "Style.xml"             the style description
///   R/styleDiversity/P + "StyleDiversity.xml"   variant edits, merged in
///   R/common/F/SensorCommon.xml         common text of a language
///   R/language/F/P + "Lang.xml"         language text of a language
/// @endcode
class SC_EXPORT SensorUIConfigFile {
public:
    SensorUIConfigFile();
    ~SensorUIConfigFile();

    /// The root R of the UI configuration tree.
    void setUIConfigPath(const std::string& p_strRoot);
    /// The module's prefix P.
    void setUIConfigPrefix(const std::string& p_strPrefix);
    /// Reads the language list, the style (merged with the variant file for
    /// the module's detail text when there is one) and every language's
    /// texts. 1, or 0 when the list, the style or the merge fails.
    int init(std::string p_strDetail);
    /// The whole file, bytes as they are; 0 and the text untouched on failure.
    int getFileText(const std::string& p_strPath, std::string& p_strText);

    /// The style text, merged with its variant edits.
    const std::string& getUIStyleConfigString() const { return m_strStyle; }
    /// The text of the language, else of language 1, else empty.
    const std::string& getUICommonConfigString(int p_nLanguageId) const;
    /// The language text of the language, else of language 1, else empty.
    const std::string& getUILanguageConfigString(int p_nLanguageId) const;
    /// The variant blocks the last init applied, one line each.
    const std::vector<std::string>& getAppliedStyleBlocks() const { return m_appliedBlocks; }

private:
    static const std::string& lookup(const std::map<int, std::string>& p_texts, int p_nLanguageId);

    std::string m_strRoot;
    std::string m_strStylePath;
    std::string m_strCommonPath;
    std::string m_strLanguagePath;
    std::string m_strStyleModifyPath;
    std::string m_strLanguageModifyPath;
    std::string m_strLanguageListPath;
    std::string m_strPrefix;
    std::string m_strStyle;
    std::map<int, std::string> m_commonTexts;
    std::map<int, std::string> m_languageTexts;
    std::vector<std::string> m_appliedBlocks;
};

#endif
