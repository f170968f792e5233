// sensord's own cost per request, without the network: an ONVIF
// GetImagingSettings (token check, decode, settings read, response) and a
// JSON read, on the SoC's camera; from one thread and from 32 at once, which
// shows what the service's locks cost when clients crowd in.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include "Host.h"
#include "ImageService.h"
#include "JsonApi.h"
#include "auth/Authenticator.h"
#include "auth/Crypto.h"
#include "auth/Users.h"
#include "onvif/OnvifService.h"

namespace {

// One camera for every benchmark of the program, as a service holds one.
struct Service {
    Service() {
        char dir[] = "/tmp/sensord-bench-XXXXXX";
        strRoot = mkdtemp(dir);
        HostOptions options;
        options.strRoot = strRoot;
        options.strModule = "hi351x";
        options.bVirtualTime = true;
        options.bVerbose = true;  // the console is muted around the run instead
        host = std::make_unique<Host>(options);
        host->boot();
        users = std::make_unique<UserStore>(strRoot + "/users");
        std::string notice;
        std::string error;
        users->load(strRoot + "/admin-password", notice, error);
        std::ifstream(strRoot + "/admin-password") >> strPassword;
        image = std::make_unique<ImageService>(*host);
        auth = std::make_unique<Authenticator>(*users, "sensord");
        onvif = std::make_unique<OnvifService>(*image, *auth, OnvifIdentity());
        json = std::make_unique<JsonApi>(*image, *host, false);
    }
    ~Service() {
        json.reset();
        onvif.reset();
        image.reset();
        host.reset();
        std::string command = "rm -rf " + strRoot;
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "could not remove %s\n", strRoot.c_str());
        }
    }
    std::string strRoot;
    std::string strPassword;
    std::unique_ptr<Host> host;
    std::unique_ptr<UserStore> users;
    std::unique_ptr<ImageService> image;
    std::unique_ptr<Authenticator> auth;
    std::unique_ptr<OnvifService> onvif;
    std::unique_ptr<JsonApi> json;
};

// Set up and torn down around each benchmark run (not per thread); the
// library's console goes to /dev/null meanwhile, the report stays.
std::unique_ptr<Service> g_service;
int g_nSavedOut = -1;

void startService(const benchmark::State&) {
    std::fflush(stdout);
    g_nSavedOut = dup(STDOUT_FILENO);
    int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    dup2(devNull, STDOUT_FILENO);
    close(devNull);
    g_service = std::make_unique<Service>();
}

void stopService(const benchmark::State&) {
    g_service.reset();
    std::fflush(stdout);
    dup2(g_nSavedOut, STDOUT_FILENO);
    close(g_nSavedOut);
}

Service& service() {
    return *g_service;
}

// In milliseconds, as clients write it: at thousands of log-ins a second,
// whole seconds would look like replays once the nonce table is full.
std::string created() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char text[40];
    size_t length = std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof(text) - length, ".%03ldZ", now.tv_nsec / 1000000);
    return text;
}

// A request as a client sends it: a fresh nonce every time.
HttpRequest getImagingSettings(const std::string& p_strPassword) {
    std::string nonce = crypto::randomBytes(16);
    std::string when = created();
    std::string digest = crypto::base64Encode(crypto::sha1(nonce + when + p_strPassword));
    HttpRequest request;
    request.strMethod = "POST";
    request.strPath = "/onvif/imaging_service";
    request.strClientAddress = "127.0.0.1";
    request.headers["content-type"] = "application/soap+xml";
    request.strBody =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><s:Envelope "
        "xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Header><Security "
        "xmlns=\"http://docs.oasis-open.org/wss/2004/01/"
        "oasis-200401-wss-wssecurity-secext-1.0.xsd\">"
        "<UsernameToken><Username>admin</Username><Password Type=\"http://docs.oasis-open.org/wss/"
        "2004/01/oasis-200401-wss-username-token-profile-1.0#PasswordDigest\">" +
        digest + "</Password><Nonce>" + crypto::base64Encode(nonce) +
        "</Nonce><Created xmlns=\"http://docs.oasis-open.org/wss/2004/01/"
        "oasis-200401-wss-wssecurity-utility-1.0.xsd\">" +
        when +
        "</Created></UsernameToken></Security></s:Header><s:Body><GetImagingSettings "
        "xmlns=\"http://www.onvif.org/ver20/imaging/wsdl\"><VideoSourceToken>VideoSource_1"
        "</VideoSourceToken></GetImagingSettings></s:Body></s:Envelope>";
    return request;
}

void BM_SensordOnvifGetImagingSettings(benchmark::State& p_state) {
    Service& camera = service();
    for (auto _ : p_state) {
        p_state.PauseTiming();
        HttpRequest request = getImagingSettings(camera.strPassword);
        p_state.ResumeTiming();
        HttpResponse response = camera.onvif->handle(request);
        if (response.nStatus != 200) {
            p_state.SkipWithError(
                ("answered " + std::to_string(response.nStatus) + ": " + response.strBody).c_str());
            break;
        }
        benchmark::DoNotOptimize(response);
    }
}
BENCHMARK(BM_SensordOnvifGetImagingSettings)
    ->Setup(startService)
    ->Teardown(stopService)
    ->Threads(1)
    ->Threads(32)
    ->UseRealTime();

void BM_SensordJsonParameters(benchmark::State& p_state) {
    Service& camera = service();
    HttpRequest request;
    request.strMethod = "GET";
    request.strPath = "/api/parameters";
    for (auto _ : p_state) {
        HttpResponse response = camera.json->handle(request, "admin", UserLevel::ADMINISTRATOR);
        benchmark::DoNotOptimize(response);
    }
}
BENCHMARK(BM_SensordJsonParameters)
    ->Setup(startService)
    ->Teardown(stopService)
    ->Threads(1)
    ->Threads(32)
    ->UseRealTime();

}  // namespace
