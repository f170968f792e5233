#ifndef SENSORCONTROL_PLATFORM_SENSORLANGUAGECONFIG_H
#define SENSORCONTROL_PLATFORM_SENSORLANGUAGECONFIG_H
/// @file
/// SensorLanguageConfig, the languages of the UI texts, and the reader of their list.

#include <string>
#include <vector>

#include "Export.h"

/// One language of the UI texts: its id and the folder of its files.
class SC_EXPORT SensorLanguageConfig {
public:
    SensorLanguageConfig() = default;
    /// A language id with the folder of its files.
    SensorLanguageConfig(int p_nLanguageId, const std::string& p_strFolderName)
        : m_nLanguageId(p_nLanguageId), m_strFolderName(p_strFolderName) {}

    /// The language id.
    int getLanguageId() const { return m_nLanguageId; }
    /// The folder of the language's files (a plain directory name).
    const std::string& getFolderName() const { return m_strFolderName; }

private:
    int m_nLanguageId = 0;
    std::string m_strFolderName;
};

/// Reads the language list "SensorLanguageConfig.xml", an XML store file
/// (XmlConfigure.h) with one top-level node per language:
///
/// @code{.xml}
///   <SensorLanguageConfig>
///       <language id="1" folder="English" />
///       <language id="2" folder="Chinese" />
///   </SensorLanguageConfig>
/// @endcode
///
/// Nodes named "language" are entries, in file order; other nodes are
/// ignored. "id" (a decimal int) and "folder" are required; the folder is a
/// plain directory name (not empty, no '/', not "." or ".."). A missing file,
/// a file that is not a store file, or an entry breaking these rules fails
/// the parse.
class SC_EXPORT SensorLanguageConfigParser {
public:
    /// Non-zero on success, with the entries appended in file order.
    static int parse(std::string p_strFile, std::vector<SensorLanguageConfig>& p_languages);
};

#endif
