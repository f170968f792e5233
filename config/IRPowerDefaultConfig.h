#ifndef SENSORCONTROL_CONFIG_IRPOWERDEFAULTCONFIG_H
#define SENSORCONTROL_CONFIG_IRPOWERDEFAULTCONFIG_H

#include <string>

#include "../platform/Export.h"
#include "../platform/IRPower.h"
#include "../platform/XmlConfigure.h"

// The IR power table of a zoom camera in an XML store file:
//   root "IRConfig"
//   node "version":  one item with the int property "version"
//   node "IRPower":  one item per zoom step with "zoomup", "far", "mid", "near"
// getVersion, setVersion and load return 0 or a negative code:
//   -1 the node is missing, -2 its item list cannot be read (for "version"
//   also: is empty), -3 a property is missing or cannot be read or set,
//   -4 the file cannot be opened.
// The first argument of every operation is the store tag, handed on to the
// store. Only a successful setVersion or load closes the store; otherwise it
// stays open until the next open, close() or destruction, none of which
// writes it.
class SC_EXPORT IRPowerDefaultConfig {
public:
    enum {
        IRPOWER_OK = 0,
        IRPOWER_NO_NODE = -1,
        IRPOWER_NO_ITEMS = -2,
        IRPOWER_BAD_PROPERTY = -3,
        IRPOWER_NO_FILE = -4
    };

    IRPowerDefaultConfig();
    ~IRPowerDefaultConfig();
    IRPowerDefaultConfig(const IRPowerDefaultConfig&) = delete;
    IRPowerDefaultConfig& operator=(const IRPowerDefaultConfig&) = delete;

    // Non-zero on success. Mode 1 reads an existing file; any other mode
    // opens an existing file for changes, or creates a missing one holding
    // only the version node (left open, written by close()).
    int open(int p_nTag, const std::string& p_strPath, int p_nMode);
    int close();
    int getVersion(int p_nTag, const std::string& p_strPath, int& p_nVersion);
    int setVersion(int p_nTag, const std::string& p_strPath, int p_nVersion);
    int load(int p_nTag, const std::string& p_strPath, IRPowerParamV2& p_power);

private:
    // A "version" node holding one item with the version; null when the
    // property cannot be set.
    static SafePointer<XmlConfigureNode> versionNode(int p_nTag, int p_nVersion);

    int m_nVersion;
    XmlConfigureTool m_store;
    bool m_bVersionKnown;
};

#endif
