#ifndef SENSORD_SENSORD_H
#define SENSORD_SENSORD_H

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "Host.h"
#include "HttpServer.h"

class Authenticator;
class ImageService;
class JsonApi;
class OnvifService;
class StaticFiles;
class UserStore;

struct SensordOptions {
    HostOptions host;
    std::string strListen = "127.0.0.1:8080";
    std::string strUsers;  // empty: ROOT/mnt/mtd/sensord/users
    std::string strTlsCert;
    std::string strTlsKey;
    std::string strStreamUri;
    std::string strRealm = "sensord";
    std::string strWebRoot;  // empty: StaticFiles::defaultRoot()
    HttpServer::Limits limits;
};

// The service: the camera booted from the options, its image settings behind
// ONVIF and the JSON API, every route but ONVIF's clock behind a user.
// run() serves until stop() (a signal, in the program), then finishes what
// is in flight, saves, stops the controller's threads and returns.
class Sensord {
public:
    explicit Sensord(const SensordOptions& p_options);
    ~Sensord();
    Sensord(const Sensord&) = delete;
    Sensord& operator=(const Sensord&) = delete;

    // The users file the options name.
    static std::string usersPath(const SensordOptions& p_options);

    // Loads the users (creating the first administrator), boots the camera
    // and starts listening. Throws CommandError; p_strNotice says what a
    // first start created.
    void start(std::string& p_strNotice);
    int port() const;
    // "http://127.0.0.1:8080"
    std::string url() const;
    // Serves until stop(); then shuts down in order. Returns the exit code.
    int run();
    // From any thread or a signal-waiting thread.
    void stop();

    Host& host() { return *m_host; }
    ImageService& image() { return *m_image; }
    HttpServer& server() { return *m_server; }

private:
    HttpResponse route(const HttpRequest& p_request);
    void watch();

    SensordOptions m_options;
    std::unique_ptr<UserStore> m_users;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<ImageService> m_image;
    std::unique_ptr<Authenticator> m_auth;
    std::unique_ptr<OnvifService> m_onvif;
    std::unique_ptr<JsonApi> m_api;
    std::unique_ptr<StaticFiles> m_web;
    std::unique_ptr<HttpServer> m_server;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStop = false;
};

#endif
