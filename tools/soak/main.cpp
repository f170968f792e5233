// soak: the reliability campaign. For every module with a simulator it runs
// a fault campaign (random writes, batches, scheme and day/night changes,
// resets and flushes while the simulator injects faults, then the checks
// of what must hold), or, with --days, days of virtual time over a daily
// light curve with day/night switching and schemes active. Prints a table;
// the exit status is 1 when anything that must hold did not.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Campaign.h"
#include "DayRun.h"
#include "Host.h"
#include "Process.h"

namespace {

const long kLongExchanges = 1000000;
const int kLongRounds = 10;
// Under a sanitizer a step costs ten times as much.
const long kSanitizerScale = 10;
const long kFewestExchanges = 200;

// Every module, or for --days one per built-in controller and per
// simulator kind (a module family).
std::vector<ModuleInfo> selectModules(const std::vector<std::string>& p_names, bool p_bFamilies) {
    if (!p_names.empty()) {
        std::vector<ModuleInfo> modules;
        for (const std::string& name : p_names) {
            modules.push_back(findModule(name));
        }
        return modules;
    }
    if (!p_bFamilies) {
        return knownModules();
    }
    std::vector<ModuleInfo> modules;
    for (const ModuleInfo& module : knownModules()) {
        bool example = module.szSerialSimulator[0] == '\0';
        for (const SimulatorKind& kind : simulatorKinds()) {
            example = example || std::string(kind.szExampleModule) == module.szName;
        }
        if (example) {
            modules.push_back(module);
        }
    }
    return modules;
}

int runCampaigns(const std::vector<ModuleInfo>& p_modules, const CampaignOptions& p_options,
                 bool p_bHeader) {
    if (p_bHeader) {
        printCampaignHeader();
    }
    long violations = 0;
    for (const ModuleInfo& module : p_modules) {
        CampaignFigures figures = runCampaign(module, p_options);
        printCampaignRow(figures);
        violations += figures.nViolations;
    }
    return violations == 0 ? 0 : 1;
}

}  // namespace

int main(int p_nArgc, char** p_ppArgv) {
    CLI::App app(
        "soak - the reliability campaign: every module under injected faults on the virtual "
        "clock, or --days of virtual time with day/night switching and schemes",
        "soak");
    std::vector<std::string> names;
    CampaignOptions options;
    options.strRoot = "/tmp/soak";
    bool longForm = false;
    bool noHeader = false;
    bool headerOnly = false;
    bool list = false;
    bool brief = underSanitizer();
    int days = 0;
    app.add_option("--module", names, "Module name or id (repeatable; default: every module)");
    app.add_option("--root", options.strRoot, "Directory for the modules' roots")
        ->capture_default_str();
    app.add_option("--exchanges", options.nExchanges, "Exchanges per module")
        ->capture_default_str();
    app.add_option("--rounds", options.nRounds, "Boots with faults on the same root")
        ->check(CLI::Range(1, 1000))
        ->capture_default_str();
    app.add_option("--fault-rate", options.dFaultRate, "Faults per frame or ISP command")
        ->check(CLI::Range(0.0, 1.0))
        ->capture_default_str();
    app.add_option("--random", options.nSeed,
                   "Number of the random sequence of operations and faults: the same number "
                   "repeats a run")
        ->capture_default_str();
    app.add_flag("--long", longForm, "The long form: a million exchanges per module");
    app.add_option("--days", days,
                   "Days of virtual time instead of the campaign (default modules: one per "
                   "built-in controller and module family)")
        ->check(CLI::Range(1, 365));
    app.add_flag("--verbose", options.bVerbose, "Print each violation as it is found");
    app.add_flag("--trace", options.bTrace, "Print every operation and its result");
    app.add_flag("--no-header", noHeader, "Print the table's rows only");
    app.add_flag("--header-only", headerOnly, "Print the table's header only");
    app.add_flag("--brief", brief,
                 "The form for slow builds (sanitizers, an emulator): a tenth of the exchanges, "
                 "and two hours around dusk standing for the days");
    app.add_flag("--list", list, "List the modules the run covers, one a line");
    CLI11_PARSE(app, p_nArgc, p_ppArgv);
    // From here the library's console lines go to /dev/null (help and
    // parse errors above still reach the terminal).
    reportStream();
    // A sanitizer starts a thread of its own with the first thread: it is
    // there before any count of threads is taken.
    std::thread([] {}).join();

    try {
        std::vector<ModuleInfo> modules = selectModules(names, days > 0);
        if (list) {
            for (const ModuleInfo& module : modules) {
                std::fprintf(reportStream(), "%s\n", module.szName);
            }
            return 0;
        }
        if (headerOnly) {
            days > 0 ? printDaysHeader() : printCampaignHeader();
            return 0;
        }
        if (days > 0) {
            return runDays(modules, days, brief, options.strRoot, !noHeader);
        }
        if (longForm) {
            options.nExchanges = kLongExchanges;
            options.nRounds = kLongRounds;
        }
        if (brief) {
            options.nExchanges = std::max(options.nExchanges / kSanitizerScale, kFewestExchanges);
        }
        return runCampaigns(modules, options, !noHeader);
    } catch (const CommandError& error) {
        std::fprintf(stderr, "soak: %s\n", error.what());
        return 2;
    }
}
