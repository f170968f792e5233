#include "Sensord.h"

#include <malloc.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "ImageService.h"
#include "JsonApi.h"
#include "StaticFiles.h"
#include "auth/Authenticator.h"
#include "auth/Users.h"
#include "onvif/OnvifService.h"

namespace {

std::string readWhole(const std::string& p_strPath, const char* p_szWhat) {
    std::ifstream file(p_strPath);
    if (!file) {
        throw CommandError(std::string("cannot read the ") + p_szWhat + " " + p_strPath);
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

Sensord::Sensord(const SensordOptions& p_options) : m_options(p_options) {}

Sensord::~Sensord() {
    // The server's threads reach the image service and the host: it goes first.
    m_server.reset();
    m_api.reset();
    m_onvif.reset();
    m_image.reset();
    if (m_host) {
        m_host->releaseController();
    }
}

std::string Sensord::usersPath(const SensordOptions& p_options) {
    return p_options.strUsers.empty() ? p_options.host.strRoot + "/mnt/mtd/sensord/users"
                                      : p_options.strUsers;
}

void Sensord::start(std::string& p_strNotice) {
    if (m_options.strTlsCert.empty() != m_options.strTlsKey.empty()) {
        throw CommandError("TLS needs both --tls-cert and --tls-key", 2);
    }
    std::string cert;
    std::string key;
    if (!m_options.strTlsCert.empty()) {
        cert = readWhole(m_options.strTlsCert, "TLS certificate");
        key = readWhole(m_options.strTlsKey, "TLS key");
    }
    m_host = std::make_unique<Host>(m_options.host);
    m_host->prepareRoot();
    std::string users = usersPath(m_options);
    m_users = std::make_unique<UserStore>(users);
    std::string error;
    if (!m_users->load(users.substr(0, users.rfind('/') + 1) + "admin-password", p_strNotice,
                       error)) {
        throw CommandError(error);
    }
    m_host->boot();
    m_image = std::make_unique<ImageService>(*m_host);
    m_auth = std::make_unique<Authenticator>(*m_users, m_options.strRealm);
    OnvifIdentity identity;
    identity.strModel =
        m_host->moduleName().empty() ? std::to_string(m_host->moduleId()) : m_host->moduleName();
    identity.strFirmwareVersion = SENSORD_VERSION;
    char hostname[256] = "";
    gethostname(hostname, sizeof(hostname) - 1);
    identity.strSerialNumber = hostname;
    identity.strHardwareId = std::to_string(m_host->moduleId());
    identity.strStreamUri = m_options.strStreamUri;
    m_onvif = std::make_unique<OnvifService>(*m_image, *m_auth, identity);
    bool simulated = m_options.host.strUart.empty();
    m_api = std::make_unique<JsonApi>(*m_image, *m_host, simulated);
    m_web = std::make_unique<StaticFiles>(m_options.strWebRoot.empty() ? StaticFiles::defaultRoot()
                                                                       : m_options.strWebRoot);
    m_server = std::make_unique<HttpServer>(
        m_options.limits, [this](const HttpRequest& p_request) { return route(p_request); });
    if (!m_server->start(m_options.strListen, cert, key, error)) {
        throw CommandError(error);
    }
}

int Sensord::port() const {
    return m_server ? m_server->port() : 0;
}

std::string Sensord::url() const {
    std::string listen = m_options.strListen;
    std::string host = listen.substr(0, listen.rfind(':'));
    if (host.empty() || host == "*" || host == "0.0.0.0") {
        host = "127.0.0.1";
    }
    return (m_options.strTlsCert.empty() ? "http://" : "https://") + host + ":" +
           std::to_string(port());
}

HttpResponse Sensord::route(const HttpRequest& p_request) {
    if (OnvifService::serves(p_request.strPath)) {
        return m_onvif->handle(p_request);
    }
    int retryAfter = 0;
    if (m_auth->throttled(p_request.strClientAddress, retryAfter)) {
        HttpResponse response =
            JsonApi::error(429, "too many failed log-ins from " + p_request.strClientAddress +
                                    "; try again in " + std::to_string(retryAfter) + " s");
        response.headers.emplace_back("Retry-After", std::to_string(retryAfter));
        return response;
    }
    AuthOutcome who = m_auth->checkHttpDigest(p_request);
    if (!who.bOk) {
        if (!who.bNoCredentials && !who.bStale) {
            m_auth->recordFailure(p_request.strClientAddress);
        }
        HttpResponse response = JsonApi::error(
            401, who.bNoCredentials ? "log in with a user of this camera (HTTP Digest)"
                                    : "log-in refused: " + who.strReason);
        m_auth->challenge(response, who.bStale);
        return response;
    }
    m_auth->recordSuccess(p_request.strClientAddress);
    if (p_request.strPath.compare(0, 5, "/api/") == 0) {
        return m_api->handle(p_request, who.strUser, who.eLevel);
    }
    HttpResponse page;
    if ((p_request.strMethod == "GET" || p_request.strMethod == "HEAD") &&
        m_web->serve(p_request.strPath, page)) {
        return page;
    }
    return JsonApi::error(404, "no such resource: " + p_request.strPath);
}

void Sensord::watch() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (unsigned round = 1; !m_bStop; ++round) {
        lock.unlock();
        m_image->poll();
        if (round % 40 == 0) {
            m_api->tidySimulation();
            // What a burst of clients left free goes back to the system.
            malloc_trim(0);
        }
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_bStop; });
    }
}

int Sensord::run() {
    std::thread watcher([this] { watch(); });
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return m_bStop; });
    }
    watcher.join();
    // No new connection; what is in flight finishes (a write holds the
    // service until it is applied and saved), then nothing more gets in.
    m_server->quiesce();
    m_image->shutdown();
    m_server->stop();
    ImageService::Result saved = m_image->save();
    m_host->releaseController();
    if (!saved.ok()) {
        std::fprintf(stderr, "sensord: %s\n", saved.strText.c_str());
        return 1;
    }
    return 0;
}

void Sensord::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
}
