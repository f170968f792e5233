#ifndef SENSORCONTROL_PLATFORM_MODULECONFIGUREPARSER_H
#define SENSORCONTROL_PLATFORM_MODULECONFIGUREPARSER_H
/// @file
/// ModuleConfigureParser, the reader of the module list moduleConfig.xml.

#include <string>
#include <vector>

#include "Export.h"
#include "ModuleConfigure.h"

/// Reads the module list "/hd1/moduleConfig/moduleConfig.xml", an XML store
/// file (XmlConfigure.h) with one top-level node per module record:
///
/// @code{.xml}
///   <moduleConfig>
///       <module id="60" board="" product=""
///               detail="isInfrared=1;GPIO=1,2,0" parameters="Prefix=;GUIConfig=V1.xml" />
///   </moduleConfig>
/// @endcode
///
/// - Nodes named "module" are records; other nodes are ignored.
/// - "id" is the module id (a decimal int) and is required.
/// - "detail" and "parameters" are the record's detail and parameter texts
///   (ModuleParameterParser.h); absent means empty.
/// - "board" and "product" select where the record applies: a record is taken
///   when its board is empty or equals the first selector, and its product
///   is empty or equals the second. Empty selectors take every record.
/// The file fails to parse when it is missing, is not a store file, or holds
/// a record without a readable "id".
class SC_EXPORT ModuleConfigureParser {
public:
    /// Non-zero on success, with the selected records appended in file order.
    static int parse(std::string p_strFile, const std::string& p_strBoard,
                     const std::string& p_strProduct, std::vector<ModuleConfigure>& p_modules);
};

#endif
