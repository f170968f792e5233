// sensorctl: the reference host program of the sensorcontrol library, its
// bring-up tool and its demo. It boots a camera on a simulated board inside a
// root directory (the simulated flash), runs one command and exits; the
// parameter files it leaves behind are what the next run starts from.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "Commands.h"
#include "DaySimulation.h"
#include "Describe.h"
#include "Host.h"
#include "HostCli.h"
#include "Modules.h"
#include "Probe.h"
#include "SerialCommands.h"
#include "Signals.h"
#include "UiCommands.h"

namespace {

const char* const kDescription =
    "sensorctl - drive a camera's image source through the sensorcontrol library.\n"
    "\n"
    "Each run boots the camera on a simulated board in ROOT (created and laid with the\n"
    "default board files on first use), runs one command and exits. Parameters persist\n"
    "in ROOT's parameter files, so a later run sees what an earlier one set.\n"
    "\n"
    "Parameters are given by id or by name ('sensorctl list' shows both).\n"
    "\n"
    "Modules (--module NAME or ID):\n";

}  // namespace

int main(int p_nArgc, char** p_ppArgv) {
    DeferredSignals signals;
    CLI::App app(std::string(kDescription) + moduleHelp(), "sensorctl");
    app.require_subcommand(1);
    app.get_formatter()->column_width(34);

    HostOptions options;
    addHostOptions(app, options,
                   "Run on the virtual clock (waits take no time; the day starts at 12:00)");
    app.add_flag("--print", options.bPrint, "Set the platform print flag (more console output)");
    app.add_flag("--trace", options.bTrace, "Print every serial frame as tx:/rx: lines");

    std::string id;
    std::string value;
    std::string text;
    std::string plot;

    app.add_subcommand("status", "Module, controller, init, day/night mode and state, scheme");
    CLI::App* get = app.add_subcommand("get", "Print the current value of one parameter");
    get->add_option("id", id, "Parameter id or name")->required();
    CLI::App* set = app.add_subcommand("set", "Apply a value and save it (flush)");
    set->add_option("id", id, "Parameter id or name")->required();
    set->add_option("value", value, "New value, or a menu entry's name")->required();
    bool json = false;
    CLI::App* list = app.add_subcommand(
        "list", "Every parameter with its name, value, kind, factory value and what it takes");
    list->add_flag("--json", json, "As one JSON document");
    CLI::App* describe =
        app.add_subcommand("describe", "One parameter in full: kind, role, values, factory");
    describe->add_option("id", id, "Parameter id or name")->required();
    app.add_subcommand("dump", "Every current parameter as parameter text");
    CLI::App* setMany = app.add_subcommand("setmany", "Apply a parameter text and save it");
    setMany->add_option("text", text, "Groups such as \"(1,60)(2,40)\"")->required();
    app.add_subcommand("flush", "Save the current values to the parameter files");
    app.add_subcommand("reset", "Return every scheme to the factory set");
    CLI::App* scheme =
        app.add_subcommand("scheme", "Show the schemes and their windows, or apply scheme N");
    scheme->add_option("N", value, "Scheme index (-1: the factory set)");
    CLI::App* mode = app.add_subcommand("mode", "Show or set the scheme mode (0 manual, 1 auto)");
    mode->add_option("N", value, "0 or 1");
    CLI::App* dayNight = app.add_subcommand(
        "daynight",
        "Show or set the day/night mode (0 auto, 1 day, 2 night, 3 schedule, 4 module)");
    dayNight->add_option("MODE", value, "0..4");
    std::string product;
    int language = 1;
    CLI::App* ui =
        app.add_subcommand("ui", "The UI description: merged style, common and language texts");
    ui->add_option("--product", product,
                   "Product whose module record to use (default: the module's own)");
    ui->add_option("--lang", language, "Language id")->capture_default_str();
    std::string irFile = "/hd1/program/config/IRPower.xml";
    std::string action;
    CLI::App* irPower = app.add_subcommand("irpower", "The IR power table: get | set N | load");
    irPower->add_option("action", action, "get, set or load")
        ->required()
        ->check(CLI::IsMember({"get", "set", "load"}));
    irPower->add_option("N", value, "Version number for set");
    irPower->add_option("--file", irFile, "IR power file")->capture_default_str();
    std::vector<std::string> words;
    CLI::App* zoom = app.add_subcommand("zoom",
                                        "Lens zoom: in [SPEED] | out [SPEED] | stop | "
                                        "get | set POSITION");
    zoom->add_option("args", words, "Action and value")->required();
    CLI::App* focus = app.add_subcommand(
        "focus", "Lens focus: far [SPEED] | near [SPEED] | stop | get | set POSITION | mode N");
    focus->add_option("args", words, "Action and value")->required();
    CLI::App* mask = app.add_subcommand(
        "mask",
        "Privacy masks: region N | set | show | hide | clear | clear-all | wider | "
        "narrower | taller | shorter");
    mask->add_option("args", words, "Action and value")->required();
    std::string simulatorKind;
    int seconds = 0;
    CLI::App* simModule = app.add_subcommand(
        "sim-module",
        "Serve a simulated module on a pseudo-terminal (for --uart; its lens line, when it has "
        "one, on a second: for --lens-uart)");
    simModule->add_option("kind", simulatorKind, "Simulator: " + simulatorNames())->required();
    simModule->add_option("--seconds", seconds, "Stop after this many seconds (0: Ctrl-C)");
    SerialLineSettings simLine;
    std::string parity = "none";
    simModule->add_option("--baud", simLine.nBaudRate, "The module's baud rate")
        ->check(CLI::IsMember(
            std::vector<int>{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400}))
        ->capture_default_str();
    simModule->add_option("--parity", parity, "The module's parity (no even on a pseudo-terminal)")
        ->check(CLI::IsMember({"none", "odd", "even"}))
        ->capture_default_str();
    CLI::App* probe = app.add_subcommand(
        "probe", "Find out which module sits on a serial line (--uart), and at which settings");
    probe->add_option("--uart", options.strUart, "The serial device to probe");
    probe->add_flag("--json", json, "Print the findings as one JSON object");
    CLI::App* simulate = app.add_subcommand(
        "simulate-day", "Run 24 h on the virtual clock and show every switch and tuning change");
    simulate->add_option("--plot", plot, "Also draw the day as an SVG file");

    try {
        app.parse(p_nArgc, p_ppArgv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        std::fputs(app.help("", CLI::AppFormatMode::All).c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "sensorctl: %s (see sensorctl --help)\n", error.what());
        return 2;
    }

    const std::string command = app.get_subcommands().front()->get_name();
    if (command == "simulate-day") {
        options.bVirtualTime = true;
        if (options.strTime.empty()) {
            options.strTime = "00:00";
        }
    }
    try {
        if (command == "sim-module") {
            simLine.nParity = parity == "odd" ? 1 : parity == "even" ? 2 : 0;
            commandSimModule(simulatorKind, seconds, options.nVideoSystem, simLine);
            std::fflush(Host::out());
            return 0;
        }
        if (command == "probe") {
            commandProbe(options.strUart, json);
            return 0;
        }
        Host host(options);
        if (command == "ui") {
            host.prepareRoot();
            commandUi(host, product.empty() ? std::string(host.module().szProduct) : product,
                      language);
            std::fflush(Host::out());
            return 0;
        }
        if (command == "irpower") {
            host.prepareRoot();
            commandIrPower(host, irFile, action, value);
            std::fflush(Host::out());
            return 0;
        }
        host.boot();
        if (command == "status") {
            commandStatus(host);
        } else if (command == "get") {
            commandGet(host, id);
        } else if (command == "set") {
            commandSet(host, id, value);
        } else if (command == "list") {
            commandList(host, json);
        } else if (command == "describe") {
            commandDescribe(host, id);
        } else if (command == "dump") {
            commandDump(host);
        } else if (command == "setmany") {
            commandSetMany(host, text);
        } else if (command == "flush") {
            commandFlush(host);
        } else if (command == "reset") {
            commandReset(host);
        } else if (command == "scheme") {
            commandScheme(host, value);
        } else if (command == "mode") {
            commandMode(host, value);
        } else if (command == "daynight") {
            commandDayNight(host, value);
        } else if (command == "zoom") {
            commandZoom(host, words);
        } else if (command == "focus") {
            commandFocus(host, words);
        } else if (command == "mask") {
            commandMask(host, words);
        } else if (command == "simulate-day") {
            simulateDay(host, plot);
        }
    } catch (const CommandError& error) {
        std::fflush(Host::out());
        std::fprintf(stderr, "sensorctl: %s\n", error.what());
        return error.exitCode();
    } catch (const std::exception& error) {
        std::fflush(Host::out());
        std::fprintf(stderr, "sensorctl: %s\n", error.what());
        return 1;
    }
    std::fflush(Host::out());
    return 0;
}
