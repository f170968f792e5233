#ifndef SENSORCONTROL_CONFIG_SENSORCONFIGFILE_H
#define SENSORCONTROL_CONFIG_SENSORCONFIGFILE_H
/// @file
/// SensorConfigFile, one parameter file on flash.

#include <map>
#include <string>

#include "../platform/Export.h"
#include "../platform/OVMutex.h"

/// One parameter file on flash: the whole file is one parameter text, in which
/// ids 10000 and 10001 carry the file's two version numbers (999 matches every
/// expected version). Writes replace the file atomically and skip writing when
/// nothing changed (see OVFile mode 98).
class SC_EXPORT SensorConfigFile {
public:
    /// The ids of the two versions in the file, the version of a new object,
    /// and the stored version that matches any.
    enum { VERSION_ID = 10000, VERSION2_ID = 10001, VERSION_UNSET = -10000, VERSION_ANY = 999 };

    /// The file at the path (mapped through PlatformRoot), versions unset.
    explicit SensorConfigFile(const std::string& p_strPath);
    ~SensorConfigFile();
    SensorConfigFile(const SensorConfigFile&) = delete;
    SensorConfigFile& operator=(const SensorConfigFile&) = delete;

    /// The file's path.
    const std::string& getFilePath() const { return m_strPath; }
    /// Non-zero when the file exists.
    int isExist() const;
    /// The first version; kept in the object, it reaches the file with the
    /// next save.
    void setVersion(int p_nVersion) { m_nVersion = p_nVersion; }
    /// The second version, kept as setVersion() keeps the first.
    void setVersion2(int p_nVersion2) { m_nVersion2 = p_nVersion2; }
    /// The first version set.
    int getVersion() const { return m_nVersion; }
    /// The second version set.
    int getVersion2() const { return m_nVersion2; }

    /// The file's text up to its first zero byte; 0 with the text untouched
    /// when it cannot be read.
    int readParametersFromFile(std::string& p_strText);
    /// The file's pairs; 0 when it cannot be read or is malformed.
    int readParametersFromFile(std::map<int, int>& p_values);
    /// Replaces the file's content (see the class comment for the versions).
    int saveParametersToFile(const std::string& p_strText);
    /// The same from pairs.
    int saveParametersToFile(const std::map<int, int>& p_values);

    /// Whether the file holds the expected first version (or VERSION_ANY).
    int isVersionEqual(int p_nExpected);
    /// Whether the file holds the expected second version (or VERSION_ANY).
    int isVersion2Equal(int p_nExpected);
    /// One id's value from the file; 0 when the file or the id is missing.
    int readParameterById(int p_nId, int& p_nValue);

    /// Changes the values of ids the file already holds; others are ignored.
    int modifyParameter(int p_nId, int p_nValue);
    /// modifyParameter() for each pair.
    int modifyParameters(const std::map<int, int>& p_values);
    /// modifyParameter() for each pair of a parameter text.
    int modifyParameters(const std::string& p_strText);
    /// Makes the file hold exactly the given ids, keeping the stored values of
    /// ids it already had.
    int modifyIdUnEqualParameters(const std::map<int, int>& p_values);
    /// The same from a parameter text.
    int modifyIdUnEqualParameters(const std::string& p_strText);

private:
    int isStoredVersionEqual(int p_nVersionId, int p_nExpected);

    int m_nVersion;
    int m_nVersion2;
    std::string m_strPath;
    OVMutex m_mutex;
};

#endif
