#ifndef SENSORCONTROL_CONFIG_SENSORCONFIGFILE_H
#define SENSORCONTROL_CONFIG_SENSORCONFIGFILE_H

#include <map>
#include <string>

#include "../platform/Export.h"
#include "../platform/OVMutex.h"

// One parameter file on flash: the whole file is one parameter text, in which
// ids 10000 and 10001 carry the file's two version numbers (999 matches every
// expected version). Writes replace the file atomically and skip writing when
// nothing changed (see OVFile mode 98).
class SC_EXPORT SensorConfigFile {
public:
    enum { VERSION_ID = 10000, VERSION2_ID = 10001, VERSION_UNSET = -10000, VERSION_ANY = 999 };

    explicit SensorConfigFile(const std::string& p_strPath);
    ~SensorConfigFile();
    SensorConfigFile(const SensorConfigFile&) = delete;
    SensorConfigFile& operator=(const SensorConfigFile&) = delete;

    const std::string& getFilePath() const { return m_strPath; }
    int isExist() const;
    // Kept in the object; they reach the file with the next save.
    void setVersion(int p_nVersion) { m_nVersion = p_nVersion; }
    void setVersion2(int p_nVersion2) { m_nVersion2 = p_nVersion2; }
    int getVersion() const { return m_nVersion; }
    int getVersion2() const { return m_nVersion2; }

    // The file's text up to its first zero byte; 0 with the text untouched
    // when it cannot be read.
    int readParametersFromFile(std::string& p_strText);
    int readParametersFromFile(std::map<int, int>& p_values);
    // Replaces the file's content (see the class comment for the versions).
    int saveParametersToFile(const std::string& p_strText);
    int saveParametersToFile(const std::map<int, int>& p_values);

    int isVersionEqual(int p_nExpected);
    int isVersion2Equal(int p_nExpected);
    int readParameterById(int p_nId, int& p_nValue);

    // Changes the values of ids the file already holds; others are ignored.
    int modifyParameter(int p_nId, int p_nValue);
    int modifyParameters(const std::map<int, int>& p_values);
    int modifyParameters(const std::string& p_strText);
    // Makes the file hold exactly the given ids, keeping the stored values of
    // ids it already had.
    int modifyIdUnEqualParameters(const std::map<int, int>& p_values);
    int modifyIdUnEqualParameters(const std::string& p_strText);

private:
    int isStoredVersionEqual(int p_nVersionId, int p_nExpected);

    int m_nVersion;
    int m_nVersion2;
    std::string m_strPath;
    OVMutex m_mutex;
};

#endif
