// serve-load: sensord under load and faults. Starts sensord on a scratch
// root per module, provisions its users through sensord's own command,
// drives it with many clients over ONVIF and the JSON API, injects module
// faults, tries bad input, measures it idle, stops it with SIGTERM and
// starts it again to see what was saved. Prints a markdown table per
// module; exits 1 when any check failed.
#include <openssl/rand.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

#include "BadInput.h"
#include "Camera.h"
#include "Daemon.h"
#include "Events.h"
#include "Load.h"
#include "Report.h"

namespace fs = std::filesystem;

namespace {

struct Options {
    std::string strSensord;
    std::string strRoot;
    bool bKeepRoot = false;
    std::vector<std::string> modules;
    int nClients = 32;
    double dSeconds = 60;
    double dMinutes = 0;
    double dFaults = 0.05;
    double dFaultSeconds = 0;
    bool bNoBadInput = false;
    bool bVirtualTime = false;
    double dIdleSeconds = 10;
    double dIdleCpuBudget = 2;
    unsigned nDraw = 1;
    bool bBench = false;
    long nRequests = 20000;
};

// The harness sits next to sensord in the build tree.
std::string sensordNextToUs() {
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return (self.parent_path().parent_path() / "sensord" / "sensord").string();
}

std::string randomPassword() {
    unsigned char bytes[12];
    RAND_bytes(bytes, sizeof(bytes));
    std::string text;
    char hex[3];
    for (unsigned char byte : bytes) {
        std::snprintf(hex, sizeof(hex), "%02x", byte);
        text += hex;
    }
    return text;
}

// A module's sensord provisioned with its users and started; the camera as
// discovered on it, or null with p_strError.
std::unique_ptr<Camera> bringUp(Daemon& p_daemon, std::string& p_strError) {
    Account admin{"admin", randomPassword()};
    Account load{"load", randomPassword()};
    Account viewer{"viewer", randomPassword()};
    if (!p_daemon.addUser(admin.strUser, "Administrator", admin.strPassword, p_strError) ||
        !p_daemon.addUser(load.strUser, "Operator", load.strPassword, p_strError) ||
        !p_daemon.addUser(viewer.strUser, "User", viewer.strPassword, p_strError) ||
        !p_daemon.start(p_strError)) {
        return nullptr;
    }
    std::unique_ptr<Camera> camera(new Camera(p_daemon.url(), admin, load, viewer));
    return camera->discover(p_strError) ? std::move(camera) : nullptr;
}

std::vector<std::string> daemonOptions(const Options& p_options, const ServiceLimits& p_limits) {
    std::vector<std::string> extra = {"--max-connections", std::to_string(p_limits.nConnections),
                                      "--request-timeout",
                                      std::to_string(p_limits.nRequestSeconds)};
    if (p_options.bVirtualTime) {
        extra.push_back("--virtual-time");
    }
    return extra;
}

void checkStop(Report& p_report, const std::string& p_strWhat, const Daemon::Stop& p_stop) {
    p_report.check(p_strWhat, p_stop.describe(), "exit 0 within 2 s",
                   p_stop.bInTime && p_stop.bExited && p_stop.nExitCode == 0);
}

int activeScheme(Camera& p_camera) {
    HttpClient client(p_camera.url());
    client.setAccount(p_camera.viewer());
    Reply reply = client.get("/api/status");
    nlohmann::json body = nlohmann::json::parse(reply.strBody, nullptr, false);
    return body.is_object() && body["scheme"].is_number_integer() ? body["scheme"].get<int>()
                                                                  : -100;
}

// sensord with one event stream open and nothing else: its share of a core.
void idle(Daemon& p_daemon, Report& p_report, const Options& p_options, EventReader& p_stream) {
    p_stream.start();
    if (!p_stream.waitConnected(10)) {
        p_report.error("idle: the event stream did not start", "GET /api/events",
                       "nothing in 10 s");
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ProcessSample before = p_daemon.sample();
    auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(p_options.dIdleSeconds));
    ProcessSample after = p_daemon.sample();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double percent = 100.0 * static_cast<double>(after.nCpuTicks - before.nCpuTicks) /
                     static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
    p_report.check("idle, one event stream: CPU over " + fixed(seconds) + " s",
                   fixed(percent, 2) + " % of a core",
                   "<= " + fixed(p_options.dIdleCpuBudget) + " %",
                   before.bOk && after.bOk && percent <= p_options.dIdleCpuBudget);
    p_report.figure("idle: threads, VmRSS",
                    std::to_string(after.nThreads) + ", " + fixed(after.nRssKiB / 1024.0) + " MiB");
}

bool runModule(const std::string& p_strModule, const std::string& p_strBase,
               const Options& p_options) {
    Report report("sensord --module " + p_strModule);
    ServiceLimits limits;
    std::string root = p_strBase + "/" + p_strModule;
    fs::remove_all(root);
    fs::create_directories(root);
    Daemon daemon(p_options.strSensord, root, p_strModule, daemonOptions(p_options, limits));
    std::string error;
    std::unique_ptr<Camera> camera = bringUp(daemon, error);
    if (!camera) {
        report.check("start", error, "serving", false);
        report.print(std::cout);
        return false;
    }
    std::cerr << "serve-load: " << p_strModule << " serving at " << daemon.url() << "\n";
    std::string names;
    for (const Setting& setting : camera->settings()) {
        names += (names.empty() ? "" : ", ") + setting.strName +
                 (setting.strOnvif.empty() ? "" : " (" + setting.strOnvif + ")");
    }
    report.figure("settings the load writes (ONVIF name)", names);
    ProcessSample baseline = daemon.sample();
    report.figure("at start: threads, VmRSS", std::to_string(baseline.nThreads) + ", " +
                                                  fixed(baseline.nRssKiB / 1024.0) + " MiB");
    {
        // A scheme chosen by a client stays: the windows do not switch it
        // under the load.
        HttpClient client(camera->url());
        client.setAccount(camera->admin());
        if (camera->schemes() > 0) {
            camera->switchScheme(client, camera->scheme() >= 0 ? camera->scheme() : 0, report,
                                 nullptr);
        }
    }

    LoadOptions load;
    load.nClients = p_options.nClients;
    load.dSeconds = p_options.dSeconds;
    load.bVirtualTime = p_options.bVirtualTime;
    load.nDraw = p_options.nDraw;
    runLoad("load", *camera, daemon, report, load);
    if (p_options.dFaults > 0) {
        load.dFaults = p_options.dFaults;
        load.dSeconds = p_options.dFaultSeconds > 0 ? p_options.dFaultSeconds
                                                    : std::max(5.0, p_options.dSeconds / 4);
        load.nDraw = p_options.nDraw + 1;
        runLoad("faults " + fixed(p_options.dFaults, 2), *camera, daemon, report, load);
    }
    if (!p_options.bNoBadInput) {
        runBadInput(*camera, report, limits);
    }

    // Every connection closed: each one's thread must be gone too.
    ProcessSample after = daemon.sample();
    for (int wait = 0; wait < 150 && after.nThreads > baseline.nThreads + 1; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        after = daemon.sample();
    }
    report.check("threads once every client left (at start -> now)",
                 std::to_string(baseline.nThreads) + " -> " + std::to_string(after.nThreads), "+1",
                 after.bOk && after.nThreads <= baseline.nThreads + 1);

    EventReader stream(camera->url(), camera->viewer(), report, "idle events");
    idle(daemon, report, p_options, stream);

    int scheme = activeScheme(*camera);
    stream.expectEnd();
    checkStop(report, "SIGTERM, an event stream open", daemon.stop(2.0));
    report.check("the event stream ends with the service", stream.waitEnded(5) ? "ended" : "open",
                 "ended", stream.waitEnded(0));
    stream.stop();

    if (!daemon.start(error)) {
        report.check("restart on the same root", error, "serving", false);
    } else {
        camera->setUrl(daemon.url());
        HttpClient client(camera->url());
        client.setAccount(camera->admin());
        size_t differences = camera->verify(client, report, "after the restart");
        differences += camera->verifyOnvif(client, report, "after the restart (ONVIF)");
        report.check(
            "after the restart: values = last acknowledged writes",
            std::to_string(differences) + " differ of " + std::to_string(camera->settings().size()),
            "0 differ", differences == 0);
        int again = activeScheme(*camera);
        report.check("after the restart: active scheme", std::to_string(again),
                     std::to_string(scheme), again == scheme);
        checkStop(report, "SIGTERM after the restart", daemon.stop(2.0));
    }
    report.print(std::cout);
    if (!report.passed()) {
        std::cerr << "serve-load: " << p_strModule << " failed; sensord's last lines:\n"
                  << daemon.logTail();
    }
    return report.passed();
}

int bench(const std::string& p_strBase, const Options& p_options) {
    ServiceLimits limits;
    std::string root = p_strBase + "/bench";
    fs::remove_all(root);
    fs::create_directories(root);
    Daemon daemon(p_options.strSensord, root, "hi351x", daemonOptions(p_options, limits));
    std::string error;
    std::unique_ptr<Camera> camera = bringUp(daemon, error);
    if (!camera) {
        std::cerr << "serve-load: " << error << "\n";
        return 2;
    }
    bool ok = runBench(*camera, p_options.nClients, p_options.nRequests);
    Daemon::Stop stop = daemon.stop(2.0);
    std::cout << "\nsensord stopped: " << stop.describe() << "\n";
    return ok && stop.bInTime && stop.nExitCode == 0 ? 0 : 1;
}

}  // namespace

int main(int p_nArgc, char** p_ppArgv) {
    Options options;
    CLI::App app("serve-load - sensord under load and faults, with its budgets", "serve-load");
    app.add_option("--sensord", options.strSensord,
                   "sensord to run (default: the one built "
                   "next to serve-load)");
    app.add_option("--root", options.strRoot,
                   "Directory for the scratch roots (default: a new one, removed after)");
    app.add_flag("--keep-root", options.bKeepRoot, "Leave the scratch roots behind");
    app.add_option("--module", options.modules,
                   "Module to serve (repeatable; default hi351x "
                   "and fcbev7310)");
    app.add_option("--clients", options.nClients,
                   "Clients at once (at most 56: sensord takes "
                   "64 connections)")
        ->check(CLI::Range(1, 56))
        ->capture_default_str();
    app.add_option("--seconds", options.dSeconds, "Seconds of load")->capture_default_str();
    app.add_option("--minutes", options.dMinutes, "Minutes of load (instead of --seconds)");
    app.add_option("--faults", options.dFaults,
                   "Module fault rate of the fault round, 0..1 (0: no fault round)")
        ->check(CLI::Range(0.0, 1.0))
        ->capture_default_str();
    app.add_option("--fault-seconds", options.dFaultSeconds,
                   "Seconds of the fault round (default a quarter of the load, 5 at least)");
    app.add_flag("--no-bad-input", options.bNoBadInput, "Leave out the bad-input round");
    app.add_flag("--virtual-time", options.bVirtualTime,
                 "Run sensord on the virtual clock; the driver advances it");
    app.add_option("--idle-seconds", options.dIdleSeconds, "Seconds the idle CPU is measured")
        ->capture_default_str();
    app.add_option("--idle-cpu-budget", options.dIdleCpuBudget,
                   "Largest idle CPU, percent of a core")
        ->capture_default_str();
    app.add_option("--random", options.nDraw,
                   "Number of the random draws of the clients' choices and the faults")
        ->capture_default_str();
    app.add_flag("--bench", options.bBench,
                 "Only GetImagingSettings on hi351x from --clients clients for --requests");
    app.add_option("--requests", options.nRequests, "Requests of --bench")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    CLI11_PARSE(app, p_nArgc, p_ppArgv);
    if (options.dMinutes > 0) {
        options.dSeconds = options.dMinutes * 60;
    }
    if (options.modules.empty()) {
        options.modules = {"hi351x", "fcbev7310"};
    }
    if (options.strSensord.empty()) {
        options.strSensord = sensordNextToUs();
    }
    if (access(options.strSensord.c_str(), X_OK) != 0) {
        std::cerr << "serve-load: no sensord at " << options.strSensord << " (--sensord PATH)\n";
        return 2;
    }
    initialiseHttp();

    std::string base = options.strRoot;
    bool scratch = base.empty();
    if (scratch) {
        // On a RAM disk when there is one: the settings are saved with fsync.
        std::string parent = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = parent + "/serve-load.XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr) {
            std::perror("serve-load: mkdtemp");
            return 2;
        }
        base = pattern;
    }
    fs::create_directories(base);

    int status = 0;
    if (options.bBench) {
        status = bench(base, options);
    } else {
        std::cout << "# serve-load: " << options.nClients << " clients, " << fixed(options.dSeconds)
                  << " s of load"
                  << (options.dFaults > 0 ? ", a fault round at " + fixed(options.dFaults, 2)
                                          : std::string())
                  << (options.bVirtualTime ? ", virtual time" : "") << "\n";
        for (const std::string& module : options.modules) {
            status = runModule(module, base, options) ? status : 1;
        }
        std::cout << "\nserve-load: " << (status == 0 ? "passed" : "FAILED") << "\n";
    }
    if (scratch && !options.bKeepRoot) {
        std::error_code ignored;
        fs::remove_all(base, ignored);
    }
    return status;
}
