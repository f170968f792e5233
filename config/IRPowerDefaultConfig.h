#ifndef SENSORCONTROL_CONFIG_IRPOWERDEFAULTCONFIG_H
#define SENSORCONTROL_CONFIG_IRPOWERDEFAULTCONFIG_H
/// @file
/// IRPowerDefaultConfig, the IR power table's XML store file.

#include <string>

#include "../platform/Export.h"
#include "../platform/IRPower.h"
#include "../platform/XmlConfigure.h"

/// The IR power table of a zoom camera in an XML store file:
/// @code{.unparsed}
///   root "IRConfig"
///   node "version":  one item with the int property "version"
///   node "IRPower":  one item per zoom step with "zoomup", "far", "mid", "near"
/// @endcode
/// getVersion, setVersion and load return 0 or a negative code:
///   -1 the node is missing, -2 its item list cannot be read (for "version"
///   also: is empty), -3 a property is missing or cannot be read or set,
///   -4 the file cannot be opened.
/// The first argument of every operation is the store tag, handed on to the
/// store. Only a successful setVersion or load closes the store; otherwise it
/// stays open until the next open, close() or destruction, none of which
/// writes it.
class SC_EXPORT IRPowerDefaultConfig {
public:
    /// The results of getVersion, setVersion and load.
    enum {
        /// Success.
        IRPOWER_OK = 0,
        /// The node is missing.
        IRPOWER_NO_NODE = -1,
        /// The node's item list cannot be read (for "version" also: is empty).
        IRPOWER_NO_ITEMS = -2,
        /// A property is missing or cannot be read or set.
        IRPOWER_BAD_PROPERTY = -3,
        /// The file cannot be opened.
        IRPOWER_NO_FILE = -4
    };

    IRPowerDefaultConfig();
    ~IRPowerDefaultConfig();
    IRPowerDefaultConfig(const IRPowerDefaultConfig&) = delete;
    IRPowerDefaultConfig& operator=(const IRPowerDefaultConfig&) = delete;

    /// Non-zero on success. Mode 1 reads an existing file; any other mode
    /// opens an existing file for changes, or creates a missing one holding
    /// only the version node (left open, written by close()).
    int open(int p_nTag, const std::string& p_strPath, int p_nMode);
    /// Ends the use of the store, writing it when it was opened for changes.
    int close();
    /// Reads the table's version from the file; an IRPOWER_ result.
    int getVersion(int p_nTag, const std::string& p_strPath, int& p_nVersion);
    /// Writes the table's version into the file; an IRPOWER_ result.
    int setVersion(int p_nTag, const std::string& p_strPath, int p_nVersion);
    /// Reads the table into p_power; an IRPOWER_ result.
    int load(int p_nTag, const std::string& p_strPath, IRPowerParamV2& p_power);

private:
    /// A "version" node holding one item with the version; null when the
    /// property cannot be set.
    static SafePointer<XmlConfigureNode> versionNode(int p_nTag, int p_nVersion);

    int m_nVersion;
    XmlConfigureTool m_store;
    bool m_bVersionKnown;
};

#endif
