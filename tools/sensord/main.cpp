// sensord: the camera's image service. It boots the configured module the
// way sensorctl does, keeps the controller and its threads running, and
// serves the image settings over ONVIF (Device, Media, Imaging) and a JSON
// API, every route behind a user. SIGTERM or SIGINT: it stops accepting,
// finishes what is in flight, saves, stops the controller and exits 0.
#include <CLI/CLI.hpp>

#include <malloc.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <thread>

#include "HostCli.h"
#include "Modules.h"
#include "Sensord.h"
#include "auth/UserCommand.h"

namespace {

const char* const kDescription =
    "sensord - the camera's image service: ONVIF Imaging and a JSON API over HTTP.\n"
    "\n"
    "Boots the module in ROOT as sensorctl does and serves until SIGTERM or SIGINT.\n"
    "Every request needs a user (HTTP Digest, or WS-UsernameToken for ONVIF). The first\n"
    "start creates the administrator \"admin\" with a random password and says where it\n"
    "is; 'sensord user ...' adds, changes and removes users without prompting:\n"
    "  sensord --root R user add NAME --level Operator --password-stdin < FILE\n"
    "  sensord --root R user set NAME [--level LEVEL] [--password-stdin]\n"
    "  sensord --root R user remove NAME\n"
    "  sensord --root R user list\n"
    "Levels: Administrator, Operator (changes settings), User (reads only).\n"
    "\n"
    "Modules (--module NAME or ID):\n";

}  // namespace

int main(int p_nArgc, char** p_ppArgv) {
    // Every thread inherits the mask: the signals are taken by the one
    // sigwait below, never by a thread in the middle of a write.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // A thread per connection would otherwise get a malloc arena of its own,
    // each keeping what it once held: two serve them all.
    mallopt(M_ARENA_MAX, 2);

    CLI::App app(std::string(kDescription) + moduleHelp(), "sensord");
    app.get_formatter()->column_width(34);
    app.set_config("--config", "", "Read these options from FILE (key = value lines)");

    SensordOptions options;
    options.host.strRoot = "./sensord-root";
    addHostOptions(app, options.host, "Run on the virtual clock; POST /api/simulation moves it");
    app.add_option("--listen", options.strListen, "ADDRESS:PORT to serve on ([IPv6]:PORT)")
        ->capture_default_str();
    app.add_option("--users", options.strUsers,
                   "Users file (default ROOT/mnt/mtd/sensord/users, mode 0600)");
    app.add_option("--tls-cert", options.strTlsCert, "TLS certificate (PEM): serve https");
    app.add_option("--tls-key", options.strTlsKey, "TLS private key (PEM)");
    app.add_option("--stream-uri", options.strStreamUri,
                   "The video stream's URI that ONVIF GetStreamUri answers");
    app.add_option("--realm", options.strRealm, "HTTP Digest realm")->capture_default_str();
    app.add_option("--web-root", options.strWebRoot,
                   "Directory of the settings page (default: the installed one)");
    app.add_option("--max-connections", options.limits.nConnections,
                   "Connections at once; more are closed at once")
        ->capture_default_str();
    app.add_option("--request-timeout", options.limits.nRequestSeconds,
                   "Seconds a request may take to arrive")
        ->capture_default_str();
    app.add_option("--max-body", options.limits.nMaxBody, "Largest request body in bytes (413)")
        ->capture_default_str();

    CLI::App* user = app.add_subcommand("user", "Add, change, remove or list users");
    user->prefix_command();

    CLI11_PARSE(app, p_nArgc, p_ppArgv);
    if (!options.host.strTime.empty()) {
        options.host.bVirtualTime = true;
    }
    if (options.limits.nConnectionsPerAddress > options.limits.nConnections) {
        options.limits.nConnectionsPerAddress = options.limits.nConnections;
    }

    if (user->parsed()) {
        return runUserCommand(Sensord::usersPath(options), user->remaining(), std::cin, std::cout,
                              std::cerr);
    }

    Sensord service(options);
    try {
        std::string notice;
        service.start(notice);
        if (!notice.empty()) {
            std::fprintf(stderr, "sensord: %s\n", notice.c_str());
        }
    } catch (const CommandError& error) {
        std::fprintf(stderr, "sensord: %s\n", error.what());
        return error.exitCode();
    }
    std::fprintf(stderr, "sensord: module %s serving on %s (ONVIF %s/onvif/device_service)\n",
                 options.host.strModule.c_str(), service.url().c_str(), service.url().c_str());
    std::fflush(stderr);

    int code = 0;
    std::thread serving([&] { code = service.run(); });
    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::fprintf(stderr, "sensord: %s: stopping\n", strsignal(signal));
    service.stop();
    serving.join();
    return code;
}
