#include "UiCommands.h"

#include "Commands.h"
#include "config/IRPowerDefaultConfig.h"
#include "config/SensorFile.h"
#include "platform/ModuleParameterParser.h"

namespace {

// The store tag sensorctl hands to the IR power operations.
const int kIrPowerTag = 1;

std::string irPowerFailure(int p_nResult, const std::string& p_strFile, const char* p_szNode) {
    switch (p_nResult) {
        case IRPowerDefaultConfig::IRPOWER_NO_NODE:
            return p_strFile + " has no " + p_szNode + " node";
        case IRPowerDefaultConfig::IRPOWER_NO_ITEMS:
            return "the " + std::string(p_szNode) + " node of " + p_strFile +
                   " has no readable items";
        case IRPowerDefaultConfig::IRPOWER_BAD_PROPERTY:
            return "an item of " + p_strFile + " lacks a property of the " + p_szNode + " node";
        default:
            return "cannot open " + p_strFile;
    }
}

}  // namespace

void commandUi(Host& p_host, const std::string& p_strProduct, int p_nLanguage) {
    SensorFile sensorFile;
    int loaded = sensorFile.init("", p_strProduct);
    ModuleConfigure& module = sensorFile.getModuleConfigure();
    if (!loaded) {
        throw CommandError("the UI description of product '" + p_strProduct +
                           "' cannot be loaded from " + p_host.root() +
                           "/hd1/moduleConfig (module record " +
                           std::to_string(module.getModuleId()) + ")");
    }
    ModuleParameterParser parameters;
    std::string prefix;
    parameters.parse(module.getParameters());
    parameters.getValue("Prefix", prefix);
    FILE* out = Host::out();
    std::fprintf(out, "module record   %d for product %s\n", module.getModuleId(),
                 p_strProduct.c_str());
    std::fprintf(out, "detail          %s\n", module.getDetail().c_str());
    std::fprintf(out, "prefix          %s\n", prefix.empty() ? "(none)" : prefix.c_str());
    std::fprintf(out, "V1 description  %zu bytes\n", sensorFile.getUISensorConfig_V1().size());
    const std::vector<std::string>& blocks = sensorFile.getUIStyleAppliedBlocks();
    std::fprintf(out, "variant blocks  %zu applied\n", blocks.size());
    for (const std::string& block : blocks) {
        std::fprintf(out, "  %s\n", block.c_str());
    }
    std::fprintf(out, "\n--- style ---\n%s", sensorFile.getUIStyleConfig().c_str());
    std::fprintf(out, "\n--- common texts, language %d ---\n%s", p_nLanguage,
                 sensorFile.getUICommonConfig(p_nLanguage).c_str());
    std::fprintf(out, "\n--- language texts, language %d ---\n%s", p_nLanguage,
                 sensorFile.getUILanguageConfig(p_nLanguage).c_str());
}

void commandIrPower(Host& p_host, const std::string& p_strFile, const std::string& p_strAction,
                    const std::string& p_strVersion) {
    (void)p_host;
    IRPowerDefaultConfig config;
    FILE* out = Host::out();
    if (p_strAction == "get") {
        int version = 0;
        int result = config.getVersion(kIrPowerTag, p_strFile, version);
        if (result != 0) {
            throw CommandError(irPowerFailure(result, p_strFile, "version"));
        }
        std::fprintf(out, "IR power table version %d\n", version);
    } else if (p_strAction == "set") {
        if (p_strVersion.empty()) {
            throw CommandError("irpower set needs a version number", 2);
        }
        int version = parseNumber(p_strVersion, "version");
        int result = config.setVersion(kIrPowerTag, p_strFile, version);
        if (result != 0) {
            throw CommandError(irPowerFailure(result, p_strFile, "version"));
        }
        std::fprintf(out, "IR power table version set to %d\n", version);
    } else if (p_strAction == "load") {
        IRPowerParamV2 power;
        int result = config.load(kIrPowerTag, p_strFile, power);
        if (result != 0) {
            throw CommandError(irPowerFailure(result, p_strFile, "IRPower"));
        }
        std::fprintf(out, "zoom from   far   mid  near\n");
        for (const IRPowerItem& row : power.getIrPower()) {
            std::fprintf(out, "%9d  %4d  %4d  %4d\n", row.getZoomUp(), row.getFarPower(),
                         row.getMidPower(), row.getNearPower());
        }
    } else {
        throw CommandError("unknown irpower action '" + p_strAction + "' (get, set N or load)", 2);
    }
}
