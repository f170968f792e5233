#include "ModuleStatus.h"

#include "RegisterModules.h"

const std::vector<ModuleReport>& moduleReports() {
    static const std::vector<ModuleReport> s_reports = {
        {"effio", RegisterModules::effioStatus, RegisterModules::effioDayNight},
        {"it1", RegisterModules::it1Status, RegisterModules::switchThreadDayNight},
        {"it1zoom", RegisterModules::it1Status, RegisterModules::switchThreadDayNight},
        {"itn", RegisterModules::itnStatus, RegisterModules::switchThreadDayNight},
        {"seawolf", RegisterModules::seawolfStatus, RegisterModules::seawolfDayNight},
    };
    return s_reports;
}

namespace {

const ModuleReport* reportOf(Host& p_host) {
    for (const ModuleReport& report : moduleReports()) {
        if (p_host.moduleName() == report.szModule) {
            return &report;
        }
    }
    return nullptr;
}

}  // namespace

void printModuleStatus(Host& p_host) {
    const ModuleReport* report = reportOf(p_host);
    if (report != nullptr && report->status != nullptr) {
        report->status(p_host, Host::out());
    }
}

void printModuleDayNight(Host& p_host) {
    const ModuleReport* report = reportOf(p_host);
    if (report != nullptr && report->dayNight != nullptr) {
        report->dayNight(p_host, Host::out());
    }
}
